// The commands that change the data file, each in one commit with one
// backup; they ask nothing and leave no scratch file behind.
#include <algorithm>

#include "catalog/catalog.h"
#include "catalog/import.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/output.h"
#include "cli/status.h"
#include "cli/texts.h"
#include "cli/unicode.h"

namespace qv::cli {

namespace {

// Adds what passed the checks; prints the new codes. `from`: the file
// imported, none for an add.
int addAll(const Args& a, const std::vector<NewRecord>& records, const std::string& from)
{
    int first = 0;
    const Outcome added = addRecords(records, &first, nullptr, !from.empty());
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
        complain(a.cmd, from, std::to_string(faults.more).append(a.json ? text::kWhyMoreRecords : text::kWhyMoreLines));
    return kFailed;
}

// The largest JSON read whole: far more than any catalogue's.
constexpr std::size_t kJsonLimit = std::size_t{1} << 20;

}  // namespace

int addCommand(const Args& a)
{
    const NewRecord r{a.pos[0], a.pos[1]};
    if (Fault f = checkFields(&r.name, &r.serial, Rules::Command))
        return fail(a, f);
    return addAll(a, {r}, "");
}

int editCommand(const Args& a)
{
    const std::string* name = a.name ? &*a.name : nullptr;
    const std::string* serial = a.serial ? &*a.serial : nullptr;
    if (Fault f = checkFields(name, serial, Rules::Command))
        return fail(a, f);
    return done(a, editRecord(*parseCode(a.pos[0]), name, serial));
}

// The codes name the records as they stand before the call, all removed in
// one change.
int deleteCommand(const Args& a)
{
    std::vector<int> codes;
    for (const std::string& code : a.pos)
        codes.push_back(*parseCode(code));
    std::sort(codes.begin(), codes.end());
    if (auto twice = std::adjacent_find(codes.begin(), codes.end()); twice != codes.end())
        return complain(a.cmd, "", std::string(text::kWhyTwice) + twoDigits(*twice));
    std::vector<Record> removed;
    const Outcome outcome = deleteRecords(codes, nullptr, nullptr, {}, a.verbose ? &removed : nullptr);
    if (outcome.made())
        for (const Record& r : removed)
            print(twoDigits(r.code) + "\t" + escapeText(r.name) + "\n");
    return done(a, outcome);
}

int loadCommand(const Args& a) { return done(a, loadFile(a.files[0])); }

int recoverCommand(const Args& a) { return done(a, recoverBackup()); }

// Lines NAME<TAB>SERIAL, or with --json the array that list --json prints.
// Lines that the data file could never take are not read.
int importCommand(const Args& a)
{
    const bool piped = a.pos[0] == "-";
    const std::string from = piped ? std::string(text::kStdin) : a.pos[0];
    std::vector<NewRecord> records;
    ImportFaults faults;
    std::string json;
    ImportReader reader;
    const Fault read = viewFile(piped ? nullptr : a.files[0].c_str(), [&](std::string_view part) {
        if (a.json)
            json.append(part);
        return a.json ? json.size() <= kJsonLimit : reader.feed(part);
    });
    if (read)
        return fail(a, read);
    if (json.size() > kJsonLimit)
        return complain(a.cmd, from, text::kWhyTooBig);
    faults = a.json ? readJson(json, records) : reader.finish(records);
    if (faults)
        return refuseImport(a, from, faults);
    return records.empty() ? kDone : addAll(a, records, from);
}

}  // namespace qv::cli
