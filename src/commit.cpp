#include "commit.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qv {

namespace {

std::string dirOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string join(const std::string& dir, const std::string& name)
{
    return dir == "." ? name : dir + "/" + name;
}

std::string tempName(const std::string& dir)
{
    static const std::string pid = std::to_string(::getpid());
    static unsigned counter = 0;
    return join(dir, kTempPrefix + pid + "-" + std::to_string(counter++));
}

// 0, or why the directory's entries could not be made durable. The data
// file's directory stays open for the next commit.
int syncDir(const std::string& dir)
{
    static std::string openDir;
    static int fd = -1;
    if (fd < 0 || dir != openDir) {
        if (fd >= 0)
            ::close(fd);
        openDir = dir;
        fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return errno;
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

std::vector<std::string> leftoversIn(const std::string& dir)
{
    std::vector<std::string> found;
    if (DIR* d = ::opendir(dir.c_str())) {
        const std::string_view prefix = kTempPrefix;
        while (const dirent* e = ::readdir(d))
            if (std::string_view(e->d_name).starts_with(prefix))
                found.push_back(join(dir, e->d_name));
        ::closedir(d);
    }
    return found;
}

struct LockState {
    int depth = 0;
    int fd = -1;
    sigset_t saved;
};

LockState& lockState()
{
    static LockState state;
    return state;
}

void sleepMs(int ms)
{
    timespec t{0, ms * 1000000L};
    ::nanosleep(&t, nullptr);
}

}  // namespace

Fault resolve(const std::string& name, Place& place)
{
    std::string path = name;
    for (int hops = 0;; ++hops) {
        place.exists = ::lstat(path.c_str(), &place.st) == 0;
        if (!place.exists) {
            if (errno != ENOENT)
                return fileFault("open", name, errno);
            break;   // a missing file, or a link to one: it is created there
        }
        if (!S_ISLNK(place.st.st_mode))
            break;
        if (hops == 40)
            return fileFault("open", name, ELOOP);
        char target[PATH_MAX];
        ssize_t n = ::readlink(path.c_str(), target, sizeof target);
        if (n < 0 || n == sizeof target)
            return fileFault("open", name, n < 0 ? errno : ENAMETOOLONG);
        std::string next(target, static_cast<std::size_t>(n));
        path = next.front() == '/' ? next : join(dirOf(path), next);
    }
    place.path = path;
    place.dir = dirOf(path);
    return {};
}

// ---------------------------------------------------------------- Lock

Lock::Lock(const std::string& name)
{
    fault_ = resolve(name, place_);
    LockState& s = lockState();
    if (fault_ || s.depth > 0) {
        held_ = !fault_;
        s.depth += held_;
        return;
    }
    const std::string path = join(place_.dir, kLockFile);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, createdMode());
    if (fd < 0) {
        fault_ = errno == ELOOP ? fileFault("lock", path, "a symbolic link stands in its place")
                                : fileFault("lock", path, errno);
        return;
    }
    for (int waited = 0, step = 1; ::flock(fd, LOCK_EX | LOCK_NB) != 0;) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || waited >= kLockWaitMs) {
            fault_ = errno != EWOULDBLOCK ? fileFault("lock", path, errno)
                                          : fileFault("lock", path, "another process has held it for more than "
                                                                        + std::to_string(kLockWaitMs / 1000) + " seconds");
            ::close(fd);
            return;
        }
        sleepMs(step);
        waited += step;
        step = std::min(step * 2, 50);
    }
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    ::sigprocmask(SIG_BLOCK, &stop, &s.saved);
    s.fd = fd;
    s.depth = 1;
    held_ = true;
}

Lock::~Lock()
{
    LockState& s = lockState();
    if (!held_ || --s.depth > 0)
        return;
    ::close(s.fd);
    s.fd = -1;
    // A signal that came meanwhile is delivered here and ends the program.
    ::sigprocmask(SIG_SETMASK, &s.saved, nullptr);
}

// ---------------------------------------------------------------- Commit

Commit::Commit(Place place, std::string shownName) : place_(std::move(place)), shown_(std::move(shownName))
{
    for (int attempt = 0;; ++attempt) {
        temp_ = tempName(place_.dir);
        if ((pending_ = out_.open(temp_, File::Mode::Fresh))) {
            out_.showAs(shown_);
            break;
        }
        if (out_.error() != EEXIST || attempt == 100) {
            fault_ = fileFault("write", shown_, out_.error());
            return;
        }
    }
    // A file that is there keeps its permission bits.
    mode_t mode = place_.exists ? place_.st.st_mode & 07777 : createdMode();
    if (mode != createdMode() && ::fchmod(out_.fd(), mode) != 0)
        failed(fileFault("write", shown_, errno));
}

Commit::~Commit() { failed({}); }

// Drops the temporary file, if it is still there.
Fault Commit::failed(Fault f)
{
    if (pending_) {
        out_.close();
        ::unlink(temp_.c_str());
        pending_ = false;
    }
    return fault_ = f;
}

Fault Commit::finish(const char* backupName, Identity* now)
{
    if (fault_)
        return fault_;
    if (!out_.sync())
        return failed(out_.fault());
    if (backupName && place_.exists)
        if (Fault f = keepBackup(backupName))
            return failed(f);
    if (::rename(temp_.c_str(), place_.path.c_str()) != 0)
        return failed(fileFault("write", shown_, errno));
    pending_ = false;
    if (chmodBackup_)
        ::chmod(chmodBackup_->c_str(), backupMode_);   // the old file is the backup's alone now
    if (now)
        out_.identify(*now);
    out_.close();
    if (int err = syncDir(place_.dir))
        return fault_ = fileFault("write", shown_, err);
    return {};
}

// The old file becomes the backup without a byte being copied: a hard link
// to it is renamed over the backup, so the backup is at every moment either
// what it was or the whole old file.
Fault Commit::keepBackup(const char* backupName)
{
    Place bak;
    if (Fault f = resolve(backupName, bak))
        return f;
    const struct stat& old = place_.st;
    if (bak.exists && bak.st.st_dev == old.st_dev && bak.st.st_ino == old.st_ino)
        return {};   // a change killed halfway left it in place already
    const mode_t want = bak.exists ? bak.st.st_mode & 07777 : createdMode();
    std::string link;
    int err = EEXIST;
    for (int attempt = 0; err == EEXIST && attempt < 100; ++attempt) {
        link = tempName(bak.dir);
        err = ::link(place_.path.c_str(), link.c_str()) == 0 ? 0 : errno;
    }
    if (err == EXDEV || err == EPERM || err == EOPNOTSUPP || err == EMLINK || err == ENOSYS) {
        // No hard link to be had (another file system): a synced copy.
        File in;
        if (!in.open(place_.path, File::Mode::Read))
            return fileFault("read", shown_, in.error());
        Commit copy(bak, backupName);
        if (copy.out() && !copyRest(in, *copy.out()))
            return in.failed() ? fileFault("read", shown_, in.error()) : copy.out()->fault();
        return copy.finish(nullptr);
    }
    if (err)
        return fileFault("write", backupName, err);
    if (::rename(link.c_str(), bak.path.c_str()) != 0) {
        err = errno;
        ::unlink(link.c_str());
        return fileFault("write", backupName, err);
    }
    if (want != (old.st_mode & 07777)) {
        chmodBackup_ = bak.path;
        backupMode_ = want;
    }
    if (bak.dir != place_.dir)
        if (int e = syncDir(bak.dir))
            return fileFault("write", backupName, e);
    return {};
}

void removeLeftovers(const std::string& dataName, const std::string& backupName)
{
    Place data, bak;
    if (resolve(dataName, data) || resolve(backupName, bak))
        return;
    std::vector<std::string> dirs{data.dir};
    if (bak.dir != data.dir)
        dirs.push_back(bak.dir);
    auto any = [&] {
        return std::any_of(dirs.begin(), dirs.end(), [](const std::string& d) { return !leftoversIn(d).empty(); });
    };
    if (!any())
        return;
    // Under the lock, nobody is in the middle of a change: what is there was
    // left by a process that was killed.
    Lock lock(dataName);
    if (lock.fault())
        return;
    for (const std::string& dir : dirs)
        for (const std::string& name : leftoversIn(dir))
            ::unlink(name.c_str());
}

}  // namespace qv
