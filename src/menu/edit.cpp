// Editing a record's name and serial, each step confirmed on its own and
// written at once by rebuilding the data file through velk3.dat.
#include "catalog/catalog.h"
#include "catalog/fields.h"
#include "catalog/layout.h"
#include "catalog/pieces.h"
#include "catalog/transaction.h"
#include "menu/console.h"
#include "menu/select.h"
#include "menu/texts.h"

namespace qv {

Outcome rewriteRecord(int code, Shown* shown, const std::string* Name, const std::string* SN, Through how)
{
    Change change(shown);
    if (change.fault())
        return change.fault();
    if (code < 1 || code > change.total()) {
        Fault f = fault(Fault::NoRecord, kDataFile);
        f.code = code;
        return f;
    }
    File& data = change.data();
    const long Seeker = recordStart(data, code) + 2;    // the units digit of the code
    const long star = findByte(data, Seeker + 1, '*');  // the end of the title line
    const bool last = code == change.total();
    Rebuild rebuilt(change, how);
    File* out = rebuilt.out();
    if (!out)
        return rebuilt.fault();
    // The cut: the first byte of the old name, or the newline that ends the
    // title line when only the serial changes.
    Fault f = rebuilt.piece(0, Name ? Seeker + 4 : star + 1);
    if (!f && Name && !out->write(*Name + " ]*"))
        f = out->fault();
    // The new serial line, then what followed the old one: the next record
    // and all behind it, or nothing after the last record.
    if (!f && SN && !(out->write("\n" + *SN + " #") && out->write("\n")))
        f = out->fault();
    if (!f && !(SN && last))
        f = rebuilt.tail(SN ? findByte(data, Seeker + 1, '(') : star + 1);
    return f ? f : rebuilt.commit(change.total(), true);
}

namespace {

// Asks whether to take a step; a refusal prints "Stop .... ".
bool accepted(msg::T question)
{
    printLine(question);
    if (readYes())
        return true;
    printLine(msg::kStop);
    return false;
}

// Checked as soon as a step is accepted, so that nobody types a text that
// could not be stored; the change itself checks again under the lock.
bool stillShown(Selection& s)
{
    Fault f = s.shown->check();
    say(f);
    return !f;
}

// Stores what the step read, or says why not; false ends the run.
bool save(Selection& s, const std::string* Name, const std::string* SN)
{
    if (Fault f = checkFields(Name, SN, Through::Scratch))
        return reportDone(f, msg::kEditSaved);
    return reportDone(rewriteRecord(s.PO_2, s.shown.get(), Name, SN, Through::Scratch), msg::kEditSaved);
}

bool nameStep(Selection& s)
{
    if (!accepted(msg::kEditNameAsk))
        return true;
    if (!stillShown(s))
        return false;
    readChar();  // the newline that ended the answer
    printLine(msg::kNewNameAsk);
    const std::string Name = readLine();
    printEcho(msg::kNewNameEcho, Name);
    return save(s, &Name, nullptr);
}

bool serialStep(Selection& s)
{
    if (!accepted(msg::kEditSerialAsk))
        return true;
    if (!stillShown(s))
        return false;
    printLine(msg::kNewSerialAsk);
    const std::string SN = readWord();
    printEcho(msg::kNewSerialEcho, SN);
    return save(s, nullptr, &SN);
}

}  // namespace

int editor()
{
    printLine(msg::kEditHeading);
    Selection s = selectrecord(Listing::Records);
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

}  // namespace qv
