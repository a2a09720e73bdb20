// Exporting the data file as velk.txt.
#include <cerrno>

#include "catalog/catalog.h"
#include "catalog/layout.h"
#include "file/commit.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv {

namespace {

// An export replaces what stands at its name, so that name must not lead to
// the catalogue itself, nor to something that is not a plain file.
Fault mayReplace(const Place& to, const std::string& name, File& data)
{
    // The program's own names, wherever they lead: a temporary file is
    // removed by the next change, and a lock file (older versions take
    // one) must stay the file its holders locked.
    const std::string base = baseOf(to.path);
    if (base.starts_with(kTempPrefix) || base == kOldLockFile)
        return fileFault("write", name, msg::kWhyIsOwn);
    if (!to.exists)
        return {};
    if (S_ISDIR(to.st.st_mode))
        return fileFault("write", name, EISDIR);
    if (!S_ISREG(to.st.st_mode))
        return fileFault("write", name, msg::kWhyNotRegular);
    Identity id, dest = identityOf(to.st);
    if (!data.identify(id))
        return data.fault();
    if (id.dev == dest.dev && id.ino == dest.ino)
        return fileFault("write", name, msg::kWhyIsData);
    struct stat bak;
    if (::stat(kBackupFile, &bak) == 0 && bak.st_dev == dest.dev && bak.st_ino == dest.ino)
        return fileFault("write", name, msg::kWhyIsBackup);
    return {};
}

}  // namespace

Outcome exportTo(const std::string& name)
{
    File data;
    if (!data.open(kDataFile, File::Mode::Read))
        return data.fault();
    if (name == "-") {
        // A reader that went away stops the copy; the front end tells.
        for (std::string_view part = data.next(); !part.empty() && !outputError(); part = data.next())
            print(part);
        return data.failed() ? Outcome(data.fault()) : Outcome::done();
    }
    // Written like a change: beside the file it replaces, synced, renamed
    // over it, so that an export cut short leaves the old export whole; and
    // under the lock, as every temporary file is made.
    Lock lock(kDataFile);
    if (lock.fault())
        return lock.fault();
    Place to;
    if (Fault f = resolve(name, to))
        return f;
    if (Fault f = mayReplace(to, name, data))
        return f;
    Commit next(to, name);
    File* out = next.out();
    if (!out)
        return next.fault();
    if (!copyRest(data, *out))
        return data.failed() ? data.fault() : out->fault();
    return next.finish(nullptr);
}

int saver()
{
    printLine(msg::kMenuExport);
    printLine(msg::kSaving);
    return reportDone(exportTo(kExportFile), msg::kSaved) ? 0 : 1;
}

}  // namespace qv
