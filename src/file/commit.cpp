#include "file/commit.h"

#include "file/temp.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace qv {

Commit::Commit(Place place, std::string shownName)
    : place_(std::move(place)),
      shown_(std::move(shownName)),
      dir_(openDir(place_.dir))
{
    if (!dir_) {
        failure_ = ioError(IoError::Write, shown_, errno);
        return;
    }
    // A file that is there keeps its permission bits; the new file gets them
    // as it is made, and is put right only where the umask took some away.
    const mode_t mode = place_.exists ? place_.st.st_mode & 07777 : createdMode();
    for (int attempt = 0;; ++attempt) {
        temp_ = tempName();
        if ((pending_ = out_.open(temp_, File::Mode::Fresh, dir_->fd(), mode & 0777))) {
            out_.showAs(shown_);
            break;
        }
        if (out_.error() != EEXIST || attempt == 100) {
            failure_ = out_.failure();
            failure_.op = IoError::Write;
            failure_.file = shown_;
            return;
        }
    }
    if ((mode & ~(0777 & ~umaskOnce())) != 0 && ::fchmod(out_.fd(), mode) != 0)
        (void)failed(ioError(IoError::Write, shown_, errno));
}

Commit::~Commit() { dropTemp(); }

void Commit::dropTemp()
{
    if (pending_) {
        (void)out_.close();
        (void)::unlinkat(dir_->fd(), temp_.c_str(), 0);
        pending_ = false;
    }
}

IoError Commit::failed(IoError e)
{
    dropTemp();
    return failure_ = std::move(e);
}

Committed Commit::finish(const char* backupName, Identity* now, struct stat* status)
{
    if (failure_)
        return Committed::notMade(failure_);
    if (!out_.sync())
        return Committed::notMade(failed(out_.failure()));
    if (backupName && place_.exists)
        if (IoError e = keepBackup(backupName))
            return Committed::notMade(failed(e));
    const int dir = dir_->fd();
    if (::renameat(dir, temp_.c_str(), dir, baseOf(place_.path).c_str()) != 0)
        return Committed::notMade(failed(ioError(IoError::Write, shown_, errno)));
    // From here on the change is made, whatever else goes wrong.
    pending_ = false;
    if (chmodBackup_)
        (void)::chmod(chmodBackup_->c_str(), backupMode_);  // the old file is the backup's alone now
    if (now && !out_.identify(*now, status))
        *now = {};  // nobody will take the kept bytes for the file there
    if (::fsync(dir) != 0)
        return Committed::made(ioError(IoError::SyncDir, shown_, errno));
    return Committed::made();
}

// The old file becomes the backup without a byte being copied: a hard link
// to it is renamed over the backup, so the backup is at every moment either
// what it was or the whole old file.
IoError Commit::keepBackup(const char* backupName)
{
    Place bak;
    if (IoError e = resolve(backupName, bak))
        return e;
    const struct stat& old = place_.st;
    if (bak.exists && bak.st.st_dev == old.st_dev && bak.st.st_ino == old.st_ino)
        return {};  // a change killed halfway left it in place already
    const Dir bakDirRef = openDir(bak.dir);
    if (!bakDirRef)
        return ioError(IoError::Write, backupName, errno);
    const int bakDir = bakDirRef->fd(), dir = dir_->fd();
    const mode_t want = bak.exists ? bak.st.st_mode & 07777 : createdMode();
    std::string link;
    int err = EEXIST;
    for (int attempt = 0; err == EEXIST && attempt < 100; ++attempt) {
        link = tempName();
        err = ::linkat(dir, baseOf(place_.path).c_str(), bakDir, link.c_str(), 0) == 0 ? 0 : errno;
    }
    if (err == EXDEV || err == EPERM || err == EOPNOTSUPP || err == EMLINK || err == ENOSYS) {
        // No hard link to be had (another file system): a synced copy.
        File in;
        if (!in.open(place_.path, File::Mode::Read))
            return ioError(IoError::Read, shown_, in.error());
        Commit copy(bak, backupName);
        if (copy.out() && !copyRest(in, *copy.out()))
            return in.failed() ? ioError(IoError::Read, shown_, in.error()) : copy.out()->failure();
        // The copy is a change of the backup alone: whatever fails in it,
        // even after its own rename, is a failure before this change.
        const Committed copied = copy.finish(nullptr);
        return copied.state() == Committed::Made ? IoError{} : copied.failure();
    }
    if (err)
        return ioError(IoError::Write, backupName, err);
    if (::renameat(bakDir, link.c_str(), bakDir, baseOf(bak.path).c_str()) != 0) {
        err = errno;
        ::unlinkat(bakDir, link.c_str(), 0);
        return ioError(IoError::Write, backupName, err);
    }
    if (want != (old.st_mode & 07777)) {
        chmodBackup_ = bak.path;
        backupMode_ = want;
    }
    if (bakDir != dir && ::fsync(bakDir) != 0)
        return ioError(IoError::Write, backupName, errno);
    return {};
}

}  // namespace qv
