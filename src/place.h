// Where a file name leads through symbolic links, and the names the
// program gives its own files beside it.
#pragma once

#include <string>

#include <sys/stat.h>

#include "fault.h"

namespace qv {

// Where a name finally leads through symbolic links: the name itself when it
// is not a link. The file there need not exist yet.
struct Place {
    std::string path;  // the real file
    std::string dir;   // its directory
    bool exists = false;
    struct stat st {};  // the file's status, where it exists
};
Fault resolve(const std::string& name, Place& place);

std::string dirOf(const std::string& path);
std::string baseOf(const std::string& path);
std::string join(const std::string& dir, const std::string& name);
// The next temporary name, relative to its directory. Temporary files are
// only made under the lock and created exclusively, so a name another file
// already has is passed over for the next one.
std::string tempName();

// The descriptor of a directory files are made, linked and renamed in,
// opened at its first use and kept while the program runs; -1 with errno
// set when it cannot be opened.
int dirFd(const std::string& dir);
// 0, or why the directory's entries could not be made durable.
int syncDir(const std::string& dir);

}  // namespace qv
