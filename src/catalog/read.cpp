// Reading the catalogue: its records, its bytes, and the check of its counts.
#include <algorithm>

#include "catalog/catalog.h"
#include "catalog/transaction.h"
#include "file/path.h"

namespace qv {

Fault listRecords(std::vector<Record>& records)
{
    Shown data;
    records.clear();
    if (Fault f = data.open())
        return f;
    return checkLayout(data.file, nullptr, [&](const Record& r) { records.push_back(r); });
}

Fault viewFile(const char* name, const std::function<bool(std::string_view)>& sink)
{
    File in;
    if (!(name ? in.open(name, File::Mode::Read) : in.adopt(0, kStandardInput)))
        return in.failure();
    for (std::string_view part = in.next(); !part.empty() && sink(part); part = in.next()) {}
    return in.failed() ? Fault(in.failure()) : Fault{};
}

Fault checkFile(Counts& counts)
{
    Shown data;
    counts = {};
    if (Fault f = data.open())
        return f;
    File& in = data.file;
    counts.total = decodeTwo(in.getAt(kTotalTens), in.getAt(kTotalUnits));
    in.seek(0);
    for (std::string_view part = in.next(); !part.empty(); part = in.next()) {
        counts.titles += std::count(part.begin(), part.end(), '*');
        counts.serials += std::count(part.begin(), part.end(), '#');
        counts.marks += std::count(part.begin(), part.end(), '?');
    }
    if (in.failed())
        return in.failure();
    const Fault layout = data.sound();
    counts.layoutSound = !layout;
    return layout.kind == Fault::Damaged ? Fault{} : layout;
}

bool dataSealed()
{
    std::string start;
    (void)viewFile(kDataFile, [&](std::string_view part) {
        start.append(part.substr(0, cipher::kHeaderBytes - start.size()));
        return start.size() < cipher::kHeaderBytes;
    });
    return cipher::sealed(start);
}

std::vector<std::string> conflictCopies()
{
    std::vector<std::string> copies;
    for (const std::string& name : namesIn("."))
        if ((name.starts_with("velk.sync-conflict-")
             || (name.starts_with("velk (") && name.find("conflicted copy") != std::string::npos))
            && name.ends_with(".dat"))
            copies.push_back(name);
    std::sort(copies.begin(), copies.end());
    return copies;
}

bool holdsConflictMarkers()
{
    bool marked = false;
    std::string line;  // the start of each line is all a marker needs
    (void)viewFile(kDataFile, [&](std::string_view part) {
        for (char c : part) {
            if (c == '\n') {
                marked = marked || line.starts_with("<<<<<<< ") || line.starts_with(">>>>>>> ") || line == "=======";
                line.clear();
            } else if (line.size() < 8) {
                line += c;
            }
        }
        return !marked;
    });
    return marked;
}

}  // namespace qv
