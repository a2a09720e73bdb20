// Recovering the data file from the backup the last change kept.
#include "catalog/catalog.h"
#include "menu/console.h"
#include "menu/dialogues.h"
#include "menu/texts.h"

namespace qv::menu {

int recoverDialogue()
{
    printLine(text::kMenuLoad);  // the recovery is headed as the load is
    printLine(text::kRecoverAsk);
    readChar();  // the newline the menu choice left behind
    if (readChar() != 'y') {
        printLine(text::kCanceled);
        return 1;
    }
    return reportDone(recoverBackup(), text::kRecovered) ? 0 : 1;
}

}  // namespace qv::menu
