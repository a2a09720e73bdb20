// Exporting the data file as velk.txt.
#include "console.h"
#include "messages.h"
#include "operations.h"
#include "records.h"

namespace qv {

int saver()
{
    printLine(msg::kMenuExport);
    printLine(msg::kSaving);
    // The export is a copy the user can make again at any time, so it is
    // written in place, as a copy command would.
    File data, text;
    if (!openOrReport(data, kDataFile, File::Mode::Read) || !openOrReport(text, kExportFile, File::Mode::Write)
        || !copyFrom(data, 0, text) || !closeOrReport(text))
        return 1;
    printLine(msg::kSaved);
    return 0;
}

}  // namespace qv
