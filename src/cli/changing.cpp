// The commands that change the data file, each in one commit with one
// backup; they ask nothing and leave no scratch file behind.
#include <algorithm>

#include "catalog/catalog.h"
#include "catalog/fields.h"
#include "catalog/import.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "file/file.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv::cmd {

namespace {

// Adds what passed the checks; prints the new codes.
int addAll(const Args& a, const std::vector<NewRecord>& records, const std::string& from)
{
    int first = 0;
    const Outcome added = addRecords(records, &first);
    if (!added.made()) {
        Fault f = added.fault();
        if (f.kind == Fault::Full && f.line) {  // the first record that does not fit, where it was read
            f.line = records[static_cast<std::size_t>(f.line) - 1].line;
            f.record = a.json;
            f.file = from;
        }
        return fail(a, f);
    }
    for (int code = first; code < first + static_cast<int>(records.size()); ++code)
        print(twoDigits(code) + "\n");
    return done(a, added);
}

int refuseImport(const Args& a, const std::string& from, ImportFaults& faults)
{
    for (Fault& f : faults.named) {
        f.file = from;
        fail(a, f);
    }
    if (faults.more)
        complain(a.cmd, from, std::to_string(faults.more).append(a.json ? msg::kWhyMoreRecords : msg::kWhyMoreLines));
    return kFailed;
}

// The whole input, which a catalogue's JSON never makes large.
bool readAll(File& in, std::string& text)
{
    constexpr std::size_t kLimit = 1 << 20;
    for (std::string_view part = in.next(); !part.empty() && text.size() <= kLimit; part = in.next())
        text.append(part);
    return text.size() <= kLimit;
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
    if (Fault f = checkFields(name, serial, Through::Memory))
        return fail(a, f);
    return done(a, rewriteRecord(*parseCode(a.pos[0]), nullptr, name, serial, Through::Memory));
}

// The codes name the records as they stand before the call, all removed in
// one change.
int del(const Args& a)
{
    std::vector<int> codes;
    for (const std::string& code : a.pos)
        codes.push_back(*parseCode(code));
    std::sort(codes.begin(), codes.end());
    if (auto twice = std::adjacent_find(codes.begin(), codes.end()); twice != codes.end())
        return complain(a.cmd, "", std::string(msg::kWhyTwice) + twoDigits(*twice));
    return done(a, removeRecords(codes, nullptr, Through::Memory));
}

int load(const Args& a) { return done(a, loadFrom(a.pos[0])); }

int recover(const Args& a) { return done(a, recoverBackup()); }

// Lines NAME<TAB>SERIAL, or with --json the array that list --json prints.
// Lines that the data file could never take are not read.
int import(const Args& a)
{
    const bool piped = a.pos[0] == "-";
    const std::string from = piped ? std::string(msg::kStdin) : a.pos[0];
    File in;
    if (!(piped ? in.adopt(0, from) : in.open(from, File::Mode::Read)))
        return fail(a, in.fault());
    std::vector<NewRecord> records;
    ImportFaults faults;
    if (a.json) {
        std::string text;
        if (!readAll(in, text))
            return complain(a.cmd, from, msg::kWhyTooBig);
        if (!in.failed())
            faults = readJson(text, records);
    } else {
        ImportReader reader;
        for (std::string_view part = in.next(); !part.empty() && reader.feed(part); part = in.next()) {}
        faults = reader.finish(records);
    }
    if (in.failed())
        return fail(a, in.fault());
    if (faults)
        return refuseImport(a, from, faults);
    return records.empty() ? kDone : addAll(a, records, from);
}

}  // namespace qv::cmd
