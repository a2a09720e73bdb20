// Deleting a record; the records behind it move up.
#include "catalog/catalog.h"
#include "catalog/trace.h"
#include "menu/console.h"
#include "menu/dialogues.h"
#include "menu/select.h"
#include "menu/texts.h"

namespace qv::menu {

int deleteDialogue()
{
    printLine(text::kMenuDelete);
    Selection s = selectRecord(Listing::Titles);
    if (s.outcome != Selection::Found)
        return 1;
    printChar('\n');
    printLine(text::kDeleteAsk);
    if (!readYes()) {
        printLine(text::kCanceled);
        return 1;
    }
    Trace trace;
    const Outcome deleted = deleteRecords({s.code}, s.shown.get(), &trace, [](Stage stage) {
        printLine(stage == Stage::Processing ? text::kProcessing : text::kRebuilding);
    });
    reportDone(deleted, text::kDeleted);
    return 1;
}

}  // namespace qv::menu
