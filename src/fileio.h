// The file layer: every byte the program reads from or writes to a file
// goes through here.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace qv {

// A file opened by name. Byte reads and writes at absolute offsets are served
// from one fixed-size window of the file, so a scan costs one system call per
// window, not one per byte. The destructor closes the descriptor and drops any
// bytes not yet flushed: a write only counts once flush() or close() said so.
class File {
public:
    enum class Mode {
        Read,     // existing file, read only
        Write,    // create or truncate, write only
        Update,   // existing file, read and write, nothing truncated
        Fresh,    // a new file that must not exist yet (scratch for a replacement)
    };
    static constexpr std::size_t kWindow = 64 * 1024;
    static constexpr int kEnd = -1;

    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    // Returns false and remembers the reason when the file cannot be opened.
    bool open(std::string name, Mode mode);
    bool isOpen() const { return fd_ >= 0; }

    // Positioned and sequential single bytes; kEnd at end of file or on a
    // read error (failed() tells which).
    int getAt(long pos) { pos_ = pos; return get(); }
    int get()
    {
        if (loaded_ && pos_ >= base_ && pos_ < base_ + static_cast<long>(len_))
            return static_cast<unsigned char>(win_[pos_++ - base_]);
        return getSlow();
    }
    bool putAt(long pos, char c) { pos_ = pos; return put(c); }
    bool put(char c);
    bool write(std::string_view text);
    // The bytes from the cursor to the end of the current window, loading the
    // window first when needed; the cursor moves past them. Empty at end of
    // file or on a read error.
    std::string_view next();

    void seek(long pos) { pos_ = pos; }
    long tell() const { return pos_; }
    long size();              // current length, unflushed bytes included; -1 on error
    bool truncate(long length);

    bool flush();
    bool sync();              // flush, then force the bytes to the disk
    bool close();             // flush and close; false if any of it failed

    bool failed() const { return err_ != 0; }
    int error() const { return err_; }
    const std::string& name() const { return name_; }
    // "Can not <verb> <name> : <reason> " for the first failure seen.
    std::string failure() const;
    int fd() const { return fd_; }

private:
    int getSlow();
    bool load(long pos);
    bool writeThrough(std::string_view text);
    friend bool copyRest(File& in, File& out);
    bool copyInKernel(File& in);
    bool fail(const char* verb, int err);

    int fd_ = -1;
    Mode mode_ = Mode::Read;
    std::string name_;
    std::unique_ptr<char[]> win_;
    long base_ = 0;           // file offset of win_[0]
    std::size_t len_ = 0;     // bytes of the window that hold file content
    std::size_t dirtyLo_ = 0, dirtyHi_ = 0;   // written but not flushed
    bool loaded_ = false;
    long pos_ = 0;
    int err_ = 0;
    const char* verb_ = "";
};

// One line for a failure on a named file, in the program's wording.
std::string failureLine(std::string_view verb, std::string_view name, int err);
std::string failureLine(std::string_view verb, std::string_view name, std::string_view reason);

// Copies every byte from the cursor of `in` to its end onto the cursor of
// `out`. The end is the read's end-of-file result, so any byte value is
// copied. False when either side failed.
bool copyRest(File& in, File& out);

// Replaces a whole file without ever leaving it half written: the new bytes
// go to a fresh file beside the real one (beside the target of a symbolic
// link), which gets the old file's permission bits, is synced and then
// renamed over it. Until commit() succeeds the old file stays as it was; a
// replacement that is dropped removes its scratch file.
class Replacement {
public:
    explicit Replacement(std::string target);
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;
    ~Replacement();

    bool ok() const { return out_.isOpen() && !out_.failed() && err_ == 0; }
    File& out() { return out_; }
    bool commit();
    // "Can not write <target> : <reason> ".
    std::string failure() const;

private:
    std::string target_;   // the name the user knows
    std::string real_;     // the path that is replaced
    std::string temp_;
    File out_;
    int err_ = 0;
    bool done_ = false;
};

}  // namespace qv
