// The check of names and serials before they are stored: a name is one
// line, a serial one word, each at most 59 bytes, and neither may hold a
// character that the layout reserves.
#pragma once

#include <string>

#include "catalog/fault.h"

namespace qv {

class Trace;

// Whose rules the texts are held to: the menu takes what is typed, by its
// own rules; a command gives a record one line of tab-separated fields, so
// it takes no control character, and no empty name.
enum class Rules { Menu, Command };

// Whether a name and a serial may be stored; either may be absent, as in an
// edit that changes one of them. A `trace` first shows the texts in
// format.dat, where the menu's users look for them. A refusal names the
// text, and the byte or the limit that refuses it.
Fault checkFields(const std::string* name, const std::string* serial, Rules rules, Trace* trace = nullptr);

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
