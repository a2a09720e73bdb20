// The history read back: the log, and a restore of any recorded catalogue.
#include "catalog/layout.h"
#include "history/files.h"
#include "history/history.h"
#include "history/run.h"
#include "history/tree.h"

namespace qv::history {

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
    for (const std::string_view line : linesOf(run.out)) {
        const std::size_t a = line.find('\x1f'), b = line.find('\x1f', a + 1);
        if (b != std::string_view::npos)
            entries.push_back({std::string(line.substr(0, a)), std::string(line.substr(a + 1, b - a - 1)),
                               std::string(line.substr(b + 1))});
    }
    return {};
}

Outcome restore(const std::string& revision, Refused& refused)
{
    // Any revision git names (':/Add', a tag, HEAD~2), never read as an
    // option; then the commit it is.
    const GitRun named = runGit({"rev-parse", "--verify", "--quiet", "--end-of-options", revision});
    const GitRun id = named.ok()
        ? runGit({"rev-parse", "--short", "--verify", "--quiet", firstLine(named.out) + "^{commit}"})
        : named;
    std::string bytes;
    bool present = false;
    if (id.ok())
        refused = dataAt(firstLine(id.out), firstLine(id.out) + ":" + kDataFile, bytes, present);
    if (!refused && keptAsLink())
        refused = {Refusal::GitLink, kDataFile, {}};
    if (refused)
        return refused.fault ? refused.fault : fault(Fault::NoSource, revision);
    if (!id.ok() || !present) {
        refused = id.missing  ? failed(id)
            : !inRepository() ? Refused{Refusal::NoRepository, {}, {}}
                              : Refused{Refusal::NoRevision, revision, {}};
        return fault(Fault::NoSource, revision);
    }
    Done done(Done::Restore);
    done.source = firstLine(id.out);
    std::vector<Record> records;
    if (readRecords(bytes, records))  // that velk.dat, not this one
        return fault(Fault::NotSound, done.source + ":" + kDataFile);
    return replaceData(bytes, &done);
}

}  // namespace qv::history
