// The check: title lines and serial lines against the total field, and no
// cut mark left behind.
#include "catalog/catalog.h"
#include "menu/console.h"
#include "menu/dialogues.h"
#include "menu/texts.h"

namespace qv::menu {

int checkDialogue()
{
    printLine(text::kMenuCheck);
    printLine(text::kChecking);
    Counts counts;
    if (Fault f = checkFile(counts)) {
        say(f);
        return 1;
    }
    // A title line whose serial line was lost is damage as well.
    printLine(counts.sound() ? text::kSound : text::kProblems);
    return 0;
}

}  // namespace qv::menu
