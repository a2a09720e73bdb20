// The command line front end: the options that come before a command, the
// command with its arguments, data on standard output, one line on standard
// error when it cannot be done, and the exit status 0 (done), 1 (refused or
// failed) or 2 (usage).
#pragma once

#include <string>

namespace qv::cli {

// What the options before a command ask for. They are read first, and
// where they name a directory (-C, or else QUORVANE_DIR), the program is
// there when the menu or the command starts.
struct Start {
    enum Then { Menu, Command, Ended } then = Ended;
    int status = 0;  // Ended: the exit status (help, version, a usage error)
    int first = 0;   // Command: where the command's name stands in argv
    // Where QUORVANE_DIR moved the program away from the shell's folder:
    // that folder, which a command's relative file names are found from
    // (with -C they are found from DIR, as git -C finds them); or why the
    // shell's folder has no name to be found by (an errno).
    std::string shell;
    int shellError = 0;
};
Start readOptions(int argc, char** argv);
// Runs the command that readOptions found; the exit status.
int runCommand(int argc, char** argv, const Start& start);

}  // namespace qv::cli
