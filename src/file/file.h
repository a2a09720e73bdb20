// The file layer: every byte the program reads from or writes to a file
// goes through here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>

#include "file/error.h"

namespace qv {

// What tells one version of a file from another: a commit always brings a
// new inode, an edit in place a new change time.
struct Identity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    long mtime = 0, mtimeNs = 0, ctime = 0, ctimeNs = 0;
    bool operator==(const Identity&) const = default;
};
Identity identityOf(const struct stat& st);

// The permission bits of a file the program creates: owner only, narrowed
// by the umask, which is read once.
mode_t createdMode();
mode_t umaskOnce();

// A file opened by name. Byte reads and writes at absolute offsets are served
// from one fixed-size window of the file, so a scan costs one system call per
// window, not one per byte. The destructor closes the descriptor and drops any
// bytes not yet flushed: a write only counts once flush() or close() said so.
class File {
public:
    enum class Mode {
        // An existing regular file, read only. Anything else (a FIFO, a
        // device, a directory) is refused at the open, which never blocks:
        // a scan or a copy must have an end.
        Read,
        // The program's own scratch file, never through a link: read and
        // write, starting empty. Its old bytes are overwritten in place and
        // cut off behind the new ones when it is settled: one write and a cut,
        // nothing read first, and no truncation to nothing, after which a
        // file system such as ext4 writes the new bytes out at the close.
        Scratch,
        // A new file that must not exist yet, never through a link; read and
        // write, so that a change can be put right in it before it is used.
        Fresh,
    };
    static constexpr std::size_t kWindow = std::size_t{64} * 1024;
    static constexpr int kEnd = -1;

    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();
    // Trades places with `other`: its descriptor, window and all.
    void swap(File& other) noexcept;

    // Returns false and remembers the reason when the file cannot be opened.
    // `name` is relative to the directory `dir` where one is given. Files
    // are created with the bits `perms` (createdMode() where 0).
    bool open(std::string name, Mode mode, int dir = AT_FDCWD, mode_t perms = 0);
    // Reads a descriptor the program was given (standard input), whatever
    // it is, in order; `name` is what failures call it.
    bool adopt(int fd, std::string name);
    bool writable() const { return fd_ >= 0 && mode_ != Mode::Read; }

    // Positioned and sequential single bytes; kEnd at end of file or on a
    // read error (failed() tells which).
    int getAt(long pos)
    {
        pos_ = pos;
        return get();
    }
    int get()
    {
        if (pos_ >= base_ && pos_ < base_ + static_cast<long>(len_))  // len_ is 0 until loaded
            return static_cast<unsigned char>(win_[pos_++ - base_]);
        return getSlow();
    }
    bool put(char c) { return write(std::string_view(&c, 1)); }
    bool write(std::string_view text);
    // The bytes from the cursor to the end of the current window, loading the
    // window first when needed; the cursor moves past them. Empty at end of
    // file or on a read error.
    std::string_view next()
    {
        if (pos_ >= base_ && pos_ < base_ + static_cast<long>(len_)) {
            const auto at = static_cast<std::size_t>(pos_ - base_);
            pos_ = base_ + static_cast<long>(len_);
            return {win_ + at, len_ - at};
        }
        return nextSlow();
    }

    void seek(long pos) { pos_ = pos; }
    long tell() const { return pos_; }

    bool flush();
    bool settle();  // flush, and cut a scratch file to what was written
    bool sync();    // flush, then force the bytes to the disk
    bool close();   // flush and close; false if any of it failed
    // Closes the descriptor, but where the whole file lies in the window,
    // keeps it there to be read from memory alone: a file written and put in
    // place need not stay open (for writing) to be read again. False when
    // the bytes are not all there; the file is then closed.
    bool detach();
    // Open, or detached with its bytes.
    bool holds() const { return fd_ >= 0 || detached_; }
    // The file's identity (and status); its length then also tells where
    // reading ends.
    bool identify(Identity& id, struct stat* status = nullptr);

    bool failed() const { return err_ != 0; }
    int error() const { return err_; }
    const std::string& name() const { return name_; }
    // The first failure seen, naming the file and the reason.
    IoError failure() const;
    // A temporary file's failures name the file it will replace.
    void showAs(std::string name) { shown_ = std::move(name); }
    int fd() const { return fd_; }

private:
    bool start(std::string name, Mode mode);
    int getSlow();
    std::string_view nextSlow();
    bool load(long pos);
    bool pastEnd() const { return loaded_ && ends_ && pos_ >= base_ && pos_ < base_ + static_cast<long>(kWindow); }
    void drop();
    bool writeThrough(std::string_view text);
    friend bool copyRest(File& in, File& out);
    bool copyInKernel(File& in);
    bool fail(IoError::Op op, int err);

    int fd_ = -1;
    int at_ = AT_FDCWD;  // the directory the name is relative to
    Mode mode_ = Mode::Read;
    std::string name_, shown_;
    char* win_ = nullptr;                    // borrowed from a pool, so an open costs no allocation
    long base_ = 0;                          // file offset of win_[0]
    std::size_t len_ = 0;                    // bytes of the window that hold file content
    std::size_t dirtyLo_ = 0, dirtyHi_ = 0;  // written but not flushed
    bool loaded_ = false;                    // the window holds the file's bytes from base_
    bool ends_ = false;                      // ... and the file ends inside it, at base_ + len_
    bool piped_ = false;                     // a pipe, read in order
    bool detached_ = false;                  // no descriptor: the window is the whole file
    long pos_ = 0;
    long end_ = -1;          // a scratch file's length so far; -1 for other files
    long cut_ = -1;          // the length a scratch file was last cut to
    long known_ = -1;        // the length identify() saw
    struct stat opened_ {};  // a read file's status at its open
    int err_ = 0;
    IoError::Op op_ = IoError::None;
};

// Copies every byte from the cursor of `in` to its end onto the cursor of
// `out`. The end is the read's end-of-file result, so any byte value is
// copied. False when either side failed.
bool copyRest(File& in, File& out);

}  // namespace qv
