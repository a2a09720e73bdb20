// Adding a record under the next code.
#include "catalog/catalog.h"
#include "catalog/fields.h"
#include "catalog/layout.h"
#include "catalog/pieces.h"
#include "catalog/transaction.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv {

Outcome addRecords(const std::vector<NewRecord>& records, int* firstCode, Shown* shown)
{
    if (records.empty())
        return Outcome::done();
    if (records.size() > static_cast<std::size_t>(kCapacity)) {  // refused before anything is touched
        Fault f = fault(Fault::Full, kDataFile);
        f.line = kCapacity + 1;
        return f;
    }
    // The total is read again under the lock: the new codes follow whatever
    // another process added meanwhile. A data file that is not there is
    // created by this change, and by nothing before it.
    Change change(shown, false, true);
    if (change.fault())
        return change.fault();
    const int total = change.total(), after = total + static_cast<int>(records.size());
    if (after > kCapacity) {
        Fault f = fault(Fault::Full, kDataFile);
        f.line = kCapacity - total + 1;
        return f;
    }
    File* out = change.out();
    if (!out)
        return change.fault();
    File& data = change.data();
    Fault f;
    if (change.missing()) {
        if (!out->write(headerLine(after) + "\n"))
            f = out->fault();
    } else {
        f = copyRange(data, 0, kTotalTens, *out);
        if (!f && out->write(twoDigits(after)))
            f = copyRange(data, kTotalUnits + 1, -1, *out);
    }
    for (int code = total + 1; const NewRecord& r : records)
        if (!f && !(out->write(titleLine(code++, r.name)) && out->write(serialLine(r.serial))))
            f = out->fault();
    if (f)
        return f;
    if (firstCode)
        *firstCode = total + 1;
    return change.commit(after);
}

int enternew()
{
    Shown shown;
    if (Fault f = shown.open(true)) {
        say(f);
        return 1;
    }
    if (shown.file.getAt(kTotalTens) == '9' && shown.file.getAt(kTotalUnits) == '9') {
        printLine(msg::kFull);
        return 1;
    }
    if (Fault f = shown.sound()) {
        say(f);
        return 1;
    }
    printLine(msg::kMenuAdd);
    readChar();  // the newline the menu choice left behind
    NewRecord r;
    printLine(msg::kNameAsk);
    r.name = readLine();
    printEcho(msg::kNameEcho, r.name);
    printLine(msg::kSerialAsk);
    r.serial = readWord();
    printEcho(msg::kNameEcho, r.name);
    printEcho(msg::kSerialEcho, r.serial);
    if (Fault f = checkFields(&r.name, &r.serial, Through::Scratch)) {
        say(f);
        return 1;
    }
    print(msg::kSaveAsk);
    if (!readYes()) {
        printLine(msg::kCanceled);
        return 1;
    }
    if (!reportDone(addRecords({r}, nullptr, &shown), msg::kAdded))
        return 1;
    printChar('\n');
    return 0;
}

}  // namespace qv
