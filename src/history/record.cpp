// Recording each change in git, and setting a folder up for it.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <unistd.h>

#include "catalog/layout.h"
#include "file/lock.h"
#include "file/path.h"
#include "history/history.h"
#include "history/run.h"
#include "history/texts.h"

namespace qv::history {

namespace {

// A text in a commit message: a control character would reach the terminal
// of whoever reads the log.
std::string plain(std::string_view text)
{
    std::string out;
    for (char c : text)
        out += (c >= 0 && c < 0x20) || c == 0x7f ? '?' : c;
    return out;
}

std::string codesOf(const std::vector<int>& codes)
{
    std::string out;
    for (int code : codes) {
        if (!out.empty())
            out += ' ';
        out += twoDigits(code);
    }
    return out;
}

}  // namespace

GitRun commitAs(const std::vector<std::string>& args)
{
    // No housekeeping after the program's own commits: it would cost every
    // change a second git process. The fetch of each sync and the user's own
    // git still run it.
    std::vector<std::string> words{"-c", "maintenance.auto=false", "commit"};
    words.insert(words.end(), args.begin(), args.end());
    GitOptions options;
    options.ownIdentity = true;
    return runGit(words, options);
}

namespace {

class GitRecorder final : public Recorder {
public:
    Fault record(const Done& done) override
    {
        if (!inRepository())
            return {};
        const GitRun run = commitAs({"--quiet", "--allow-empty", "-m", messageOf(done), "--", kDataFile});
        if (run.ok())
            return {};
        // A repository that does not keep the catalogue: nothing to record.
        if (!run.missing && !runGit({"ls-files", "--error-unmatch", "--", kDataFile}).ok())
            return {};
        Fault f = fault(Fault::NotRecorded);
        f.detail = run.why();
        return f;
    }
};

// A text for the shell that git runs a driver through.
std::string quoted(const std::string& word)
{
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// This program, for git to run: the very file running now, installed or in
// its build folder.
std::string self()
{
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "quorvane";
}

// Writes `text` as the file `name`, where there is none.
void writeNew(const char* name, std::string_view text)
{
    if (::access(name, F_OK) == 0)
        return;
    std::ofstream out(name);
    out << text;
}

Refused failed(const GitRun& run) { return {run.missing ? Refusal::NoGit : Refusal::Git, run.why(), {}}; }

}  // namespace

bool inRepository() { return ::access(".git", F_OK) == 0; }

Recorder& recorder()
{
    static GitRecorder git;  // the run's one recorder
    return git;
}

std::string messageOf(const Done& done)
{
    const std::string names = done.names.empty() ? "" : " " + plain(done.names.front());
    const std::string many = done.records == 1 ? " record" : " records";
    switch (done.kind) {
    case Done::Add: return "Add " + codesOf(done.codes) + names;
    case Done::Import:
        return "Import " + std::to_string(done.codes.size()) + (done.codes.size() == 1 ? " record" : " records");
    case Done::Edit:
        return "Edit " + codesOf(done.codes) + (done.names.empty() ? "" : " name:" + names)
            + (done.serial ? (done.names.empty() ? " serial" : ", serial") : "");
    case Done::Delete: return "Delete " + codesOf(done.codes);
    case Done::Load:
        return "Load " + plain(done.source) + ": "
            + (done.records < 0 ? std::string(text::kNotSound) : std::to_string(done.records) + many);
    case Done::Recover: return std::string(text::kRecover);
    case Done::Restore: return "Restore " + plain(done.source);
    case Done::Merge:
        return "Merge " + plain(done.source) + ": " + std::to_string(done.added) + " added, "
            + std::to_string(done.removed) + " removed"
            + (done.both ? ", " + std::to_string(done.both) + " kept in both versions" : "");
    }
    return {};
}

Refused setUp()
{
    writeNew(".gitignore", text::kIgnore);
    writeNew(".gitattributes", text::kAttributes);
    const std::string program = quoted(self());
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"merge.quorvane.name", text::kDriverName},
                                     {"merge.quorvane.driver", program + " merge-driver %O %A %B"},
                                     {"diff.quorvane.textconv", program + " textconv"}})
        if (const GitRun run = runGit({"config", key, value}); !run.ok())
            return failed(run);
    if (runGit({"rev-parse", "--verify", "--quiet", "HEAD"}).ok())
        return {};
    if (::access(kDataFile, F_OK) != 0)
        if (const Outcome created = createData(); !created.made())
            return {Refusal::None, {}, created.fault()};
    if (const GitRun run = runGit({"add", "--", kDataFile, ".gitignore", ".gitattributes"}); !run.ok())
        return failed(run);
    if (const GitRun run = commitAs({"--quiet", "-m", std::string(text::kFirstCommit)}); !run.ok())
        return failed(run);
    return {};
}

int runGitCommand(const std::vector<std::string>& args, Refused& refused)
{
    Lock lock(kDataFile);  // git never runs in the folder beside a change
    if (lock.failure()) {
        refused.fault = lock.failure();
        return 1;
    }
    GitOptions options;
    options.passThrough = true;
    const GitRun run = runGit(args, options);
    if (run.missing) {
        refused = failed(run);
        return 1;
    }
    if (run.ok() && !args.empty() && args.front() == "init")
        refused = setUp();
    return refused ? 1 : run.status;
}

}  // namespace qv::history
