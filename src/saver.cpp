// Exporting the data file as velk.txt.
#include "console.h"
#include "layout.h"
#include "messages.h"
#include "operations.h"

namespace qv {

Fault exportTo(const std::string& name)
{
    File data, text;
    if (!data.open(kDataFile, File::Mode::Read))
        return data.fault();
    if (name == "-") {
        for (std::string_view part = data.next(); !part.empty(); part = data.next())
            print(part);
        return data.failed() ? data.fault() : Fault{};
    }
    // The export is a copy the user can make again at any time, so it is
    // written in place, as a copy command would.
    if (!text.open(name, File::Mode::Write))
        return text.fault();
    if (!copyRest(data, text))
        return data.failed() ? data.fault() : text.fault();
    return text.close() ? Fault{} : text.fault();
}

int saver()
{
    printLine(msg::kMenuExport);
    printLine(msg::kSaving);
    Fault f = exportTo(kExportFile);
    f ? say(f) : printLine(msg::kSaved);
    return f ? 1 : 0;
}

}  // namespace qv
