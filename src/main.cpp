// Started without a command the program is the menu; with one, it runs that
// command and ends.
#include <csignal>

#include "cli/cli.h"

int main(int argc, char** argv)
{
    // A reader that goes away (a script piping into head) must not kill an
    // operation halfway through its files; the write fails, and the command
    // line ends quietly once its work is done.
    (void)std::signal(SIGPIPE, SIG_IGN);
    return qv::runProgram(argc, argv);
}
