// Start-up: the data file is created when, and only when, it does not exist.
#include <cerrno>

#include "console.h"
#include "messages.h"
#include "operations.h"
#include "records.h"

namespace qv {

int creatnew()
{
    File data;
    if (data.open(kDataFile, File::Mode::Read)) {
        data.close();
        printLine(msg::kDataLoaded);
        return 0;
    }
    // A file that is there but cannot be opened is the user's: never replace
    // it with an empty one.
    if (data.error() != ENOENT) {
        report(data);
        return 1;
    }
    printLine(msg::kDataCreated);
    if (!openOrReport(data, kDataFile, File::Mode::Write))
        return 1;
    data.write(headerLine('0', '0'));
    data.put('\n');
    return closeOrReport(data) ? 0 : 1;
}

}  // namespace qv
