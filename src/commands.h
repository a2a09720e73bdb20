// The commands of the command line. Each takes its parsed arguments and
// returns its exit status; what it cannot do it says in one line on standard
// error.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli.h"

namespace qv::cmd {

struct Args {
    std::string cmd;
    std::vector<std::string> pos;   // the arguments that are not options
    bool json = false;
    std::optional<std::string> name, serial;
};

// "quorvane: COMMAND: FILE: reason" on standard error; kFailed.
int complain(const std::string& cmd, const std::string& file, std::string_view why);
// A record code as typed: one or two digits, 1 to 99.
std::optional<int> parseCode(const std::string& s);

int list(const Args& a);
int show(const Args& a);
int find(const Args& a);
int add(const Args& a);
int edit(const Args& a);
int del(const Args& a);
int check(const Args& a);
int exportFile(const Args& a);
int load(const Args& a);
int recover(const Args& a);
int import(const Args& a);

}  // namespace qv::cmd
