// git's filter on velk.dat in an encrypted history: the catalogue sealed as
// git stores it (clean), opened as git writes it out (smudge), one file at
// a time or, for a whole git command, in one process that git talks to by
// its long-running filter protocol.
#pragma once

#include <string>
#include <string_view>

#include "catalog/fault.h"

namespace qv::history {

// velk.dat's bytes as git stores them: sealed under the folder's key; bytes
// sealed under it already go as they are (cleaning twice gives what
// cleaning once gives), under another key they are refused.
Fault clean(std::string_view bytes, std::string& stored);
// A stored blob as velk.dat: opened with the folder's key, a plain one
// (from before the history was encrypted) as it is.
Fault smudge(std::string_view stored, std::string& bytes);

// Serves git's long-running filter protocol (version 2, clean and smudge)
// on standard input and output until git closes it; false where git spoke
// in a way not understood, the fault then in `why`.
bool serveFilter(Fault& why);

}  // namespace qv::history
