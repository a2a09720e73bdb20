// The commands of the command line, each over the operations core: what
// it prints on standard output, and its one line on standard error.
#include "commands.h"

#include <algorithm>
#include <cstdio>

#include "console.h"
#include "fieldcheck.h"
#include "fileio.h"
#include "import.h"
#include "layout.h"
#include "messages.h"
#include "operations.h"

namespace qv::cmd {

namespace {

std::string reason(const Fault& f)
{
    std::string why = f.line ? "line " + std::to_string(f.line) + ": " : "";
    switch (f.kind) {
    case Fault::None: break;
    case Fault::File: why += f.reason; break;
    case Fault::Damaged: why += msg::kWhyDamaged; break;
    case Fault::Full: why += msg::kWhyFull; break;
    case Fault::TooLong: why += msg::kWhyTooLong; break;
    case Fault::NotOneWord: why += msg::kWhyNotOneWord; break;
    case Fault::Reserved: why += msg::kWhyReserved; break;
    case Fault::Changed: why += msg::kWhyChanged; break;
    case Fault::NoRecord: why += msg::kWhyNoRecord; break;
    case Fault::NoBackup: why += msg::kWhyNoBackup; break;
    case Fault::NoSource: why += msg::kWhyNoSource; break;
    case Fault::SelfLoad: why += msg::kWhyIsData; break;
    case Fault::Malformed: why += msg::kWhyMalformed; break;
    }
    return why;
}

int fail(const Args& a, const Fault& f)
{
    std::string why = f.late ? std::string(msg::kWhyLate) + reason(f) : reason(f);
    if (f.kind == Fault::NoRecord)
        why += twoDigits(f.code);
    return complain(a.cmd, f.file, why);
}

// A JSON string. Bytes that are not UTF-8 are given as the Latin-1
// characters of the same value, so that the output is always valid.
std::string quoted(std::string_view s)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
        bool valid = n > 0 && i + n <= s.size();
        for (std::size_t k = 1; valid && k < n; ++k)
            valid = (static_cast<unsigned char>(s[i + k]) & 0xc0) == 0x80;
        if (valid && n >= 3) {   // no overlong forms, surrogates or code points past U+10FFFF
            const auto d = static_cast<unsigned char>(s[i + 1]);
            valid = !(c == 0xe0 && d < 0xa0) && !(c == 0xed && d > 0x9f) && !(c == 0xf0 && d < 0x90) && !(c == 0xf4 && d > 0x8f);
        }
        if (c == '"' || c == '\\') {
            out.append({'\\', static_cast<char>(c)});
        } else if (c >= 0x20 && c != 0x7f && valid) {
            out.append(s.substr(i, n));
            i += n - 1;
        } else {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        }
    }
    return out + "\"";
}

void printRecords(const std::vector<Record>& records, bool json)
{
    if (!json) {
        for (const Record& r : records)
            print(twoDigits(r.code) + "\t" + r.name + "\t" + r.serial + "\n");
        return;
    }
    print("[");
    for (std::size_t i = 0; i < records.size(); ++i)
        print((i ? ",\n  {\"code\": \"" : "\n  {\"code\": \"") + twoDigits(records[i].code) + "\", \"name\": "
              + quoted(records[i].name) + ", \"serial\": " + quoted(records[i].serial) + "}");
    print(records.empty() ? "]\n" : "\n]\n");
}

// The status of a change: a fault that came after it was done is told, but
// the change stands, and a script must not do it again.
int done(const Args& a, const Fault& f)
{
    if (!f)
        return kDone;
    return f.late ? (fail(a, f), kDone) : fail(a, f);
}

}  // namespace

int complain(const std::string& cmd, const std::string& file, std::string_view why)
{
    std::string line = "quorvane: " + cmd + ": ";
    if (!file.empty())
        line.append(file).append(": ");
    line.append(why).append("\n");
    std::fputs(line.c_str(), stderr);
    return kFailed;
}

std::optional<int> parseCode(const std::string& s)
{
    if (s.empty() || s.size() > 2 || !std::all_of(s.begin(), s.end(), isDigit) || std::stoi(s) == 0)
        return std::nullopt;
    return std::stoi(s);
}

int list(const Args& a)
{
    std::vector<Record> records;
    if (Fault f = readRecords(records))
        return fail(a, f);
    printRecords(records, a.json);
    return kDone;
}

int show(const Args& a)
{
    std::vector<Record> records;
    if (Fault f = readRecords(records))
        return fail(a, f);
    const int code = *parseCode(a.pos[0]);
    if (code > static_cast<int>(records.size())) {
        Fault f = fault(Fault::NoRecord, kDataFile);
        f.code = code;
        return fail(a, f);
    }
    printRecords({records[code - 1]}, false);
    return kDone;
}

int find(const Args& a)
{
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
        return s;
    };
    std::vector<Record> records;
    if (Fault f = readRecords(records))
        return fail(a, f);
    const std::string text = lower(a.pos[0]);
    std::erase_if(records, [&](const Record& r) {
        return lower(r.name).find(text) == std::string::npos && lower(r.serial).find(text) == std::string::npos;
    });
    printRecords(records, a.json);
    return records.empty() ? kFailed : kDone;   // as grep: nothing found is no error to say
}

namespace {

// Adds what passed the checks; prints the new codes.
int addAll(const Args& a, const std::vector<NewRecord>& records, const std::string& from)
{
    int first = 0;
    Fault f = addRecords(records, &first);
    if (f.kind == Fault::Full && from.empty())
        f.line = 0;   // a single add has no lines
    if (f.line)
        f.file = from;
    if (f && !f.late)
        return fail(a, f);
    for (int code = first; code < first + static_cast<int>(records.size()); ++code)
        print(twoDigits(code) + "\n");
    return done(a, f);
}

}  // namespace

int add(const Args& a)
{
    const NewRecord r{a.pos[0], a.pos[1]};
    if (Fault f = checkFields(&r.name, &r.serial, Through::Memory))
        return fail(a, f);
    return addAll(a, {r}, "");
}

int edit(const Args& a)
{
    const std::string* name = a.name ? &*a.name : nullptr;
    const std::string* serial = a.serial ? &*a.serial : nullptr;
    Fault f = checkFields(name, serial, Through::Memory);
    if (!f)
        f = rewriteRecord(*parseCode(a.pos[0]), nullptr, name, serial, Through::Memory);
    return done(a, f);
}

int del(const Args& a)
{
    return done(a, removeRecords({*parseCode(a.pos[0])}, nullptr, Through::Memory));
}

int check(const Args& a)
{
    Counts counts;
    File data;
    Fault f = countMarks(counts);
    Fault layout = f ? f : openSound(data);
    if (f || layout.kind == Fault::File)
        return fail(a, f ? f : layout);
    print("total field: " + std::to_string(counts.total) + "\ntitle lines: " + std::to_string(counts.titles)
          + "\nserial lines: " + std::to_string(counts.serials) + "\ncut marks: " + std::to_string(counts.marks)
          + "\nlayout: " + (layout ? "damaged" : "sound") + "\n");
    if (counts.sound() && !layout)
        return kDone;
    return complain(a.cmd, kDataFile, msg::kWhyProblems);
}

int exportFile(const Args& a)
{
    return done(a, exportTo(a.pos.empty() ? kExportFile : a.pos[0]));
}

int load(const Args& a)
{
    return done(a, loadFrom(a.pos[0]));
}

int recover(const Args& a)
{
    return done(a, recoverBackup());
}

// Lines NAME<TAB>SERIAL, the serial behind the last tab. Lines that the data
// file could never take are not read.
int import(const Args& a)
{
    const bool piped = a.pos[0] == "-";
    const std::string from = piped ? std::string(msg::kStdin) : a.pos[0];
    File in;
    if (!(piped ? in.adopt(0, from) : in.open(from, File::Mode::Read)))
        return fail(a, in.fault());
    ImportReader reader;
    for (std::string_view part = in.next(); !part.empty() && reader.feed(part); part = in.next()) {
    }
    if (in.failed())
        return fail(a, in.fault());
    std::vector<NewRecord> records;
    if (Fault f = reader.finish(records)) {
        f.file = from;
        return fail(a, f);
    }
    return records.empty() ? kDone : addAll(a, records, from);
}

}  // namespace qv::cmd
