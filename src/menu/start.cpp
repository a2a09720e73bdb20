// Start-up: the data file is created when, and only when, it does not exist.
#include <cerrno>

#include "catalog/catalog.h"
#include "catalog/layout.h"
#include "catalog/transaction.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv {

Outcome createDataFile()
{
    // Looked for again under the lock: another process may have just made it.
    Lock lock(kDataFile);
    File data;
    if (lock.fault() || data.open(kDataFile, File::Mode::Read))
        return lock.fault();
    // A file that is there but cannot be opened is the user's: never replace
    // it with an empty one. A link to a file not there yet counts as missing.
    if (data.error() != ENOENT)
        return data.fault();
    return replaceData(Replacement::Create, nullptr, headerLine(0) + "\n");
}

int creatnew()
{
    File data;
    if (data.open(kDataFile, File::Mode::Read)) {
        printLine(msg::kDataLoaded);
        Identity id;
        if (data.identify(id))
            keepData(data, id);  // the first operation reads it from here
        return 0;
    }
    if (data.error() != ENOENT) {
        say(data.fault());
        return 1;
    }
    printLine(msg::kDataCreated);
    Outcome created = createDataFile();
    say(created.fault());
    return created.clean() ? 0 : 1;
}

}  // namespace qv
