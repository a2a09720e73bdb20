// Printing the README of the working directory.
#include <cerrno>

#include "catalog/catalog.h"
#include "catalog/layout.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv {

int readme()
{
    printLine(msg::kMenuReadme);
    File text;
    if (!text.open(kReadmeFile, File::Mode::Read)) {
        // No newline of its own: the menu's leading empty line ends it.
        text.error() == ENOENT ? print(msg::kNoReadme) : say(text.fault());
        return 1;
    }
    if (!printFile(text))
        return 1;
    text.close();
    printChar('\n');
    waitForKey();
    printLine(msg::kBackToMenu);
    return 0;
}

}  // namespace qv
