// The pieces the edit and the delete rebuild the data file with, around the
// cut where the change begins: the head in front of it, the new piece, and
// the tail behind the old piece.
#pragma once

#include "catalog/layout.h"
#include "catalog/transaction.h"
#include "file/file.h"

namespace qv {

// Offset of the count-th `byte` at or after `from`; -1 when the file ends first.
long findByte(File& f, long from, char byte, int count = 1);
// Offset of the '(' that opens record `code` of a sound data file.
long recordStart(File& data, int code);
// Copies `in` from `from` up to, not including, `to`; to its end when `to` is
// -1. `stars`, where given, counts the '*' copied.
Fault copyRange(File& in, long from, long to, File& out, long* stars = nullptr);

// Where a change's new data file is built. In the dialogue it is velk3.dat,
// with the tail copied through velk2.dat, as the menu's users know them; for
// a command it is the commit's temporary file itself.
class Rebuild {
public:
    Rebuild(Change& change, Through how);
    // The new file; nullptr when it cannot be written (fault()).
    File* out();
    const Fault& fault() const { return fault_; }
    // Copies the data file from `from` up to `to` (to its end: -1) onto the
    // new file.
    Fault piece(long from, long to);
    // Copies the data file from `from` to its end onto the new file; in the
    // dialogue through velk2.dat.
    Fault tail(long from);
    // Copies the head of the data file, up to `to`, onto the new file; in the
    // dialogue through velk2.dat. `stars` counts its '*'.
    Fault head(long to, long& stars);
    // Puts the new file in place, as Change::commit.
    Outcome commit(int total, bool followed = false);

private:
    Fault throughScratch(long from, long to, long* stars);

    Change& change_;
    Through how_;
    File rebuilt_;
    File* out_ = nullptr;
    Fault fault_;
};

}  // namespace qv
