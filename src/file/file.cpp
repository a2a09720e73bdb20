// The file layer's files: opened by name, closed on every path, synced.
#include "file/file.h"

#include "file/path.h"

#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace qv {

namespace {

// Windows are handed from file to file instead of being allocated and given
// back at every open: a session opens files hundreds of times. A change has
// at most four files open at once, whose windows lie ready in the program's
// image; a fifth would come from the heap, and stay in the pool. Never
// zero-filled: only written bytes are ever read.
constexpr std::size_t kReady = 4;
char ready[kReady][File::kWindow];
std::vector<char*>& spareWindows()
{
    // Never destroyed: a file kept open until the program ends (the data
    // file) gives its window back after every other static is gone.
    static auto* spare = [] {
        auto* all = new std::vector<char*>;
        for (auto& w : ready)
            all->push_back(w);
        return all;
    }();
    return *spare;
}

char* takeWindow()
{
    auto& spare = spareWindows();
    if (spare.empty())
        return new char[File::kWindow];
    char* w = spare.back();
    spare.pop_back();
    return w;
}

void giveWindow(char* w) { spareWindows().push_back(w); }

}  // namespace

Identity identityOf(const struct stat& st)
{
    return {st.st_dev,          st.st_ino,         st.st_size,        st.st_mtim.tv_sec,
            st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
}

mode_t umaskOnce()
{
    static const mode_t mask = [] {
        mode_t was = ::umask(077);
        ::umask(was);
        return was;
    }();
    return mask;
}

mode_t createdMode() { return 0600 & ~umaskOnce(); }

// ---------------------------------------------------------------- File

File::~File()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (win_)
        giveWindow(win_);
}

void File::swap(File& o) noexcept
{
    std::swap(fd_, o.fd_);
    std::swap(at_, o.at_);
    std::swap(mode_, o.mode_);
    name_.swap(o.name_);
    shown_.swap(o.shown_);
    std::swap(win_, o.win_);
    std::swap(base_, o.base_);
    std::swap(len_, o.len_);
    std::swap(dirtyLo_, o.dirtyLo_);
    std::swap(dirtyHi_, o.dirtyHi_);
    std::swap(loaded_, o.loaded_);
    std::swap(ends_, o.ends_);
    std::swap(piped_, o.piped_);
    std::swap(detached_, o.detached_);
    std::swap(pos_, o.pos_);
    std::swap(end_, o.end_);
    std::swap(cut_, o.cut_);
    std::swap(known_, o.known_);
    std::swap(opened_, o.opened_);
    std::swap(err_, o.err_);
    std::swap(op_, o.op_);
}

// Forgets the file this one last stood for; false while it is still open.
bool File::start(std::string name, Mode mode)
{
    if (fd_ >= 0)
        return fail(IoError::Open, EBUSY);
    err_ = 0;
    drop();
    pos_ = 0;
    name_ = std::move(name);
    shown_.clear();
    mode_ = mode;
    opened_ = {};
    if (!win_)
        win_ = takeWindow();
    return true;
}

bool File::open(std::string name, Mode mode, int dir, mode_t perms)
{
    if (!start(std::move(name), mode))
        return false;
    at_ = dir;
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read: flags |= O_RDONLY | O_NONBLOCK; break;  // a FIFO must not hold the open
    case Mode::Scratch: flags |= O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK; break;
    case Mode::Fresh: flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW; break;
    }
    do
        fd_ = ::openat(dir, name_.c_str(), flags, perms ? perms : createdMode());
    while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        return fail((flags & O_CREAT) ? IoError::Create : IoError::Open, errno);
    // What the program reads must be a regular file. Its own files it has
    // just made; a FIFO planted in their place fails at the first write.
    int err = 0;
    if (mode == Mode::Read && ::fstat(fd_, &opened_) != 0)
        err = errno;
    else if (mode == Mode::Read && !S_ISREG(opened_.st_mode))
        err = S_ISDIR(opened_.st_mode) ? EISDIR : kNotRegular;
    if (err) {
        ::close(fd_);
        fd_ = -1;
        return fail(IoError::Read, err);
    }
    if (mode != Mode::Read) {  // an empty file
        end_ = 0;
        loaded_ = ends_ = true;
    } else if (opened_.st_size > 0) {
        known_ = opened_.st_size;  // no read needed to hear the end (a /proc file says 0)
    }
    return true;
}

bool File::adopt(int fd, std::string name)
{
    if (!start(std::move(name), Mode::Read))
        return false;
    fd_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (fd_ < 0)
        return fail(IoError::Read, errno);
    piped_ = true;  // read from where it stands, in order, whatever it is
    return true;
}

bool File::fail(IoError::Op op, int err)
{
    if (err_ == 0) {
        err_ = err;
        op_ = op;
    }
    return false;
}

IoError File::failure() const
{
    // Only the program's own files are opened without following a link, and
    // for them a link is refused, not "too many levels" of them.
    const bool own = mode_ == Mode::Scratch || mode_ == Mode::Fresh;
    IoError e = ioError(op_, shown_.empty() ? name_ : shown_, err_ == ELOOP && own ? kLinkPlanted : err_);
    // Where it is the folder that refuses, the user has the folder to see to.
    const bool making = own && op_ == IoError::Create;
    const std::string folder = dirOf(name_);
    if ((err_ == EACCES || err_ == EPERM || err_ == EROFS)
        && ::faccessat(at_, folder.c_str(), making ? W_OK | X_OK : X_OK, 0) != 0) {
        e.folder = realPath(at_ == AT_FDCWD ? folder : "/proc/self/fd/" + std::to_string(at_) + "/" + folder);
        e.folderOp = making ? IoError::Make : IoError::Search;
    }
    return e;
}

void File::drop()
{
    base_ = 0;
    len_ = 0;
    dirtyLo_ = dirtyHi_ = 0;
    loaded_ = false;
    end_ = cut_ = known_ = -1;
    piped_ = false;
    detached_ = false;
}

bool File::settle()
{
    if (!flush())
        return false;
    // A scratch file's old bytes behind the new ones are cut off, once.
    if (mode_ == Mode::Scratch && end_ != cut_) {
        if (::ftruncate(fd_, end_) != 0)
            return fail(IoError::Write, errno);
        cut_ = end_;
    }
    return true;
}

bool File::sync()
{
    if (!flush())
        return false;
    if (::fsync(fd_) != 0)
        return fail(IoError::Write, errno);
    return true;
}

bool File::close()
{
    if (fd_ < 0) {
        if (detached_)
            drop();
        return err_ == 0;
    }
    settle();
    if (::close(fd_) != 0)
        fail(mode_ != Mode::Read ? IoError::Write : IoError::Read, errno);
    fd_ = -1;
    drop();
    return err_ == 0;
}

bool File::detach()
{
    if (fd_ < 0)
        return detached_;
    const bool whole = settle() && loaded_ && ends_ && base_ == 0 && (end_ < 0 || end_ == static_cast<long>(len_));
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || !whole) {
        drop();
        return false;
    }
    mode_ = Mode::Read;
    end_ = cut_ = -1;
    detached_ = true;
    return true;
}

bool File::identify(Identity& id, struct stat* status)
{
    // A file opened for reading is looked at once, at its open.
    struct stat st = opened_;
    if (fd_ < 0 || ((mode_ != Mode::Read || piped_) && ::fstat(fd_, &st) != 0))
        return fail(IoError::Read, fd_ < 0 ? EBADF : errno);
    if (status)
        *status = st;
    id = identityOf(st);
    known_ = st.st_size;
    return true;
}

}  // namespace qv
