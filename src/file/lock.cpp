// The lock on the data file's directory, and the stop signals held while a
// change is made.
#include "file/lock.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv {

namespace {

// The lock is an flock on the data file's real directory itself: nothing
// in it can be replaced or removed behind the program's back, and taking it
// creates no file. The directory stays open while the program runs; each
// change takes and releases the flock. Where the directory cannot be
// flocked, the flock is on kLockFile, open only while the change is made.
struct LockState {
    int depth = 0;
    std::string dir;
    Dir locked;
    int file = -1;  // kLockFile, where the lock is taken on it
    std::optional<HeldSignals> held;
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

// The wait between tries, longer each time: false once kLockWaitMs are up.
class Backoff {
public:
    bool next()
    {
        if (waited_ >= kLockWaitMs)
            return false;
        sleepMs(step_);
        waited_ += step_;
        step_ = std::min(step_ * 2, 50);
        return true;
    }

private:
    int waited_ = 0, step_ = 1;
};

// The stop signal that came while they were held, to be acted on after.
volatile std::sig_atomic_t holding = 0, pending = 0;
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onStop(int sig)
{
    if (holding) {
        pending = sig;
        return;
    }
    (void)std::signal(sig, SIG_DFL);  // as if nobody had caught it
    (void)std::raise(sig);
}

// Why kLockFile could not be opened, naming the file, or the folder where it
// is the folder that refuses.
IoError lockFileError(const std::string& dir, int err)
{
    IoError e = ioError(IoError::Lock, join(dir, kLockFile), err == ELOOP ? kLinkPlanted : err);
    if ((err == EACCES || err == EPERM || err == EROFS) && ::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, 0) != 0) {
        e.folder = realPath(dir);
        e.folderOp = IoError::Make;
    }
    return e;
}

// Takes the flock on kLockFile in the locked directory `dir`. Only the holder
// removes the file (removing one another process holds would let two hold
// the lock), and it does so on release; so what was opened is checked,
// once locked, to be still the file of that name.
IoError takeFile(LockState& s, const std::string& dir, const std::string& name)
{
    const int at = s.locked->fd();
    for (Backoff wait;;) {
        // Never through a link; O_NONBLOCK: a FIFO there is not waited on.
        const int fd = ::openat(at, kLockFile, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EINTR)
            continue;
        if (fd < 0)
            return lockFileError(dir, errno);
        struct stat opened {};
        struct stat named {};
        if (const int bad = ::fstat(fd, &opened) != 0 ? errno : S_ISREG(opened.st_mode) ? 0 : kNotRegular) {
            (void)::close(fd);
            return ioError(IoError::Lock, join(dir, kLockFile), bad);
        }
        const int err = ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
        if (err == 0 && ::fstatat(at, kLockFile, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev
            && named.st_ino == opened.st_ino) {
            s.file = fd;
            return {};
        }
        (void)::close(fd);  // and with it the flock on a file since removed
        if (err != 0 && err != EWOULDBLOCK && err != EINTR)
            return ioError(IoError::Lock, name, err);
        // A file removed meanwhile waits too: other processes took turns.
        if (err != EINTR && !wait.next())
            return ioError(IoError::Lock, name, kLockHeld);
    }
}

// Takes the flock on `dir`, the directory of the file `name`.
IoError take(LockState& s, const std::string& dir, const std::string& name)
{
    if (!s.locked || s.dir != dir) {
        s.locked = openDir(dir);
        s.dir = s.locked ? dir : "";
        if (!s.locked) {
            // What the user can act on is the directory itself.
            IoError e = ioError(IoError::Lock, name, errno);
            e.folder = realPath(dir);
            e.folderOp = IoError::List;
            return e;
        }
    }
    for (Backoff wait; ::flock(s.locked->fd(), LOCK_EX | LOCK_NB) != 0;) {
        if (errno == EINTR)
            continue;
        // NFS locks only a descriptor open for writing, which a directory
        // cannot be.
        if (errno == EBADF)
            return takeFile(s, dir, name);
        if (errno != EWOULDBLOCK)
            return ioError(IoError::Lock, name, errno);
        if (!wait.next())
            return ioError(IoError::Lock, name, kLockHeld);
    }
    return {};
}

// Lets go of the lock; the lock file goes first, while it is still held.
void release(LockState& s)
{
    if (s.file < 0) {
        (void)::flock(s.locked->fd(), LOCK_UN);
        return;
    }
    (void)::unlinkat(s.locked->fd(), kLockFile, 0);
    (void)::close(s.file);
    s.file = -1;
}

}  // namespace

void catchStopSignals()
{
    static bool caught = false;
    if (caught)
        return;
    caught = true;
    struct sigaction act {};
    struct sigaction old {};
    act.sa_handler = onStop;
    act.sa_flags = SA_RESTART;
    sigemptyset(&act.sa_mask);
    for (int sig : kStopSignals)
        if (::sigaction(sig, &act, &old) == 0 && old.sa_handler == SIG_IGN)
            (void)::sigaction(sig, &old, nullptr);  // what the user chose to ignore stays ignored
}

HeldSignals::HeldSignals()
{
    catchStopSignals();
    holding = holding + 1;
}

HeldSignals::~HeldSignals()
{
    holding = holding - 1;
    if (holding > 0)
        return;
    // A signal that came meanwhile ends the program now, as it asked.
    if (const int sig = pending) {
        (void)std::signal(sig, SIG_DFL);
        (void)std::raise(sig);
    }
}

bool HeldSignals::stopped() { return pending != 0; }

Lock::Lock(const std::string& name)
{
    LockState& s = lockState();
    if (s.depth > 0) {
        failure_ = resolve(name, place_);
        held_ = !failure_;
        s.depth += held_;
        return;
    }
    // The lock is taken where the data file was last time, or where its name
    // stands; then, under the lock, the name is followed to the real file,
    // and where that lies elsewhere (a link), the lock is taken there.
    std::string dir = s.dir.empty() ? dirOf(name) : s.dir;
    for (int tries = 0;; ++tries) {
        if ((failure_ = take(s, dir, name)))
            return;
        failure_ = resolve(name, place_);
        if (!failure_ && place_.dir == dir)
            break;
        release(s);
        if (!failure_ && tries == 8)  // a link retargeted again and again
            failure_ = ioError(IoError::Lock, name, kLinkLoop);
        if (failure_)
            return;
        dir = place_.dir;
    }
    s.held.emplace();
    s.depth = 1;
    held_ = true;
}

Lock::~Lock()
{
    LockState& s = lockState();
    if (!held_ || --s.depth > 0)
        return;
    release(s);
    s.held.reset();
}

}  // namespace qv
