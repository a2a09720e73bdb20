// The set-up of a folder for the catalogue's history, shared by `git init`,
// the sync and the clone.
#pragma once

#include <string>

#include "history/history.h"

namespace qv::history {

// The merge driver, the diff's textconv, core.symlinks=false and
// pull.rebase=false in the repository's config, and velk.dat's attributes
// in .git/info/attributes: each written only where it differs.
Refused configure();
// The first commit of velk.dat (made empty where there is none) and the two
// git files beside it.
Refused startHistory();
// This program as a word for the shell git runs the driver through:
// `quorvane` where the quorvane a shell finds on PATH is this very program,
// so that the config outlives a move; its absolute path otherwise.
std::string programForGit();

}  // namespace qv::history
