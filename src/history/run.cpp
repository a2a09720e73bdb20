#include "history/run.h"

#include "history/texts.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;  // NOLINT(readability-identifier-naming): POSIX's own name

namespace qv::history {

namespace {

GitRun runOnce(const std::vector<std::string>& args, const GitOptions& options, bool email);

constexpr std::size_t kOutLimit = std::size_t{16} << 20;  // far more than any catalogue's bytes
constexpr std::size_t kErrKept = 4096;

// A pipe whose ends close on every path.
struct Pipe {
    int fd[2] = {-1, -1};
    bool open() { return ::pipe2(fd, O_CLOEXEC) == 0; }
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

// The environment git runs in: ours, and what keeps it from waiting on a
// person at a screen that may not be there.
std::vector<std::string> environment(const std::vector<std::string>& extra)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    for (const char* set : {"GIT_EDITOR=true", "GIT_PAGER=cat", "GIT_MERGE_AUTOEDIT=no"})
        env.emplace_back(set);
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

// Reads both pipes to their ends, whichever speaks first.
void drain(Pipe& out, Pipe& err, GitRun& run, const GitOptions& options)
{
    char buf[65536];
    bool taking = true;
    pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
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
        std::ifstream in(name);
        bool user = false;
        for (std::string line; std::getline(in, line);) {
            line.erase(0, line.find_first_not_of(" \t"));
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

}  // namespace

std::string GitRun::why() const
{
    if (missing)
        return "git is not installed";
    // git's first words are the cause ("Host key verification failed.",
    // "'x' does not appear to be a git repository", a hook's own); what
    // follows is its general advice.
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty() || line.rfind("hint:", 0) == 0 || line.rfind("warning:", 0) == 0)
            continue;
        for (const char* noise : {"fatal: ", "error: "})
            if (line.rfind(noise, 0) == 0)
                line.erase(0, std::string_view(noise).size());
        return line;
    }
    return status < 0 ? "git could not be run" : "git ended with status " + std::to_string(status);
}

GitRun runGit(const std::vector<std::string>& args, const GitOptions& options)
{
    GitRun run = runOnce(args, options, false);
    // An identity git still could not make up: once more, with the program's.
    if (options.ownIdentity && !run.ok()
        && (run.err.find("user.email") != std::string::npos || run.err.find("user.name") != std::string::npos))
        run = runOnce(args, options, true);
    return run;
}

namespace {

GitRun runOnce(const std::vector<std::string>& args, const GitOptions& options, bool email)
{
    GitRun run;
    Pipe out, err;
    if (!options.passThrough && (!out.open() || !err.open()))
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
    if (!options.passThrough)
        drain(out, err, run, options);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

}  // namespace

}  // namespace qv::history
