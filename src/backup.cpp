// The one-generation backup and the recovery from it.
#include <cerrno>

#include "console.h"
#include "messages.h"
#include "operations.h"
#include "records.h"

namespace qv {

bool backup() { return replaceWith(kBackupFile, kDataFile); }

int loadbackup()
{
    printLine(msg::kMenuLoad);
    printLine(msg::kRecoverAsk);
    readChar();   // the newline the menu choice left behind
    if (readChar() != 'y') {
        printLine(msg::kCanceled);
        return 1;
    }
    File saved;
    if (!saved.open(kBackupFile, File::Mode::Read)) {
        saved.error() == ENOENT ? printLine(msg::kNoBackup) : report(saved);
        return 1;
    }
    if (!replaceWith(kDataFile, saved))
        return 1;
    printLine(msg::kRecovered);
    return 0;
}

}  // namespace qv
