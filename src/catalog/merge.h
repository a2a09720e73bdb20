// The merge of two catalogues that grew apart from a common one, record by
// record. A record is its pair (name, serial); its code is only its place.
// Starting from ours, in its order: the records theirs removed since the
// base are removed; the records theirs added are appended, in its order,
// unless ours has them already. An edit is a removal and an addition, so
// additions on both sides survive, removals on both sides apply, a record
// added on both appears once, and a record both sides edited differently is
// kept in both its new versions: nothing typed on either side is lost.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/fault.h"
#include "catalog/layout.h"

namespace qv {

struct Merged {
    std::vector<Record> records;  // coded from 01 in their order
    int added = 0;                // records theirs brought in
    int removed = 0;              // records theirs took out
    int both = 0;                 // records both sides edited differently: both versions kept
};
Merged mergeRecords(const std::vector<Record>& base, const std::vector<Record>& ours,
                    const std::vector<Record>& theirs);

// The names a merge's sides are told by: a side that is not sound is told
// as such by its name, and as a damaged data file where it is velk.dat.
struct MergeNames {
    std::string base, ours, theirs;
};

// The same for three data files as bytes. A side that is not sound, or a
// result of more than 99 records, refuses the merge; an empty base (no
// common history) is an empty catalogue, and the merge a union.
Fault mergeFiles(std::string_view base, std::string_view ours, std::string_view theirs, Merged& merged,
                 const MergeNames& names);

}  // namespace qv
