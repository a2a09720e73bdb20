// Exporting the data file to a file the user names.
#include "catalog/catalog.h"
#include "catalog/transaction.h"
#include "file/temp.h"

namespace qv {

namespace {

// An export replaces what stands at its name, so that name must not lead to
// a file of the catalogue's own, nor to something that is not a plain file.
Fault mayReplace(const Place& to, const std::string& name, const Identity& data)
{
    // The program's own names, wherever they lead: a temporary file is
    // removed by the next change, and a lock file (older versions take
    // one) must stay the file its holders locked.
    const std::string base = baseOf(to.path);
    if (isTempName(base) || base == kOldLockFile)
        return fault(Fault::IsOwn, name);
    // Missing, velk.dat and backup.bak of the catalogue's folder are its
    // own all the same: the export never makes one.
    struct stat here {};
    struct stat there {};
    if (!to.exists && (base == kDataFile || base == kBackupFile) && ::stat(".", &here) == 0
        && ::stat(to.dir.c_str(), &there) == 0 && here.st_dev == there.st_dev && here.st_ino == there.st_ino)
        return fault(base == kDataFile ? Fault::IsData : Fault::IsBackup, name);
    if (!to.exists)
        return {};
    if (S_ISDIR(to.st.st_mode))
        return ioError(IoError::Write, name, EISDIR);
    if (!S_ISREG(to.st.st_mode))
        return ioError(IoError::Write, name, kNotRegular);
    if (to.st.st_dev == data.dev && to.st.st_ino == data.ino)
        return fault(Fault::IsData, name);
    struct stat bak;
    if (::stat(kBackupFile, &bak) == 0 && bak.st_dev == to.st.st_dev && bak.st_ino == to.st.st_ino)
        return fault(Fault::IsBackup, name);
    return {};
}

}  // namespace

Outcome exportFile(const std::string& name)
{
    // Written like a change: beside the file it replaces, synced, renamed
    // over it, so that an export cut short leaves the old export whole; and
    // under the lock, as every temporary file is made.
    Transaction change;
    if (Fault f = change.readAny())
        return f;
    Place to;
    if (IoError e = resolve(name, to))
        return Fault(e);
    if (Fault f = mayReplace(to, name, change.dataIdentity()))
        return f;
    File* out = change.write(to, name);
    if (!out)
        return change.fault();
    if (Fault f = copyRange(change.data(), 0, -1, *out))
        return f;
    return change.commit(nullptr);
}

}  // namespace qv
