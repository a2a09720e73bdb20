// Adding a record under the next code.
#include "catalog/catalog.h"
#include "catalog/trace.h"
#include "catalog/transaction.h"
#include "history/history.h"
#include "menu/console.h"
#include "menu/dialogues.h"
#include "menu/texts.h"

namespace qv::menu {

int addDialogue()
{
    Shown shown;
    if (Fault f = shown.open(true)) {
        say(f);
        return 1;
    }
    if (shown.missing && history::missingButKept()) {  // none started anew in its place
        printLine(text::kDataKept);
        return 1;
    }
    if (shown.file.getAt(kTotalTens) == '9' && shown.file.getAt(kTotalUnits) == '9') {
        printLine(text::kFull);
        return 1;
    }
    if (Fault f = shown.sound()) {
        say(f);
        return 1;
    }
    printLine(text::kMenuAdd);
    readChar();  // the newline the menu choice left behind
    NewRecord r;
    printLine(text::kNameAsk);
    r.name = readLine();
    printEcho(text::kNameEcho, r.name);
    printLine(text::kSerialAsk);
    r.serial = readWord();
    printEcho(text::kNameEcho, r.name);
    printEcho(text::kSerialEcho, r.serial);
    Trace trace;
    if (Fault f = checkFields(&r.name, &r.serial, Rules::Menu, &trace)) {
        say(f);
        return 1;
    }
    print(text::kSaveAsk);
    if (!readYes()) {
        printLine(text::kCanceled);
        return 1;
    }
    if (!reportDone(addRecords({r}, nullptr, &shown), text::kAdded))
        return 1;
    printChar('\n');
    return 0;
}

}  // namespace qv::menu
