// Adding records under the next codes.
#include "catalog/catalog.h"
#include "catalog/transaction.h"

namespace qv {

Outcome addRecords(const std::vector<NewRecord>& records, int* firstCode, Shown* shown, bool imported)
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
    Transaction change;
    if (Fault f = change.readSound(shown, false, true))
        return f;
    const int total = change.total(), after = total + static_cast<int>(records.size());
    if (after > kCapacity) {
        Fault f = fault(Fault::Full, kDataFile);
        f.line = kCapacity - total + 1;
        return f;
    }
    File* out = change.write();
    if (!out)
        return change.fault();
    File& data = change.data();
    // The old file with the new total, then the new records.
    Fault f;
    if (change.missing()) {
        f = put(*out, headerLine(after) + "\n");
    } else {
        f = copyRange(data, 0, kTotalTens, *out);
        if (!f)
            f = put(*out, twoDigits(after));
        if (!f)
            f = copyRange(data, kTotalUnits + 1, -1, *out);
    }
    for (int code = total + 1; const NewRecord& r : records)
        if (!f)
            f = put(*out, titleLine(code, r.name) + serialLine(r.serial)), ++code;
    if (f)
        return f;
    if (firstCode)
        *firstCode = total + 1;
    Done done(imported ? Done::Import : Done::Add);
    for (int code = total + 1; const NewRecord& r : records) {
        done.codes.push_back(code++);
        done.names.push_back(r.name);
    }
    return change.commit(kBackupFile, after, false, &done);
}

}  // namespace qv
