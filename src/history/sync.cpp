// The sync with a remote: the remote's branch fetched, the commit that came
// in merged record by record by id, velk.dat written through the catalogue's
// commit step alone, the result recorded and pushed.
#include <cerrno>

#include <unistd.h>

#include "catalog/layout.h"
#include "catalog/merge.h"
#include "file/lock.h"
#include "history/files.h"
#include "history/history.h"
#include "history/key.h"
#include "history/merging.h"
#include "history/run.h"
#include "history/texts.h"
#include "history/tree.h"

namespace qv::history {

namespace {

bool exists(const char* path) { return ::access(path, F_OK) == 0; }

// The catalogue as it stands, as bytes.
std::string dataNow() { return readText(kDataFile); }

// The remote and its branch that the current branch follows: its upstream,
// or else the same branch at origin (`tracked` false).
Refused upstream(std::string& remote, std::string& ref, bool& tracked)
{
    const GitRun head = runGit({"symbolic-ref", "--quiet", "--short", "HEAD"});
    if (head.status == 1)
        return {Refusal::NoBranch, {}, {}};  // a detached HEAD: no branch to follow
    if (!head.ok())
        return failed(head);
    const std::string branch = firstLine(head.out);
    if (const std::string lock = ".git/refs/heads/" + branch + ".lock"; exists(lock.c_str()))
        return {Refusal::Git, std::string(text::kRemoveLock) + lock.substr(5) + std::string(text::kIfNoGit), {}};
    const GitRun up =
        runGit({"for-each-ref", "--format=%(upstream:remotename) %(upstream:remoteref)", "refs/heads/" + branch});
    if (!up.ok())
        return failed(up);
    const std::string line = firstLine(up.out);
    remote = line.substr(0, line.find(' '));
    ref = line.find(' ') == std::string::npos ? "" : line.substr(line.find(' ') + 1);
    tracked = !remote.empty();
    if (!tracked)
        remote = "origin", ref = "refs/heads/" + branch;
    if (!runGit({"config", "--get", "remote." + remote + ".url"}).ok())
        return {Refusal::NoRemote, remote, {}};
    return {};
}

// The remote-tracking ref the sync fetches into: a fetch updates it at
// once, so whatever it holds is a commit of that branch.
std::string trackingRef(const std::string& remote, const std::string& ref)
{
    return "refs/remotes/" + remote + "/" + (ref.starts_with("refs/heads/") ? ref.substr(11) : ref);
}

// Brings in the commit `theirs`, under the lock: the remote's catalogue
// taken as it is where this one has not moved since, merged record by
// record otherwise; the git steps that can fail made before velk.dat is.
Refused bringIn(const std::string& remote, const std::string& theirs, const std::string& theirsName, Synced& synced)
{
    const GitRun head = runGit({"rev-parse", "--verify", "--quiet", "HEAD^{commit}"});
    if (!head.ok())
        return failed(head);
    const std::string headId = firstLine(head.out);
    std::string baseId;
    if (Refused r = mergeBase(headId, theirs, baseId))
        return r;
    if (baseId == theirs) {
        // Nothing came in; the remote's catalogue still opens with this
        // folder's key, or what goes out would be sealed under another.
        std::string plain;
        bool present = false;
        return encrypted() ? dataAt(theirs, theirsName, plain, present) : Refused{};
    }
    std::vector<Item> items;
    if (Refused r = itemsAt(theirs, items))
        return r;
    for (const Item& item : items)
        if (ownName(item.name))
            return {Refusal::OwnName, theirsName.substr(0, theirsName.rfind(':') + 1) + item.name, {}};
    std::string theirsData, headData, baseData, theirsStored, sealedTheirs;
    bool inTheirs = false, inHead = false, inBase = false;
    if (Refused r = dataAt(theirs, theirsName, theirsData, inTheirs, &theirsStored))
        return r;
    if (Refused r = dataAt(headId, "HEAD:" + std::string(kDataFile), headData, inHead))
        return r;
    const std::string baseName = baseId.substr(0, 7) + ":" + kDataFile;
    if (!baseId.empty())
        if (Refused r = dataAt(baseId, baseName, baseData, inBase))
            return r;
    if (inBase && !inTheirs)
        return {Refusal::Deleted, theirsName, {}};  // never taken as an emptied catalogue
    const std::string ours = dataNow();
    // Taken as it is only where git would keep this very blob of it: a
    // remote's plain one comes in as a merge, sealed here.
    if (Fault f = toStored(theirsData, sealedTheirs))
        return {Refusal::None, {}, f};
    const bool forward = baseId == headId && headData == ours && sealedTheirs == theirsStored;
    Merged merged;
    if (Fault f = mergeFiles(baseId.empty() ? "" : baseData, ours, theirsData, merged,
                             {forward ? kDataFile : baseName, kDataFile, theirsName}))
        return {Refusal::None, {}, f};
    Bringing bringing{forward, headId, theirs, {}, {}, {}};
    const std::string bytes = forward ? theirsData : catalogueOf(merged.records);
    if (!forward)
        if (Refused r = mergedTree(headId, theirs, bytes, bringing.tree))
            return r;
    // What the files beside velk.dat would become, tried first: a file the
    // user changed, or one in the way, refuses the sync before velk.dat changes.
    if (const GitRun tried = runGit({"read-tree", "-m", "-u", "-n", headId, forward ? theirs : bringing.tree});
        !tried.ok())
        return failed(tried);
    Done done(Done::Sync);
    done.source = remote;
    done.added = synced.added = merged.added;
    done.removed = synced.removed = merged.removed;
    done.both = synced.both = merged.both;
    synced.versions = merged.versions;
    for (const Record& r : merged.versions)
        done.codes.push_back(r.code), done.names.push_back(r.name);
    bringing.message = messageOf(done);
    const Outcome made = bringWith(bringing, bytes, done);
    if (!made.made())
        return {Refusal::None, {}, made.fault()};
    synced.merged = true;
    synced.after = made.fault();
    synced.waits = bringing.unrecorded.detail;
    if (synced.after.kind == Fault::NotRecorded)
        synced.after = {};  // told as the merge that waits, not twice
    return {};
}

// Fetches the branch into its remote-tracking ref, outside the lock (the
// network may take its time); `theirs` stays empty where the remote has no
// such branch yet.
Refused fetch(const std::string& remote, const std::string& ref, bool& there)
{
    const GitOptions options = network();
    GitRun fetched;
    // Another fetch of the same branch at the same moment holds its ref for
    // an instant: tried again.
    for (int tries = 0; tries < 3; ++tries) {
        fetched = runGit(
            {"fetch", "--quiet", "--no-write-fetch-head", "--", remote, "+" + ref + ":" + trackingRef(remote, ref)},
            options);
        if (fetched.ok() || fetched.err.find("cannot lock ref") == std::string::npos)
            break;
    }
    there = fetched.ok();
    if (there)
        return {};
    const GitRun listed = runGit({"ls-remote", "--exit-code", "--", remote, ref}, options);
    if (listed.status == 2)
        return {};  // a branch the remote lacks yet
    return failed(fetched);
}

// Everything that must hold before a sync records anything, under the lock.
Refused ready()
{
    // A lock file that a killed git left would fail a step after velk.dat
    // has changed: named before anything is.
    for (const char* lock : {".git/index.lock", ".git/HEAD.lock"})
        if (exists(lock))
            return {Refusal::Git, std::string(text::kRemoveLock) + (lock + 5) + std::string(text::kIfNoGit), {}};
    if (Refused r = setUp())
        return r;
    if (Refused r = finishMerge())
        return r;
    if (Refused r = resumeSync())
        return r;
    if (exists(".git/CHERRY_PICK_HEAD") || exists(".git/REVERT_HEAD")
        || !runGit({"ls-files", "--unmerged"}).out.empty())
        return {Refusal::Unfinished, std::string(text::kUnderWay), {}};
    if (keptAsLink())
        return {Refusal::GitLink, kDataFile, {}};
    if (linkedHere())
        return {Refusal::Linked, std::string(text::kLinked), {}};
    if (!exists(kDataFile))
        return {Refusal::None, {}, ioError(IoError::Open, kDataFile, errno)};
    std::vector<Record> records;
    if (readRecords(dataNow(), records))
        return {Refusal::None, {}, fault(Fault::Damaged, kDataFile)};
    // A change whose recording failed goes out all the same: committed
    // first, as the next recorded change would have.
    const GitRun diff = runGit({"diff", "--quiet", "HEAD", "--", kDataFile});
    if (diff.status == 1) {
        // Under a key that is not the history's, velk.dat differs from HEAD's
        // even unchanged: that key opens HEAD's first, or nothing is recorded.
        std::string plain;
        bool present = false;
        if (encrypted())
            if (Refused r = dataAt("HEAD", "HEAD:" + std::string(kDataFile), plain, present))
                return r;
        // With the attributes where they are staged as they stand (a fold of
        // commits by `reset --soft` leaves them so): git status clean after.
        std::vector<std::string> args{"--quiet", "-m", std::string(text::kAsItStands), "--", kDataFile};
        if (runGit({"diff", "--quiet", "--cached", "HEAD", "--", ".gitattributes"}).status == 1
            && runGit({"diff", "--quiet", "--", ".gitattributes"}).ok())
            args.emplace_back(".gitattributes");
        if (const GitRun run = commitAs(args); !run.ok())
            return failed(run);
    }
    return diff.status != 0 && diff.status != 1 ? failed(diff) : Refused{};
}

}  // namespace

Refused sync(Synced& synced)
{
    if (!inRepository())
        return {runGit({"--version"}).missing ? Refusal::NoGit : Refusal::NoRepository, {}, {}};
    if (holdsConflictMarkers())
        return {Refusal::Conflicted, {}, {}};
    if (exists(".git/rebase-merge") || exists(".git/rebase-apply"))
        return {Refusal::Rebasing, {}, {}};
    {
        Lock lock(kDataFile);
        if (lock.failure())
            return {Refusal::None, {}, lock.failure()};
        if (Refused r = ready())
            return r;
    }
    std::string ref;
    bool tracked = false;
    if (Refused r = upstream(synced.remote, ref, tracked))
        return r;
    bool there = false;
    if (synced.waiting)
        synced.waiting(false);
    if (Refused r = fetch(synced.remote, ref, there))
        return r;
    std::string theirs;
    {
        Lock lock(kDataFile);
        if (lock.failure())
            return {Refusal::None, {}, lock.failure()};
        if (there) {
            // Read once, under the lock, and named by its id from then on.
            const GitRun id =
                runGit({"rev-parse", "--verify", "--quiet", trackingRef(synced.remote, ref) + "^{commit}"});
            if (!id.ok())
                return failed(id);
            theirs = firstLine(id.out);
            const std::string branch = trackingRef(synced.remote, ref).substr(13);
            if (Refused r = bringIn(synced.remote, theirs, branch + ":" + kDataFile, synced))
                return r;
        }
    }
    if (!synced.waits.empty())
        return {};  // the merge not yet committed: nothing to send that the remote could take
    if (!theirs.empty() && runGit({"merge-base", "--is-ancestor", "HEAD", theirs}).ok())
        return {};  // nothing to send
    // An encrypted history sends no serial in plain text: commits made
    // before the key came stay here until the user folds them away. Those
    // the remote has on any branch are not sent again, as git's push sends
    // none of them. They fold onto the very commit merged in, named by its
    // id: a fetch meanwhile moves the remote's ref past what the folder holds.
    if (encrypted()) {
        std::vector<std::string> revs{"HEAD", "--not", "--remotes=" + synced.remote};
        if (!theirs.empty())
            revs.push_back(theirs);
        if (Refused r = plainCommits(revs, synced.plain))
            return r;
        if (synced.plain > 0)
            return {Refusal::PlainCommits, theirs.substr(0, 12), {}};
    }
    if (synced.waiting)
        synced.waiting(true);
    // The upstream set where there was none: the config written once, not
    // at every push beside another sync.
    std::vector<std::string> push{"push", "--quiet", "--", synced.remote, "HEAD:" + ref};
    if (!tracked)
        push.insert(push.begin() + 2, "--set-upstream");
    const GitRun pushed = runGit(push, network());
    if (!pushed.ok())
        return {Refusal::Pushed, pushed.why(), {}};
    synced.pushed = true;
    return {};
}

}  // namespace qv::history
