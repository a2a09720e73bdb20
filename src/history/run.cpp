#include "history/run.h"

#include "history/files.h"
#include "history/texts.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;  // NOLINT(readability-identifier-naming): POSIX's own name

namespace qv::history {

namespace {

constexpr std::size_t kOutLimit = std::size_t{16} << 20;  // far more than any catalogue's bytes
constexpr std::size_t kErrKept = 4096;

// A pipe whose ends close on every path.
struct Pipe {
    int fd[2] = {-1, -1};
    bool open() { return ::pipe2(fd, O_CLOEXEC) == 0; }
    // A socket pair, so that writing to a git that has gone away fails
    // with EPIPE instead of raising SIGPIPE here.
    bool openSocket() { return ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fd) == 0; }
    void close(int end)
    {
        if (fd[end] >= 0)
            ::close(fd[end]);
        fd[end] = -1;
    }
    Pipe() = default;
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe() { close(0), close(1); }
};

// The variables by which git finds a repository other than the folder's
// (as `git rev-parse --local-env-vars` lists them): a hook or a dotfiles
// set-up may have exported them, and the catalogue's folder alone decides.
constexpr std::string_view kElsewhere[] = {
    "GIT_ALTERNATE_OBJECT_DIRECTORIES",
    "GIT_CONFIG",
    "GIT_CONFIG_PARAMETERS",
    "GIT_CONFIG_COUNT",
    "GIT_OBJECT_DIRECTORY",
    "GIT_DIR",
    "GIT_WORK_TREE",
    "GIT_IMPLICIT_WORK_TREE",
    "GIT_GRAFT_FILE",
    "GIT_INDEX_FILE",
    "GIT_NO_REPLACE_OBJECTS",
    "GIT_REPLACE_REF_BASE",
    "GIT_PREFIX",
    "GIT_SHALLOW_FILE",
    "GIT_INTERNAL_SUPER_PREFIX",
    "GIT_COMMON_DIR",
    // Beyond that list: where refs are kept, and how far git looks up.
    "GIT_NAMESPACE",
    "GIT_CEILING_DIRECTORIES",
    "GIT_DISCOVERY_ACROSS_FILESYSTEM",
};

bool elsewhere(std::string_view entry)
{
    const std::string_view name = entry.substr(0, entry.find('='));
    for (std::string_view var : kElsewhere)
        if (name == var)
            return true;
    return false;
}

// The environment git runs in: ours, less what would point it at another
// repository, and what keeps it from waiting on a person at a screen that
// may not be there.
std::vector<std::string> environment(const std::vector<std::string>& extra)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (!elsewhere(*e))
            env.emplace_back(*e);
    for (const char* set : {"GIT_EDITOR=true", "GIT_PAGER=cat", "GIT_MERGE_AUTOEDIT=no"})
        env.emplace_back(set);
    // Nor a repository above the folder: git looks in the folder alone
    // (the folder of now: a clone moves into the one it makes).
    char here[4096];
    const std::string path = ::getcwd(here, sizeof here) ? here : "";
    if (const std::string above = path.substr(0, std::max<std::size_t>(path.rfind('/'), 1)); !above.empty())
        env.push_back("GIT_CEILING_DIRECTORIES=" + above);
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

// Reads both pipes to their ends, whichever speaks first, and gives git its
// input as it takes it.
void drain(Pipe& out, Pipe& err, Pipe& in, GitRun& run, const GitOptions& options)
{
    char buf[65536];
    bool taking = true;
    std::string_view input = options.input;
    pollfd fds[3] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}, {in.fd[1], POLLOUT, 0}};
    if (input.empty())
        in.close(1), fds[2].fd = -1;
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[2].fd >= 0 && fds[2].revents != 0) {  // the socket's end git reads is its fd[0]
            const ssize_t n = (fds[2].revents & POLLOUT)
                ? ::send(fds[2].fd, input.data(), input.size(), MSG_DONTWAIT | MSG_NOSIGNAL)
                : -1;
            if (n > 0)
                input.remove_prefix(static_cast<std::size_t>(n));
            if ((n < 0 && errno != EINTR && errno != EAGAIN) || input.empty())
                in.close(1), fds[2].fd = -1;  // all given, or git stopped taking it
        }
        for (int k = 0; k < 2; ++k) {
            if (fds[k].fd < 0 || fds[k].revents == 0)
                continue;
            const ssize_t n = ::read(fds[k].fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                fds[k].fd = -1;
                continue;
            }
            const std::string_view part(buf, static_cast<std::size_t>(n));
            if (k == 1) {
                run.err.append(part);
                if (run.err.size() > kErrKept)
                    run.err.erase(0, run.err.size() - kErrKept);
            } else if (options.sink) {
                taking = taking && options.sink(part);
            } else if (run.out.size() < kOutLimit) {
                run.out.append(part.substr(0, kOutLimit - run.out.size()));
            }
        }
    }
}

// Whether one of git's configuration files gives `user.name`.
bool nameConfigured()
{
    const char* home = std::getenv("HOME");
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* global = std::getenv("GIT_CONFIG_GLOBAL");
    const std::string files[] = {
        global ? global : "",
        home ? std::string(home) + "/.gitconfig" : "",
        xdg        ? std::string(xdg) + "/git/config"
            : home ? std::string(home) + "/.config/git/config"
                   : "",
        "/etc/gitconfig",
        ".git/config",
    };
    for (const std::string& name : files) {
        const std::string text = readText(name.c_str());
        bool user = false;
        for (std::string_view line : linesOf(text)) {
            line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
            if (line.starts_with("["))
                user = line.starts_with("[user]");
            else if (user && line.starts_with("name"))
                return true;
        }
    }
    return std::getenv("GIT_AUTHOR_NAME") && std::getenv("GIT_COMMITTER_NAME");
}

// The words and environment of the program's own commits and merges:
// git's order puts the user's configuration above EMAIL, so that the
// fallback only fills a gap; the name, which has no such place, is given
// where the user's files name nobody.
void addIdentity(std::vector<std::string>& words, std::vector<std::string>& env, bool email)
{
    static const bool named = nameConfigured();
    if (!named)
        words.insert(words.begin() + 1, {"-c", "user.name=" + std::string(text::kFallbackName)});
    if (email)
        words.insert(words.begin() + 1, {"-c", "user.email=" + std::string(text::kFallbackEmail)});
    else if (!std::getenv("EMAIL"))
        env.push_back("EMAIL=" + std::string(text::kFallbackEmail));
}

GitRun runOnce(const std::vector<std::string>& args, const GitOptions& options, bool email)
{
    GitRun run;
    Pipe out, err, in;
    if (!options.passThrough && (!out.open() || !err.open() || !in.openSocket()))
        return run;
    std::vector<std::string> words{"git"}, env = environment(options.env);
    words.insert(words.end(), args.begin(), args.end());
    if (options.ownIdentity)
        addIdentity(words, env, email);
    std::vector<char*> argv, envp;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    if (!options.passThrough) {
        // Its input is what it is given, never the user's answers to the menu.
        posix_spawn_file_actions_adddup2(&actions, in.fd[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out.fd[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err.fd[1], STDERR_FILENO);
    }
    // git ends as it would on its own when a reader goes away.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "git", &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (spawned != 0) {
        run.missing = spawned == ENOENT;
        return run;
    }
    out.close(1);
    err.close(1);
    in.close(0);
    if (!options.passThrough)
        drain(out, err, in, run, options);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

}  // namespace

std::string GitRun::why() const
{
    if (missing)
        return "git is not installed";
    // A lock file a killed git left: the file to remove, not git's story.
    for (const char* lock : {"index.lock", "config.lock", "HEAD.lock"})
        if (err.find(std::string(lock) + "': File exists") != std::string::npos
            || (std::string_view(lock) == "config.lock" && err.find("could not lock config file") != std::string::npos))
            return std::string(text::kRemoveLock) + lock + std::string(text::kIfNoGit);
    // git's first words are the cause ("Host key verification failed.",
    // "'x' does not appear to be a git repository", a hook's own); what
    // follows is its general advice.
    for (std::string_view line : linesOf(err)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.remove_suffix(1);
        if (line.empty() || line.starts_with("hint:") || line.starts_with("warning:"))
            continue;
        for (const std::string_view noise : {"fatal: ", "error: "})
            if (line.starts_with(noise))
                line.remove_prefix(noise.size());
        return std::string(line);
    }
    return status < 0 ? "git could not be run" : "git ended with status " + std::to_string(status);
}

GitRun runGit(const std::vector<std::string>& args, const GitOptions& options)
{
    GitRun run = runOnce(args, options, false);
    // An identity git still could not make up: once more, with the program's
    // (never a command whose output the user has already seen).
    if (options.ownIdentity && !options.passThrough && !run.ok()
        && (run.err.find("user.email") != std::string::npos || run.err.find("user.name") != std::string::npos))
        run = runOnce(args, options, true);
    return run;
}

GitOptions network()
{
    GitOptions options;
    if (!std::getenv("GIT_SSH_COMMAND") && !std::getenv("GIT_SSH")
        && !runGit({"config", "--get", "core.sshCommand"}).ok())
        options.env.push_back("GIT_SSH_COMMAND=" + std::string(text::kSshCommand));
    return options;
}

}  // namespace qv::history
