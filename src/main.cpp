// Started without a command the program is the menu; with one, it runs that
// command and ends. The options before a command are the command line's to
// read, the menu's too.
#include <csignal>

#include "cli/cli.h"
#include "menu/menu.h"

int main(int argc, char** argv)
{
    // A reader that goes away (a script piping into head) must not kill an
    // operation halfway through its files; the write fails, and the command
    // line ends quietly once its work is done.
    (void)std::signal(SIGPIPE, SIG_IGN);
    const qv::cli::Start start = qv::cli::readOptions(argc, argv);
    switch (start.then) {
    case qv::cli::Start::Menu: return qv::menu::run();
    case qv::cli::Start::Command: return qv::cli::runCommand(argc, argv, start);
    case qv::cli::Start::Ended: break;
    }
    return start.status;
}
