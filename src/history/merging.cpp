// The git side of a sync that brought a commit in: made by the recorder once
// velk.dat holds the result, finished by the next run where it could not be.
#include <fstream>

#include <unistd.h>

#include "catalog/layout.h"
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
    std::ofstream(".git/MERGE_MSG", std::ios::trunc) << b.message << "\n";
    if (const GitRun run = runGit({"update-ref", "MERGE_HEAD", b.theirs}); !run.ok())
        return notRecorded(run.why());
    const Refused unfinished = finishMerge();
    return unfinished ? notRecorded(unfinished.detail) : Fault{};
}

}  // namespace

Outcome bringWith(Bringing& bringing, std::string_view bytes, const Done& done)
{
    pending = &bringing;
    Outcome made = replaceData(bytes, &done);
    pending = nullptr;
    return made;
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
    std::string message;
    std::getline(std::ifstream(".git/MERGE_MSG"), message);
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
