// The command line front end: the options that come before a command, the
// command with its arguments, data on standard output, one line on standard
// error when it cannot be done, and the exit status 0 (done), 1 (refused or
// failed) or 2 (usage).
#pragma once

namespace qv {

inline constexpr int kDone = 0, kFailed = 1, kUsage = 2;

// Runs the program as `argv` asks: the menu, one command, or the help.
int runProgram(int argc, char** argv);

}  // namespace qv
