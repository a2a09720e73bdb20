#include "fileio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace qv {

namespace {

bool writable(File::Mode m) { return m != File::Mode::Read; }
bool readable(File::Mode m) { return m == File::Mode::Read || m == File::Mode::Scratch; }

// Windows are handed from file to file instead of being allocated and given
// back at every open: a session opens files hundreds of times.
std::vector<std::unique_ptr<char[]>>& spareWindows()
{
    static std::vector<std::unique_ptr<char[]>> spare;
    return spare;
}

char* takeWindow()
{
    auto& spare = spareWindows();
    if (spare.empty())
        return new char[File::kWindow];   // not zero-filled: only written bytes are ever read
    char* w = spare.back().release();
    spare.pop_back();
    return w;
}

void giveWindow(char* w) { spareWindows().emplace_back(w); }

}  // namespace

Identity identityOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec,
            st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
}

mode_t createdMode()
{
    static const mode_t mode = [] {
        mode_t mask = ::umask(077);
        ::umask(mask);
        return 0600 & ~mask;
    }();
    return mode;
}

// ---------------------------------------------------------------- File

File::~File()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (win_)
        giveWindow(win_);
}

bool File::open(std::string name, Mode mode)
{
    if (fd_ >= 0)
        return fail("open", EBUSY);
    err_ = 0;
    drop();
    pos_ = 0;
    name_ = std::move(name);
    shown_.clear();
    mode_ = mode;
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::Write: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case Mode::Scratch: flags |= O_RDWR | O_CREAT | O_NOFOLLOW; break;
    case Mode::Fresh: flags |= O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW; break;
    }
    do
        fd_ = ::open(name_.c_str(), flags, createdMode());
    while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        return fail((flags & O_CREAT) ? "create" : "open", errno);
    if (!win_)
        win_ = takeWindow();
    if (mode == Mode::Scratch) {   // an empty file, whatever its old bytes
        end_ = 0;
        loaded_ = ends_ = true;
    }
    return true;
}

bool File::fail(const char* verb, int err)
{
    if (err_ == 0) {
        err_ = err;
        verb_ = verb;
    }
    return false;
}

Fault File::fault() const
{
    const std::string& name = shown_.empty() ? name_ : shown_;
    // Only the program's own files are opened without following a link, and
    // for them a link is refused, not "too many levels" of them.
    if (err_ == ELOOP && (mode_ == Mode::Scratch || mode_ == Mode::Fresh)) {
        Fault f = fileFault(verb_, name, "a symbolic link stands in its place");
        f.err = err_;
        return f;
    }
    return fileFault(verb_, name, err_);
}

void File::drop()
{
    base_ = 0;
    len_ = 0;
    dirtyLo_ = dirtyHi_ = 0;
    loaded_ = false;
    end_ = cut_ = known_ = -1;
    piped_ = false;
}

// Brings the window that holds `pos` into memory, writing out what the old
// window still owes the file first.
bool File::load(long pos)
{
    if (fd_ < 0 || pos < 0 || !flush())
        return false;
    base_ = pos - pos % static_cast<long>(kWindow);
    len_ = 0;
    loaded_ = true;
    ends_ = false;
    if (!readable(mode_))
        return true;   // a write-only file shows nothing but what we wrote
    // A scratch file's old bytes behind what was written are not its own.
    const std::size_t want = end_ < 0 ? kWindow : static_cast<std::size_t>(std::clamp(end_ - base_, 0L, static_cast<long>(kWindow)));
    while (len_ < want) {
        // A pipe has no positions: it is read in order, window by window.
        ssize_t n = piped_ ? ::read(fd_, win_ + len_, want - len_)
                           : ::pread(fd_, win_ + len_, want - len_, base_ + static_cast<long>(len_));
        if (n < 0 && errno == ESPIPE && !piped_ && base_ == 0 && len_ == 0) {
            piped_ = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            loaded_ = false;
            len_ = 0;
            return fail("read", errno);
        }
        if (n == 0)
            break;
        len_ += static_cast<std::size_t>(n);
        if (known_ >= 0 && base_ + static_cast<long>(len_) >= known_)
            break;   // as long as the file was when it was looked at: no read to hear its end
    }
    ends_ = len_ < kWindow;
    return true;
}

int File::getSlow()
{
    if (pastEnd() || !load(pos_) || pos_ - base_ >= static_cast<long>(len_))
        return kEnd;
    return static_cast<unsigned char>(win_[pos_++ - base_]);
}

std::string_view File::next()
{
    bool inside = pos_ >= base_ && pos_ < base_ + static_cast<long>(len_);
    if (!inside && (pastEnd() || !load(pos_) || pos_ - base_ >= static_cast<long>(len_)))
        return {};
    std::size_t at = static_cast<std::size_t>(pos_ - base_);
    pos_ = base_ + static_cast<long>(len_);
    return {win_ + at, len_ - at};
}

bool File::holds(std::string_view text)
{
    if (mode_ != Mode::Scratch || end_ != 0 || text.size() >= kWindow)
        return false;
    ssize_t n = ::pread(fd_, win_, text.size() + 1, 0);
    if (n != static_cast<ssize_t>(text.size()) || text.compare(0, text.size(), win_, text.size()) != 0)
        return false;
    len_ = text.size();
    end_ = cut_ = static_cast<long>(len_);
    return true;
}

bool File::write(std::string_view text)
{
    if (fd_ < 0 || err_ != 0 || !writable(mode_))
        return fail("write", err_ ? err_ : EBADF);
    if (text.size() >= kWindow)
        return writeThrough(text);
    while (!text.empty()) {
        bool inside = loaded_ && pos_ >= base_ && pos_ < base_ + static_cast<long>(kWindow);
        if (!inside && !load(pos_))
            return false;
        std::size_t at = static_cast<std::size_t>(pos_ - base_);
        std::size_t n = std::min(text.size(), kWindow - at);
        if (at > len_)
            std::memset(win_ + len_, 0, at - len_);
        std::memcpy(win_ + at, text.data(), n);
        if (dirtyHi_ == dirtyLo_) {
            dirtyLo_ = at;
            dirtyHi_ = at + n;
        } else {
            dirtyLo_ = std::min(dirtyLo_, at);
            dirtyHi_ = std::max(dirtyHi_, at + n);
        }
        len_ = std::max(len_, at + n);
        pos_ += static_cast<long>(n);
        text.remove_prefix(n);
    }
    end_ = end_ < 0 ? end_ : std::max(end_, pos_);
    return true;
}

// A block at least as large as the window goes to the file directly; the
// window is refilled from the file when next needed.
bool File::writeThrough(std::string_view text)
{
    if (!flush())
        return false;
    loaded_ = false;
    len_ = 0;
    while (!text.empty()) {
        ssize_t n = ::pwrite(fd_, text.data(), text.size(), pos_);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail("write", n < 0 ? errno : ENOSPC);
        pos_ += n;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    end_ = end_ < 0 ? end_ : std::max(end_, pos_);
    return true;
}

bool File::flush()
{
    while (fd_ >= 0 && err_ == 0 && dirtyLo_ < dirtyHi_) {
        ssize_t n = ::pwrite(fd_, win_ + dirtyLo_, dirtyHi_ - dirtyLo_, base_ + static_cast<long>(dirtyLo_));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail("write", n < 0 ? errno : ENOSPC);
        dirtyLo_ += static_cast<std::size_t>(n);
    }
    dirtyLo_ = dirtyHi_ = 0;
    return err_ == 0;
}

bool File::settle()
{
    if (!flush())
        return false;
    if (end_ >= 0 && end_ != cut_) {
        if (::ftruncate(fd_, end_) != 0)
            return fail("write", errno);
        cut_ = end_;
    }
    return true;
}

bool File::sync()
{
    if (!flush())
        return false;
    if (::fsync(fd_) != 0)
        return fail("write", errno);
    return true;
}

bool File::close()
{
    if (fd_ < 0)
        return err_ == 0;
    settle();
    if (::close(fd_) != 0)
        fail(writable(mode_) ? "write" : "read", errno);
    fd_ = -1;
    drop();
    return err_ == 0;
}

bool File::identify(Identity& id, struct stat* status)
{
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return fail("read", fd_ < 0 ? EBADF : errno);
    if (status)
        *status = st;
    id = identityOf(st);
    known_ = st.st_size;
    return true;
}

}  // namespace qv
