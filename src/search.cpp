// Showing one record by its code.
#include "console.h"
#include "layout.h"
#include "messages.h"
#include "operations.h"
#include "selectrecord.h"

namespace qv {

Fault readRecords(std::vector<Record>& records)
{
    File data;
    if (!data.open(kDataFile, File::Mode::Read))
        return data.fault();
    records.clear();
    return checkLayout(data, nullptr, [&](const Record& r) { records.push_back(r); });
}

int search()
{
    printLine(msg::kMenuShow);
    selectrecord(Listing::Titles);
    return 1;
}

}  // namespace qv
