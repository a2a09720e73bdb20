// The git side of a sync that brought a commit in: made by the recorder once
// velk.dat holds the result, finished by the next run where it could not be.
#include <unistd.h>

#include "catalog/layout.h"
#include "history/files.h"
#include "history/merging.h"
#include "history/run.h"
#include "history/texts.h"
#include "history/tree.h"

namespace qv::history {

namespace {

// The sync whose velk.dat the commit step is writing.
Bringing* pending = nullptr;

// The index of the sync's merge commit: the merged tree and nothing else.
constexpr const char* kMergeIndex = ".git/quorvane-merge-index";

bool exists(const char* path) { return ::access(path, F_OK) == 0; }

Fault gitSide(const Bringing& b)
{
    // velk.dat as written, the files beside it as the commit has them; git
    // writes no velk.dat of its own, and leaves what the user changed.
    if (const GitRun run = runGit({"update-index", "--", kDataFile}); !run.ok())
        return notRecorded(run.why());
    if (const GitRun run = runGit({"read-tree", "-m", "-u", b.head, b.forward ? b.theirs : b.tree}); !run.ok())
        return notRecorded(run.why());
    if (b.forward) {
        const GitRun moved = runGit({"update-ref", "-m", b.message, "HEAD", b.theirs, b.head});
        return moved.ok() ? Fault{} : notRecorded(moved.why());
    }
    // The merge in progress, as git keeps one, with an index of its own so
    // that nothing the user staged goes into it: a commit refused now is
    // made by the next sync or change.
    GitOptions own;
    own.env.push_back(std::string("GIT_INDEX_FILE=") + kMergeIndex);
    if (const GitRun run = runGit({"read-tree", b.tree}, own); !run.ok())
        return notRecorded(run.why());
    writeText(".git/MERGE_MSG", b.message + "\n");
    if (const GitRun run = runGit({"update-ref", "MERGE_HEAD", b.theirs}); !run.ok())
        return notRecorded(run.why());
    const Refused unfinished = finishMerge();
    return unfinished ? notRecorded(unfinished.detail) : Fault{};
}

// The sync whose velk.dat may stand before git has recorded it, kept in
// .git while it does: a run killed between the two records that very merge
// next time, rather than merging the merged catalogue again (which, with
// records repeated on one side and removed on the other, is not the same).
constexpr const char* kPendingSync = ".git/quorvane-sync";

std::string blobOf(std::string_view bytes)
{
    GitOptions given;
    given.input = bytes;
    const GitRun run = runGit({"hash-object", "--stdin"}, given);
    return run.ok() ? firstLine(run.out) : "";
}

// The marker left where git has not yet taken the sync in: none once it
// has, or once its merge waits as git's own (MERGE_HEAD).
void settle(const Bringing& b)
{
    if (!b.unrecorded || exists(".git/MERGE_HEAD"))
        (void)::unlink(kPendingSync);
}

}  // namespace

Outcome bringWith(Bringing& bringing, std::string_view bytes, const Done& done)
{
    // Without the blob's id (git could not say it) there is no marker, and
    // a run killed halfway merges again.
    if (const std::string blob = blobOf(bytes); !blob.empty())
        writeText(kPendingSync,
                  (bringing.forward ? "1\n" : "0\n") + bringing.head + "\n" + bringing.theirs + "\n" + bringing.tree
                      + "\n" + blob + "\n" + bringing.message + "\n");
    pending = &bringing;
    Outcome made = replaceData(bytes, &done);
    pending = nullptr;
    if (!made.made())
        (void)::unlink(kPendingSync);
    else
        settle(bringing);
    return made;
}

Refused resumeSync()
{
    if (!exists(kPendingSync))
        return {};
    const std::string marker = readText(kPendingSync);
    std::vector<std::string_view> lines = linesOf(marker);
    const bool whole = lines.size() >= 6;
    lines.resize(6);
    const auto line = [&](std::size_t k) { return std::string(lines[k]); };
    Bringing b{lines[0] == "1", line(1), line(2), line(3), line(5), {}};
    const GitRun head = runGit({"rev-parse", "--verify", "--quiet", "HEAD"});
    const GitRun now = runGit({"hash-object", "--no-filters", "--", kDataFile});
    // Not that sync's file any more (or a marker cut short): the file is
    // recorded as it stands, as any other.
    if (!whole || lines[5].empty() || !head.ok() || !now.ok() || firstLine(head.out) != b.head
        || firstLine(now.out) != lines[4]) {
        (void)::unlink(kPendingSync);
        return {};
    }
    b.unrecorded = gitSide(b);
    settle(b);
    return b.unrecorded ? Refused{Refusal::Git, b.unrecorded.detail, {}} : Refused{};
}

Fault recordSync()
{
    if (!pending)
        return {};
    Bringing& b = *pending;
    b.unrecorded = gitSide(b);
    return b.unrecorded;
}

Refused finishMerge()
{
    if (!exists(".git/MERGE_HEAD"))
        return {};
    const std::string message = firstLine(readText(".git/MERGE_MSG"));
    if (!message.starts_with(text::kSync) || !runGit({"ls-files", "--unmerged"}).out.empty())
        return {Refusal::Unfinished, std::string(text::kUnfinished), {}};
    std::vector<std::string> env;
    if (exists(kMergeIndex))
        env.push_back(std::string("GIT_INDEX_FILE=") + kMergeIndex);
    if (const GitRun run = commitAs({"--quiet", "--no-edit"}, env); !run.ok())
        return failed(run);
    (void)::unlink(kMergeIndex);
    return {};
}

}  // namespace qv::history
