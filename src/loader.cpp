// Replacing the data file with a copy of a file the user names.
#include <cerrno>
#include <string>

#include <sys/stat.h>

#include "console.h"
#include "messages.h"
#include "operations.h"
#include "records.h"

namespace qv {

int loader()
{
    printLine(msg::kMenuLoad);
    print(msg::kLoadAsk);
    const std::string File_Name = readWord();
    // Everything is checked before the data file is touched: a source that
    // is not there, not a regular file, or the data file itself.
    struct stat source, data;
    if (::stat(File_Name.c_str(), &source) != 0) {
        errno == ENOENT ? printLine(msg::kLoadMissing) : printLine(failureLine("open", File_Name, errno));
        return 1;
    }
    if (!S_ISREG(source.st_mode)) {
        printLine(S_ISDIR(source.st_mode) ? failureLine("load", File_Name, EISDIR)
                                          : failureLine("load", File_Name, "Not a regular file"));
        return 1;
    }
    if (::stat(kDataFile, &data) == 0 && data.st_dev == source.st_dev && data.st_ino == source.st_ino) {
        printLine(msg::kLoadSelf);
        return 1;
    }
    File in;
    if (!openOrReport(in, File_Name.c_str(), File::Mode::Read) || !replaceWith(kDataFile, in))
        return 1;
    printLine(msg::kLoaded);
    return 0;
}

}  // namespace qv
