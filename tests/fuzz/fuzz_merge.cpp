// The merge of two catalogues from a common one, as outside bytes make them,
// held to the counted rule: with b copies of a record in the base, o in ours
// and t in theirs, the result holds o where t is b or o, t where o is b, and
// o + t - b otherwise, never below zero. It is ours with its last copies
// gone where fewer are kept, then theirs' copies in its order where more
// are, coded from 01; through the files, a sound file of at most 99
// records, or the merge is refused.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "catalog/merge.h"
#include "oracle.h"

namespace {

using Side = std::vector<qv::Record>;
using Key = std::pair<std::string, std::string>;

bool alike(const qv::Record& a, const qv::Record& b) { return a.name == b.name && a.serial == b.serial; }

bool same(const Side& a, const Side& b) { return std::equal(a.begin(), a.end(), b.begin(), b.end(), alike); }

std::map<Key, int> copies(const Side& side)
{
    std::map<Key, int> n;
    for (const qv::Record& r : side)
        ++n[{r.name, r.serial}];
    return n;
}

int keptCopies(int b, int o, int t)
{
    if (t == b || t == o)
        return o;
    if (o == b)
        return t;
    return std::max(0, o + t - b);
}

// The first `left[key]` copies of each record of a side, in its order.
Side firstCopies(const Side& side, std::map<Key, int> left)
{
    Side taken;
    for (const qv::Record& r : side)
        if (int& n = left[{r.name, r.serial}]; n > 0)
            --n, taken.push_back(r);
    return taken;
}

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
    std::map<Key, int> inBase = copies(base), inOurs = copies(ours), inTheirs = copies(theirs), inGot = copies(got);
    std::map<Key, int> fromOurs, fromTheirs;
    for (const auto* side : {&inBase, &inOurs, &inTheirs})
        for (const auto& [key, n] : *side) {
            const int o = inOurs[key], kept = keptCopies(inBase[key], o, inTheirs[key]);
            require(inGot[key] == kept, "a record is not kept as many times as the counts say");
            fromOurs[key] = std::min(o, kept);
            fromTheirs[key] = std::max(0, kept - o);
        }
    Side expected = firstCopies(ours, fromOurs);
    const Side appended = firstCopies(theirs, fromTheirs);
    require(merged.removed == static_cast<int>(ours.size() - expected.size())
                && merged.added == static_cast<int>(appended.size()),
            "the records added or removed are miscounted");
    expected.insert(expected.end(), appended.begin(), appended.end());
    require(same(got, expected), "ours' kept records are not in ours' order, then theirs' in theirs'");
    for (size_t i = 0; i < got.size(); ++i)
        require(got[i].code == static_cast<int>(i) + 1, "the codes do not run from 01");
    for (size_t i = 0; i < merged.versions.size(); ++i)
        require(merged.versions[i] == got[static_cast<size_t>(merged.versions[i].code) - 1]
                    && (i == 0 || merged.versions[i - 1].code < merged.versions[i].code) && merged.both > 0,
                "the versions named are not the merge's records, by their codes, in order");
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
