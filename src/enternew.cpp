// Adding a record under the next code.
#include "console.h"
#include "messages.h"
#include "operations.h"
#include "records.h"

namespace qv {

namespace {

struct Total {
    bool read = false;   // false: the data file could not be opened or read
    bool sound = false;  // two digits, and at least the header and the empty line
    char N = 0, N2 = 0;
};

// `midLine`: a prompt stands unfinished on the screen, so a failure line
// starts on a line of its own.
Total readTotal(bool midLine)
{
    Total t;
    File data;
    data.open(kDataFile, File::Mode::Read);
    int tens = data.getAt(kTotalTens), units = data.getAt(kTotalUnits);
    long size = data.size();
    if (data.failed() || size < 0) {
        if (midLine)
            printChar('\n');
        report(data);
        return t;
    }
    t.read = true;
    t.N = static_cast<char>(tens);
    t.N2 = static_cast<char>(units);
    // Rewriting the header of a shorter file would land on the record just
    // appended, and the code rule counts in digits only.
    t.sound = isDigit(tens) && isDigit(units) && size >= kFirstRecord;
    return t;
}

// Appends the record and rewrites the header in place. When either write
// fails the file is cut back to its old length and its old header.
bool appendRecord(char tens, char units, const std::string& Name, const std::string& SN)
{
    File data;
    if (!openOrReport(data, kDataFile, File::Mode::Update))
        return false;
    std::string oldHeader;
    for (long i = 0; i < kHeaderLength; ++i)
        oldHeader.push_back(static_cast<char>(data.getAt(i)));
    const long oldSize = data.size();
    if (data.failed() || oldSize < kFirstRecord) {
        data.failed() ? report(data) : reportDamaged();
        return false;
    }
    data.seek(oldSize);
    bool written = data.write(titleLine(tens, units, Name)) && data.write(serialLine(SN)) && data.flush();
    if (written) {
        data.seek(0);
        written = data.write(headerLine(tens, units)) && data.close();
    }
    if (written)
        return true;
    report(data);
    File undo;
    if (undo.open(kDataFile, File::Mode::Update) && undo.truncate(oldSize))
        undo.write(oldHeader);
    closeOrReport(undo);
    return false;
}

}  // namespace

int enternew()
{
    Total t = readTotal(false);
    if (!t.read)
        return 1;
    if (t.N == '9' && t.N2 == '9') {
        printLine(msg::kFull);
        return 1;
    }
    if (!t.sound) {
        reportDamaged();
        return 1;
    }
    printLine(msg::kMenuAdd);
    readChar();   // the newline the menu choice left behind
    printLine(msg::kNameAsk);
    std::string Name = readLine();
    printEcho(msg::kNameEcho, Name);
    printLine(msg::kSerialAsk);
    std::string SN = readWord();
    printEcho(msg::kNameEcho, Name);
    printEcho(msg::kSerialEcho, SN);
    if (!acceptable({Name, SN}))
        return 1;
    print(msg::kSaveAsk);
    t = readTotal(true);   // the new code comes from this second reading
    if (!t.read)
        return 1;
    if (!t.sound || (t.N == '9' && t.N2 == '9')) {
        printChar('\n');
        reportDamaged();
        return 1;
    }
    if (!readYes()) {
        printLine(msg::kCanceled);
        return 1;
    }
    if (!backup())
        return 1;
    char N = t.N, N2 = t.N2;
    if (N2 == '9') {
        ++N;
        N2 = '0';
    } else {
        ++N2;
    }
    if (!appendRecord(N, N2, Name, SN))
        return 1;
    printLine(msg::kAdded);
    printChar('\n');
    return 0;
}

}  // namespace qv
