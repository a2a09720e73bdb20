#include "menu/menu.h"

#include <cstdio>
#include <exception>
#include <string>

#include <unistd.h>

#include "catalog/catalog.h"
#include "catalog/layout.h"
#include "file/commit.h"
#include "menu/console.h"
#include "menu/texts.h"

namespace qv {

namespace {

struct MenuEntry {
    char key;
    int (*run)();
};

constexpr MenuEntry kMenu[] = {
    {'1', enternew},  {'2', editor}, {'3', delete_}, {'4', loader},     {'5', saver},      {'6', search},
    {'7', allviewer}, {'8', readme}, {'9', scan},    {'R', loadbackup}, {'r', loadbackup},
};

constexpr msg::T kMenuLines[] = {
    msg::kMenuAdd,  msg::kMenuEdit,   msg::kMenuDelete, msg::kMenuLoad,    msg::kMenuExport, msg::kMenuShow,
    msg::kMenuView, msg::kMenuReadme, msg::kMenuCheck,  msg::kMenuRecover, msg::kMenuQuit,
};

// The menu is shown before every choice: put together once.
void showMenu()
{
    static const std::string menu = [] {
        std::string text = "\n";
        for (msg::T line : kMenuLines)
            text.append(line).append("\n");
        return text.append(msg::kMenuPrompt).append("\n:");
    }();
    print(menu);
}

void menuLoop()
{
    for (;;) {
        showMenu();
        char choice = readWord().front();
        if (choice == 'Q' || choice == 'q' || choice == '0')
            return;
        for (const MenuEntry& entry : kMenu)
            if (entry.key == choice)
                entry.run();
    }
}

}  // namespace

int runMenu()
{
    // Into a file or a pipe the screen goes in large writes; prompts are
    // still flushed before every read.
    static char screen[std::size_t{1} << 16];  // glibc takes a size only with a buffer
    if (!::isatty(STDOUT_FILENO))
        (void)std::setvbuf(stdout, screen, _IOFBF, sizeof screen);
    printLine(msg::kBanner);
    printLine(msg::kBannerCode);
    catchStopSignals();  // once, not at every change
    removeLeftovers(kDataFile, kBackupFile);
    creatnew();
    int status = 0;
    try {
        menuLoop();
    } catch (const EndOfInput&) {
        // The user's input ended: whatever was not confirmed stays undone.
    } catch (const std::exception& e) {
        // Whatever was in the making was dropped on the way out.
        printChar('\n');
        printLine(std::string(msg::kStopped) + whatWentWrong(e) + " ");
        status = 1;
    }
    flushOutput();
    return status;
}

}  // namespace qv
