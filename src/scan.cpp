// The consistency check: title lines and serial lines against the total
// field, and no cut mark left behind.
#include <algorithm>

#include "console.h"
#include "messages.h"
#include "operations.h"
#include "records.h"

namespace qv {

int scan()
{
    printLine(msg::kMenuCheck);
    printLine(msg::kChecking);
    File data;
    if (!openOrReport(data, kDataFile, File::Mode::Read))
        return 1;
    int PO = decodeTwo(data.getAt(kTotalTens), data.getAt(kTotalUnits));
    long Char_Check = 0, Char_Check_2 = 0, Char_Check_3 = 0;   // '*', '#', '?'
    data.seek(0);
    for (std::string_view part = data.next(); !part.empty(); part = data.next()) {
        Char_Check += std::count(part.begin(), part.end(), '*');
        Char_Check_2 += std::count(part.begin(), part.end(), '#');
        Char_Check_3 += std::count(part.begin(), part.end(), kCutMark);
    }
    if (data.failed()) {
        report(data);
        return 1;
    }
    // A title line whose serial line was lost is damage as well.
    bool sound = Char_Check == PO && Char_Check_2 == PO && Char_Check_3 == 0;
    printLine(sound ? msg::kSound : msg::kProblems);
    return 0;
}

}  // namespace qv
