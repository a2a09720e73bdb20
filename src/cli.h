// The command line front end: one command with its arguments, data on
// standard output, one line on standard error when it cannot be done, and
// the exit status 0 (done), 1 (refused or failed) or 2 (usage).
#pragma once

#include <string>
#include <vector>

namespace qv {

inline constexpr int kDone = 0, kFailed = 1, kUsage = 2;

// Runs `args[0]` with the rest of `args` as its arguments.
int runCommand(const std::vector<std::string>& args);
// The usage, on standard output (asked for) or standard error (a mistake).
void printUsage(bool asked);
// Ends a run: an error while writing standard output turns `status` into a
// failure, said on standard error for `what`.
int finish(const std::string& what, int status);

}  // namespace qv
