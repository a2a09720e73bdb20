// A change of the data file in the making: the lock, the check that the file
// is still the one the user was shown and still sound, and the commit that
// puts the new file in place with the old one kept as backup.bak.
#pragma once

#include <optional>

#include "file/commit.h"
#include "file/file.h"

namespace qv {

// The data file as it was read for the user, kept open, and what it was.
// When the operation ends, the file stays open for the next one (keepData).
struct Shown {
    File file;
    Identity id;
    struct stat st {};
    bool missing = false;  // there was none: it reads as empty, and an add creates it

    Shown() = default;
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;
    ~Shown();

    // Opens the data file as it stands now; with `mayBeMissing`, a data file
    // that is not there counts as an empty one.
    Fault open(bool mayBeMissing = false);
    // Whether this file has the sound layout, looked at once.
    Fault sound(int* total = nullptr);
    // Whether the data file is still this one and has the sound layout; the
    // handle is opened again where a change of this process closed it.
    // `now`: the data file as the lock found it, where it is held.
    Fault check(int* total = nullptr, const Place* now = nullptr);

private:
    std::optional<Fault> layout_;
    int total_ = 0;
};

class Change {
public:
    // Takes the lock and reads the data file for the change. `shown`: the
    // file the user's choice was made on; with `sameFile` it must not have
    // changed since, without it a changed file is simply read again. With
    // `mayCreate` a missing data file counts as empty and is created.
    explicit Change(Shown* shown = nullptr, bool sameFile = true, bool mayCreate = false);
    const Fault& fault() const { return fault_; }
    File& data() { return shown_->file; }
    bool missing() const { return shown_->missing; }
    int total() const { return total_; }
    // Where the new content goes; nullptr when it cannot be written (fault()).
    File* out();
    // Puts the new content in place, a sound file of `total` records: the
    // change made it from a sound file, so the next operation need not look
    // at it again while it stands. With `followed`, a caller's `shown` then
    // stands for the new file, so that a further step is checked against it.
    Outcome commit(int total, bool followed = false);
    // The same with the whole of a scratch file, settled, as the new content.
    // The scratch file is closed, and its close checked, before the commit:
    // nothing that can fail is left for after it.
    Outcome commitFrom(File& source, int total, bool followed = false);

private:
    Lock lock_;
    Shown own_;
    Shown* shown_ = &own_;
    int total_ = 0;
    Fault fault_;
    std::optional<Commit> next_;
};

// The data file as this process last read or wrote it is kept while the
// program runs, with its bytes and its verdict: the next operation that finds
// velk.dat still that very file (by the identity of its path) opens and reads
// nothing again. A file that is not the data file as it stands is dropped.
// A file read stays open for reading; one written is kept as its bytes
// alone, without a descriptor, so that nothing stays open for writing.
void keepData(File& file, const Identity& id, std::optional<Fault> layout = std::nullopt, int total = 0);

// Puts a new content in place of the data file under the lock: the whole
// file `source`, opened under the lock, or `text` where no source is named.
// A load keeps the data file as it stood as backup.bak, in the same commit,
// and refuses the data file itself as its source; the creation and the
// recovery take no backup.
enum class Replacement { Create, Recover, Load };
Outcome replaceData(Replacement kind, const char* source, std::string_view text = {});

}  // namespace qv
