// The check of typed texts before they are stored: a name is one line, a
// serial one word, each at most 59 bytes, and neither may hold a character
// that the layout reserves.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/fault.h"
#include "catalog/layout.h"

namespace qv {

// The number, counted from 1, of the first text that holds a reserved
// character; 0 when none does. The texts go through "format.dat", one a
// line, which is written and read back byte by byte; -1 (with `why`) when
// that cannot be done, so that nothing unchecked passes.
int fieldcheck(const std::vector<std::string_view>& texts, Fault& why);

// Whether a name and a serial may be stored; either may be absent, as in an
// edit that changes one of them. Through format.dat in the dialogue; in
// memory for a command, which also refuses control characters.
Fault checkFields(const std::string* name, const std::string* serial, Through how);

// Whether a name and a serial can stand in the data file at all: any bytes
// but a newline and a reserved character. What a JSON copy of a catalogue
// brings back is held to this alone, so that every catalogue the menu or a
// load made comes back as it was.
Fault checkStorable(const std::string& name, const std::string& serial);

struct NewRecord {
    std::string name, serial;
    int line = 0;  // where an import read it: its line, or its place in a JSON array
};

}  // namespace qv
