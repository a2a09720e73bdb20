// Printing the README of the working directory.
#include <cerrno>

#include "catalog/catalog.h"
#include "menu/console.h"
#include "menu/dialogues.h"
#include "menu/texts.h"

namespace qv::menu {

int readmeDialogue()
{
    printLine(text::kMenuReadme);
    if (Fault f = printFile(kReadmeFile)) {
        // No newline of its own: the menu's leading empty line ends it.
        f.kind == Fault::File&& f.io.op == IoError::Open&& f.io.err == ENOENT ? print(text::kNoReadme) : say(f);
        return 1;
    }
    printChar('\n');
    waitForKey();
    printLine(text::kBackToMenu);
    return 0;
}

}  // namespace qv::menu
