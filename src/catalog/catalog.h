// The catalogue: every operation's core, the one interface both front ends
// include. Nothing here asks or prints anything; every rule of the data
// file and every change of a file is made here, once, through the one
// transaction. Where the menu passes a Trace, its scratch files are written
// from the same pieces.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/cipher.h"
#include "catalog/fault.h"
#include "catalog/fields.h"
#include "catalog/layout.h"

namespace qv {

struct Shown;
class Trace;
struct Done;
struct Merged;

// ---- changes

// Makes ready for a run that may change the catalogue: the stop signals
// caught (a change they would cut short finishes first), and what killed
// processes left behind removed.
void prepareChanges();
// Creates the empty data file where there is none.
Outcome createData();
// Adds records under the next codes, in one change with one backup; the
// texts must have passed checkFields. `firstCode` receives the first new
// code. `shown`: the data file as read before, if it was.
Outcome addRecords(const std::vector<NewRecord>& records, int* firstCode = nullptr, Shown* shown = nullptr,
                   bool imported = false);
// Replaces the name and/or the serial of record `code`. `shown`: the data
// file the record was chosen on, which must not have changed since.
Outcome editRecord(int code, const std::string* name, const std::string* serial, Shown* shown = nullptr,
                   Trace* trace = nullptr);
// Removes the records `codes` (ascending, each once) in one change; the
// records behind them move up and are renumbered. A code no record has
// refuses it all (the fault's `code` is that code). `stage` hears when the
// removal begins and when the new file is put right.
enum class Stage { Processing, Rebuilding };
// `removed` receives the records removed, by their codes and names before.
Outcome deleteRecords(const std::vector<int>& codes, Shown* shown = nullptr, Trace* trace = nullptr,
                      const std::function<void(Stage)>& stage = {}, std::vector<Record>* removed = nullptr);
// Replaces the data file with a copy of the named file; the data file as it
// was becomes the backup.
Outcome loadFile(const std::string& name);
// Brings back the data file from backup.bak.
Outcome recoverBackup();
// Copies the data file to the named file, which must not be one of the
// catalogue's own.
Outcome exportFile(const std::string& name);

// Replaces the data file with `bytes`, which must be a sound catalogue,
// keeping the old one as the backup (a restore, a sync). `done` tells the
// history what this was; without it nothing is recorded.
Outcome replaceData(std::string_view bytes, const struct Done* done);
// Merges the catalogue file `other` into the data file by the merge rule of
// merge.h, from the catalogue file `base` (none: an empty one, so that the
// merge is a union); the old data file becomes the backup.
Outcome mergeFile(const std::string& other, const std::string* base, struct Merged* merged = nullptr);

// git's merge of the data file: the catalogue files `base`, `ours` and
// `theirs` merged by the same rule, the result written into `ours` (git's
// own file, replaced whole); nothing written where the merge is refused.
// With `key` (an encrypted history), sealed sides are opened with it and
// the result is sealed; without, a sealed side is refused.
Fault mergeInto(const std::string& base, const std::string& ours, const std::string& theirs,
                const cipher::Key* key = nullptr);
// The whole of the file `name`, within a bound no catalogue comes near.
Fault readWhole(const std::string& name, std::string& bytes);

// ---- history

// What a change did, told to whoever records the catalogue's history.
struct Done {
    enum Kind { Add, Import, Edit, Delete, Load, Recover, Restore, Merge, Sync } kind;
    explicit Done(Kind what) : kind(what) {}
    // The records it names, each by its code and its name: Add, Import: the
    // new ones; Edit: the one edited, by its name before; Delete: those
    // removed, by their codes before; Merge, Sync: those kept in both
    // versions, by their new codes.
    std::vector<int> codes;
    std::vector<std::string> names;
    std::optional<std::string> renamed;    // Edit: the new name, where one was given
    bool serial = false;                   // Edit: the serial changed
    int records = -1;                      // Load, Restore, Merge: the records the new file holds; -1: damaged
    std::string source;                    // Load, Merge: the file; Restore: the revision; Sync: the remote
    int added = 0, removed = 0, both = 0;  // Merge, Sync: what came in, went, was kept twice
};
// Records each change once it is made, under the same lock as the change.
// What it cannot do is told after the change, which stands all the same.
class Recorder {
public:
    Recorder() = default;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    virtual ~Recorder() = default;
    virtual Fault record(const Done& done) = 0;
};
// Who records the changes of this run; chosen once, at its start.
void recordWith(Recorder* recorder);

// ---- reading

// The records of a sound data file.
Fault listRecords(std::vector<Record>& records);
// Whether velk.dat holds the catalogue sealed, as an encrypted history
// keeps it (a plain `git clone` leaves it so), not the catalogue itself.
bool dataSealed();
// Hands `sink` every byte of the file `name` (the data file, README, a file
// to import; standard input where `name` is null, whatever it is) in
// pieces, in order; `sink` returns false to stop. Only a regular file is
// read by name, so the reading has an end.
Fault viewFile(const char* name, const std::function<bool(std::string_view)>& sink);
// What the check counts: the total field against the title and serial
// lines, and cut marks left behind; and the verdict of the layout check.
struct Counts {
    int total = 0;
    long titles = 0, serials = 0, marks = 0;
    bool layoutSound = false;
    bool sound() const { return titles == total && serials == total && marks == 0; }
};
Fault checkFile(Counts& counts);
// The conflict copies a synced folder leaves beside velk.dat
// (velk.sync-conflict-*.dat, velk (... conflicted copy ...).dat).
std::vector<std::string> conflictCopies();
// Whether velk.dat holds the conflict markers of a git merge that was not
// the catalogue's own.
bool holdsConflictMarkers();

}  // namespace qv
