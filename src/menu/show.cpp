// Showing one record by its code.
#include "catalog/catalog.h"
#include "catalog/layout.h"
#include "menu/console.h"
#include "menu/select.h"
#include "menu/texts.h"

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
