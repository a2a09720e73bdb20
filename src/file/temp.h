// The names of the program's temporary files, and the removal of those a
// killed process left behind.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Every temporary file starts with this, so that the next start can tell a
// killed process's leftovers from anybody else's files.
inline constexpr std::string_view kTempPrefix = ".quorvane-tmp-";

// The next temporary name, relative to its directory. Temporary files are
// only made under the lock and created exclusively, so a name another file
// already has is passed over for the next one.
std::string tempName();
bool isTempName(std::string_view base);

// Removes the temporary files that killed processes left beside the files
// `names`, under the lock of the first one's directory.
void removeLeftovers(const std::vector<std::string>& names);

}  // namespace qv
