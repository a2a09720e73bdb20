// Replacing the data file with a copy of a file the user names.
#include <cerrno>
#include <string>

#include <sys/stat.h>

#include "change.h"
#include "console.h"
#include "layout.h"
#include "messages.h"
#include "operations.h"

namespace qv {

Fault loadFrom(const std::string& name)
{
    // Everything is checked before the data file is touched: a source that
    // is not there, not a regular file, or the data file itself.
    struct stat source, data;
    if (::stat(name.c_str(), &source) != 0)
        return errno == ENOENT ? fault(Fault::NoSource, name) : fileFault("open", name, errno);
    if (S_ISDIR(source.st_mode))
        return fileFault("load", name, EISDIR);
    if (!S_ISREG(source.st_mode))
        return fileFault("load", name, "Not a regular file");
    if (::stat(kDataFile, &data) == 0 && data.st_dev == source.st_dev && data.st_ino == source.st_ino)
        return fault(Fault::SelfLoad, name);
    return replaceData(name.c_str());
}

int loader()
{
    printLine(msg::kMenuLoad);
    print(msg::kLoadAsk);
    Fault f = loadFrom(readWord());
    f ? say(f) : printLine(msg::kLoaded);
    return f ? 1 : 0;
}

}  // namespace qv
