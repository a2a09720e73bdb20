// The commit step: the one way a file of the catalogue is replaced.
//
// The new content goes to a temporary file beside the real file; it is
// synced; where a backup is asked for, the old file becomes that backup by a
// hard link (a synced copy where there are none); the new file is renamed
// over the old one and the directory synced. A kill at any moment leaves the
// old file or the new one; the temporary files all start with kTempPrefix.
#pragma once

#include <optional>
#include <string>

#include "file/error.h"
#include "file/file.h"
#include "file/lock.h"
#include "file/path.h"

namespace qv {

// How a commit went: not made (failure() says why), made, or made with a
// failure after its rename (failure() says what). It tells of the one file
// committed; it is not an IoError, so what went wrong after one file's
// rename (a backup's) cannot pass for another's.
class [[nodiscard]] Committed {
public:
    enum State { NotMade, Made, MadeThenFailed };
    static Committed notMade(IoError why) { return {NotMade, std::move(why)}; }
    static Committed made(IoError after = {})
    {
        const bool failed = bool(after);
        return {failed ? MadeThenFailed : Made, std::move(after)};
    }
    State state() const { return state_; }
    const IoError& failure() const { return failure_; }

private:
    Committed(State state, IoError failure) : state_(state), failure_(std::move(failure)) {}
    State state_;
    IoError failure_;
};

// A new content for the file at `place`, written to out() and put in place
// by finish(). A commit that is dropped before finish() removes its
// temporary file and changes nothing; the stop signals wait while it lives,
// so that no signal leaves its temporary file behind.
class Commit {
public:
    explicit Commit(Place place, std::string shownName);
    Commit(const Commit&) = delete;
    Commit& operator=(const Commit&) = delete;
    ~Commit();

    // The temporary file, or nullptr (failure() says why).
    File* out() { return failure_ ? nullptr : &out_; }
    const IoError& failure() const { return failure_; }
    // Syncs the new file; where `backupName` is given, the old file becomes
    // that backup; renames the new file in place and syncs the directory.
    // Anything that fails before the rename, the backup's own steps
    // included, leaves the change not done. `now` receives the new file's
    // identity and status, as it stands in place; its bytes stay as file()
    // until the commit is dropped.
    Committed finish(const char* backupName, Identity* now = nullptr, struct stat* status = nullptr);
    File& file() { return out_; }

private:
    IoError keepBackup(const char* backupName);
    HeldSignals held_;  // first in, last out
    // Drops the temporary file, if it is still there.
    void dropTemp();
    IoError failed(IoError e);

    Place place_;
    std::string shown_;  // the name the user knows
    Dir dir_;            // the directory, held open while the commit lives
    std::string temp_;   // relative to it
    File out_;
    IoError failure_;
    bool pending_ = false;                    // the temporary file exists and is not in place
    std::optional<std::string> chmodBackup_;  // a backup that must get back its own bits
    mode_t backupMode_ = 0;
};

}  // namespace qv
