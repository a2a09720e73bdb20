// Commits read by id, every read checked: a read that fails is a failure,
// never an empty catalogue or "no common history".
#pragma once

#include <string>
#include <vector>

#include "history/history.h"

namespace qv::history {

// One entry at the top of a commit's tree.
struct Item {
    std::string mode, type, id, name;
};
Refused itemsAt(const std::string& commit, std::vector<Item>& items);
// One of the program's own names (those its .gitignore keeps out), which a
// remote's tree must never bring into the folder.
bool ownName(const std::string& name);
// velk.dat among them; nullptr where the tree holds none.
const Item* dataItem(const std::vector<Item>& items);

// velk.dat as `commit` holds it: `present` false (and an empty catalogue)
// where it holds none; one that git keeps as a link is refused, named
// `shown` (origin/main:velk.dat, 1a2b3c4:velk.dat). Opened where it is
// sealed; `stored`, where given, receives the blob as git keeps it.
Refused dataAt(const std::string& commit, const std::string& shown, std::string& bytes, bool& present,
               std::string* stored = nullptr);
// The same as git keeps it, sealed or not.
Refused storedAt(const std::string& commit, const std::string& shown, std::string& stored, bool& present);
// The common ancestor of two commits; empty where git says they have none.
Refused mergeBase(const std::string& a, const std::string& b, std::string& base);
// The tree of the merge of `head` and `theirs`, with velk.dat holding
// `bytes` (sealed, in an encrypted history): the files beside it merged as
// git merges any file, one that both sides changed apart refusing it.
Refused mergedTree(const std::string& head, const std::string& theirs, const std::string& bytes, std::string& tree);

std::string firstLine(const std::string& out);
Refused failed(const struct GitRun& run);
// The fault of a change made whose history could not be recorded, and why.
Fault notRecorded(const std::string& why);

}  // namespace qv::history
