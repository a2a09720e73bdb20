// The commands that read: they never create or change a file.
#include <algorithm>

#include "catalog/catalog.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/status.h"
#include "cli/texts.h"
#include "cli/unicode.h"
#include "history/history.h"

namespace qv::cli {

int listCommand(const Args& a)
{
    std::vector<Record> records;
    if (Fault f = listRecords(records))
        return fail(a, f);
    printRecords(records, a.json);
    return kDone;
}

int showCommand(const Args& a)
{
    std::vector<Record> records;
    if (Fault f = listRecords(records))
        return fail(a, f);
    const int code = *parseCode(a.pos[0]);
    if (code > static_cast<int>(records.size())) {
        Fault f = fault(Fault::NoRecord, kDataFile);
        f.code = code;
        return fail(a, f);
    }
    printRecord(records[static_cast<std::size_t>(code) - 1], a.json);
    return kDone;
}

int findCommand(const Args& a)
{
    std::vector<Record> records;
    if (Fault f = listRecords(records))
        return fail(a, f);
    const std::string text = caseFold(a.pos[0]);
    std::erase_if(records, [&](const Record& r) {
        return caseFold(r.name).find(text) == std::string::npos && caseFold(r.serial).find(text) == std::string::npos;
    });
    printRecords(records, a.json);
    return records.empty() ? kFailed : kDone;  // as grep: nothing found is no error to say
}

int checkCommand(const Args& a)
{
    for (const std::string& copy : conflictCopies())
        complain(a.cmd, copy, text::kWhyConflictCopy);
    if (holdsConflictMarkers())
        complain(a.cmd, kDataFile, text::kWhyConflicted);
    if (history::keptAsLink())
        return complain(a.cmd, kDataFile, text::kWhyGitLink);
    if (const history::Gone gone = history::programGone(); !gone.keys.empty())
        complain(a.cmd, std::string(text::kGitConfig),
                 gone.keys.front() + (gone.keys.size() > 1 ? " and " + gone.keys.back() : "") + " run " + gone.program
                     + std::string(text::kWhyGone));
    if (dataSealed())
        return complain(a.cmd, kDataFile, text::kWhySealedHere);
    Counts counts;
    if (Fault f = checkFile(counts))
        return fail(a, f);
    print("total field: " + std::to_string(counts.total) + "\ntitle lines: " + std::to_string(counts.titles)
          + "\nserial lines: " + std::to_string(counts.serials) + "\ncut marks: " + std::to_string(counts.marks)
          + "\nlayout: " + (counts.layoutSound ? "sound" : "damaged") + "\n");
    if (counts.sound() && counts.layoutSound)
        return kDone;
    return complain(a.cmd, kDataFile, text::kWhyProblems);
}

int exportCommand(const Args& a)
{
    const std::string to = a.pos.empty() ? kExportFile : a.files[0];
    if (a.pos.empty() || a.pos[0] != "-")
        return done(a, exportFile(to));
    // A reader that went away stops the copy; the end of the run tells.
    const Fault f = viewFile(kDataFile, [](std::string_view part) {
        print(part);
        return outputError() == 0;
    });
    return f ? fail(a, f) : kDone;
}

}  // namespace qv::cli
