// The file layer's window: byte reads and writes at absolute offsets served
// from one fixed-size piece of the file, so that a scan costs one system
// call per window, not one per byte.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

#include "file/file.h"

namespace qv {

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
    // A scratch file's old bytes behind what was written are not its own.
    const std::size_t want =
        end_ < 0 ? kWindow : static_cast<std::size_t>(std::clamp(end_ - base_, 0L, static_cast<long>(kWindow)));
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
            return fail(IoError::Read, errno);
        }
        if (n == 0)
            break;
        len_ += static_cast<std::size_t>(n);
        if (known_ >= 0 && base_ + static_cast<long>(len_) >= known_)
            break;  // as long as the file was when it was looked at: no read to hear its end
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

std::string_view File::nextSlow()
{
    if (pastEnd() || !load(pos_) || pos_ - base_ >= static_cast<long>(len_))
        return {};
    std::size_t at = static_cast<std::size_t>(pos_ - base_);
    pos_ = base_ + static_cast<long>(len_);
    return {win_ + at, len_ - at};
}

bool File::write(std::string_view text)
{
    if (fd_ < 0 || err_ != 0 || mode_ == Mode::Read)
        return fail(IoError::Write, err_ ? err_ : EBADF);
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
            return fail(IoError::Write, n < 0 ? errno : ENOSPC);
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
            return fail(IoError::Write, n < 0 ? errno : ENOSPC);
        dirtyLo_ += static_cast<std::size_t>(n);
    }
    dirtyLo_ = dirtyHi_ = 0;
    return err_ == 0;
}

}  // namespace qv
