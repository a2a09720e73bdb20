// Editing a record's name and serial, each step confirmed on its own and
// written at once by rebuilding the data file through velk3.dat.
#include "change.h"
#include "console.h"
#include "fieldcheck.h"
#include "layout.h"
#include "messages.h"
#include "operations.h"
#include "rebuild.h"
#include "selectrecord.h"

namespace qv {

namespace {

// The new serial line, then what followed the old one: the next record and
// all behind it, or nothing after the last record.
Fault newSerial(File& data, long Seeker, bool last, const std::string& SN, File& rebuilt)
{
    if (!rebuilt.write("\n" + SN + " #") || !rebuilt.write("\n"))
        return rebuilt.fault();
    return last ? Fault{} : tailThroughScratch(data, findByte(data, Seeker + 1, '('), rebuilt);
}

}  // namespace

Fault rewriteRecord(int code, Shown* shown, const std::string* Name, const std::string* SN)
{
    Change change(shown);
    if (change.fault())
        return change.fault();
    if (code < 1 || code > change.total())
        return fault(Fault::NoRecord, kDataFile);
    File& data = change.data();
    const long Seeker = recordStart(data, code) + 2;   // the units digit of the code
    const long star = findByte(data, Seeker + 1, '*');  // the end of the title line
    // The cut: the first byte of the old name, or the newline that ends the
    // title line when only the serial changes.
    File rebuilt;
    if (!rebuilt.open(kRebuildFile, File::Mode::Scratch))
        return rebuilt.fault();
    Fault f = copyRange(data, 0, Name ? Seeker + 4 : star + 1, rebuilt);
    if (!f && Name && !rebuilt.write(*Name + " ]*"))
        f = rebuilt.fault();
    if (!f)
        f = SN ? newSerial(data, Seeker, code == change.total(), *SN, rebuilt)
               : tailThroughScratch(data, star + 1, rebuilt);
    if (!f && !rebuilt.settle())
        f = rebuilt.fault();
    return f ? f : change.commitFrom(rebuilt, true);
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
    Fault f = checkFields(Name, SN, Through::Scratch);
    if (!f)
        f = rewriteRecord(s.PO_2, s.shown.get(), Name, SN);
    return reportDone(f, msg::kEditSaved);
}

bool nameStep(Selection& s)
{
    if (!accepted(msg::kEditNameAsk))
        return true;
    if (!stillShown(s))
        return false;
    readChar();   // the newline that ended the answer
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
