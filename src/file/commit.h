// The one way the data file changes, and the lock that keeps two processes
// from changing it at once.
//
// A change writes the new content to a temporary file beside the real data
// file, syncs it, keeps the old file as backup.bak by a hard link where the
// change takes a backup, renames the new file over the old one and syncs the
// directory. A kill at any moment leaves the old file or the new one; the
// temporary files all start with kTempPrefix, so the next start can tell a
// killed process's leftovers from anybody else's files.
#pragma once

#include <optional>
#include <string>

#include "file/file.h"
#include "file/path.h"

namespace qv {

inline constexpr const char* kTempPrefix = ".quorvane-tmp-";
// The lock file of earlier versions, which may still be running.
inline constexpr const char* kOldLockFile = ".quorvane.lock";
inline constexpr int kLockWaitMs = 5000;

// While one of these lives, SIGINT, SIGTERM and SIGHUP wait, so that what is
// in the making completes or is dropped before the program ends as the
// signal asks; a signal that came meanwhile ends it at the end. Outside,
// they end the program at once, as if nobody caught them.
class HeldSignals {
public:
    HeldSignals();
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;
    ~HeldSignals();
};
// Catches the stop signals for HeldSignals, once for the whole run; a
// program that will change files calls it at its start. A signal ignored
// when the program started stays ignored.
void catchStopSignals();

// The exclusive lock of the directory that really holds `name` (the data
// file), taken by an flock on the directory itself and waited for at most
// kLockWaitMs. While it is held the stop signals wait (HeldSignals). A lock
// taken while this process already holds it costs nothing; no input is ever
// read while it is held.
class Lock {
public:
    explicit Lock(const std::string& name);
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock();
    const Fault& fault() const { return fault_; }
    // Where `name` leads, and its status, as looked at under the lock.
    const Place& place() const { return place_; }

private:
    Fault fault_;
    Place place_;
    bool held_ = false;
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

    // The temporary file, or nullptr (fault() says why).
    File* out() { return fault_ ? nullptr : &out_; }
    const Fault& fault() const { return fault_; }
    // Syncs the new file; where `backupName` is given, the old file becomes
    // that backup; renames the new file in place and syncs the directory.
    // Anything that fails before the rename, the backup's own steps
    // included, leaves the change not done. `now` receives the new file's
    // identity and status, as it stands in place; its bytes stay as file()
    // until the commit is dropped.
    Outcome finish(const char* backupName, Identity* now = nullptr, struct stat* status = nullptr);
    File& file() { return out_; }

private:
    Fault keepBackup(const char* backupName);
    HeldSignals held_;  // first in, last out
    // Drops the temporary file, if it is still there.
    void dropTemp();
    Fault failed(Fault f);

    Place place_;
    std::string shown_;  // the name the user knows
    Dir dir_;            // the directory, held open while the commit lives
    std::string temp_;   // relative to it
    File out_;
    Fault fault_;
    bool pending_ = false;                    // the temporary file exists and is not in place
    std::optional<std::string> chmodBackup_;  // a backup that must get back its own bits
    mode_t backupMode_ = 0;
};

// Removes the temporary files that killed processes left beside the data
// file and its backup, under the lock.
void removeLeftovers(const std::string& dataName, const std::string& backupName);

}  // namespace qv
