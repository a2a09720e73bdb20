// The commit message of a change: one line that names what it did, the
// codes and the names, never a serial.
#include "catalog/escape.h"
#include "catalog/layout.h"
#include "history/history.h"
#include "history/key.h"
#include "history/texts.h"

namespace qv::history {

namespace {

// The characters a message holds at most, its ellipsis included.
constexpr std::size_t kLongest = 70;

// At most kLongest characters (valid UTF-8 in): what goes beyond is cut off
// between two characters, and an ellipsis says so.
std::string cut(std::string text)
{
    std::size_t characters = 0, keep = 0;
    for (std::size_t at = 0; at < text.size(); ++at)
        if ((static_cast<unsigned char>(text[at]) & 0xc0) != 0x80 && ++characters == kLongest)
            keep = at;  // where the last character that fits beside the ellipsis ends
    if (characters <= kLongest)
        return text;
    return text.substr(0, keep) + std::string(text::kCut);
}

// Whether the message names codes alone: an encrypted history's messages
// travel in plain text, and names are private too.
bool bare = false;

// "04 Photo Editor Pro, 05 Sound Studio", or "04 05" bare: the records a
// change names.
std::string named(const Done& done)
{
    std::string out;
    for (std::size_t i = 0; i < done.codes.size(); ++i) {
        out.append(i ? (bare ? " " : ", ") : "").append(twoDigits(done.codes[i]));
        if (!bare && i < done.names.size() && !done.names[i].empty())
            out.append(" ").append(done.names[i]);
    }
    return out;
}

// The file a load or a merge took the records from, as typed; a path
// names its user and folders, so a bare message says "a file".
std::string file(const Done& done) { return bare ? std::string(text::kAFile) : done.source; }

std::string count(std::size_t n) { return std::to_string(n) + std::string(n == 1 ? text::kRecord : text::kRecords); }

std::string edit(const Done& done)
{
    const std::string was = done.names.empty() ? "" : done.names.front();
    std::string out = std::string(text::kEdit) + twoDigits(done.codes.front());
    if (bare)
        return out + (done.renamed ? std::string(text::kBareName) : "") + (done.renamed && done.serial ? "," : "")
            + (done.serial ? std::string(text::kSerial) : "");
    if (done.renamed)
        out += std::string(text::kName) + *done.renamed + (done.serial ? "," + std::string(text::kSerial) : "");
    else if (done.serial)
        out += text::kSerial;
    if (done.renamed && *done.renamed != was)
        out += std::string(text::kWas) + was + ")";
    else if (!done.renamed && !was.empty())
        out += " (" + was + ")";
    return out;
}

// "2 added, 1 removed, 1 kept in both versions (03 Alpha, 05 Alpha Two)"
std::string merged(const Done& done)
{
    std::string out = std::to_string(done.added) + std::string(text::kAdded) + std::to_string(done.removed)
        + std::string(text::kRemoved);
    if (done.both)
        out += ", " + std::to_string(done.both) + std::string(text::kKeptBoth) + " (" + named(done) + ")";
    return out;
}

std::string message(const Done& done)
{
    switch (done.kind) {
    case Done::Add: return std::string(text::kAdd) + named(done);
    case Done::Import: return std::string(text::kImport) + count(done.codes.size()) + ": " + named(done);
    case Done::Edit: return edit(done);
    case Done::Delete: return std::string(text::kDelete) + named(done);
    case Done::Load:
        return std::string(text::kLoad) + file(done) + ": "
            + (done.records < 0 ? std::string(text::kNotSound) : count(static_cast<std::size_t>(done.records)));
    case Done::Recover: return std::string(text::kRecover);
    case Done::Restore: return std::string(text::kRestore) + done.source;
    case Done::Sync: return std::string(text::kSync) + done.source + ": " + merged(done);
    case Done::Merge: return std::string(text::kMerge) + file(done) + ": " + merged(done);
    }
    return {};
}

}  // namespace

std::string messageOf(const Done& done)
{
    bare = encrypted();
    return cut(escapeText(message(done), true));
}

}  // namespace qv::history
