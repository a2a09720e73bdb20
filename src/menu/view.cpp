// Printing the whole data file.
#include "catalog/catalog.h"
#include "menu/console.h"
#include "menu/dialogues.h"
#include "menu/texts.h"

namespace qv::menu {

int viewDialogue()
{
    printLine(text::kMenuView);
    printChar('\n');
    if (Fault f = printFile(kDataFile)) {
        say(f);
        return 1;
    }
    waitForKey();
    printLine(text::kBackToMenu);
    return 0;
}

}  // namespace qv::menu
