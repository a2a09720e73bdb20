// The merge of two catalogues that grew apart from a common one, counted
// record by record. A record is its pair (name, serial); its code is only
// its place. With b copies of a record in the base, o in ours and t in
// theirs, the merge keeps o where t is b or o, t where o is b, and
// otherwise o + t - b, never below zero: the same change of the count on
// both sides is made once, different changes add up. So a record added on
// both appears once, one removed on both goes once, and an edit (a removal
// and an addition) on either side survives. Starting from ours, in its
// order, ours' last copies go where fewer are kept; where more, theirs' are
// appended in its order. A record both sides edited differently is kept in
// both its new versions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/fault.h"
#include "catalog/layout.h"

namespace qv {

struct Merged {
    std::vector<Record> records;   // coded from 01 in their order
    int added = 0;                 // records of theirs appended
    int removed = 0;               // records of ours removed
    int both = 0;                  // records both sides edited differently: both versions kept
    std::vector<Record> versions;  // those versions, as coded here
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
