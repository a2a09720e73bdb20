// Printing the whole data file.
#include "console.h"
#include "messages.h"
#include "operations.h"
#include "records.h"

namespace qv {

int allviewer()
{
    printLine(msg::kMenuView);
    printChar('\n');
    File data;
    if (!openOrReport(data, kDataFile, File::Mode::Read) || !printFile(data))
        return 1;
    data.close();
    waitForKey();
    printLine(msg::kBackToMenu);
    return 0;
}

}  // namespace qv
