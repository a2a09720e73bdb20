// What the commands share: their one line on standard error, and records
// printed as tab-separated lines or JSON.
#include "cli/commands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "catalog/catalog.h"
#include "cli/json.h"
#include "cli/output.h"
#include "cli/status.h"
#include "cli/texts.h"
#include "cli/unicode.h"
#include "file/path.h"

namespace qv::cli {

namespace {

std::string reasonOf(int err)
{
    switch (err) {
    case kNotRegular: return std::string(text::kWhyNotRegular);
    case kLinkPlanted: return std::string(text::kWhyLinkPlanted);
    case kLockHeld: return std::string(text::kWhyLockHeld);
    case kLinkLoop: return std::string(text::kWhyLinkLoop);
    default: return std::strerror(err);
    }
}

// A name or serial refused: which, and the byte or the limit.
std::string refusedText(const Fault& f)
{
    if (f.field == Fault::Field::None)  // an imported line, too long to be split
        return std::string(text::kWhyLineTooLong) + std::to_string(f.limit) + std::string(text::kBytes);
    std::string why(f.field == Fault::Field::Name ? text::kTheName : text::kTheSerial);
    switch (f.kind) {
    case Fault::TooLong:
        return why.append(text::kWhyIs) + std::to_string(f.size) + std::string(text::kWhyAtMost)
            + std::to_string(f.limit);
    case Fault::Empty: return why.append(text::kWhyEmpty);
    case Fault::Control: return why.append(text::kWhyHolds).append(f.detail).append(text::kWhyControlChar);
    case Fault::NotOneWord:
        if (f.detail != "\n")
            return why.append(text::kWhyHolds).append(f.detail).append(text::kWhySpaceChar);
        [[fallthrough]];
    default: return why.append(text::kWhyHolds).append(f.detail).append(text::kWhyLayoutChar);
    }
}

std::string reason(const Fault& f)
{
    std::string why = f.line ? (f.record ? "record " : "line ") + std::to_string(f.line) + ": " : "";
    switch (f.kind) {
    case Fault::None: break;
    case Fault::File:
    case Fault::NotLoadable: why += reasonOf(f.io.err); break;
    case Fault::IsData: why += text::kWhyIsData; break;
    case Fault::IsBackup: why += text::kWhyIsBackup; break;
    case Fault::IsOwn: why += text::kWhyIsOwn; break;
    case Fault::NotJson: why.append(text::kWhyNotJson).append(f.detail); break;
    case Fault::NotArray: why += text::kWhyNotArray; break;
    case Fault::NotRecorded: why.append(text::kWhyNotRecorded).append(f.detail); break;
    case Fault::Damaged: why += text::kWhyDamaged; break;
    case Fault::NotSound: why += text::kWhyNotSound; break;
    case Fault::Full: why += text::kWhyFull; break;
    case Fault::TooLong:
    case Fault::NotOneWord:
    case Fault::Empty:
    case Fault::Reserved:
    case Fault::Control: why += refusedText(f); break;
    case Fault::Changed: why += text::kWhyChanged; break;
    case Fault::NoRecord: why.append(text::kWhyNoRecord).append(twoDigits(f.code)); break;
    case Fault::NoBackup: why += text::kWhyNoBackup; break;
    case Fault::NoSource: why += text::kWhyNoSource; break;
    case Fault::SelfLoad: why += text::kWhyIsData; break;
    case Fault::Malformed: why += text::kWhyMalformed; break;
    case Fault::NotRecord: why += text::kWhyNotRecord; break;
    case Fault::Sealed: why += text::kWhySealed; break;
    case Fault::NotAuthentic: why += text::kWhyNotAuthentic; break;
    case Fault::NotKey: why += text::kWhyNotKey; break;
    }
    return why;
}

}  // namespace

int complain(const std::string& cmd, const std::string& file, std::string_view why)
{
    // A file name or a reason may hold anything; the line stays one line,
    // and a terminal shows it without obeying it.
    std::string line = "quorvane: " + cmd + ": ";
    if (!file.empty())
        line.append(escapeText(file)).append(": ");
    line.append(escapeText(why)).append("\n");
    (void)std::fputs(line.c_str(), stderr);  // nowhere left to tell if this fails
    return kFailed;
}

std::string Args::typed(const std::string& file) const
{
    if (base && baseFile == file)
        return *base;
    const auto at = std::find(files.begin(), files.end(), file);
    return at == files.end() ? file : pos[static_cast<std::size_t>(at - files.begin())];
}

int fail(const Args& a, const Fault& f)
{
    // The folder refused, not the file: the user has the folder to see to.
    if (!f.io.folder.empty()) {
        const text::T what = f.io.folderOp == IoError::Make ? text::kFolderMake
            : f.io.folderOp == IoError::List                ? text::kFolderList
                                                            : text::kFolderSearch;
        return complain(a.cmd, "", std::string(text::kWhyCannot).append(what) + f.io.folder + ": " + reason(f));
    }
    // No data file at all (a link to none is one): this folder is no
    // catalogue, and the user may have meant another.
    struct stat st;
    if (f.kind == Fault::File && f.file == kDataFile && f.io.err == ENOENT && ::lstat(kDataFile, &st) != 0
        && errno == ENOENT)
        return complain(a.cmd, "",
                        std::string(text::kWhyNoCatalogue) + realPath(".") + std::string(text::kWhyChooseCatalogue));
    // velk.dat as git keeps it in an encrypted history: not damaged, and
    // the remedy is the key, never a recover.
    if (f.kind == Fault::Damaged && f.file == kDataFile && dataSealed())
        return complain(a.cmd, kDataFile, text::kWhySealedHere);
    return complain(a.cmd, a.typed(f.file), reason(f));
}

int done(const Args& a, const Outcome& outcome)
{
    if (!outcome.made())
        return fail(a, outcome.fault());
    if (outcome.started())
        complain(a.cmd, "", std::string(text::kStarted) + realPath("."));
    if (const Fault& f = outcome.fault())
        complain(a.cmd, a.typed(f.file),
                 f.kind == Fault::NotRecorded ? reason(f) : std::string(text::kWhyLate) + reason(f));
    return kDone;
}

std::optional<int> parseCode(const std::string& s)
{
    if (s.empty() || s.size() > 2 || !std::all_of(s.begin(), s.end(), isDigit) || std::stoi(s) == 0)
        return std::nullopt;
    return std::stoi(s);
}

void printRecord(const Record& r, bool json)
{
    // An escaped field holds no tab or newline: a record is one line of
    // exactly three fields.
    print(json ? recordJson(r) + "\n"
               : twoDigits(r.code) + "\t" + escapeText(r.name) + "\t" + escapeText(r.serial) + "\n");
}

void printRecords(const std::vector<Record>& records, bool json)
{
    if (json)
        return print(recordsJson(records));
    for (const Record& r : records)
        printRecord(r, false);
}

}  // namespace qv::cli
