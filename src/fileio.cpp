#include "fileio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

bool writable(File::Mode m) { return m != File::Mode::Read; }
bool readable(File::Mode m) { return m == File::Mode::Read || m == File::Mode::Update; }

}  // namespace

std::string failureLine(std::string_view verb, std::string_view name, std::string_view reason)
{
    std::string line = "Can not ";
    line.append(verb).append(" ").append(name).append(" : ").append(reason).append(" ");
    return line;
}

std::string failureLine(std::string_view verb, std::string_view name, int err)
{
    return failureLine(verb, name, std::strerror(err));
}

// ---------------------------------------------------------------- File

File::~File()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool File::open(std::string name, Mode mode)
{
    if (fd_ >= 0)
        return fail("open", EBUSY);
    err_ = 0;
    loaded_ = false;
    dirtyLo_ = dirtyHi_ = 0;
    pos_ = 0;
    name_ = std::move(name);
    mode_ = mode;
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::Write: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case Mode::Update: flags |= O_RDWR; break;
    case Mode::Fresh: flags |= O_WRONLY | O_CREAT | O_EXCL; break;
    }
    do
        fd_ = ::open(name_.c_str(), flags, 0666);
    while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) {
        bool creates = mode == Mode::Write || mode == Mode::Fresh;
        return fail(creates ? "create" : "open", errno);
    }
    if (!win_)
        win_ = std::make_unique<char[]>(kWindow);
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

std::string File::failure() const { return failureLine(verb_, name_, err_); }

// Brings the window that holds `pos` into memory, writing out what the old
// window still owes the file first.
bool File::load(long pos)
{
    if (fd_ < 0 || pos < 0 || !flush())
        return false;
    base_ = pos - pos % static_cast<long>(kWindow);
    len_ = 0;
    loaded_ = true;
    if (!readable(mode_))
        return true;   // a write-only file shows nothing but what we wrote
    while (len_ < kWindow) {
        ssize_t n = ::pread(fd_, win_.get() + len_, kWindow - len_, base_ + static_cast<long>(len_));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            loaded_ = false;
            return fail("read", errno);
        }
        if (n == 0)
            break;
        len_ += static_cast<std::size_t>(n);
    }
    return true;
}

int File::getSlow()
{
    if (!load(pos_) || pos_ - base_ >= static_cast<long>(len_))
        return kEnd;
    return static_cast<unsigned char>(win_[pos_++ - base_]);
}

std::string_view File::next()
{
    bool inside = loaded_ && pos_ >= base_ && pos_ < base_ + static_cast<long>(len_);
    if (!inside && (!load(pos_) || pos_ - base_ >= static_cast<long>(len_)))
        return {};
    std::size_t at = static_cast<std::size_t>(pos_ - base_);
    pos_ = base_ + static_cast<long>(len_);
    return {win_.get() + at, len_ - at};
}

bool File::write(std::string_view text)
{
    if (fd_ < 0 || err_ != 0 || !writable(mode_))
        return fail("write", EBADF);
    if (text.size() >= kWindow)
        return writeThrough(text);
    while (!text.empty()) {
        bool inside = loaded_ && pos_ >= base_ && pos_ < base_ + static_cast<long>(kWindow);
        if (!inside && !load(pos_))
            return false;
        std::size_t at = static_cast<std::size_t>(pos_ - base_);
        std::size_t n = std::min(text.size(), kWindow - at);
        if (at > len_)
            std::memset(win_.get() + len_, 0, at - len_);
        std::memcpy(win_.get() + at, text.data(), n);
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
    return true;
}

// A block at least as large as the window goes to the file directly; the
// window is refilled from the file when next needed.
bool File::writeThrough(std::string_view text)
{
    if (!flush())
        return false;
    loaded_ = false;
    while (!text.empty()) {
        ssize_t n = ::pwrite(fd_, text.data(), text.size(), pos_);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail("write", n < 0 ? errno : ENOSPC);
        pos_ += n;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool File::put(char c) { return write(std::string_view(&c, 1)); }

bool File::flush()
{
    while (fd_ >= 0 && err_ == 0 && dirtyLo_ < dirtyHi_) {
        ssize_t n = ::pwrite(fd_, win_.get() + dirtyLo_, dirtyHi_ - dirtyLo_,
                             base_ + static_cast<long>(dirtyLo_));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail("write", n < 0 ? errno : ENOSPC);
        dirtyLo_ += static_cast<std::size_t>(n);
    }
    dirtyLo_ = dirtyHi_ = 0;
    return err_ == 0;
}

long File::size()
{
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return -1;
    long known = loaded_ ? base_ + static_cast<long>(len_) : 0;
    return std::max(static_cast<long>(st.st_size), known);
}

bool File::truncate(long length)
{
    if (!flush())
        return false;
    loaded_ = false;
    if (::ftruncate(fd_, length) != 0)
        return fail("write", errno);
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
    flush();
    if (::close(fd_) != 0)
        fail(writable(mode_) ? "write" : "read", errno);
    fd_ = -1;
    loaded_ = false;
    return err_ == 0;
}

// Between two regular files the kernel copies the bytes without them passing
// through here. False when it cannot (the buffered copy then goes on from
// wherever this one stopped) or when it failed (then a failure is set).
bool File::copyInKernel(File& in)
{
    struct stat from, to;
    if (!flush() || ::fstat(in.fd_, &from) != 0 || ::fstat(fd_, &to) != 0 || !S_ISREG(from.st_mode)
        || !S_ISREG(to.st_mode) || from.st_size == 0)   // /proc files say 0 and copy nothing
        return false;
    loaded_ = false;
    for (;;) {
        loff_t ip = in.pos_, op = pos_;
        ssize_t n = ::copy_file_range(in.fd_, &ip, fd_, &op, std::size_t{1} << 30, 0);
        if (n > 0) {
            in.pos_ += n;
            pos_ += n;
            continue;
        }
        if (n == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF)
            return false;
        if (errno == EIO && in.pos_ < from.st_size)
            return in.fail("read", errno);
        return fail("write", errno);
    }
}

bool copyRest(File& in, File& out)
{
    if (out.copyInKernel(in) || in.failed() || out.failed())
        return !in.failed() && !out.failed();
    for (std::string_view part = in.next(); !part.empty(); part = in.next())
        if (!out.write(part))
            return false;
    return !in.failed() && !out.failed();
}

// ---------------------------------------------------------------- Replacement

Replacement::Replacement(std::string target) : target_(std::move(target)), real_(target_)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    // A user's link keeps pointing where it did: the file behind it is replaced.
    if (fs::is_symlink(fs::symlink_status(target_, ec))) {
        fs::path resolved = fs::weakly_canonical(target_, ec);
        if (!ec)
            real_ = resolved.string();
    }
    fs::path dir = fs::path(real_).parent_path();
    std::string prefix = dir.empty() ? std::string() : dir.string() + "/";
    prefix.append(".").append(fs::path(real_).filename().string()).append(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = prefix + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        if (out_.open(temp_, File::Mode::Fresh) || out_.error() != EEXIST)
            break;
    }
    if (!out_.isOpen()) {
        err_ = out_.error();
        return;
    }
    // A private data file stays private.
    struct stat st;
    if (::stat(real_.c_str(), &st) == 0 && ::fchmod(out_.fd(), st.st_mode & 07777) != 0)
        err_ = errno;
}

Replacement::~Replacement()
{
    if (!done_ && out_.isOpen()) {
        out_.close();
        ::unlink(temp_.c_str());
    }
}

bool Replacement::commit()
{
    if (!ok() || !out_.sync() || !out_.close()) {
        ::unlink(temp_.c_str());
        done_ = true;
        return false;
    }
    if (::rename(temp_.c_str(), real_.c_str()) != 0) {
        err_ = errno;
        ::unlink(temp_.c_str());
        done_ = true;
        return false;
    }
    done_ = true;
    // Make the rename itself durable; the file is already complete either way.
    std::string dir = std::filesystem::path(real_).parent_path().string();
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

std::string Replacement::failure() const
{
    return failureLine("write", target_, out_.failed() ? out_.error() : err_);
}

}  // namespace qv
