// The lock that keeps two processes from changing the data file at once,
// and the removal of what killed processes left behind.
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

#include "commit.h"
#include "messages.h"

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

struct LockState {
    int depth = 0;
    int fd = -1;
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

}  // namespace

HeldSignals::HeldSignals()
{
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    ::sigprocmask(SIG_BLOCK, &stop, &saved_);
}

// A signal that came meanwhile is delivered here and ends the program.
HeldSignals::~HeldSignals() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }

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
        if (errno == ELOOP) {
            fault_ = fileFault("lock", path, msg::kWhyLinkPlanted);
            return;
        }
        // The lock file is the program's own: what the user can act on is
        // the directory it could not be made in.
        fault_ = fileFault("lock", path, errno);
        char real[PATH_MAX];
        fault_.dir = ::realpath(place_.dir.c_str(), real) ? real : place_.dir;
        return;
    }
    for (int waited = 0, step = 1; ::flock(fd, LOCK_EX | LOCK_NB) != 0;) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || waited >= kLockWaitMs) {
            fault_ = errno != EWOULDBLOCK ? fileFault("lock", path, errno)
                                          : fileFault("lock", path,
                                                      "another process has held it for more than "
                                                          + std::to_string(kLockWaitMs / 1000) + " seconds");
            ::close(fd);
            return;
        }
        sleepMs(step);
        waited += step;
        step = std::min(step * 2, 50);
    }
    s.held.emplace();
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
