// Preloaded into the program by the crash test: counts the calls that change
// the state of a file (creating opens, writes other than to the screen,
// syncs, renames, links, unlinks, mode changes) and sends itself a signal
// before or after the one numbered QV_CRASH_AT.
//   QV_CRASH_AT=N  QV_CRASH_WHEN=before|after  QV_CRASH_SIGNAL=KILL|TERM
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

long count = 0;

// Runs `call`, with the signal before or after it when its turn has come.
template <typename Call>
auto counted(Call call)
{
    static const long at = std::getenv("QV_CRASH_AT") ? std::atol(std::getenv("QV_CRASH_AT")) : 0;
    static const char* when = std::getenv("QV_CRASH_WHEN");
    static const char* sig = std::getenv("QV_CRASH_SIGNAL");
    const bool due = ++count == at;
    const int signal = sig && std::strcmp(sig, "TERM") == 0 ? SIGTERM : SIGKILL;
    const bool after = when && std::strcmp(when, "after") == 0;
    if (due && !after)
        kill(getpid(), signal);
    auto result = call();
    if (due && after)
        kill(getpid(), signal);
    return result;
}

template <typename F>
F real(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int openWith(const char* name, int dirfd, const char* path, int flags, mode_t mode)
{
    static auto openat_ = real<int (*)(int, const char*, int, ...)>(name);
    auto call = [&] { return openat_(dirfd, path, flags, mode); };
    return (flags & (O_CREAT | O_TRUNC)) ? counted(call) : call();
}

}  // namespace

#define MODE_ARG                          \
    mode_t mode = 0;                      \
    if (flags & (O_CREAT | O_TMPFILE)) {  \
        va_list ap;                       \
        va_start(ap, flags);              \
        mode = va_arg(ap, mode_t);        \
        va_end(ap);                       \
    }

extern "C" {

int open(const char* path, int flags, ...) { MODE_ARG return openWith("openat", AT_FDCWD, path, flags, mode); }
int open64(const char* path, int flags, ...) { MODE_ARG return openWith("openat", AT_FDCWD, path, flags, mode); }
int openat(int dirfd, const char* path, int flags, ...) { MODE_ARG return openWith("openat", dirfd, path, flags, mode); }
int openat64(int dirfd, const char* path, int flags, ...) { MODE_ARG return openWith("openat", dirfd, path, flags, mode); }

ssize_t write(int fd, const void* buf, size_t n)
{
    static auto f = real<ssize_t (*)(int, const void*, size_t)>("write");
    auto call = [&] { return f(fd, buf, n); };
    return fd > 2 ? counted(call) : call();
}

#define COUNTED(ret, name, params, args)                       \
    ret name params                                            \
    {                                                          \
        static auto f = real<ret(*) params>(#name);            \
        return counted([&] { return f args; });                \
    }

COUNTED(ssize_t, pwrite, (int fd, const void* b, size_t n, off_t o), (fd, b, n, o))
COUNTED(ssize_t, pwrite64, (int fd, const void* b, size_t n, off_t o), (fd, b, n, o))
COUNTED(ssize_t, copy_file_range, (int a, off_t* b, int c, off_t* d, size_t e, unsigned f_), (a, b, c, d, e, f_))
COUNTED(int, fsync, (int fd), (fd))
COUNTED(int, fdatasync, (int fd), (fd))
COUNTED(int, ftruncate, (int fd, off_t n), (fd, n))
COUNTED(int, rename, (const char* a, const char* b), (a, b))
COUNTED(int, renameat, (int a, const char* b, int c, const char* d), (a, b, c, d))
COUNTED(int, link, (const char* a, const char* b), (a, b))
COUNTED(int, linkat, (int a, const char* b, int c, const char* d, int e), (a, b, c, d, e))
COUNTED(int, unlink, (const char* a), (a))
COUNTED(int, unlinkat, (int a, const char* b, int c), (a, b, c))
COUNTED(int, chmod, (const char* a, mode_t m), (a, m))
COUNTED(int, fchmod, (int fd, mode_t m), (fd, m))

}  // extern "C"
