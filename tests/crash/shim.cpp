// Preloaded into the program by the crash test: counts the calls that change
// the state of a file (opens that create or truncate, writes, syncs, renames,
// links, unlinks, truncations, mode changes and the close of a written file,
// also relative to a directory) and
// acts on the one numbered QV_CRASH_AT: sends itself a signal before or
// after it, or makes it fail with EIO. Once it has acted it creates the file
// QV_CRASH_MARK, so the test knows the run reached that call. With
// QV_NO_LINK set, hard links are refused as FAT refuses them (EPERM). With
// QV_FLOCK_NEEDS_WRITE set, an exclusive flock on a descriptor open for
// reading alone fails with EBADF, as on an NFS client.
//   QV_CRASH_AT=N  QV_CRASH_WHEN=before|after  QV_CRASH_SIGNAL=KILL|TERM|FAIL
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long count = 0;  // one count for every kind of call
// A git started at the point of an "after": the signal waits until the
// program has waited for it to end.
bool deferring = false;
int deferred = 0;
pid_t dueChild = 0;

// Only the program itself is counted, not the git it runs.
bool mine()
{
    static const bool is = std::strcmp(program_invocation_short_name, "quorvane") == 0;
    return is;
}

template <typename F>
F real(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void mark()
{
    static auto open = real<int (*)(const char*, int, ...)>("open");
    static auto close = real<int (*)(int)>("close");
    if (const char* path = std::getenv("QV_CRASH_MARK"))
        close(open(path, O_WRONLY | O_CREAT, 0600));
}

// Runs `call`, or fails it, with the signal before or after it when its turn
// has come.
template <typename Call>
auto counted(Call call) -> decltype(call())
{
    static const char* const number = std::getenv("QV_CRASH_AT");
    static const long at = number ? std::strtol(number, nullptr, 10) : 0;
    static const char* when = std::getenv("QV_CRASH_WHEN");
    static const char* how = std::getenv("QV_CRASH_SIGNAL");
    if (!mine())
        return call();
    const bool due = ++count == at, after = when && std::strcmp(when, "after") == 0;
    const bool failing = how && std::strcmp(how, "FAIL") == 0;
    const int signal = how && std::strcmp(how, "TERM") == 0 ? SIGTERM : SIGKILL;
    if (due)
        mark();
    if (due && failing) {
        errno = EIO;
        return -1;
    }
    if (due && !after)
        kill(getpid(), signal);
    auto result = call();
    if (due && after && deferring)
        deferred = signal;
    else if (due && after)
        kill(getpid(), signal);
    return result;
}

// A file system without hard links refuses them before anything changes.
bool linksRefused()
{
    static const bool refused = std::getenv("QV_NO_LINK") != nullptr;
    if (refused)
        errno = EPERM;
    return refused;
}

}  // namespace

extern "C" {

// The program creates and truncates its files with openat alone (open
// serves it for directories; its library's own opens do not come here).
int openat(int dir, const char* path, int flags, ...)
{
    static auto f = real<int (*)(int, const char*, int, ...)>("openat");
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);  // NOLINT(clang-analyzer-valist.Uninitialized): va_start has just run
        va_end(ap);
    }
    auto call = [&] { return f(dir, path, flags, mode); };
    return (flags & (O_CREAT | O_TRUNC)) ? counted(call) : call();
}

int close(int fd)
{
    static auto f = real<int (*)(int)>("close");
    int flags = fcntl(fd, F_GETFL);
    struct stat st {};
    auto call = [&] { return f(fd); };
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return call();  // only the close of a file written is where a write can still fail
    // A close that fails has let the descriptor go all the same, as Linux's does.
    const int done = counted(call);
    if (done != 0 && errno == EIO && fcntl(fd, F_GETFD) >= 0)
        (void)f(fd), errno = EIO;
    return done;
}

// The arguments are a type and parameter lists, which parentheses would break.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define COUNTED(ret, name, params, args)                                                                               \
    ret name params                                                                                                    \
    {                                                                                                                  \
        static auto f = real<ret(*) params>(#name);                                                                    \
        return counted([&] { return f args; });                                                                        \
    }
// NOLINTEND(bugprone-macro-parentheses)

COUNTED(ssize_t, pwrite, (int fd, const void* b, size_t n, off_t o), (fd, b, n, o))
COUNTED(ssize_t, copy_file_range, (int a, off_t* b, int c, off_t* d, size_t e, unsigned f_), (a, b, c, d, e, f_))
COUNTED(int, fsync, (int fd), (fd))
COUNTED(int, ftruncate, (int fd, off_t n), (fd, n))
COUNTED(int, unlink, (const char* a), (a))
COUNTED(int, renameat, (int a, const char* b, int c, const char* d), (a, b, c, d))
COUNTED(int, unlinkat, (int a, const char* b, int c), (a, b, c))
COUNTED(int, chmod, (const char* a, mode_t m), (a, m))
COUNTED(int, fchmod, (int fd, mode_t m), (fd, m))

// An NFS client locks by byte ranges, and an exclusive one needs a
// descriptor open for writing.
int flock(int fd, int op)
{
    static auto f = real<int (*)(int, int)>("flock");
    static const bool needsWrite = std::getenv("QV_FLOCK_NEEDS_WRITE") != nullptr;
    if (needsWrite && mine() && (op & LOCK_EX) && (fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) {
        errno = EBADF;
        return -1;
    }
    return f(fd, op);
}

int linkat(int a, const char* b, int c, const char* d, int e)
{
    static auto f = real<int (*)(int, const char*, int, const char*, int)>("linkat");
    return linksRefused() ? -1 : counted([&] { return f(a, b, c, d, e); });
}

}  // extern "C"

// Every git the program starts is a point too: killed before git starts, or
// once the program has waited for it to end, or failed as a spawn that
// cannot be made.
extern "C" int posix_spawnp(pid_t* pid, const char* file, const posix_spawn_file_actions_t* actions,
                            const posix_spawnattr_t* attr, char* const argv[], char* const envp[])
{
    static auto f = real<int (*)(pid_t*, const char*, const posix_spawn_file_actions_t*, const posix_spawnattr_t*,
                                 char* const*, char* const*)>("posix_spawnp");
    int spawned = 0;
    deferring = true;
    const int failed = counted([&] {
        spawned = f(pid, file, actions, attr, argv, envp);
        return 0;
    });
    deferring = false;
    if (deferred && spawned == 0)
        dueChild = *pid;
    return failed != 0 ? EIO : spawned;
}

extern "C" pid_t waitpid(pid_t pid, int* status, int options)
{
    static auto f = real<pid_t (*)(pid_t, int*, int)>("waitpid");
    const pid_t ended = f(pid, status, options);
    if (dueChild != 0 && ended == dueChild)
        kill(getpid(), deferred);
    return ended;
}
