// Editing a record's name and serial, each step confirmed on its own and
// saved at once.
#include "catalog/catalog.h"
#include "catalog/trace.h"
#include "menu/console.h"
#include "menu/dialogues.h"
#include "menu/select.h"
#include "menu/texts.h"

namespace qv::menu {

namespace {

// Asks whether to take a step; a refusal prints "Stop .... ".
bool accepted(text::T question)
{
    printLine(question);
    if (readYes())
        return true;
    printLine(text::kStop);
    return false;
}

// Checked as soon as a step is accepted, so that nobody types a text that
// could not be stored; the change itself checks again under the lock.
bool stillShown(Selection& s)
{
    const Fault f = s.shown->check();
    say(f);
    return !f;
}

// Stores what the step read, or says why not; false ends the run.
bool save(Selection& s, const std::string* name, const std::string* serial)
{
    Trace trace;
    if (Fault f = checkFields(name, serial, Rules::Menu, &trace))
        return reportDone(f, text::kEditSaved);
    return reportDone(editRecord(s.code, name, serial, s.shown.get(), &trace), text::kEditSaved);
}

bool nameStep(Selection& s)
{
    if (!accepted(text::kEditNameAsk))
        return true;
    if (!stillShown(s))
        return false;
    readChar();  // the newline that ended the answer
    printLine(text::kNewNameAsk);
    const std::string name = readLine();
    printEcho(text::kNewNameEcho, name);
    return save(s, &name, nullptr);
}

bool serialStep(Selection& s)
{
    if (!accepted(text::kEditSerialAsk))
        return true;
    if (!stillShown(s))
        return false;
    printLine(text::kNewSerialAsk);
    const std::string serial = readWord();
    printEcho(text::kNewSerialEcho, serial);
    return save(s, nullptr, &serial);
}

}  // namespace

int editDialogue()
{
    printLine(text::kEditHeading);
    Selection s = selectRecord(Listing::Records);
    if (s.outcome != Selection::Found)
        return 1;
    printChar('\n');
    if (!nameStep(s))
        return 1;
    printChar('\n');
    if (serialStep(s))
        printChar('\n');
    return 1;
}

}  // namespace qv::menu
