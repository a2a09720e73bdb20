#include "history/tree.h"

#include "catalog/layout.h"
#include "history/files.h"
#include "history/key.h"
#include "history/run.h"
#include "history/texts.h"

namespace qv::history {

namespace {

constexpr const char* kFile = "100644";
constexpr const char* kLink = "120000";

// git's lines of `out`, split at NUL.
std::vector<std::string> fields(const std::string& out)
{
    const std::vector<std::string_view> parts = linesOf(out, '\0');
    return {parts.begin(), parts.end()};
}

}  // namespace

std::string firstLine(const std::string& out) { return out.substr(0, out.find('\n')); }

Refused failed(const GitRun& run) { return {run.missing ? Refusal::NoGit : Refusal::Git, run.why(), {}}; }

Refused itemsAt(const std::string& commit, std::vector<Item>& items)
{
    const GitRun run = runGit({"ls-tree", "-z", "--end-of-options", commit});
    if (!run.ok())
        return failed(run);
    for (const std::string& line : fields(run.out)) {
        // MODE SP TYPE SP ID TAB NAME
        const std::size_t space = line.find(' '), tab = line.find('\t');
        const std::size_t second = line.find(' ', space + 1);
        if (tab == std::string::npos || second == std::string::npos || second > tab)
            return {Refusal::Git, "git listed " + commit + " in a way not understood", {}};
        items.push_back({line.substr(0, space), line.substr(space + 1, second - space - 1),
                         line.substr(second + 1, tab - second - 1), line.substr(tab + 1)});
    }
    return {};
}

bool ownName(const std::string& name)
{
    for (const std::string_view line : linesOf(text::kIgnore))
        if (!line.empty() && line[0] != '#'
            && (name == line || (line.back() == '*' && name.starts_with(line.substr(0, line.size() - 1)))))
            return true;
    return false;
}

const Item* dataItem(const std::vector<Item>& items)
{
    for (const Item& item : items)
        if (item.name == kDataFile)
            return &item;
    return nullptr;
}

Refused storedAt(const std::string& commit, const std::string& shown, std::string& stored, bool& present)
{
    std::vector<Item> items;
    if (Refused r = itemsAt(commit, items))
        return r;
    const Item* item = dataItem(items);
    present = item != nullptr;
    if (!item) {
        stored = headerLine(0) + "\n";
        return {};
    }
    if (item->mode == kLink)
        return {Refusal::GitLink, shown, {}};
    if (item->mode != kFile && item->mode != "100755")
        return {Refusal::None, {}, fault(Fault::NotSound, shown)};  // a folder or a submodule
    GitRun run = runGit({"cat-file", "blob", item->id});
    if (!run.ok())
        return failed(run);
    stored = std::move(run.out);
    return {};
}

Refused dataAt(const std::string& commit, const std::string& shown, std::string& bytes, bool& present,
               std::string* stored)
{
    std::string kept;
    if (Refused r = storedAt(commit, shown, kept, present))
        return r;
    if (Fault f = openStored(kept, shown, bytes))
        return {Refusal::None, {}, f};
    if (stored)
        *stored = std::move(kept);
    return {};
}

Refused mergeBase(const std::string& a, const std::string& b, std::string& base)
{
    const GitRun run = runGit({"merge-base", "--end-of-options", a, b});
    base = run.ok() ? firstLine(run.out) : "";
    // Status 1 with nothing said is git's own "no common ancestor".
    if (run.ok() || (run.status == 1 && run.err.empty()))
        return {};
    return failed(run);
}

Refused mergedTree(const std::string& head, const std::string& theirs, const std::string& bytes, std::string& tree)
{
    // velk.dat is merged by the catalogue's rule, not here: git's side of it
    // keeps this one's, whatever driver the attributes name.
    const GitRun merged = runGit({"-c", "merge.quorvane.driver=true", "merge-tree", "--write-tree", "--name-only",
                                  "--no-messages", "-z", "--allow-unrelated-histories", head, theirs});
    if (merged.status != 0 && merged.status != 1)
        return failed(merged);
    const std::vector<std::string> out = fields(merged.out);
    for (std::size_t k = 1; k < out.size() && !out[k].empty(); ++k)
        if (out[k] != kDataFile)
            return {Refusal::BothChanged, out[k], {}};
    GitOptions blob;
    if (Fault f = toStored(bytes, blob.input))  // sealed, in an encrypted history
        return {Refusal::None, {}, f};
    const GitRun stored = runGit({"hash-object", "-w", "--stdin"}, blob);
    if (!stored.ok())
        return failed(stored);
    std::vector<Item> items;
    if (out.empty())
        return {Refusal::Git, "git merged nothing", {}};
    if (Refused r = itemsAt(out[0], items))
        return r;
    GitOptions listing;
    for (const Item& item : items)
        if (item.name != kDataFile)
            listing.input += item.mode + " " + item.type + " " + item.id + "\t" + item.name + '\0';
    listing.input += std::string(kFile) + " blob " + firstLine(stored.out) + "\t" + kDataFile + '\0';
    const GitRun made = runGit({"mktree", "-z"}, listing);
    if (!made.ok())
        return failed(made);
    tree = firstLine(made.out);
    return {};
}

}  // namespace qv::history
