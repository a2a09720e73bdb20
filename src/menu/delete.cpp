// Removing records: the records behind them move up and are renumbered, so
// the codes stay 01..N without a gap.
#include <algorithm>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/layout.h"
#include "catalog/pieces.h"
#include "catalog/transaction.h"
#include "menu/console.h"
#include "menu/select.h"
#include "menu/texts.h"

namespace qv {

namespace {

// Recounts the records of the rebuilt file into its total field, then gives
// the records behind the first removed one the codes c, c+1, ... in file
// order.
void renumber(File& rebuilt, int PO, int c, int Point_2)
{
    long PO_Fix = 0;
    rebuilt.seek(0);
    for (std::string_view part = rebuilt.next(); !part.empty(); part = rebuilt.next())
        PO_Fix += std::count(part.begin(), part.end(), '#');
    rebuilt.seek(kTotalTens);
    rebuilt.write(twoDigits(static_cast<int>(PO_Fix)));
    long S = Point_2 == 0 ? 0 : findByte(rebuilt, 1, '*', Point_2);
    if (PO == c || S < 0)
        return;
    // Every '(' behind S is found first, in one pass; the codes written
    // after it move none of them.
    std::vector<long> opens;
    rebuilt.seek(S + 1);
    for (long at = S + 1;;) {
        const std::string_view part = rebuilt.next();
        if (part.empty())
            break;
        for (std::size_t k = part.find('('); k != std::string_view::npos; k = part.find('(', k + 1))
            opens.push_back(at + static_cast<long>(k));
        at += static_cast<long>(part.size());
    }
    for (long open : opens) {
        rebuilt.seek(open + 1);
        rebuilt.write(twoDigits(++Point_2));
    }
}

}  // namespace

Outcome removeRecords(const std::vector<int>& codes, Shown* shown, Through how, const std::function<void(Stage)>& stage)
{
    Change change(shown);
    if (change.fault())
        return change.fault();
    const int PO = change.total();
    for (int c : codes)
        if (c < 1 || c > PO) {
            Fault f = fault(Fault::NoRecord, kDataFile);
            f.code = c;
            return f;
        }
    if (codes.empty())
        return Outcome::done();
    if (stage)
        stage(Stage::Processing);
    File& data = change.data();
    // The new file: the head in front of the first removed record, then what
    // lies between the removed records, then the tail. A record's cut is the
    // newline in front of its '(', its end the '#' of its serial line.
    auto cut = [&](int c) { return c == 1 ? kHeaderLength : findByte(data, 1, '#', c - 1) + 1; };
    Rebuild rebuilt(change, how);
    long stars = 0;
    Fault f = rebuilt.head(cut(codes[0]), stars);
    for (std::size_t i = 0; !f && i < codes.size(); ++i) {
        const long end = findByte(data, recordStart(data, codes[i]) + 3, '#');
        f = rebuilt.piece(end + 1, i + 1 < codes.size() ? cut(codes[i + 1]) : -1);
    }
    if (f)
        return f;
    if (stage)
        stage(Stage::Rebuilding);
    renumber(*rebuilt.out(), PO, codes[0], static_cast<int>(stars));
    return rebuilt.commit(PO - static_cast<int>(codes.size()));
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
    Outcome removed = removeRecords({s.PO_2}, s.shown.get(), Through::Scratch, [](Stage stage) {
        printLine(stage == Stage::Processing ? msg::kProcessing : msg::kRebuilding);
    });
    reportDone(removed, msg::kDeleted);
    return 1;
}

}  // namespace qv
