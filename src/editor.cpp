// Editing a record's name and serial, each step confirmed on its own and
// written at once by rebuilding the data file through velk3.dat.
#include "console.h"
#include "messages.h"
#include "operations.h"
#include "records.h"

namespace qv {

namespace {

// Writes the cut mark at `cut`, copies the data file in front of it to
// velk3.dat, lets `rest` add the new piece and what follows, and puts
// velk3.dat in the data file's place.
template <typename Rest>
bool rebuild(long cut, Rest rest)
{
    CutMark mark;
    if (!mark.place(cut))
        return false;
    File data, rebuilt;
    if (!openOrReport(data, kDataFile, File::Mode::Read) || !openOrReport(rebuilt, kRebuildFile, File::Mode::Write)
        || !copyHead(data, rebuilt) || !rest(data, rebuilt))
        return false;
    if (!closeOrReport(rebuilt))
        return false;
    data.close();
    if (!replaceWith(kDataFile, kRebuildFile))
        return false;
    mark.release();   // it went with the old file
    return true;
}

// Copies the data file from `from` to velk2.dat, then velk2.dat to `out`.
bool tailThroughScratch(File& data, long from, File& out)
{
    File tail;
    return openOrReport(tail, kTailFile, File::Mode::Write) && copyFrom(data, from, tail) && closeOrReport(tail)
           && appendFile(kTailFile, out);
}

// The end of the chosen title line: its '*'.
long titleEnd(long Seeker)
{
    File data;
    if (!openOrReport(data, kDataFile, File::Mode::Read))
        return -1;
    long star = findByte(data, Seeker + 1, '*');
    if (star < 0)
        data.failed() ? report(data) : reportDamaged();
    return star;
}

bool rewriteName(long Seeker, const std::string& Name)
{
    long star = titleEnd(Seeker);
    return star >= 0 && rebuild(Seeker + 4, [&](File& data, File& rebuilt) {
        return rebuilt.write(Name + " ]*") && tailThroughScratch(data, star + 1, rebuilt);
    });
}

bool rewriteSerial(long Seeker, int Turner, const std::string& SN)
{
    long star = titleEnd(Seeker);
    return star >= 0 && rebuild(star + 1, [&](File& data, File& rebuilt) {
        rebuilt.write("\n" + SN + " #");
        if (Turner == 2)   // the last record: nothing follows it
            return rebuilt.write("\n");
        long next = findByte(data, Seeker + 1, '(');
        if (next < 0) {
            data.failed() ? report(data) : reportDamaged();
            return false;
        }
        return rebuilt.write("\n") && tailThroughScratch(data, next, rebuilt);
    });
}

// Asks whether to take a step; a refusal prints "Stop .... ".
bool accepted(msg::T question)
{
    printLine(question);
    if (readYes())
        return true;
    printLine(msg::kStop);
    return false;
}

// The rewrites rely on the sound layout; on any other file they would lose
// records, so such a file, and its backup, stay untouched.
bool readyToChange() { return checkSound() && backup(); }

bool saved(bool rewritten)
{
    if (rewritten)
        printLine(msg::kEditSaved);
    return rewritten;
}

// Each step returns false when the run ends with it.
bool nameStep(long Seeker)
{
    if (!accepted(msg::kEditNameAsk))
        return true;
    if (!readyToChange())
        return false;
    readChar();   // the newline that ended the answer
    printLine(msg::kNewNameAsk);
    const std::string Name = readLine();
    printEcho(msg::kNewNameEcho, Name);
    return acceptable({Name}) && saved(rewriteName(Seeker, Name));
}

bool serialStep(long Seeker, int Turner)
{
    if (!accepted(msg::kEditSerialAsk))
        return true;
    if (!readyToChange())
        return false;
    printLine(msg::kNewSerialAsk);
    const std::string SN = readWord();
    printEcho(msg::kNewSerialEcho, SN);
    return acceptable({SN}) && saved(rewriteSerial(Seeker, Turner, SN));
}

}  // namespace

int editor()
{
    printLine(msg::kEditHeading);
    Selection s = selectrecord(Listing::Records);
    if (s.outcome != Selection::Found)
        return 1;
    printChar('\n');
    // 2 when the code typed is the total: the last record, nothing behind it.
    const int Turner = (s.SC1 == s.N) + (s.SC2 == s.N2);
    if (!nameStep(s.Seeker))
        return 1;
    printChar('\n');
    if (!serialStep(s.Seeker, Turner))
        return 1;
    printChar('\n');
    return 1;
}

}  // namespace qv
