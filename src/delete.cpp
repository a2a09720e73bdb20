// Removing a record: the records behind it move up and are renumbered, so
// the codes stay 01..N without a gap.
#include <algorithm>

#include "console.h"
#include "messages.h"
#include "operations.h"
#include "records.h"

namespace qv {

namespace {

// Recounts the records of the rebuilt file into its total field, then gives
// the records behind the removed one the codes c, c+1, ... in file order.
bool renumber(int PO, int c, int Point_2)
{
    File rebuilt;
    if (!openOrReport(rebuilt, kRebuildFile, File::Mode::Update))
        return false;
    long PO_Fix = 0;
    rebuilt.seek(0);
    for (std::string_view part = rebuilt.next(); !part.empty(); part = rebuilt.next())
        PO_Fix += std::count(part.begin(), part.end(), '#');
    rebuilt.seek(kTotalTens);
    rebuilt.write(twoDigits(static_cast<int>(PO_Fix)));
    long S = Point_2 == 0 ? 0 : findByte(rebuilt, 1, '*', Point_2);
    if (PO != c && S >= 0) {
        for (long open = findByte(rebuilt, S + 1, '('); open >= 0; open = findByte(rebuilt, open + 1, '(')) {
            rebuilt.seek(open + 1);
            rebuilt.write(twoDigits(++Point_2));
        }
    }
    return closeOrReport(rebuilt);
}

// Rebuilds the data file without record c: its head (everything in front of
// the cut mark) goes to velk2.dat, head and tail are put together in
// velk3.dat, which is corrected in place and replaces the data file.
bool removeRecord(int PO, int c, long Seeker)
{
    File data;
    if (!openOrReport(data, kDataFile, File::Mode::Read))
        return false;
    long cut = kHeaderLength;
    if (c >= 2) {
        long hash = findByte(data, 1, '#', c - 1);
        cut = hash < 0 ? -1 : hash + 1;
    }
    long end = findByte(data, Seeker + 1, '#');
    if (cut < 0 || end < 0) {
        data.failed() ? report(data) : reportDamaged();
        return false;
    }
    CutMark mark;
    if (!mark.place(cut))
        return false;
    {
        File marked, head;
        if (!openOrReport(marked, kDataFile, File::Mode::Read) || !openOrReport(head, kTailFile, File::Mode::Write)
            || !copyHead(marked, head) || !closeOrReport(head))
            return false;
    }
    File head, rebuilt;
    if (!openOrReport(head, kTailFile, File::Mode::Read) || !openOrReport(rebuilt, kRebuildFile, File::Mode::Write))
        return false;
    int Point_2 = 0;
    for (std::string_view part = head.next(); !part.empty(); part = head.next()) {
        Point_2 += static_cast<int>(std::count(part.begin(), part.end(), '*'));
        rebuilt.write(part);
    }
    // The reading handle only ever reads behind the mark, which it never saw.
    if (head.failed() || !copyFrom(data, end + 1, rebuilt)) {
        if (head.failed())
            report(head);
        return false;
    }
    if (!closeOrReport(rebuilt))
        return false;
    printLine(msg::kRebuilding);
    if (!renumber(PO, c, Point_2) || !replaceWith(kDataFile, kRebuildFile))
        return false;
    mark.release();   // it went with the old file
    return true;
}

}  // namespace

int delete_()
{
    printLine(msg::kMenuDelete);
    Selection s = selectrecord(Listing::Titles);
    if (s.outcome != Selection::Found)
        return 1;
    printChar('\n');
    printLine(msg::kDeleteAsk);
    if (!readYes()) {
        printLine(msg::kCanceled);
        return 1;
    }
    // The cut and the renumbering rely on the sound layout; on any other file
    // they would lose records, so such a file, and its backup, stay untouched.
    if (!checkSound() || !backup())
        return 1;
    printLine(msg::kProcessing);
    if (removeRecord(s.PO, s.PO_2, s.Seeker))
        printLine(msg::kDeleted);
    return 1;
}

}  // namespace qv
