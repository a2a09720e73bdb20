// Replacing the data file with a copy of a file the user names.
#include <cerrno>
#include <string>

#include "catalog/catalog.h"
#include "catalog/layout.h"
#include "catalog/transaction.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv {

Outcome loadFrom(const std::string& name)
{
    // The source is opened and looked at under the lock, before the data
    // file is touched: a file that is not there, not a regular file, or the
    // data file itself changes nothing.
    Outcome loaded = replaceData(Replacement::Load, name.c_str());
    if (loaded.made())
        return loaded;
    Fault f = loaded.fault();
    if (f.kind == Fault::File && f.file == name && f.err == ENOENT)
        return fault(Fault::NoSource, name);
    if (f.kind == Fault::File && f.file == name && (f.err == EISDIR || f.err == File::kNotRegular))
        f.verb = "load";
    return f;
}

int loader()
{
    printLine(msg::kMenuLoad);
    print(msg::kLoadAsk);
    return reportDone(loadFrom(readWord()), msg::kLoaded) ? 0 : 1;
}

}  // namespace qv
