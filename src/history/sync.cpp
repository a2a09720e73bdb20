// The history read back (the log, a restore) and the sync with a remote.
#include <cerrno>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "catalog/layout.h"
#include "catalog/merge.h"
#include "file/lock.h"
#include "history/history.h"
#include "history/run.h"
#include "history/texts.h"

namespace qv::history {

namespace {

std::string firstLine(const std::string& out) { return out.substr(0, out.find('\n')); }

Refused failed(const GitRun& run) { return {run.missing ? Refusal::NoGit : Refusal::Git, run.why(), {}}; }

// velk.dat as `revision` holds it; an empty catalogue where it holds none.
std::string dataAt(const std::string& revision)
{
    GitRun run = runGit({"show", revision + ":" + kDataFile});
    return run.ok() ? std::move(run.out) : headerLine(0) + "\n";
}

// The remote and its branch that the current branch follows: its upstream,
// or else the same branch at origin.
Refused upstream(std::string& remote, std::string& ref)
{
    const GitRun head = runGit({"symbolic-ref", "--quiet", "--short", "HEAD"});
    if (head.status == 1)
        return {Refusal::NoBranch, {}, {}};  // a detached HEAD: no branch to follow
    if (!head.ok())
        return failed(head);
    const std::string branch = firstLine(head.out);
    const GitRun up =
        runGit({"for-each-ref", "--format=%(upstream:remotename) %(upstream:remoteref)", "refs/heads/" + branch});
    const std::string line = firstLine(up.out);
    remote = line.substr(0, line.find(' '));
    ref = line.find(' ') == std::string::npos ? "" : line.substr(line.find(' ') + 1);
    if (remote.empty())
        remote = "origin", ref = "refs/heads/" + branch;
    if (!runGit({"config", "--get", "remote." + remote + ".url"}).ok())
        return {Refusal::NoRemote, remote, {}};
    return {};
}

// The catalogue as it stands, as bytes.
std::string dataNow()
{
    std::ifstream in(kDataFile, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Brings in the commit `theirs`, under the lock: the remote's catalogue
// taken as it is where this one has not moved since, merged record by
// record otherwise. velk.dat changes through the commit step alone.
Refused bringIn(const std::string& remote, const std::string& ref, const std::string& theirs, Synced& synced)
{
    if (::access(".git/MERGE_HEAD", F_OK) == 0)
        (void)runGit({"merge", "--quit"});  // a sync killed halfway: its merge is made again
    const GitRun head = runGit({"rev-parse", "--verify", "--quiet", "HEAD"});
    if (!head.ok())
        return {Refusal::NoRepository, {}, {}};
    const std::string ours = dataNow(), headId = firstLine(head.out);
    const GitRun base = runGit({"merge-base", headId, theirs});
    const std::string baseId = base.ok() ? firstLine(base.out) : "";
    if (baseId == theirs)
        return {};  // nothing came in
    const std::string theirsData = dataAt(theirs);
    const bool forward = baseId == headId && dataAt(headId) == ours;
    Merged merged;
    // A side that is not sound named as git names it: origin/main:velk.dat.
    const std::string branch = ref.rfind("refs/heads/", 0) == 0 ? ref.substr(11) : ref;
    const std::string theirsName = remote + "/" + branch + ":" + kDataFile;
    const std::string baseData = forward ? ours : baseId.empty() ? "" : dataAt(baseId);
    const std::string baseName = forward ? kDataFile : baseId.substr(0, 7) + ":" + kDataFile;
    if (Fault f = mergeFiles(baseData, ours, theirsData, merged, {baseName, kDataFile, theirsName}))
        return {Refusal::None, {}, f};
    synced.added = merged.added, synced.removed = merged.removed, synced.both = merged.both;
    synced.merged = true;
    if (forward) {
        // The remote's file itself, then the branch moved to it; git writes
        // the other files, never velk.dat.
        const Outcome taken = replaceData(theirsData, nullptr);
        if (!taken.made())
            return {Refusal::None, {}, taken.fault()};
        synced.after = taken.fault();
        if (const GitRun run = runGit({"reset", "--quiet", theirs}); !run.ok())
            return failed(run);
        (void)runGit({"checkout", "--quiet", "--", ".", ":(exclude)" + std::string(kDataFile)});
        return {};
    }
    GitOptions own;
    own.ownIdentity = true;
    if (const GitRun run = runGit(
            {"merge", "--quiet", "--no-commit", "--no-ff", "--allow-unrelated-histories", "-s", "ours", theirs}, own);
        !run.ok())
        return failed(run);
    const Outcome made = replaceData(catalogueOf(merged.records), nullptr);
    if (!made.made())
        return {Refusal::None, {}, made.fault()};
    synced.after = made.fault();
    std::string message = std::string(text::kSync) + remote + ": " + std::to_string(merged.added) + " added, "
        + std::to_string(merged.removed) + " removed";
    if (const GitRun run = commitAs({"--quiet", "-a", "-m", message}); !run.ok())
        return failed(run);
    return {};
}

}  // namespace

Refused log(int count, std::vector<Entry>& entries)
{
    // A change never before the one it follows, even within one second.
    std::vector<std::string> args{"log", "--date-order", "--format=%h%x1f%aI%x1f%s"};
    if (count > 0)
        args.push_back("-n" + std::to_string(count));
    args.insert(args.end(), {"--", kDataFile});
    const GitRun run = runGit(args);
    if (!run.ok() && !run.missing && !inRepository())
        return {Refusal::NoRepository, {}, {}};
    if (!run.ok() && !run.missing && !runGit({"rev-parse", "--verify", "--quiet", "HEAD"}).ok())
        return {};  // a repository without a commit yet: nothing recorded
    if (!run.ok())
        return failed(run);
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t a = line.find('\x1f'), b = line.find('\x1f', a + 1);
        if (b != std::string::npos)
            entries.push_back({line.substr(0, a), line.substr(a + 1, b - a - 1), line.substr(b + 1)});
    }
    return {};
}

Outcome restore(const std::string& revision, Refused& refused)
{
    const GitRun id = runGit({"rev-parse", "--short", "--verify", "--quiet", revision + "^{commit}"});
    const GitRun data = id.ok() ? runGit({"show", firstLine(id.out) + ":" + kDataFile}) : GitRun{};
    if (!id.ok() || !data.ok()) {
        refused = id.missing  ? failed(id)
            : !inRepository() ? Refused{Refusal::NoRepository, {}, {}}
                              : Refused{Refusal::NoRevision, revision, {}};
        return fault(Fault::NoSource, revision);
    }
    Done done(Done::Restore);
    done.source = firstLine(id.out);
    std::vector<Record> records;
    if (readRecords(data.out, records))  // that velk.dat, not this one
        return fault(Fault::NotSound, done.source + ":" + kDataFile);
    return replaceData(data.out, &done);
}

Refused sync(Synced& synced)
{
    if (!inRepository())
        return {runGit({"--version"}).missing ? Refusal::NoGit : Refusal::NoRepository, {}, {}};
    if (holdsConflictMarkers())
        return {Refusal::Conflicted, {}, {}};
    {
        // Set up as `git init` sets up, the first commit included: a clone
        // of a remote that was still empty has none, and nothing to push.
        Lock lock(kDataFile);
        if (lock.failure())
            return {Refusal::None, {}, lock.failure()};
        if (Refused r = setUp())
            return r;
        // A change whose recording failed goes out all the same: committed
        // first, as the next recorded change would have. A catalogue that is
        // not sound is refused before anything is recorded.
        std::vector<Record> records;
        if (::access(kDataFile, F_OK) != 0)
            return {Refusal::None, {}, ioError(IoError::Open, kDataFile, errno)};
        if (readRecords(dataNow(), records))
            return {Refusal::None, {}, fault(Fault::Damaged, kDataFile)};
        if (runGit({"diff", "--quiet", "HEAD", "--", kDataFile}).status == 1)
            if (const GitRun run = commitAs({"--quiet", "-m", std::string(text::kAsItStands), "--", kDataFile});
                !run.ok())
                return failed(run);
    }
    std::string ref;
    if (Refused r = upstream(synced.remote, ref))
        return r;
    // Fetched outside the lock: the network may take its time.
    std::string theirs;
    const GitRun fetched = runGit({"fetch", "--quiet", synced.remote, ref});
    if (fetched.ok())
        theirs = firstLine(runGit({"rev-parse", "FETCH_HEAD"}).out);
    else if (runGit({"ls-remote", "--exit-code", synced.remote, ref}).status != 2)
        return failed(fetched);  // not a branch the remote lacks yet: the network, or the remote
    {
        Lock lock(kDataFile);
        if (lock.failure())
            return {Refusal::None, {}, lock.failure()};
        if (!theirs.empty())
            if (Refused r = bringIn(synced.remote, ref, theirs, synced))
                return r;
    }
    if (!theirs.empty() && runGit({"merge-base", "--is-ancestor", "HEAD", theirs}).ok())
        return {};  // nothing to send
    const GitRun pushed = runGit({"push", "--quiet", "--set-upstream", synced.remote, "HEAD:" + ref});
    if (!pushed.ok())
        return {Refusal::Pushed, pushed.why(), {}};
    synced.pushed = true;
    return {};
}

}  // namespace qv::history
