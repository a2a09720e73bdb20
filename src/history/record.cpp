// Recording each change in git, and setting a folder up for it.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "catalog/layout.h"
#include "file/lock.h"
#include "file/path.h"
#include "history/files.h"
#include "history/folder.h"
#include "history/history.h"
#include "history/key.h"
#include "history/merging.h"
#include "history/run.h"
#include "history/texts.h"
#include "history/tree.h"

namespace qv::history {

GitRun commitAs(const std::vector<std::string>& args, const std::vector<std::string>& env)
{
    // No housekeeping after the program's own commits: it would cost every
    // change a second git process. The fetch of each sync and the user's own
    // git still run it.
    std::vector<std::string> words{"-c", "maintenance.auto=false", "commit"};
    words.insert(words.end(), args.begin(), args.end());
    GitOptions options;
    options.ownIdentity = true;
    options.env = env;
    return runGit(words, options);
}

namespace {

class GitRecorder final : public Recorder {
public:
    Fault record(const Done& done) override
    {
        // A run that finds no repository at its first change looks no
        // further: a menu session without history pays no look a change.
        if (none_ || !inRepository()) {
            none_ = true;
            return {};
        }
        if (done.kind == Done::Sync)
            return recordSync();
        if (linkedHere())
            return notRecorded(std::string(text::kLinked));
        // A sync's merge still to be committed goes first, as it came first.
        if (Refused r = finishMerge())
            return notRecorded(r.detail);
        const GitRun run = commitAs({"--quiet", "--allow-empty", "-m", messageOf(done), "--", kDataFile});
        if (run.ok())
            return {};
        // A repository that does not keep the catalogue: nothing to record.
        if (!run.missing && !runGit({"ls-files", "--error-unmatch", "--", kDataFile}).ok())
            return {};
        return notRecorded(run.why());
    }

private:
    bool none_ = false;
};

// Writes `text` as the file `name`, where there is none.
void writeNew(const char* name, std::string_view text)
{
    if (::access(name, F_OK) != 0)
        writeText(name, text);
}

// The driver's command for git's config, which expands %A, %O and %B in it:
// a % of the program's own path is written %%.
std::string escapedPercent(const std::string& command)
{
    std::string out;
    for (char c : command)
        out += c == '%' ? std::string("%%") : std::string(1, c);
    return out;
}

// The attributes of velk.dat where nothing in the folder can undo them: git
// reads .git/info/attributes above any .gitattributes a remote brings. An
// encrypted history's own replace a plain one's, never the other way: a
// folder whose key went missing keeps its filter, and git stores nothing
// of velk.dat until the key is back. Whether they name the filter.
bool writeAttributes()
{
    (void)::mkdir(".git/info", 0777);
    const bool sealing = encrypted();
    const std::string_view wanted = sealing ? text::kKeptSealed : text::kKeptAttributes;
    std::string had = readText(".git/info/attributes");
    if (had.find(wanted) != std::string::npos || (!sealing && had.find(text::kKeptSealed) != std::string::npos))
        return sealing || had.find(text::kKeptSealed) != std::string::npos;
    if (const std::size_t at = had.find(sealing ? text::kKeptAttributes : text::kKeptSealed); at != std::string::npos)
        had.erase(at, (sealing ? text::kKeptAttributes : text::kKeptSealed).size());
    if (!had.empty() && had.back() != '\n')
        had += '\n';
    writeText(".git/info/attributes", had.append(wanted));
    return sealing;
}

}  // namespace

bool linkedHere()
{
    struct stat st {};
    return ::lstat(kDataFile, &st) == 0 && S_ISLNK(st.st_mode);
}

Fault notRecorded(const std::string& why)
{
    Fault f = fault(Fault::NotRecorded);
    f.detail = why;
    return f;
}

bool inRepository() { return ::access(".git", F_OK) == 0; }

bool keptAsLink()
{
    if (!inRepository())
        return false;
    const GitRun run = runGit({"ls-files", "--stage", "--", kDataFile});
    return run.out.starts_with("120000 ");
}

bool missingButKept()
{
    struct stat st {};
    return ::lstat(kDataFile, &st) != 0 && errno == ENOENT && inRepository()
        && runGit({"ls-files", "--error-unmatch", "--", kDataFile}).ok();
}

Recorder& recorder()
{
    static GitRecorder git;  // the run's one recorder
    return git;
}

Refused configure()
{
    const bool filtered = writeAttributes();
    const std::string program = programForGit();
    // core.symlinks=false: git never makes a link in the folder, whatever a
    // remote's tree holds; pull.rebase=false: a plain `git pull` merges, by
    // the driver. Read in one go and written only where they differ, so
    // that a sync seldom writes the config beside another git.
    const GitRun had = runGit(
        {"config", "--local", "--get-regexp", R"(^(core\.symlinks|pull\.rebase|(merge|diff|filter)\.quorvane\..*)$)"});
    std::vector<std::pair<std::string, std::string>> wanted{
        {"core.symlinks", "false"},
        {"pull.rebase", "false"},
        {"merge.quorvane.name", std::string(text::kDriverName)},
        {"merge.quorvane.driver", escapedPercent(program) + " merge-driver %O %A %B"},
        {"diff.quorvane.textconv", program + " textconv"}};
    // An encrypted history's filter: velk.dat sealed as git stores it, opened
    // as git writes it out, and never stored plain where the filter fails
    // (nor where the key went missing: the filter fails without it).
    if (filtered)
        wanted.insert(wanted.end(),
                      {{"filter.quorvane.clean", program + " encrypt"},
                       {"filter.quorvane.smudge", program + " decrypt"},
                       // one process for a whole git command, which a commit's
                       // two looks at velk.dat share
                       {"filter.quorvane.process", "exec " + program + " filter-process"},
                       {"filter.quorvane.required", "true"}});
    for (const auto& [key, value] : wanted)
        if (had.out.find(std::string(key).append(" ").append(value).append("\n")) == std::string::npos)
            if (const GitRun run = runGit({"config", key, value}); !run.ok())
                return failed(run);
    return {};
}

Refused setUp()
{
    writeNew(".gitignore", text::kIgnore);
    writeNew(".gitattributes", encrypted() ? text::kAttributesSealed : text::kAttributes);
    if (Refused r = configure())
        return r;
    if (runGit({"rev-parse", "--verify", "--quiet", "HEAD"}).ok())
        return {};
    return startHistory();
}

Refused startHistory()
{
    if (::access(kDataFile, F_OK) != 0)
        if (const Outcome created = createData(); !created.made())
            return {Refusal::None, {}, created.fault()};
    if (linkedHere())
        return {Refusal::Linked, std::string(text::kLinked), {}};
    if (const GitRun run = runGit({"add", "--", kDataFile, ".gitignore", ".gitattributes"}); !run.ok())
        return failed(run);
    if (const GitRun run = commitAs(
            {"--quiet", "-m", std::string(text::kFirstCommit), "--", kDataFile, ".gitignore", ".gitattributes"});
        !run.ok())
        return failed(run);
    return {};
}

int runGitCommand(std::vector<std::string> args, Refused& refused, int& plain)
{
    // `init --encrypt` is git's init and then the program's encryption.
    const auto encrypt = std::find(args.begin(), args.end(), "--encrypt");
    const bool encrypting = !args.empty() && args.front() == "init" && encrypt != args.end();
    if (encrypting)
        args.erase(encrypt);
    plain = 0;
    Lock lock(kDataFile);  // git never runs in the folder beside a change
    if (lock.failure()) {
        refused.fault = lock.failure();
        return 1;
    }
    // A pull or a merge by hand merges velk.dat by the driver as set up
    // now: this program where it is, and pull.rebase=false where a set-up
    // before it wrote none.
    if (!args.empty() && (args.front() == "pull" || args.front() == "merge") && inRepository())
        if ((refused = configure()))
            return 1;
    GitOptions options;
    options.passThrough = true;
    options.ownIdentity = true;  // a pull or a merge by hand commits as the program's own commits do
    struct stat had {};
    const bool kept = ::lstat(kDataFile, &had) == 0 && S_ISREG(had.st_mode);
    const GitRun run = runGit(args, options);
    // A checkout that failed halfway (a pull whose velk.dat the filter
    // could not open) has removed the file git was about to replace: the
    // catalogue the index still holds is put back.
    if (!run.ok() && kept && ::access(kDataFile, F_OK) != 0 && errno == ENOENT
        && runGit({"ls-files", "--error-unmatch", "--", kDataFile}).ok())
        (void)runGit({"checkout", "--", kDataFile});
    // git writes a file it merges or checks out anew, under the umask: velk.dat
    // keeps the permission bits it had (a private catalogue stays private).
    if (const int fd = kept ? ::open(kDataFile, O_RDONLY | O_NOFOLLOW | O_CLOEXEC) : -1; fd >= 0) {
        struct stat now {};
        if (::fstat(fd, &now) == 0 && S_ISREG(now.st_mode) && (now.st_mode & 07777) != (had.st_mode & 07777))
            (void)::fchmod(fd, had.st_mode & 07777);
        (void)::close(fd);
    }
    if (run.missing) {
        refused = failed(run);
        return 1;
    }
    if (run.ok() && !args.empty() && args.front() == "init")
        refused = encrypting ? encryptHistory(plain) : setUp();
    return refused ? 1 : run.status;
}

}  // namespace qv::history
