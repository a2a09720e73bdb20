#include "cli/cli.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

namespace qv::cli {

namespace {

struct Command {
    const char* name;
    const char* synopsis;
    const char* what;
    int (*run)(const Args&);
    int least, most;        // positional arguments; most -1: any number
    bool changes;           // false: it never creates or changes a file
    bool codes = false;     // its first argument (delete: every one) is a record code
    bool json = false;      // it takes --json
    bool fields = false;    // it takes --name and --serial
    const char* more = "";  // what its own help tells besides
};

const Command kCommands[] = {
    {"list", "list [--json]", "every record: code TAB name TAB serial", listCommand, 0, 0, false, false, true, false,
     "      --json  one JSON array of objects instead\n"},
    {"show", "show [--json] CODE", "one record", showCommand, 1, 1, false, true, true, false,
     "      --json  its JSON object instead\n"},
    {"find", "find [--json] TEXT", "records holding TEXT, in any case", findCommand, 1, 1, false, false, true, false,
     "      --json  one JSON array of objects instead\nStatus 1 when no record holds TEXT.\n"},
    {"add", "add NAME SERIAL", "add a record; prints its code", addCommand, 2, 2, true},
    {"edit", "edit CODE [--name=N] [--serial=S]", "change a record's name, serial or both", editCommand, 1, 1, true,
     true, false, true, "  -n, --name=NAME      the new name\n  -s, --serial=SERIAL  the new serial\n"},
    {"delete", "delete CODE...", "remove records; the rest move up", deleteCommand, 1, -1, true, true, false, false,
     "The codes are those 'list' shows before the call; all go in one change.\n"},
    {"check", "check", "count what the data file check counts", checkCommand, 0, 0, false},
    {"export", "export [FILE]", "copy velk.dat to FILE (velk.txt)", exportCommand, 0, 1, false, false, false, false,
     "FILE - is standard output. The copy replaces FILE whole, or leaves it be.\n"},
    {"load", "load FILE", "replace velk.dat with a copy of FILE", loadCommand, 1, 1, true},
    {"recover", "recover", "bring back velk.dat from backup.bak", recoverCommand, 0, 0, true},
    {"import", "import [--json] FILE", "add the records in FILE (- is stdin)", importCommand, 1, 1, true, false, true,
     false,
     "      --json  FILE holds the array that 'list --json' prints\n"
     "Otherwise a line a record, NAME<TAB>SERIAL: the serial follows the last tab;\n"
     "CR LF line ends and blank lines are fine.\n"
     "Either every record is added or none is. To copy a catalogue, use --json:\n"
     "'list' escapes what its lines hold, and the lines here are taken as they stand.\n"},
    {"help", "help [COMMAND]", "this help, or a command's", nullptr, 0, 1, false},
};

const Command* commandNamed(const std::string& name)
{
    auto c = std::find_if(std::begin(kCommands), std::end(kCommands), [&](const Command& k) { return name == k.name; });
    return c == std::end(kCommands) ? nullptr : c;
}

void printUsage()
{
    std::string lines(text::kUsage);
    for (const Command& c : kCommands) {
        std::string synopsis = c.synopsis;
        synopsis.resize(std::max<std::size_t>(synopsis.size(), 34), ' ');
        lines.append("  ").append(synopsis).append(" ").append(c.what).append("\n");
    }
    print(lines + std::string(text::kUsageEnd));
}

void printHelp(const Command& c)
{
    print(std::string("Usage: quorvane [-C DIR] ") + c.synopsis + "\n" + c.what + "\n" + c.more);
}

// The number of one-letter changes that turn `a` into `b`.
std::size_t distance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// One line naming the mistake, a suggestion where there is one, and where to
// read more; the status for a usage error.
int usage(const std::string& who, const std::string& why, const char* suggestion = nullptr)
{
    std::string text = "quorvane: " + (who.empty() ? "" : who + ": ") + why + "\n";
    if (suggestion)
        text.append(text::kDidYouMean).append(suggestion).append("'?\n");
    text.append(text::kTryHelp).append("\n");
    (void)std::fputs(text.c_str(), stderr);  // nowhere left to tell if this fails
    return kUsage;
}

int unknownCommand(const std::string& name)
{
    const Command* best = nullptr;
    for (const Command& c : kCommands)
        if (distance(name, c.name) <= 2 && (!best || distance(name, c.name) < distance(name, best->name)))
            best = &c;
    return usage("", std::string(text::kWhyUnknown) + "'" + name + "'", best ? best->name : nullptr);
}

// What getopt_long refused, in its own words. `arg` is the argument it was
// reading when it refused, `letter` the short option it names (0 for a long
// option it does not know). A bundle such as -xj leaves `arg` at the word
// before it, so a long option is only blamed when the letter is its own.
std::string optionMistake(int refused, const char* arg, int letter, const option* longs)
{
    const std::string word = arg, name = word.substr(0, word.find('='));
    const option* known = nullptr;
    for (const option* o = longs; word.starts_with("--") && o->name && !known; ++o)
        if (std::string_view(o->name).starts_with(name.substr(2)))
            known = o;
    const bool longForm = word.starts_with("--") && (letter == 0 || (known && known->val == letter));
    const std::string full = known ? std::string("--") + known->name : name;
    if (refused == ':')
        return longForm ? "option '" + full + "' requires an argument"
                        : std::string(text::kWhyValue) + "'" + static_cast<char>(letter) + "'";
    if (longForm)
        return letter == 0 ? std::string(text::kWhyOption) + "'" + word + "'"
                           : "option '" + full + "' doesn't allow an argument";
    return std::string(text::kWhyShortOption) + "'" + static_cast<char>(letter) + "'";
}

// Reads a command's options and arguments into `a`; kDone when they are
// fine, -1 when its help was asked for and shown, or the usage status.
int parseCommand(const Command& c, int argc, char** argv, Args& a)
{
    std::vector<option> longs{{"help", no_argument, nullptr, 'h'}};
    std::string shorts = ":h";
    if (c.json)
        longs.push_back({"json", no_argument, nullptr, 'j'});
    if (c.fields) {
        longs.push_back({"name", required_argument, nullptr, 'n'});
        longs.push_back({"serial", required_argument, nullptr, 's'});
        shorts += "n:s:";
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
        case 'n': a.name = optarg; break;
        case 's': a.serial = optarg; break;
        default: return usage(c.name, optionMistake(opt, argv[optind - 1], optopt, longs.data()));
        }
    }
    a.pos.insert(a.pos.end(), argv + optind, argv + argc);  // what follows --
    const int n = static_cast<int>(a.pos.size());
    if (n < c.least || (c.most >= 0 && n > c.most))
        return usage(c.name, std::string(text::kWhyArguments));
    for (int i = 0; c.codes && i < (c.most < 0 ? n : 1); ++i)
        if (!parseCode(a.pos[static_cast<std::size_t>(i)]))
            return usage(c.name, std::string(text::kWhyCode) + "'" + a.pos[static_cast<std::size_t>(i)] + "'");
    if (c.fields && !a.name && !a.serial)
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

int run(const Command& c, int argc, char** argv)
{
    Args a;
    a.cmd = c.name;
    if (int status = parseCommand(c, argc, argv, a))
        return status < 0 ? finish(a.cmd, kDone) : status;
    if (!c.run) {  // help [COMMAND]
        const Command* about = a.pos.empty() ? nullptr : commandNamed(a.pos[0]);
        if (!a.pos.empty() && !about)
            return unknownCommand(a.pos[0]);
        about ? printHelp(*about) : printUsage();
        return finish(a.cmd, kDone);
    }
    try {
        if (c.changes)
            prepareChanges();
        const int status = c.run(a);
        return finish(a.cmd, status, c.changes && status == kDone);
    } catch (const std::exception& e) {
        // Whatever was in the making was dropped on the way out.
        return complain(a.cmd, "", whatWentWrong(e));
    }
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
                return {Start::Ended, kFailed};
            moved = true;
            break;
        case 'h': printUsage(); return {Start::Ended, finish("--help", kDone)};
        case 'V': print(std::string(text::kVersion) + "\n"); return {Start::Ended, finish("--version", kDone)};
        default: return {Start::Ended, usage("", optionMistake(opt, argv[optind - 1], optopt, longs))};
        }
    }
    const Command* c = optind < argc ? commandNamed(argv[optind]) : nullptr;
    if (optind < argc && !c)
        return {Start::Ended, unknownCommand(argv[optind])};
    const char* home = std::getenv(text::kEnvDir.data());
    if (!moved && home && *home && (!c || c->run) && enter(home, std::string(text::kEnvDir)))
        return {Start::Ended, kFailed};
    return {c ? Start::Command : Start::Menu, kDone, optind};
}

int runCommand(int argc, char** argv, const Start& start)
{
    return run(*commandNamed(argv[start.first]), argc - start.first, argv + start.first);
}

}  // namespace qv::cli
