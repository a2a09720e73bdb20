#include "menu/select.h"

#include "catalog/catalog.h"
#include "catalog/trace.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv::menu {

namespace {

// The selection met the end of the data file before what the total promised,
// or could not read it. `midLine` when a listed or shown line is unfinished.
Selection broken(const File& data, bool midLine)
{
    if (midLine)
        printChar('\n');
    say(data.failed() ? Fault(data.failure()) : fault(Fault::Damaged));
    return {};
}

// Adds the bytes from `from` up to, not including, the next `stop` to
// `shown`; the offset of that stop, or -1 at the end of the file.
long takeUntil(File& data, long from, char stop, std::string& shown)
{
    data.seek(from);
    for (long at = from;; at = data.tell()) {
        const std::string_view part = data.next();
        if (part.empty())
            return -1;
        const std::size_t k = part.find(stop);
        shown.append(part.substr(0, k));
        if (k != std::string_view::npos)
            return at + static_cast<long>(k);
    }
}

// Prints each record's title line (the edit: its serial line too) with the
// byte in front of it, records found in file order by their '(', all in one
// write; false at an early end of the file.
bool listRecords(File& data, int total, Listing listing)
{
    const char stop = listing == Listing::Titles ? '*' : '#';
    std::string shown;
    bool whole = true;
    data.seek(0);
    if (const std::string_view all = data.next(); all.size() < File::kWindow && !data.failed()) {
        // The whole file lies in the window, as a catalogue's does: its
        // bytes are searched as they are, and the listing is never longer.
        shown.reserve(all.size());
        for (std::size_t open = 0, listed = 0; whole && listed < static_cast<std::size_t>(total); ++listed) {
            open = all.find('(', open + 1);
            const std::size_t end = open == std::string_view::npos ? open : all.find(stop, open - 1);
            whole = end != std::string_view::npos;
            if (whole)
                shown.append(all.substr(open - 1, end - (open - 1)));
        }
    } else {
        for (long open = 0, listed = 0; whole && listed < total; ++listed) {
            open = findByte(data, open + 1, '(');
            whole = open >= 0 && takeUntil(data, open - 1, stop, shown) >= 0;
        }
    }
    print(shown);
    return whole;
}

// Asks for the code: one character dropped (the newline the menu choice left
// behind), then the tens and the units, whatever they are.
std::string askCode(Listing listing)
{
    printChar('\n');
    if (listing == Listing::Records)
        printLine(text::kChooseEdit);
    printLine(text::kCodeAsk);
    print(":");
    readChar();
    std::string typed{readChar()};
    typed += readChar();
    printEcho(text::kCodeEcho, typed);
    return typed;
}

}  // namespace

Selection selectRecord(Listing listing)
{
    Selection s;
    Trace trace;
    if (Fault f = trace.select()) {
        say(f);
        return s;
    }
    if (Fault f = s.shown->open()) {
        say(f);
        return s;
    }
    File& data = s.shown->file;
    const int tens = data.getAt(kTotalTens), units = data.getAt(kTotalUnits);
    if (data.failed())
        return broken(data, false);
    s.total = decodeTwo(tens, units);
    if (tens == '0' && units == '0') {
        printLine(text::kEmpty);
        s.outcome = Selection::Empty;
        return s;
    }
    if (!listRecords(data, s.total, listing))
        return broken(data, true);
    const std::string typed = askCode(listing);
    s.code = decodeTwo(typed[0], typed[1]);
    if (!isDigit(typed[0]) || !isDigit(typed[1]) || s.code == 0 || s.code > s.total) {
        printLine(text::kWrongCode);
        s.outcome = Selection::Rejected;
        return s;
    }
    // The record's marker, in the very file that was listed (a change
    // meanwhile brings a new file); shown up to its '#'.
    const long marker = findMarker(data, s.code);
    if (marker < 0)
        return broken(data, false);
    std::string shown;
    const bool whole = takeUntil(data, marker, '#', shown) >= 0;
    print(shown);
    if (!whole)
        return broken(data, true);
    s.outcome = Selection::Found;
    return s;
}

}  // namespace qv::menu
