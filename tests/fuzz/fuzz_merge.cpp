// The merge of two catalogues from a common one, as outside bytes make them:
// whatever the three sides hold, the merge keeps what the rule promises. A
// record in all three is kept; one added on either side is there; one
// removed on one side and untouched on the other is gone; merging a side
// with itself gives that side; the result is a sound file of at most 99
// records, or the merge is refused.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/merge.h"
#include "oracle.h"

namespace {

using Side = std::vector<qv::Record>;

bool alike(const qv::Record& a, const qv::Record& b) { return a.name == b.name && a.serial == b.serial; }

int count(const Side& side, const qv::Record& r)
{
    return static_cast<int>(std::count_if(side.begin(), side.end(), [&](const qv::Record& s) { return alike(s, r); }));
}

bool same(const Side& a, const Side& b) { return std::equal(a.begin(), a.end(), b.begin(), b.end(), alike); }

}  // namespace

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Each byte puts a record on one side: the side, and one of twenty
    // records, few enough that the sides share many.
    Side sides[3];
    for (size_t i = 0; i < size; ++i) {
        const int side = data[i] % 3, id = data[i] / 3 % 20;
        Side& s = sides[side];
        s.push_back({static_cast<int>(s.size()) + 1, "Name " + std::to_string(id % 5), "S-" + std::to_string(id / 5)});
    }
    const Side &base = sides[0], &ours = sides[1], &theirs = sides[2];
    const qv::Merged merged = qv::mergeRecords(base, ours, theirs);
    const Side& got = merged.records;
    for (int s = 0; s < 3; ++s)
        for (const qv::Record& r : sides[s]) {
            const bool everywhere = count(base, r) > 0 && count(ours, r) > 0 && count(theirs, r) > 0;
            require(!everywhere || count(got, r) > 0, "a record all three hold was lost");
            require(count(ours, r) <= count(base, r) || count(got, r) > 0, "a record added here was lost");
            require(count(theirs, r) <= count(base, r) || count(got, r) > 0, "a record added there was lost");
            const bool goneHere = count(ours, r) == 0 && count(theirs, r) == count(base, r);
            const bool goneThere = count(theirs, r) == 0 && count(ours, r) == count(base, r);
            require(count(base, r) == 0 || !(goneHere || goneThere) || count(got, r) == 0,
                    "a record removed on one side and untouched on the other is there");
        }
    for (size_t i = 0; i < got.size(); ++i)
        require(got[i].code == static_cast<int>(i) + 1, "the codes do not run from 01");
    require(same(qv::mergeRecords(base, ours, ours).records, ours), "merging a side with itself changed it");
    // Through the bytes of the three files: sound and within 99, or refused.
    qv::Merged fromFiles;
    const qv::Fault f = qv::mergeFiles(base.empty() ? "" : qv::catalogueOf(base), qv::catalogueOf(ours),
                                       qv::catalogueOf(theirs), fromFiles, {"base", "ours", "theirs"});
    const bool fits = ours.size() <= 99 && theirs.size() <= 99 && base.size() <= 99 && got.size() <= 99;
    require(bool(f) != fits, "the merge of sound files was refused, or one beyond 99 records taken");
    if (!f) {
        Side back;
        require(!qv::readRecords(qv::catalogueOf(fromFiles.records), back) && same(back, got),
                "the merged file is not sound, or not the merge");
    }
    return 0;
}
