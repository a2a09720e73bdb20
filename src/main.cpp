// The banner, the data file bootstrap and the menu loop.
#include <csignal>
#include <cstring>

#include "commit.h"
#include "console.h"
#include "messages.h"
#include "operations.h"

namespace {

struct MenuEntry {
    char key;
    int (*run)();
};

constexpr MenuEntry kMenu[] = {
    {'1', qv::enternew}, {'2', qv::editor},    {'3', qv::delete_},  {'4', qv::loader},
    {'5', qv::saver},    {'6', qv::search},    {'7', qv::allviewer}, {'8', qv::readme},
    {'9', qv::scan},     {'R', qv::loadbackup}, {'r', qv::loadbackup},
};

constexpr qv::msg::T kMenuLines[] = {
    qv::msg::kMenuAdd,    qv::msg::kMenuEdit,  qv::msg::kMenuDelete, qv::msg::kMenuLoad,
    qv::msg::kMenuExport, qv::msg::kMenuShow,  qv::msg::kMenuView,   qv::msg::kMenuReadme,
    qv::msg::kMenuCheck,  qv::msg::kMenuRecover, qv::msg::kMenuQuit,
};

void showMenu()
{
    qv::printChar('\n');
    for (qv::msg::T line : kMenuLines)
        qv::printLine(line);
    qv::printLine(qv::msg::kMenuPrompt);
    qv::print(":");
}

void menuLoop()
{
    for (;;) {
        showMenu();
        char choice = qv::readWord().front();
        if (choice == 'Q' || choice == 'q' || choice == '0')
            return;
        for (const MenuEntry& entry : kMenu)
            if (entry.key == choice)
                entry.run();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // Other arguments are ignored, as they always were.
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        qv::print(qv::msg::kUsage);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        qv::printLine(qv::msg::kVersion);
        return 0;
    }
    // A reader that goes away (a script piping into head) must not kill an
    // operation halfway through its files; the output is simply lost.
    std::signal(SIGPIPE, SIG_IGN);
    qv::printLine(qv::msg::kBanner);
    qv::printLine(qv::msg::kBannerCode);
    qv::removeLeftovers(qv::kDataFile, qv::kBackupFile);
    qv::creatnew();
    try {
        menuLoop();
    } catch (const qv::EndOfInput&) {
        // The user's input ended: whatever was not confirmed stays undone.
    }
    qv::flushOutput();
    return 0;
}
