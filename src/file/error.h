// What the file layer reports when a call fails: what could not be done, to
// which file, and why, all as codes. The front ends put them in words.
#pragma once

#include <string>
#include <utility>

namespace qv {

struct [[nodiscard]] IoError {
    enum Op { None, Open, Create, Read, Write, Lock, SyncDir };
    // What the folder, rather than the file, refused.
    enum FolderOp { Search, List, Make };

    Op op = None;
    std::string file;    // as the user knows it
    int err = 0;         // errno, or one of the codes below
    std::string folder;  // where the folder refused: its real path
    FolderOp folderOp = Search;

    explicit operator bool() const { return op != None; }
};

// Reasons beyond errno.
inline constexpr int kNotRegular = -2;   // not a regular file: a FIFO, a device
inline constexpr int kLinkPlanted = -3;  // a link stands where the program's own file goes
inline constexpr int kLockHeld = -4;     // another process held the lock too long
inline constexpr int kLinkLoop = -5;     // a link retargeted again and again under the lock

inline IoError ioError(IoError::Op op, std::string file, int err)
{
    IoError e;
    e.op = op;
    e.file = std::move(file);
    e.err = err;
    return e;
}

}  // namespace qv
