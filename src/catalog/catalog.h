// The operations. Each menu operation runs its whole dialogue, opens what it
// needs by its fixed name, closes all of it on every path and returns to the
// menu, which ignores the result. Beneath the dialogues lies the core that
// the menu and the command line share: every rule and every change of a
// file is made there, once.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "catalog/fault.h"
#include "catalog/layout.h"

namespace qv {

struct NewRecord;
struct Record;
struct Shown;

// ---- the menu
int creatnew();
int enternew();
int editor();
int delete_();  // "delete" itself is taken by the language
int loader();
int saver();
int search();
int allviewer();
int readme();
int scan();
int loadbackup();

// ---- the core

// Creates the empty data file where there is none.
Outcome createDataFile();
// Adds records under the next codes, in one change with one backup; the
// texts must have passed checkRecords. `firstCode` receives the first new
// code. `shown`: the data file as read before, if it was.
Outcome addRecords(const std::vector<NewRecord>& records, int* firstCode = nullptr, Shown* shown = nullptr);
// Replaces the name and/or the serial of record `code`. `shown`: the data
// file the record was chosen on, which must not have changed since.
Outcome rewriteRecord(int code, Shown* shown, const std::string* name, const std::string* serial, Through how);
// Removes the records `codes` (ascending, each once) in one change; the
// records behind them move up and are renumbered. A code no record has
// refuses it all (the fault's `code` is that code). `stage` hears when the
// removal begins and when the rebuilt file is put right.
enum class Stage { Processing, Rebuilding };
Outcome removeRecords(const std::vector<int>& codes, Shown* shown, Through how,
                      const std::function<void(Stage)>& stage = {});
// Brings back the data file from backup.bak.
Outcome recoverBackup();
// Replaces the data file with a copy of the named file.
Outcome loadFrom(const std::string& name);
// Copies the data file to the named file; "-" is standard output.
Outcome exportTo(const std::string& name);
// The records of a sound data file.
Fault readRecords(std::vector<Record>& records);
// What the check counts: the total field against the title and serial
// lines, and cut marks left behind.
struct Counts {
    int total = 0;
    long titles = 0, serials = 0, marks = 0;
    bool sound() const { return titles == total && serials == total && marks == 0; }
};
Fault countMarks(Counts& counts);

}  // namespace qv
