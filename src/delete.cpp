// Removing a record: the records behind it move up and are renumbered, so
// the codes stay 01..N without a gap.
#include <algorithm>

#include "change.h"
#include "console.h"
#include "layout.h"
#include "messages.h"
#include "operations.h"
#include "rebuild.h"
#include "selectrecord.h"

namespace qv {

namespace {

// velk3.dat: the head of the data file, everything in front of the cut, by
// way of velk2.dat, then the data file from `from` on. Point_2 counts the
// records in the head.
Fault assemble(File& data, long cut, long from, File& rebuilt, int& Point_2)
{
    File head;
    if (!head.open(kTailFile, File::Mode::Scratch))
        return head.fault();
    Fault f = copyRange(data, 0, cut, head);
    if (f || !head.settle())
        return f ? f : head.fault();
    if (!rebuilt.open(kRebuildFile, File::Mode::Scratch))
        return rebuilt.fault();
    head.seek(0);
    for (std::string_view part = head.next(); !part.empty(); part = head.next()) {
        Point_2 += static_cast<int>(std::count(part.begin(), part.end(), '*'));
        rebuilt.write(part);
    }
    if (head.failed() || !head.close())
        return head.fault();
    return copyRange(data, from, -1, rebuilt);
}

// Recounts the records of the rebuilt file into its total field, then gives
// the records behind the removed one the codes c, c+1, ... in file order.
void renumber(File& rebuilt, int PO, int c, int Point_2)
{
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
}

}  // namespace

Fault removeRecord(int c, Shown* shown, const std::function<void(Stage)>& stage)
{
    Change change(shown);
    if (change.fault())
        return change.fault();
    const int PO = change.total();
    if (c < 1 || c > PO)
        return fault(Fault::NoRecord, kDataFile);
    if (stage)
        stage(Stage::Processing);
    File& data = change.data();
    // The cut: the newline in front of the record's '('.
    const long cut = c == 1 ? kHeaderLength : findByte(data, 1, '#', c - 1) + 1;
    const long end = findByte(data, recordStart(data, c) + 3, '#');
    int Point_2 = 0;
    File rebuilt;
    Fault f = assemble(data, cut, end + 1, rebuilt, Point_2);
    if (f)
        return f;
    if (stage)
        stage(Stage::Rebuilding);
    renumber(rebuilt, PO, c, Point_2);
    if (!rebuilt.settle())
        return rebuilt.fault();
    return change.commitFrom(rebuilt);
}

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
    Fault f = removeRecord(s.PO_2, s.shown.get(), [](Stage stage) {
        printLine(stage == Stage::Processing ? msg::kProcessing : msg::kRebuilding);
    });
    reportDone(f, msg::kDeleted);
    return 1;
}

}  // namespace qv
