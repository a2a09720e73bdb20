// What the commands share: their one line on standard error, and records
// printed as tab-separated lines or JSON.
#include "commands.h"

#include <algorithm>
#include <cstdio>

#include "console.h"
#include "json.h"
#include "messages.h"

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

// A tab, newline, carriage return or backslash in a field would break the
// line into other fields; they are written as \t, \n, \r and \\.
std::string tsvField(std::string_view s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

int complain(const std::string& cmd, const std::string& file, std::string_view why)
{
    std::string line = "quorvane: " + cmd + ": ";
    if (!file.empty())
        line.append(file).append(": ");
    line.append(why).append("\n");
    (void)std::fputs(line.c_str(), stderr);  // nowhere left to tell if this fails
    return kFailed;
}

int fail(const Args& a, const Fault& f)
{
    // The program's own file could not be made: the user knows the directory.
    if (!f.dir.empty())
        return complain(a.cmd, "", std::string(msg::kWhyWriteIn) + f.dir + ": " + f.reason);
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
    print(json ? recordJson(r) + "\n" : twoDigits(r.code) + "\t" + tsvField(r.name) + "\t" + tsvField(r.serial) + "\n");
}

void printRecords(const std::vector<Record>& records, bool json)
{
    if (json)
        return print(recordsJson(records));
    for (const Record& r : records)
        printRecord(r, false);
}

}  // namespace qv::cmd
