// Started without a command the program is the menu; with one, it runs that
// command and ends. -C DIR works in DIR.
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli.h"
#include "console.h"
#include "menu.h"
#include "messages.h"

int main(int argc, char** argv)
{
    // A reader that goes away (a script piping into head) must not kill an
    // operation halfway through its files; the write fails and is reported.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    auto arg = args.begin();
    for (; arg != args.end() && (*arg)[0] == '-' && arg->size() > 1; ++arg) {
        if (*arg == "-h" || *arg == "--help") {
            qv::printUsage(true);
            return qv::finish(*arg, qv::kDone);
        }
        if (*arg == "-V" || *arg == "--version") {
            qv::printLine(qv::msg::kVersion);
            return qv::finish(*arg, qv::kDone);
        }
        if (*arg != "-C" || arg + 1 == args.end()) {
            std::fprintf(stderr, "quorvane: %s%s\n", std::string(*arg == "-C" ? qv::msg::kWhyValue : qv::msg::kWhyOption).c_str(),
                         arg->c_str());
            qv::printUsage(false);
            return qv::kUsage;
        }
        if (++arg; ::chdir(arg->c_str()) != 0) {
            std::fprintf(stderr, "quorvane: -C: %s: %s\n", arg->c_str(), std::strerror(errno));
            return qv::kFailed;
        }
    }
    if (arg == args.end())
        return qv::runMenu();
    return qv::runCommand(std::vector<std::string>(arg, args.end()));
}
