// Stored bytes as text a terminal shows and never obeys, for every printout
// of names and serials: the command line's lines and the history's messages.
#pragma once

#include <string>
#include <string_view>

namespace qv {

// Tab, newline, carriage return and escape as \t, \n, \r and \e, every other
// control character (C0, DEL, C1) and every byte that is not UTF-8 as \xHH,
// a byte at a time; a backslash as \\ unless `keepBackslash` (a text that is
// escaped again where it is shown). Nothing else changes.
std::string escapeText(std::string_view bytes, bool keepBackslash = false);

}  // namespace qv
