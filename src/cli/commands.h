// The commands of the command line. Each takes its parsed arguments and
// returns its exit status; what it cannot do it says in one line on standard
// error. The commands that read are in reading.cpp, those that change the
// catalogue in changing.cpp.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/fault.h"
#include "catalog/layout.h"

namespace qv::cipher {
using Key = std::array<unsigned char, 32>;
}
namespace qv::history {
struct Refused;
}

namespace qv::cli {

struct Args {
    std::string cmd;
    std::vector<std::string> pos;  // the arguments that are not options
    bool json = false;
    bool verbose = false;  // delete: the records removed, on standard output
    std::optional<std::string> name, serial;
    std::optional<std::string> base;     // merge: the common catalogue
    int count = 0;                       // log: how many, 0 for all
    std::optional<std::string> key;      // clone --key, key --import: the key's file, as typed
    std::optional<std::string> keyFile;  // ... as the program opens it
    // The file names among them (every argument, and base), as the program
    // opens them: found from the shell's folder where QUORVANE_DIR chose the
    // catalogue's. Messages name a file as the user typed it.
    std::vector<std::string> files;
    std::optional<std::string> baseFile;
    std::string typed(const std::string& file) const;
};

// "quorvane: COMMAND: FILE: reason" on standard error; kFailed.
int complain(const std::string& cmd, const std::string& file, std::string_view why);
// A fault in one line of the command line's words; kFailed.
int fail(const Args& a, const Fault& f);
// The status of a change: a fault that came after it was done is told, but
// the change stands, and a script must not make it again.
int done(const Args& a, const Outcome& outcome);
// A refusal of the history's in one line; kFailed.
int refuse(const Args& a, const history::Refused& r);
// The key in the file --key or --import names.
Fault readKeyFile(const Args& a, cipher::Key& key);
// A record code as typed: one or two digits, 1 to 99.
std::optional<int> parseCode(const std::string& s);
// Records as tab-separated lines, or as the JSON array.
void printRecords(const std::vector<Record>& records, bool json);
// One record: a tab-separated line, or its JSON object.
void printRecord(const Record& r, bool json);

int listCommand(const Args& a);
int showCommand(const Args& a);
int findCommand(const Args& a);
int checkCommand(const Args& a);
int exportCommand(const Args& a);
int addCommand(const Args& a);
int editCommand(const Args& a);
int deleteCommand(const Args& a);
int loadCommand(const Args& a);
int recoverCommand(const Args& a);
int importCommand(const Args& a);
int gitCommand(const Args& a);
int cloneCommand(const Args& a);
int syncCommand(const Args& a);
int mergeCommand(const Args& a);
int mergeDriverCommand(const Args& a);
int textconvCommand(const Args& a);
int logCommand(const Args& a);
int restoreCommand(const Args& a);
int encryptCommand(const Args& a);
int decryptCommand(const Args& a);
int keyCommand(const Args& a);
int filterCommand(const Args& a);

}  // namespace qv::cli
