// Exporting the data file as velk.txt.
#include "catalog/catalog.h"
#include "menu/console.h"
#include "menu/dialogues.h"
#include "menu/texts.h"

namespace qv::menu {

int exportDialogue()
{
    printLine(text::kMenuExport);
    printLine(text::kSaving);
    return reportDone(exportFile(kExportFile), text::kSaved) ? 0 : 1;
}

}  // namespace qv::menu
