// The lock that keeps two processes from changing the data file at once,
// the stop signals held while a change is made, and the removal of what
// killed processes left behind.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <optional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include "file/commit.h"
#include "menu/texts.h"

namespace qv {

namespace {

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

// The directory could not be opened to be locked: what the user can act on
// is the directory itself.
Fault cannotOpen(const std::string& dir, const std::string& name, int err)
{
    Fault f = fileFault("lock the directory of", name, err);
    f.dir = realPath(dir);
    f.dirVerb = "read";
    return f;
}

// Takes the flock on `dir`, the directory of the file `name`.
Fault take(LockState& s, const std::string& dir, const std::string& name)
{
    if (!s.locked || s.dir != dir) {
        s.locked = openDir(dir);
        s.dir = s.locked ? dir : "";
        if (!s.locked)
            return cannotOpen(dir, name, errno);
    }
    for (int waited = 0, step = 1; ::flock(s.locked->fd(), LOCK_EX | LOCK_NB) != 0;) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return fileFault("lock the directory of", name, errno);
        if (waited >= kLockWaitMs)
            return fileFault("lock the directory of", name,
                             std::string(msg::kWhyLockHeld) + std::to_string(kLockWaitMs / 1000) + " seconds");
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
        fault_ = resolve(name, place_);
        held_ = !fault_;
        s.depth += held_;
        return;
    }
    // The lock is taken where the data file was last time, or where its name
    // stands; then, under the lock, the name is followed to the real file,
    // and where that lies elsewhere (a link), the lock is taken there.
    std::string dir = s.dir.empty() ? dirOf(name) : s.dir;
    for (int tries = 0;; ++tries) {
        if ((fault_ = take(s, dir, name)))
            return;
        fault_ = resolve(name, place_);
        if (!fault_ && place_.dir == dir)
            break;
        (void)::flock(s.locked->fd(), LOCK_UN);
        if (!fault_ && tries == 8)  // a link retargeted again and again
            fault_ = fileFault("lock", name, EAGAIN);
        if (fault_)
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
