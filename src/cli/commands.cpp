// What the commands share: their one line on standard error, and records
// printed as tab-separated lines or JSON.
#include "cli/commands.h"

#include <algorithm>
#include <cstdio>

#include "cli/json.h"
#include "cli/unicode.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv::cmd {

namespace {

std::string reason(const Fault& f)
{
    std::string why = f.line ? (f.record ? "record " : "line ") + std::to_string(f.line) + ": " : "";
    switch (f.kind) {
    case Fault::None: break;
    case Fault::File: why += f.reason; break;
    case Fault::Damaged: why += msg::kWhyDamaged; break;
    case Fault::Full: why += msg::kWhyFull; break;
    case Fault::TooLong: why += msg::kWhyTooLong; break;
    case Fault::NotOneWord: why += msg::kWhyNotOneWord; break;
    case Fault::Reserved: why += msg::kWhyReserved; break;
    case Fault::Control: why += msg::kWhyControl; break;
    case Fault::Changed: why += msg::kWhyChanged; break;
    case Fault::NoRecord: why.append(msg::kWhyNoRecord).append(twoDigits(f.code)); break;
    case Fault::NoBackup: why += msg::kWhyNoBackup; break;
    case Fault::NoSource: why += msg::kWhyNoSource; break;
    case Fault::SelfLoad: why += msg::kWhyIsData; break;
    case Fault::Malformed: why += msg::kWhyMalformed; break;
    case Fault::NotRecord: why += msg::kWhyNotRecord; break;
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

int fail(const Args& a, const Fault& f)
{
    // The folder refused, not the file: the user has the folder to see to.
    if (!f.dir.empty())
        return complain(a.cmd, "", std::string(msg::kWhyCannot) + f.dirVerb + " " + f.dir + ": " + f.reason);
    return complain(a.cmd, f.file, reason(f));
}

int done(const Args& a, const Outcome& outcome)
{
    if (!outcome.made())
        return fail(a, outcome.fault());
    if (const Fault& f = outcome.fault())
        complain(a.cmd, f.file, std::string(msg::kWhyLate) + reason(f));
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

}  // namespace qv::cmd
