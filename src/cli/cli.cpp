#include "cli/cli.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <getopt.h>
#include <unistd.h>

#include "catalog/catalog.h"
#include "catalog/layout.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/status.h"
#include "cli/texts.h"
#include "cli/usage.h"
#include "history/history.h"
#include "history/key.h"

namespace qv::cli {

namespace {

// Reads a command's options and arguments into `a`; kDone when they are
// fine, -1 when its help was asked for and shown, or the usage status.
int parseCommand(const Command& c, int argc, char** argv, Args& a)
{
    if (c.takes & Raw) {
        a.pos.assign(argv + 1, argv + argc);
        return kDone;
    }
    std::vector<option> longs{{"help", no_argument, nullptr, 'h'}};
    std::string shorts = ":h";
    if (c.takes & Json)
        longs.push_back({"json", no_argument, nullptr, 'j'});
    if (c.takes & Fields) {
        longs.push_back({"name", required_argument, nullptr, 'n'});
        longs.push_back({"serial", required_argument, nullptr, 's'});
        shorts += "n:s:";
    }
    if (c.takes & Base)
        longs.push_back({"base", required_argument, nullptr, 'b'});
    if (c.takes & (Key | Import))
        longs.push_back({(c.takes & Key) ? "key" : "import", required_argument, nullptr, 'k'});
    if (c.takes & Count)
        shorts += "n:";
    if (c.takes & Verbose) {
        longs.push_back({"verbose", no_argument, nullptr, 'v'});
        shorts += "v";
    }
    longs.push_back({});
    // Arguments in the order given, options anywhere among them, whatever
    // POSIXLY_CORRECT says: getopt hands each argument over as option 1.
    shorts.insert(0, "-");
    optind = 0;  // a fresh start for this argument list
    for (int opt; (opt = getopt_long(argc, argv, shorts.c_str(), longs.data(), nullptr)) != -1;) {
        switch (opt) {
        case 1: a.pos.emplace_back(optarg); break;
        case 'h': printHelp(c); return -1;
        case 'j': a.json = true; break;
        case 'v': a.verbose = true; break;
        case 'n':
            if (c.takes & Count) {
                const std::string n = optarg;
                if (n.empty() || n.size() > 6 || n.find_first_not_of("0123456789") != std::string::npos)
                    return usage(c.name, std::string(text::kWhyCount) + "'" + n + "'");
                a.count = std::stoi(n);
            } else {
                a.name = optarg;
            }
            break;
        case 's': a.serial = optarg; break;
        case 'b': a.base = optarg; break;
        case 'k': a.key = optarg; break;
        default: return usage(c.name, optionMistake(opt, argv[optind - 1], optopt, longs.data()));
        }
    }
    a.pos.insert(a.pos.end(), argv + optind, argv + argc);  // what follows --
    const int n = static_cast<int>(a.pos.size());
    if (n < c.least || (c.most >= 0 && n > c.most))
        return usage(c.name, std::string(text::kWhyArguments));
    for (int i = 0; (c.takes & Codes) && i < (c.most < 0 ? n : 1); ++i)
        if (!parseCode(a.pos[static_cast<std::size_t>(i)]))
            return usage(c.name, std::string(text::kWhyCode) + "'" + a.pos[static_cast<std::size_t>(i)] + "'");
    if ((c.takes & Fields) && !a.name && !a.serial)
        return usage(c.name, std::string(text::kWhyEditWhat));
    return kDone;
}

// Ends a run. A reader that went away ends it as it ends `cat`: silently,
// by the signal; any other error writing standard output is a failure. But
// a change that was `made` stays made and ends with status 0 whatever
// became of its printout, so that a script never makes it twice; an error
// other than a closed pipe is told all the same.
int finish(const std::string& what, int status, bool made = false)
{
    flushOutput();
    const int err = outputError();
    if (err == EPIPE && !made) {
        (void)std::signal(SIGPIPE, SIG_DFL);
        (void)std::raise(SIGPIPE);  // ends the program; if it cannot, the status follows
    }
    if (err == 0 || (err == EPIPE && made))
        return status;
    complain(what, std::string(text::kStdout), std::strerror(err));
    return made ? status : kFailed;
}

// Where the program opens the file `name` typed on the command line: a
// relative name from the shell's folder, where the program left it.
std::optional<std::string> found(const std::string& name, const Command& c, const Start& start)
{
    if (name.empty() || name.front() == '/' || (name == "-" && (c.takes & (Stdio | Key | Import))))
        return name;
    if (start.shellError)
        return std::nullopt;
    if (start.shell.empty())
        return name;
    return start.shell + (start.shell.ends_with('/') ? "" : "/") + name;
}

// The command's file names, as it opens them; kDone, or kFailed once told
// why one cannot be found.
int findFiles(const Command& c, const Start& start, Args& a)
{
    for (const std::string& name : (c.takes & Files) ? a.pos : std::vector<std::string>{}) {
        const std::optional<std::string> file = found(name, c, start);
        if (!file)
            return complain(a.cmd, name, std::strerror(start.shellError));
        a.files.push_back(*file);
    }
    if (a.base && !(a.baseFile = found(*a.base, c, start)))
        return complain(a.cmd, *a.base, std::strerror(start.shellError));
    if (a.key && !(a.keyFile = found(*a.key, c, start)))
        return complain(a.cmd, *a.key, std::strerror(start.shellError));
    return kDone;
}

int run(const Command& c, int argc, char** argv, const Start& start)
{
    Args a;
    a.cmd = c.name;
    if (int status = parseCommand(c, argc, argv, a))
        return status < 0 ? finish(a.cmd, kDone) : status;
    if ((c.takes & Files || a.key) && findFiles(c, start, a))
        return kFailed;
    if (!c.run) {  // help [COMMAND]
        const Command* about = a.pos.empty() ? nullptr : commandNamed(a.pos[0]);
        if (!a.pos.empty() && !about)
            return unknownCommand(a.pos[0]);
        about ? printHelp(*about) : printUsage();
        return finish(a.cmd, kDone);
    }
    try {
        if (c.takes & ForGit)
            history::runByGit();
        // Where git keeps a catalogue the folder lost, none is started anew.
        if ((a.cmd == "add" || a.cmd == "import") && history::missingButKept())
            return complain(a.cmd, kDataFile, text::kWhyMissingKept);
        if (c.changes) {
            prepareChanges();
            recordWith(&history::recorder());
        }
        const int status = c.run(a);
        return finish(a.cmd, status, c.changes && status == kDone);
    } catch (const std::exception& e) {
        // Whatever was in the making was dropped on the way out.
        return complain(a.cmd, "", whatWentWrong(e));
    }
}

Start ended(int status)
{
    Start start;
    start.status = status;
    return start;
}

// -C, or else $QUORVANE_DIR: where the catalogue lives.
int enter(const char* dir, const std::string& by)
{
    if (::chdir(dir) == 0)
        return kDone;
    return complain(by, dir, std::strerror(errno));
}

}  // namespace

Start readOptions(int argc, char** argv)
{
    static const option longs[] = {{"directory", required_argument, nullptr, 'C'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {"version", no_argument, nullptr, 'V'},
                                   {}};
    opterr = 0;  // its mistakes are told here, in one line
    bool moved = false;
    for (int opt; (opt = getopt_long(argc, argv, "+:C:hV", longs, nullptr)) != -1;) {
        switch (opt) {
        case 'C':
            if (enter(optarg, "-C"))
                return ended(kFailed);
            moved = true;
            break;
        case 'h': printUsage(); return ended(finish("--help", kDone));
        case 'V': print(std::string(text::kVersion) + "\n"); return ended(finish("--version", kDone));
        default: return ended(usage("", optionMistake(opt, argv[optind - 1], optopt, longs)));
        }
    }
    const Command* c = optind < argc ? commandNamed(argv[optind]) : nullptr;
    if (optind < argc && !c)
        return ended(unknownCommand(argv[optind]));
    Start start;
    start.then = c ? Start::Command : Start::Menu;
    start.first = optind;
    const char* home = std::getenv(text::kEnvDir.data());
    // Where git runs a command, it stays: git names the files from there,
    // and a relative $QUORVANE_DIR need not lead anywhere from it.
    if (!moved && home && *home && (!c || (c->run && !(c->takes & (Here | ForGit))))) {
        // The shell's folder, for the command's file names.
        std::unique_ptr<char, decltype(&std::free)> shell(::getcwd(nullptr, 0), &std::free);
        start.shellError = shell ? 0 : errno;
        start.shell = shell ? shell.get() : "";
        if (enter(home, std::string(text::kEnvDir)))
            return ended(kFailed);
    }
    return start;
}

int runCommand(int argc, char** argv, const Start& start)
{
    return run(*commandNamed(argv[start.first]), argc - start.first, argv + start.first, start);
}

}  // namespace qv::cli
