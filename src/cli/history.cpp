// The commands of history and sync: git in the catalogue's folder, the
// sync, the merges, the log, a restore, and the diff's view of a catalogue.
#include <nlohmann/json.hpp>

#include <unistd.h>

#include "catalog/catalog.h"
#include "catalog/merge.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/status.h"
#include "cli/texts.h"
#include "cli/unicode.h"
#include "history/history.h"
#include "history/key.h"

namespace qv::cli {

using history::Refusal;

int refuse(const Args& a, const history::Refused& r)
{
    switch (r.why) {
    case Refusal::None: return fail(a, r.fault);
    case Refusal::NoGit: return complain(a.cmd, "", text::kWhyNoGit);
    case Refusal::NoRepository: return complain(a.cmd, "", text::kWhyNoRepository);
    case Refusal::NoRemote: return complain(a.cmd, r.detail, text::kWhyNoRemote);
    case Refusal::Conflicted: return complain(a.cmd, kDataFile, text::kWhyConflicted);
    case Refusal::NoRevision: return complain(a.cmd, r.detail, text::kWhyNoRevision);
    case Refusal::NoBranch: return complain(a.cmd, "", text::kWhyNoBranch);
    case Refusal::Git: return complain(a.cmd, "", r.detail);
    case Refusal::Pushed: return complain(a.cmd, "", std::string(text::kWhyNotPushed) + r.detail);
    case Refusal::Rebasing: return complain(a.cmd, "", text::kWhyRebasing);
    case Refusal::Unfinished:
    case Refusal::Linked: return complain(a.cmd, "", r.detail);
    case Refusal::Deleted: return complain(a.cmd, r.detail, text::kWhyDeleted);
    case Refusal::OwnName: return complain(a.cmd, r.detail, text::kWhyOwnName);
    case Refusal::GitLink: return complain(a.cmd, r.detail, text::kWhyGitLink);
    case Refusal::BothChanged: return complain(a.cmd, r.detail, text::kWhyBothChanged);
    case Refusal::NotEmpty: return complain(a.cmd, r.detail, text::kWhyNotEmpty);
    case Refusal::NoName: return complain(a.cmd, r.detail, text::kWhyNoName);
    case Refusal::NotEncrypted: return complain(a.cmd, "", text::kWhyNotEncrypted);
    case Refusal::PlainRemote: return complain(a.cmd, r.detail, text::kWhyPlainRemote);
    case Refusal::PlainCommits: break;  // told by the sync, which knows how many
    }
    return kFailed;
}

namespace {

std::string count(int n, const char* one, const char* many) { return std::to_string(n) + (n == 1 ? one : many); }

// " (01 Alpha Two, 03 Alpha)": the records kept in both versions, by code
// and name, escaped where the line is not escaped as a whole.
std::string versions(const std::vector<Record>& records, bool escape)
{
    std::string out;
    for (const Record& r : records)
        out.append(out.empty() ? " (" : ", ")
            .append(twoDigits(r.code))
            .append(" ")
            .append(escape ? escapeText(r.name) : r.name);
    return out.empty() ? out : out + ")";
}

}  // namespace

int gitCommand(const Args& a)
{
    history::Refused refused;
    int plain = 0;
    const int status = history::runGitCommand(a.pos, refused, plain);
    if (refused)
        return refuse(a, refused);
    if (plain > 0)
        complain(a.cmd, "", std::to_string(plain).append(plain == 1 ? text::kStillPlainOne : text::kStillPlain));
    if (status == 0 && !a.pos.empty() && a.pos.front() == "init" && holdsConflictMarkers())
        complain(a.cmd, kDataFile, text::kWhyConflicted);
    return status;
}

int cloneCommand(const Args& a)
{
    history::Cloned c;
    c.dir = a.pos.size() > 1 ? a.pos[1] : "";
    cipher::Key key{};
    if (a.keyFile) {
        if (Fault f = readKeyFile(a, key))
            return fail(a, f);
        c.key = &key;
    }
    if (::isatty(STDERR_FILENO))  // a person waits: say on what
        c.waiting = [&a] {
            const std::string line = std::string(text::kCloning) + escapeText(a.pos[0]) + std::string(text::kWaiting);
            (void)!::write(STDERR_FILENO, line.data(), line.size());
        };
    if (const history::Refused refused = history::clone(a.pos[0], c))
        return refused.why == Refusal::GitLink          ? complain(a.cmd, refused.detail, text::kWhyClonedLink)
            : refused.fault.kind == Fault::Sealed       ? complain(a.cmd, refused.fault.file, text::kWhySealedClone)
            : refused.fault.kind == Fault::NotAuthentic ? complain(a.cmd, refused.fault.file, text::kWhyWrongKey)
                                                        : refuse(a, refused);
    print("clone: " + count(c.records, " record", " records") + " from " + escapeText(a.pos[0]) + " in "
          + escapeText(c.dir) + (c.started ? std::string(text::kClonedEmpty) : "") + "\n");
    return kDone;
}

int syncCommand(const Args& a)
{
    history::Synced s;
    if (::isatty(STDERR_FILENO))  // a person waits: say on what
        s.waiting = [&s](bool pushing) {
            const std::string line = std::string(pushing ? text::kPushing : text::kFetching) + escapeText(s.remote)
                + std::string(text::kWaiting);
            (void)!::write(STDERR_FILENO, line.data(), line.size());
        };
    const history::Refused refused = history::sync(s);
    if (refused && refused.why != Refusal::Pushed && refused.why != Refusal::PlainCommits)
        return refuse(a, refused);
    if (a.json) {
        nlohmann::json kept = nlohmann::json::array();
        for (const Record& r : s.versions)
            kept.push_back({{"code", twoDigits(r.code)}, {"name", toUtf8(r.name)}});
        print(nlohmann::json{{"remote", toUtf8(s.remote)},
                             {"added", s.added},
                             {"removed", s.removed},
                             {"both", s.both},
                             {"versions", kept},
                             {"pushed", s.pushed}}
                  .dump()
              + "\n");
    } else {
        std::string line = "sync: " + count(s.added, " record", " records") + " added, " + std::to_string(s.removed)
            + " removed from " + escapeText(s.remote);
        if (s.both)
            line += ", " + std::to_string(s.both) + std::string(text::kSyncedBoth) + versions(s.versions, true);
        print(line
              + (s.pushed                          ? "; pushed\n"
                     : refused || !s.waits.empty() ? "; not pushed\n"
                                                   : "; nothing to push\n"));
    }
    if (!s.waits.empty())
        complain(a.cmd, "", std::string(text::kWhyMergeWaits) + s.waits);
    if (s.after)
        done(a, Outcome::done(s.after));
    if (refused.why == Refusal::PlainCommits)
        return complain(a.cmd, "",
                        std::to_string(s.plain)
                            .append(s.plain == 1 ? text::kPlainCommitOne : text::kPlainCommits)
                            .append(refused.detail.empty() ? std::string(text::kAfreshHistory)
                                                           : std::string(text::kFoldInto) + refused.detail
                                            + std::string(s.plain == 1 ? text::kFoldedSentOne : text::kFoldedSent)));
    return refused ? refuse(a, refused) : kDone;
}

int mergeCommand(const Args& a)
{
    if (history::keptAsLink())
        return complain(a.cmd, kDataFile, text::kWhyGitLink);
    Merged merged;
    const Outcome outcome = mergeFile(a.files[0], a.baseFile ? &*a.baseFile : nullptr, &merged);
    if (outcome.made() && merged.both)  // the line escapes the names
        complain(a.cmd, a.pos[0],
                 std::to_string(merged.both)
                     .append(merged.both == 1 ? text::kWhyBothOne : text::kWhyBoth)
                     .append(versions(merged.versions, false)));
    return done(a, outcome);
}

int mergeDriverCommand(const Args& a)
{
    // In an encrypted history git hands over the sides sealed, and keeps
    // the result sealed.
    cipher::Key key{};
    const bool sealing = history::encrypted();
    if (Fault f = sealing ? history::readKey(key) : Fault{})
        return fail(a, f);
    const Fault f = mergeInto(a.files[0], a.files[1], a.files[2], sealing ? &key : nullptr);
    return f ? fail(a, f) : kDone;
}

int textconvCommand(const Args& a)
{
    std::string stored, bytes;
    if (Fault f = readWhole(a.files[0], stored); f || (f = history::openStored(stored, a.files[0], bytes)))
        return fail(a, f);
    std::vector<Record> records;
    if (readRecords(bytes, records)) {
        // Not a sound catalogue: its lines as they are, escaped.
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t end = std::min(bytes.find('\n', at), bytes.size());
            print(escapeText(std::string_view(bytes).substr(at, end - at)) + "\n");
            at = end + 1;
        }
        return kDone;
    }
    for (const Record& r : records)
        print(escapeText(r.name) + "\t" + escapeText(r.serial) + "\n");
    return kDone;
}

int logCommand(const Args& a)
{
    std::vector<history::Entry> entries;
    if (const history::Refused refused = history::log(a.count, entries))
        return refuse(a, refused);
    nlohmann::json array = nlohmann::json::array();
    for (const history::Entry& e : entries)
        if (a.json)
            array.push_back({{"commit", e.commit}, {"date", e.date}, {"message", toUtf8(e.message)}});
        else
            print(e.commit + "\t" + e.date + "\t" + escapeText(e.message) + "\n");
    if (a.json)
        print(array.dump(2) + "\n");
    return kDone;
}

int restoreCommand(const Args& a)
{
    history::Refused refused;
    const Outcome outcome = history::restore(a.pos[0], refused);
    return refused ? refuse(a, refused) : done(a, outcome);
}

}  // namespace qv::cli
