// Small text files of git's and of the folder's, and lines of git's output,
// without the C++ streams (whose locale machinery would more than double
// the program's size).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv::history {

// The lines of `text` without their ends (newlines, or `end`), a last one
// without an end too, as std::getline gives them.
std::vector<std::string_view> linesOf(std::string_view text, char end = '\n');
// The file `name` whole (through a link too); empty where it cannot be read.
std::string readText(const char* name);
// Writes all of `text` to `fd`, however the writes come; false where one fails.
bool writeAll(int fd, std::string_view text);
// Writes `text` as the file `name`, or at its end with `append`; a file
// made is 0666 less the umask, as git makes its own.
void writeText(const char* name, std::string_view text, bool append = false);

}  // namespace qv::history
