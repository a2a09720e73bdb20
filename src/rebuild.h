// The pieces the edit and the delete rebuild the data file with, around the
// cut where the change begins: the head in front of it, the new piece, and
// the tail behind the old piece, copied through the scratch file velk2.dat.
#pragma once

#include "fileio.h"

namespace qv {

// Offset of the count-th `byte` at or after `from`; -1 when the file ends first.
long findByte(File& f, long from, char byte, int count = 1);
// Offset of the '(' that opens record `code` of a sound data file.
long recordStart(File& data, int code);
// Copies `in` from `from` up to, not including, `to`; to its end when `to` is -1.
Fault copyRange(File& in, long from, long to, File& out);
// Copies the data file from `from` to its end into velk2.dat, then reads
// the whole of velk2.dat back onto `out`.
Fault tailThroughScratch(File& data, long from, File& out);

}  // namespace qv
