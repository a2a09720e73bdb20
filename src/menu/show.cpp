// Showing one record by its code: the selection alone.
#include "menu/console.h"
#include "menu/dialogues.h"
#include "menu/select.h"
#include "menu/texts.h"

namespace qv::menu {

int showDialogue()
{
    printLine(text::kMenuShow);
    selectRecord(Listing::Titles);
    return 1;
}

}  // namespace qv::menu
