// The lock on the data file's directory, and the stop signals held while a
// change is made.
#include "file/lock.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <optional>

#include <sys/file.h>

namespace qv {

namespace {

// The lock is an flock on the data file's real directory itself: nothing
// in it can be replaced or removed behind the program's back, and taking it
// creates no file. The directory stays open while the program runs; each
// change takes and releases the flock.
struct LockState {
    int depth = 0;
    std::string dir;
    Dir locked;
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
    for (int waited = 0, step = 1; ::flock(s.locked->fd(), LOCK_EX | LOCK_NB) != 0;) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return ioError(IoError::Lock, name, errno);
        if (waited >= kLockWaitMs)
            return ioError(IoError::Lock, name, kLockHeld);
        sleepMs(step);
        waited += step;
        step = std::min(step * 2, 50);
    }
    return {};
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
        (void)::flock(s.locked->fd(), LOCK_UN);
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
    (void)::flock(s.locked->fd(), LOCK_UN);
    s.held.reset();
}

}  // namespace qv
