#include "menu/select.h"

#include <cerrno>

#include "catalog/layout.h"
#include "catalog/pieces.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv {

namespace {

// The selection met the end of the data file before what the total promised,
// or could not read it. `midLine` when a listed or shown line is unfinished.
Selection broken(const File& data, bool midLine)
{
    if (midLine)
        printChar('\n');
    say(data.failed() ? data.fault() : fault(Fault::Damaged));
    return {};
}

// Adds the bytes from the cursor up to, not including, `stop` to `out`;
// false at end of file.
bool takeUntil(File& data, char stop, std::string& out)
{
    for (long at = data.tell();; at = data.tell()) {
        std::string_view part = data.next();
        if (part.empty())
            return false;
        std::size_t k = part.find(stop);
        out.append(part.substr(0, k));
        if (k != std::string_view::npos) {
            data.seek(at + static_cast<long>(k) + 1);
            return true;
        }
    }
}

// Prints from the cursor up to, not including, `stop`; false at end of file.
bool printUntil(File& data, char stop)
{
    std::string text;
    const bool whole = takeUntil(data, stop, text);
    print(text);
    return whole;
}

// The position log is reset for whoever looks at it, but the search always
// starts at the head of the file: a stale or unwritable log must never move
// it. Only a link planted in its place stops the selection.
bool resetLog()
{
    File log;
    if (!log.open(kLogFile, File::Mode::Scratch)) {
        if (log.error() == ELOOP)
            return say(log.fault()), false;
        return true;
    }
    log.write("00");
    log.close();
    return true;
}

// Prints each record's title line (the edit: its serial line too), the line
// in front of it first; false at an early end of the file.
bool listRecords(File& data, int PO, Listing listing)
{
    const char stop = listing == Listing::Titles ? '*' : '#';
    std::string text;  // printed at once: a listing is a few kilobytes
    bool whole = true;
    data.seek(0);
    if (std::string_view all = data.next(); !all.empty() && all.size() < File::kWindow && !data.failed()) {
        // The whole file lies in the window, as a catalogue's does.
        for (std::size_t TN = 0, All = 0; whole && All < static_cast<std::size_t>(PO); ++All) {
            TN = all.find('(', TN + 1);
            const std::size_t end = TN == std::string_view::npos ? TN : all.find(stop, TN - 1);
            if (TN != std::string_view::npos)
                text.append(all.substr(TN - 1, end - (TN - 1)));
            whole = end != std::string_view::npos;
        }
    } else {
        long TN = 0;
        for (int All = 0; whole && All < PO; ++All) {
            TN = findByte(data, TN + 1, '(');
            if (TN < 0)
                whole = false;
            data.seek(TN - 1);
            whole = whole && takeUntil(data, stop, text);
        }
    }
    print(text);
    return whole;
}

// Asks for the code: one character dropped (the newline the menu choice left
// behind), then the tens and the units, whatever they are.
void askCode(Selection& s, Listing listing)
{
    printChar('\n');
    if (listing == Listing::Records)
        printLine(msg::kChooseEdit);
    printLine(msg::kCodeAsk);
    print(":");
    readChar();
    s.SC1 = readChar();
    s.SC2 = readChar();
    printEcho(msg::kCodeEcho, std::string{s.SC1, s.SC2});
    s.PO_2 = decodeTwo(s.SC1, s.SC2);
}

// The record's marker: the first '(' T U ')' in file order, in the very file
// that was listed (a change meanwhile brings a new file). Shows the record;
// false (the selection failed) at an early end of the file.
bool findRecord(File& data, Selection& s)
{
    const int SC1 = static_cast<unsigned char>(s.SC1);
    long Seeker = 1;
    data.seek(0);
    if (std::string_view all = data.next(); !all.empty() && all.size() < File::kWindow && !data.failed()) {
        // The whole file lies in the window: the four bytes at once.
        const std::size_t at = all.find(std::string{'(', s.SC1, s.SC2, ')'});
        if (at == std::string_view::npos)
            return broken(data, false), false;
        Seeker = static_cast<long>(at) + 2;
    } else {
        do {
            Seeker = findByte(data, Seeker + 1, s.SC2);
            if (Seeker < 0)
                return broken(data, false), false;
        } while (data.getAt(Seeker - 1) != SC1 || data.getAt(Seeker - 2) != '(' || data.getAt(Seeker + 1) != ')');
    }
    printChar('(');
    data.seek(Seeker - 1);
    if (!printUntil(data, '#'))
        return broken(data, true), false;
    s.Seeker = Seeker;
    s.outcome = Selection::Found;
    return true;
}

}  // namespace

Selection selectrecord(Listing listing)
{
    Selection s;
    if (!resetLog())
        return s;
    if (Fault f = s.shown->open()) {
        say(f);
        return s;
    }
    File& data = s.shown->file;
    int tens = data.getAt(kTotalTens), units = data.getAt(kTotalUnits);
    if (data.failed())
        return broken(data, false);
    s.N = static_cast<char>(tens);
    s.N2 = static_cast<char>(units);
    s.PO = decodeTwo(tens, units);
    if (tens == '0' && units == '0') {
        printLine(msg::kEmpty);
        s.outcome = Selection::Empty;
        return s;
    }
    if (!listRecords(data, s.PO, listing))
        return broken(data, true);
    askCode(s, listing);
    if (!isDigit(s.SC1) || !isDigit(s.SC2) || s.PO_2 == 0 || s.PO_2 > s.PO) {
        printLine(msg::kWrongCode);
        s.outcome = Selection::Rejected;
        return s;
    }
    return findRecord(data, s) ? std::move(s) : Selection{};
}

}  // namespace qv
