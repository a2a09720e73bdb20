// The commands that read: they never create or change a file.
#include <algorithm>

#include "catalog/catalog.h"
#include "cli/commands.h"
#include "cli/unicode.h"
#include "file/file.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv::cmd {

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
    printRecord(records[code - 1], a.json);
    return kDone;
}

int find(const Args& a)
{
    std::vector<Record> records;
    if (Fault f = readRecords(records))
        return fail(a, f);
    const std::string text = caseFold(a.pos[0]);
    std::erase_if(records, [&](const Record& r) {
        return caseFold(r.name).find(text) == std::string::npos && caseFold(r.serial).find(text) == std::string::npos;
    });
    printRecords(records, a.json);
    return records.empty() ? kFailed : kDone;  // as grep: nothing found is no error to say
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

int exportFile(const Args& a) { return done(a, exportTo(a.pos.empty() ? kExportFile : a.pos[0])); }

}  // namespace qv::cmd
