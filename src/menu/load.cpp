// Replacing the data file with a copy of a file the user names.
#include "catalog/catalog.h"
#include "menu/console.h"
#include "menu/dialogues.h"
#include "menu/texts.h"

namespace qv::menu {

int loadDialogue()
{
    printLine(text::kMenuLoad);
    print(text::kLoadAsk);
    return reportDone(loadFile(readWord()), text::kLoaded) ? 0 : 1;
}

}  // namespace qv::menu
