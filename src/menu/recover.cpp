// The one-generation backup and the recovery from it. Every change keeps the
// old data file as backup.bak in its commit; the recovery puts it back.
#include <cerrno>

#include "catalog/catalog.h"
#include "catalog/layout.h"
#include "catalog/transaction.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv {

Outcome recoverBackup()
{
    // The recovery takes no backup of its own: running it twice is running it once.
    Outcome recovered = replaceData(Replacement::Recover, kBackupFile);
    const Fault& f = recovered.fault();
    return !recovered.made() && f.file == kBackupFile && f.err == ENOENT ? fault(Fault::NoBackup, kBackupFile)
                                                                         : recovered;
}

int loadbackup()
{
    printLine(msg::kMenuLoad);
    printLine(msg::kRecoverAsk);
    readChar();  // the newline the menu choice left behind
    if (readChar() != 'y') {
        printLine(msg::kCanceled);
        return 1;
    }
    return reportDone(recoverBackup(), msg::kRecovered) ? 0 : 1;
}

}  // namespace qv
