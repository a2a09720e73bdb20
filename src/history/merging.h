// The git side of a sync that brought a commit in, shared by the sync and
// the recorder: what the sync leaves half-made is finished by the next run.
#pragma once

#include <string>
#include <string_view>

#include "catalog/catalog.h"
#include "catalog/fault.h"
#include "history/history.h"

namespace qv::history {

// What the recorder makes of the sync's velk.dat once the commit step has
// written it: the branch moved to `theirs`, or a merge of it in `tree`.
struct Bringing {
    bool forward = false;
    std::string head, theirs, tree, message;
    Fault unrecorded;  // why git could not record it, where it could not
};
// Writes velk.dat through the commit step, its recording that of `bringing`.
Outcome bringWith(Bringing& bringing, std::string_view bytes, const Done& done);

// Commits the merge that a sync left to make (its commit refused by a hook,
// the program killed before it), before anything else is recorded; refuses
// a merge that is not the program's own.
Refused finishMerge();
// The git side of the sync whose velk.dat has just been replaced, under the
// same lock: the index, the other files and the branch brought in line, the
// merge committed. Called back by the recorder.
Fault recordSync();
// Records the sync whose velk.dat was written by a run killed before git
// recorded it, where velk.dat and HEAD are still as that run left them.
Refused resumeSync();
// velk.dat is a symbolic link the user made: git would keep the link, not
// the catalogue it leads to.
bool linkedHere();

}  // namespace qv::history
