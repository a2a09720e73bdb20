// Replacing the data file whole: its creation, a load from another file, and
// the recovery from backup.bak.
#include <cerrno>

#include "catalog/catalog.h"
#include "catalog/transaction.h"
#include "file/temp.h"

namespace qv {

namespace {

// Puts the whole file `source` (opened and looked at under the lock, before
// the data file is touched) in place of the data file, keeping the old one
// as `backup` where one is named.
Outcome replaceFrom(const char* source, const char* backup)
{
    Transaction change;
    if (change.fault())
        return change.fault();
    File in;
    Identity from;
    if (!(in.open(source, File::Mode::Read) && in.identify(from)))
        return in.failure();
    const Place& data = change.place();
    if (data.exists && data.st.st_dev == from.dev && data.st.st_ino == from.ino)
        return fault(Fault::SelfLoad, source);
    File* out = change.write();
    if (!out)
        return change.fault();
    if (Fault f = copyRange(in, 0, -1, *out))
        return f;
    return change.commit(backup);
}

}  // namespace

void prepareChanges()
{
    catchStopSignals();
    removeLeftovers({kDataFile, kBackupFile});
}

Outcome createData()
{
    // Looked for again under the lock: another process may have just made it.
    Transaction change;
    if (change.fault() || change.place().exists)
        return change.fault() ? Outcome(change.fault()) : Outcome::done();
    File* out = change.write();
    if (!out)
        return change.fault();
    if (Fault f = put(*out, headerLine(0) + "\n"))
        return f;
    return change.commit(nullptr, 0);
}

Outcome loadFile(const std::string& name)
{
    // A file that is not there, not a regular file, or the data file itself
    // changes nothing; a load keeps the old data file as the backup.
    Outcome loaded = replaceFrom(name.c_str(), kBackupFile);
    Fault f = loaded.fault();
    if (loaded.made() || f.kind != Fault::File || f.file != name)
        return loaded;
    if (f.io.err == ENOENT)
        return fault(Fault::NoSource, name);
    if (f.io.err == EISDIR || f.io.err == kNotRegular)
        f.kind = Fault::NotLoadable;
    return f;
}

Outcome recoverBackup()
{
    // The recovery takes no backup of its own: running it twice is running it once.
    Outcome recovered = replaceFrom(kBackupFile, nullptr);
    const Fault& f = recovered.fault();
    if (!recovered.made() && f.kind == Fault::File && f.file == kBackupFile && f.io.err == ENOENT)
        return fault(Fault::NoBackup, kBackupFile);
    return recovered;
}

}  // namespace qv
