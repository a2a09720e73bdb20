// The folder's key, where its history is encrypted: kept in .git (never
// committed, never pushed), read by the filters and drivers git runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/cipher.h"
#include "catalog/fault.h"
#include "history/history.h"

namespace qv::history {

// Where the key is kept: in the folder's .git, or in $GIT_DIR where git
// runs the program (as a filter or a driver) with one.
std::string keyFile();
// Said where git runs the program: elsewhere $GIT_DIR, which the git the
// program runs never sees, names no folder of the catalogue's.
void runByGit();
// Whether the folder's history is encrypted: its key is there.
bool encrypted();
// The key from its file: Fault::Sealed where there is none, a File fault
// where it cannot be read, NotAuthentic where it holds no key.
Fault readKey(cipher::Key& key);
// Keeps `key` as the folder's: its folder 0700, the file 0600, written
// whole and synced before it counts.
Fault writeKey(const cipher::Key& key);

// `stored` (a blob as git keeps it, named `shown`) opened: a plain one as
// it is, a sealed one with the folder's key; one that cannot be opened is a
// fault naming `shown`.
Fault openStored(std::string_view stored, const std::string& shown, std::string& plain);
// How many of the commits `git rev-list REVS...` lists hold velk.dat plain
// with a serial in it.
Refused plainCommits(const std::vector<std::string>& revs, int& count);
// The catalogue `plain` as git keeps it here: sealed in an encrypted
// history, as it is otherwise.
Fault toStored(std::string_view plain, std::string& stored);

}  // namespace qv::history
