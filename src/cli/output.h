// The command line's standard output: data in large writes, and the first
// error writing it remembered for the end of the run.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace qv::cli {

void print(std::string_view text);
void flushOutput();
// The first error writing standard output (EPIPE when the reader went
// away), or 0.
int outputError();
// What an exception that escaped says, in the command line's words.
std::string whatWentWrong(const std::exception& e);

}  // namespace qv::cli
