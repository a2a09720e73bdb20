// The consistency check: title lines and serial lines against the total
// field, and no cut mark left behind.
#include <algorithm>

#include "catalog/catalog.h"
#include "catalog/layout.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv {

Fault countMarks(Counts& counts)
{
    File data;
    if (!data.open(kDataFile, File::Mode::Read))
        return data.fault();
    counts = {};
    counts.total = decodeTwo(data.getAt(kTotalTens), data.getAt(kTotalUnits));
    data.seek(0);
    for (std::string_view part = data.next(); !part.empty(); part = data.next()) {
        counts.titles += std::count(part.begin(), part.end(), '*');
        counts.serials += std::count(part.begin(), part.end(), '#');
        counts.marks += std::count(part.begin(), part.end(), '?');
    }
    return data.failed() ? data.fault() : Fault{};
}

int scan()
{
    printLine(msg::kMenuCheck);
    printLine(msg::kChecking);
    Counts counts;
    if (Fault f = countMarks(counts)) {
        say(f);
        return 1;
    }
    // A title line whose serial line was lost is damage as well.
    printLine(counts.sound() ? msg::kSound : msg::kProblems);
    return 0;
}

}  // namespace qv
