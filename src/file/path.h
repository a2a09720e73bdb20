// Where a file name leads through symbolic links, and the directories
// files are made, linked and renamed in.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "file/error.h"

namespace qv {

// Where a name finally leads through symbolic links: the name itself when it
// is not a link. The file there need not exist yet.
struct Place {
    std::string path;  // the real file
    std::string dir;   // its directory
    bool exists = false;
    struct stat st {};  // the file's status, where it exists
};
IoError resolve(const std::string& name, Place& place);

std::string dirOf(const std::string& path);
// The path without links, . or .., as the user can find it; `path` itself
// where that cannot be had.
std::string realPath(const std::string& path);
std::string baseOf(const std::string& path);
std::string join(const std::string& dir, const std::string& name);
// The names of the entries of `dir`, . and .. aside.
std::vector<std::string> namesIn(const std::string& dir);
// A directory that files are made, linked and renamed in, and that is
// synced, held open for as long as anybody uses it.
class DirFd {
public:
    explicit DirFd(int fd) : fd_(fd) {}
    DirFd(const DirFd&) = delete;
    DirFd& operator=(const DirFd&) = delete;
    ~DirFd();
    int fd() const { return fd_; }

private:
    int fd_;
};
using Dir = std::shared_ptr<const DirFd>;
// The directory `dir`, opened at its first use. The last few used stay open
// for the next change; one that is dropped from them stays open with whoever
// still holds it. nullptr, with errno set, when it cannot be opened.
Dir openDir(const std::string& dir);

}  // namespace qv
