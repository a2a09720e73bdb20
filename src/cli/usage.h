// The command line's commands as a table, their help, and the one-line
// usage errors.
#pragma once

#include <span>
#include <string>

#include <getopt.h>

#include "cli/commands.h"

namespace qv::cli {

// What a command takes besides --help.
enum Takes : unsigned {
    Plain = 0,
    Codes = 1,      // its first argument (delete: every one) is a record code
    Json = 2,       // --json
    Fields = 4,     // --name and --serial
    Base = 8,       // --base
    Count = 16,     // -n N
    Raw = 32,       // its arguments are another program's, taken as they are
    ForGit = 64,    // git runs it; the overview passes it by
    Verbose = 128,  // -v, --verbose
    Files = 256,    // its arguments and --base are file names
    Stdio = 512,    // ... and - among them is standard input or output
    Here = 1024,    // it makes a folder where it is started: $QUORVANE_DIR is not entered
    Key = 2048,     // --key=FILE, a key's file (- is standard input)
    Import = 4096,  // --import=FILE, the same
};

struct Command {
    const char* name;
    const char* synopsis;
    const char* what;
    int (*run)(const Args&);  // nullptr: help
    int least, most;          // positional arguments; most -1: any number
    bool changes;             // false: it never changes the catalogue
    unsigned takes = Plain;
    const char* more = "";  // what its own help tells besides
};

std::span<const Command> commands();
const Command* commandNamed(const std::string& name);

void printUsage();
void printHelp(const Command& c);
// One line naming the mistake, a suggestion where there is one, and where
// to read more; the status for a usage error.
int usage(const std::string& who, const std::string& why, const char* suggestion = nullptr);
int unknownCommand(const std::string& name);
// What getopt_long refused, in its own words.
std::string optionMistake(int refused, const char* arg, int letter, const option* longs);

}  // namespace qv::cli
