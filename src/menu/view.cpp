// Printing the whole data file.
#include "catalog/catalog.h"
#include "catalog/layout.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv {

int allviewer()
{
    printLine(msg::kMenuView);
    printChar('\n');
    File data;
    if (!data.open(kDataFile, File::Mode::Read)) {
        say(data.fault());
        return 1;
    }
    if (!printFile(data))
        return 1;
    data.close();
    waitForKey();
    printLine(msg::kBackToMenu);
    return 0;
}

}  // namespace qv
