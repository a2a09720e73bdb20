// Editing a record's name and serial, each step confirmed on its own and
// written at once by rebuilding the data file through velk3.dat.
#include "console.h"
#include "messages.h"
#include "operations.h"
#include "records.h"

namespace qv {

namespace {

// The text is refused when too long or holding a reserved character; the
// refusal ends the whole run.
bool acceptable(const std::string& text)
{
    if (text.size() > kMaxText) {
        printLine(msg::kTooLong);
        printLine(msg::kCanceled);
        return false;
    }
    int found = fieldcheck({text});
    if (found == 1) {
        printLine(msg::kReserved);
        printLine(msg::kCanceled);
    }
    return found == 0;
}

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
    if (!rebuilt.close()) {
        report(rebuilt);
        return false;
    }
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
    if (!openOrReport(tail, kTailFile, File::Mode::Write) || !copyFrom(data, from, tail))
        return false;
    if (!tail.close()) {
        report(tail);
        return false;
    }
    return appendFile(kTailFile, out);
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

// One step of the edit: the question, the backup, the new text, the rewrite.
// False when the run ends here.
bool step(msg::T question, msg::T ask, msg::T echo, bool isName, const Selection& s, int Turner)
{
    printLine(question);
    if (!readYes()) {
        printLine(msg::kStop);
        return true;
    }
    // The rewrites rely on the sound layout; on any other file they would
    // lose records, so such a file, and its backup, stay untouched.
    if (!checkSound() || !backup())
        return false;
    std::string text;
    if (isName) {
        readChar();   // the newline that ended the answer
        printLine(ask);
        text = readLine();
    } else {
        printLine(ask);
        text = readWord();
    }
    print(echo);
    printLine("[ " + text + " ] ");
    if (!acceptable(text))
        return false;
    bool saved = isName ? rewriteName(s.Seeker, text) : rewriteSerial(s.Seeker, Turner, text);
    if (saved)
        printLine(msg::kEditSaved);
    return saved;
}

}  // namespace

int editor()
{
    printLine(msg::kEditHeading);
    Selection s = selectrecord(Listing::Records);
    if (s.outcome != Selection::Found)
        return 1;
    printChar('\n');
    int Turner = (s.SC1 == s.N) + (s.SC2 == s.N2);
    if (!step(msg::kEditNameAsk, msg::kNewNameAsk, msg::kNewNameEcho, true, s, Turner))
        return 1;
    printChar('\n');
    if (!step(msg::kEditSerialAsk, msg::kNewSerialAsk, msg::kNewSerialEcho, false, s, Turner))
        return 1;
    printChar('\n');
    return 1;
}

}  // namespace qv
