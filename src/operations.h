// The menu operations. Each runs its whole dialogue, opens what it needs by
// its fixed name, closes all of it on every path and returns to the menu,
// which ignores the result.
#pragma once

namespace qv {

int creatnew();
int enternew();
int editor();
int delete_();   // "delete" itself is taken by the language
int loader();
int saver();
int search();
int allviewer();
int readme();
int scan();
int loadbackup();

// Copies the data file to "backup.bak". False (the failure printed) when the
// copy could not be made whole; the caller then changes nothing.
bool backup();

}  // namespace qv
