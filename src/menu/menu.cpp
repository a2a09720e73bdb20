#include "menu/menu.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>

#include <unistd.h>

#include "catalog/catalog.h"
#include "catalog/transaction.h"
#include "history/history.h"
#include "menu/console.h"
#include "menu/dialogues.h"
#include "menu/texts.h"

namespace qv::menu {

namespace {

struct MenuEntry {
    char key;
    int (*run)();
};

constexpr MenuEntry kMenu[] = {
    {'1', addDialogue},    {'2', editDialogue},    {'3', deleteDialogue},  {'4', loadDialogue},
    {'5', exportDialogue}, {'6', showDialogue},    {'7', viewDialogue},    {'8', readmeDialogue},
    {'9', checkDialogue},  {'R', recoverDialogue}, {'r', recoverDialogue},
};

constexpr text::T kMenuLines[] = {
    text::kMenuAdd,  text::kMenuEdit,   text::kMenuDelete, text::kMenuLoad,    text::kMenuExport, text::kMenuShow,
    text::kMenuView, text::kMenuReadme, text::kMenuCheck,  text::kMenuRecover, text::kMenuQuit,
};

// The menu is shown before every choice: put together once.
void showMenu()
{
    static const std::string menu = [] {
        std::string lines = "\n";
        for (text::T line : kMenuLines)
            lines.append(line).append("\n");
        return lines.append(text::kMenuPrompt).append("\n:");
    }();
    print(menu);
}

void menuLoop()
{
    for (;;) {
        showMenu();
        const char choice = readWord().front();
        if (choice == 'Q' || choice == 'q' || choice == '0')
            return;
        for (const MenuEntry& entry : kMenu)
            if (entry.key == choice)
                entry.run();
    }
}

// The data file is created when, and only when, it does not exist and git
// keeps none the folder lost; one that is there is kept for the first
// operation to read.
void start()
{
    Shown data;
    const Fault found = data.open();
    if (!found) {
        printLine(text::kDataLoaded);
        return;
    }
    if (found.kind != Fault::File || found.io.err != ENOENT) {
        say(found);
        return;
    }
    if (history::missingButKept()) {
        printLine(text::kDataKept);
        return;
    }
    printLine(text::kDataCreated);
    say(createData().fault());
}

}  // namespace

int run()
{
    // Into a file or a pipe the screen goes in large writes; prompts are
    // still flushed before every read. At a terminal, lines are edited.
    static char screen[std::size_t{1} << 16];  // glibc takes a size only with a buffer
    if (::isatty(STDOUT_FILENO) == 0)
        (void)std::setvbuf(stdout, screen, _IOFBF, sizeof screen);
    else
        editLines();
    printLine(text::kBanner);
    printLine(text::kBannerCode);
    prepareChanges();
    recordWith(&history::recorder());
    start();
    int status = 0;
    try {
        menuLoop();
    } catch (const EndOfInput&) {
        // The user's input ended: whatever was not confirmed stays undone.
    } catch (const std::exception& e) {
        // Whatever was in the making was dropped on the way out.
        printChar('\n');
        printLine(std::string(text::kStopped) + whatWentWrong(e) + " ");
        status = 1;
    }
    flushOutput();
    return status;
}

}  // namespace qv::menu
