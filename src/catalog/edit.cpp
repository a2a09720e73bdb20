// Editing a record's name, its serial or both: the new file is the old one
// with that record's title line or serial line written anew.
#include "catalog/catalog.h"
#include "catalog/trace.h"
#include "catalog/transaction.h"

namespace qv {

Outcome editRecord(int code, const std::string* name, const std::string* serial, Shown* shown, Trace* trace)
{
    Transaction change;
    if (Fault f = change.readSound(shown, true))
        return f;
    if (code < 1 || code > change.total()) {
        Fault f = fault(Fault::NoRecord, kDataFile);
        f.code = code;
        return f;
    }
    // The record's title line "(CC)[ name ]*" runs from its marker to the
    // star; its serial line from there to the next record's marker, or to
    // the end of the file for the last one.
    File& data = change.data();
    const long marker = findMarker(data, code);
    const long star = findByte(data, marker, '*');
    const long next = code < change.total() ? findMarker(data, code + 1, star) : -1;
    File* out = change.write();
    if (!out)
        return change.fault();
    if (trace)
        if (Fault f = trace->begin())
            return f;
    const long nameFrom = marker + 6;  // behind "(CC)[ "
    Fault f = copyRange(data, 0, nameFrom, *out);
    if (!f)
        f = name ? put(*out, *name + " ]") : copyRange(data, nameFrom, star, *out);
    if (!f)
        f = put(*out, serial ? "*\n" + *serial + " #\n" : "*");
    // What follows: the title line's newline onwards where only the name
    // changed, the next record onwards where the serial did.
    const long rest = serial ? next : star + 1;
    if (!f && rest >= 0)
        f = copyRange(data, rest, -1, *out);
    // The menu's users find what was copied behind the new piece in velk2.dat.
    if (!f && trace && rest >= 0)
        f = trace->piece(data, rest, -1);
    if (!f && trace)
        f = trace->rebuilt(*out);
    if (f)
        return f;
    Done done(Done::Edit);
    done.codes = {code};
    done.names = {nameAt(data, marker)};
    if (name)
        done.renamed = *name;
    done.serial = serial != nullptr;
    return change.commit(kBackupFile, change.total(), true, &done);
}

}  // namespace qv
