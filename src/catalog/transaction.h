// The one transaction every change of the catalogue goes through, the
// export included: the lock; the data file as it stands under it, still the
// one the user was shown and sound where the change needs that; the commit
// of the new content; and the outcome.
#pragma once

#include <optional>
#include <string>

#include "catalog/fault.h"
#include "file/commit.h"
#include "file/file.h"
#include "file/lock.h"

namespace qv {

// The data file as it was read for the user, and what it was. When the
// operation ends it is kept for the next one (keepData).
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
    // Whether the data file is still this one and has the sound layout; it is
    // opened again where a change of this process let it go. `now`: the data
    // file as the lock found it.
    Fault check(const Place& now, int* total = nullptr);
    // The same, outside the lock: as velk.dat stands now.
    Fault check(int* total = nullptr);

private:
    std::optional<Fault> layout_;
    int total_ = 0;
};

class Transaction {
public:
    // Takes the lock; fault() says where it could not be had.
    Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    const Fault& fault() const { return fault_; }
    // The data file as the lock found it.
    const Place& place() const { return lock_.place(); }

    // Reads the data file for a change of its records, which needs it sound.
    // `shown`: the file the user's choice was made on; with `sameFile` it
    // must not have changed since, without it a changed file is read anew.
    // With `mayBeMissing` a data file that is not there counts as empty.
    Fault readSound(Shown* shown, bool sameFile, bool mayBeMissing = false);
    // Reads the data file whatever it holds (the export copies it as it is).
    Fault readAny();
    File& data() { return shown_->file; }
    const Identity& dataIdentity() const { return shown_->id; }
    int total() const { return total_; }
    bool missing() const { return shown_->missing; }

    // Where the new content goes: of `target`, known to the user as `name`,
    // or of the data file. nullptr when it cannot be written (fault()).
    File* write(const Place& target, const std::string& name);
    File* write();
    // Puts the new content in place, the old file kept as `backup` where
    // one is named. `total`: the new data file is sound with that many
    // records, so that the next operation need not look at it again. With
    // `followed`, a caller's `shown` then stands for the new file, so that a
    // further step is checked against it.
    // `done`: what the change did, for the history to record while the lock
    // is still held. The outcome tells whether the change started the data
    // file, where there was none.
    Outcome commit(const char* backup, std::optional<int> total = std::nullopt, bool followed = false,
                   const struct Done* done = nullptr);

private:
    Lock lock_;
    Shown own_;
    Shown* shown_ = &own_;
    int total_ = 0;
    bool data_ = false;     // the new content is the data file's
    bool started_ = false;  // ... and there was no data file before it
    Fault fault_;
    std::optional<Commit> next_;
};

// The data file as this process last read or wrote it is kept while the
// program runs, with its bytes and its verdict: the next operation that finds
// velk.dat still that very file (by the identity of its path) opens and reads
// nothing again. A file that is not the data file as it stands is dropped.
// A file read stays open for reading; one written is kept as its bytes
// alone, so that nothing stays open for writing.
void keepData(File& file, const Identity& id, std::optional<Fault> layout = std::nullopt, int total = 0);

}  // namespace qv
