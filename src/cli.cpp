#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "commit.h"
#include "console.h"
#include "layout.h"
#include "messages.h"

namespace qv {

using namespace cmd;

namespace {

struct Command {
    const char* name;
    const char* synopsis;
    const char* what;
    int (*run)(const Args&);
    std::size_t least, most;   // positional arguments
    bool changes;              // false: it never creates or changes a file
    bool code = false;         // the first argument is a record code
    bool json = false;         // it takes --json
    bool fields = false;       // it takes --name NAME and --serial SERIAL
};

const Command kCommands[] = {
    {"list", "list [--json]", "every record: code, tab, name, tab, serial", list, 0, 0, false, false, true},
    {"show", "show CODE", "one record, as list shows it", show, 1, 1, false, true},
    {"find", "find TEXT [--json]", "records whose name or serial holds TEXT, in any case", find, 1, 1, false, false, true},
    {"add", "add NAME SERIAL", "add a record; prints its code", add, 2, 2, true},
    {"edit", "edit CODE [--name NAME] [--serial SERIAL]", "change a record's name, serial or both", edit, 1, 1, true,
     true, false, true},
    {"delete", "delete CODE", "remove a record; the records behind it move up", del, 1, 1, true, true},
    {"check", "check", "the counts of the data file check", check, 0, 0, false},
    {"export", "export [FILE]", "copy velk.dat to FILE (velk.txt; - is standard output)", exportFile, 0, 1, false},
    {"load", "load FILE", "replace velk.dat with a copy of FILE", load, 1, 1, true},
    {"recover", "recover", "bring back velk.dat from backup.bak", recover, 0, 0, true},
    {"import", "import FILE", "add one record per line NAME<TAB>SERIAL (- is standard input)", import, 1, 1, true},
};

void printCommand(const Command& c, std::FILE* to)
{
    std::fprintf(to, "  %-42s %s\n", c.synopsis, c.what);
}

int usageError(const Command& c, const std::string& why)
{
    complain(c.name, "", why);
    std::fprintf(stderr, "Usage: quorvane [-C DIR] %s\n", c.synopsis);
    return kUsage;
}

}  // namespace

void printUsage(bool asked)
{
    std::FILE* to = asked ? stdout : stderr;
    std::fputs(std::string(msg::kUsage).c_str(), to);
    for (const Command& c : kCommands)
        printCommand(c, to);
    std::fputs(std::string(msg::kUsageEnd).c_str(), to);
}

int finish(const std::string& what, int status)
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    complain(what, std::string(msg::kStdout), std::strerror(errno ? errno : EIO));
    return kFailed;
}

int runCommand(const std::vector<std::string>& args)
{
    auto c = std::find_if(std::begin(kCommands), std::end(kCommands), [&](const Command& k) { return args[0] == k.name; });
    if (c == std::end(kCommands)) {
        complain(args[0], "", msg::kWhyUnknown);
        printUsage(false);
        return kUsage;
    }
    Args a;
    a.cmd = c->name;
    bool options = true;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            std::printf("Usage: quorvane [-C DIR] %s\n%s\n", c->synopsis, c->what);
            return finish(a.cmd, kDone);
        } else if (options && arg == "--json" && c->json) {
            a.json = true;
        } else if (options && (arg == "--name" || arg == "--serial") && c->fields) {
            if (i + 1 == args.size())
                return usageError(*c, std::string(msg::kWhyValue) + arg);
            (arg == "--name" ? a.name : a.serial) = args[++i];
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return usageError(*c, std::string(msg::kWhyOption) + arg);
        } else {
            a.pos.push_back(arg);
        }
    }
    if (a.pos.size() < c->least || a.pos.size() > c->most)
        return usageError(*c, std::string(msg::kWhyArguments));
    if (c->code && !parseCode(a.pos[0]))
        return usageError(*c, std::string(msg::kWhyCode) + "'" + a.pos[0] + "'");
    if (a.cmd == "edit" && !a.name && !a.serial)
        return usageError(*c, std::string(msg::kWhyEditWhat));
    try {
        if (c->changes)
            removeLeftovers(kDataFile, kBackupFile);
        return finish(a.cmd, c->run(a));
    } catch (const std::exception& e) {
        // Whatever was in the making was dropped on the way out.
        return complain(a.cmd, "", whatWentWrong(e));
    }
}

}  // namespace qv
