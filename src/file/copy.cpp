// Copies between files: through the window, or in the kernel when the
// source is larger than one window.
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include "file/file.h"

namespace qv {

// Between two regular files the kernel copies the bytes without them passing
// through here. False when it cannot (the buffered copy then goes on from
// wherever this one stopped) or when it failed (then a failure is set).
bool File::copyInKernel(File& in)
{
    struct stat from, to;
    if (!flush() || !in.settle() || ::fstat(in.fd_, &from) != 0 || ::fstat(fd_, &to) != 0 || !S_ISREG(from.st_mode)
        || !S_ISREG(to.st_mode) || from.st_size == 0)  // /proc files say 0 and copy nothing
        return false;
    loaded_ = false;
    len_ = 0;
    for (;;) {
        loff_t ip = in.pos_, op = pos_;
        ssize_t n = ::copy_file_range(in.fd_, &ip, fd_, &op, std::size_t{1} << 30, 0);
        if (n > 0) {
            in.pos_ += n;
            pos_ += n;
            end_ = end_ < 0 ? end_ : std::max(end_, pos_);
            continue;
        }
        if (n == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF)
            return false;
        if (errno == EIO && in.pos_ < from.st_size)
            return in.fail(IoError::Read, errno);
        return fail(IoError::Write, errno);
    }
}

bool copyRest(File& in, File& out)
{
    // What fits in one window is copied through it, in two calls where the
    // kernel's copy needs four; anything larger is left to the kernel.
    const long start = in.tell();
    std::string_view first = in.next();
    if (in.len_ < File::kWindow) {
        out.write(first);
        return !in.failed() && !out.failed();
    }
    in.seek(start);
    if (out.copyInKernel(in) || in.failed() || out.failed())
        return !in.failed() && !out.failed();
    for (std::string_view part = in.next(); !part.empty(); part = in.next())
        if (!out.write(part))
            return false;
    return !in.failed() && !out.failed();
}

}  // namespace qv
