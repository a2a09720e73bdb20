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
    if (!replaceWith(kExportFile, kDataFile))
        return 1;
    printLine(msg::kSaved);
    return 0;
}

}  // namespace qv
