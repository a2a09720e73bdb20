#include "catalog/merge.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace qv {

namespace {

using Key = std::pair<std::string, std::string>;

Key keyOf(const Record& r) { return {r.name, r.serial}; }

std::map<Key, int> countOf(const std::vector<Record>& records)
{
    std::map<Key, int> count;
    for (const Record& r : records)
        ++count[keyOf(r)];
    return count;
}

// What a side put in place of each base record it dropped: the records of
// its own that stand between the same two records both keep (none where it
// only deleted, or kept the record). A longest common subsequence lines the
// two up; a catalogue has 99 records at most.
std::vector<std::vector<Key>> replacements(const std::vector<Record>& base, const std::vector<Record>& side)
{
    const std::size_t n = base.size(), m = side.size();
    std::vector<std::vector<int>> common(n + 1, std::vector<int>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            common[i][j] = keyOf(base[i]) == keyOf(side[j]) ? common[i + 1][j + 1] + 1
                                                            : std::max(common[i + 1][j], common[i][j + 1]);
    std::vector<std::vector<Key>> put(n);
    for (std::size_t i = 0, j = 0; i < n || j < m;) {
        const std::size_t fromBase = i, fromSide = j;
        while ((i < n || j < m) && !(i < n && j < m && keyOf(base[i]) == keyOf(side[j]))) {
            if (i < n && (j == m || common[i + 1][j] >= common[i][j + 1]))
                ++i;
            else
                ++j;
        }
        for (std::size_t k = fromBase; k < i; ++k)
            for (std::size_t r = fromSide; r < j; ++r)
                put[k].push_back(keyOf(side[r]));
        if (i < n && j < m)
            ++i, ++j;  // a record both keep
    }
    return put;
}

// What a side put in place of the base record k, as its versions of it:
// the records that keep its name or its serial; where none does (both were
// edited), those that keep no other base record's and that the other side
// did not put there as well (an addition made on both), so that a record
// added beside it is no version of it.
std::set<Key> versionsOf(const std::vector<Record>& base, std::size_t k, const std::vector<std::vector<Key>>& put,
                         const std::vector<Key>& other)
{
    auto keeps = [&](std::size_t j, const Key& key) {
        return key.first == base[j].name || key.second == base[j].serial;
    };
    std::set<Key> versions;
    for (const Key& key : put[k])
        if (keeps(k, key))
            versions.insert(key);
    if (!versions.empty())
        return versions;
    for (const Key& key : put[k]) {
        bool another = std::find(other.begin(), other.end(), key) != other.end();
        for (std::size_t j = 0; j < base.size() && !another; ++j)
            another = j != k && keeps(j, key) && put[j] == put[k];
        if (!another)
            versions.insert(key);
    }
    return versions;
}

}  // namespace

Merged mergeRecords(const std::vector<Record>& base, const std::vector<Record>& ours, const std::vector<Record>& theirs)
{
    const std::map<Key, int> inBase = countOf(base), inOurs = countOf(ours), inTheirs = countOf(theirs);
    auto count = [](const std::map<Key, int>& in, const Key& key) {
        const auto found = in.find(key);
        return found == in.end() ? 0 : found->second;
    };
    // How many copies of a record the merge keeps: a side that left the
    // count as it was, or made the same count as the other, changes
    // nothing; otherwise both sides' changes of the count add up.
    auto kept = [&](const Key& key) {
        const int b = count(inBase, key), o = count(inOurs, key), t = count(inTheirs, key);
        if (t == b || t == o)
            return o;
        return o == b ? t : std::max(0, o + t - b);
    };
    Merged merged;
    merged.records = ours;
    // Fewer than ours holds: its last copies go.
    for (const auto& entry : inOurs) {
        const Key& key = entry.first;
        for (int gone = entry.second - kept(key); gone > 0; --gone) {
            const auto last = std::find_if(merged.records.rbegin(), merged.records.rend(),
                                           [&](const Record& r) { return keyOf(r) == key; });
            merged.records.erase(std::next(last).base());
            ++merged.removed;
        }
    }
    // More than ours holds: theirs' copies come after, in its order.
    std::map<Key, int> wanted;
    for (const auto& entry : inTheirs)
        wanted[entry.first] = kept(entry.first) - count(inOurs, entry.first);
    for (const Record& r : theirs)
        if (int& left = wanted[keyOf(r)]; left > 0) {
            --left;
            merged.records.push_back(r);
            ++merged.added;
        }
    for (std::size_t i = 0; i < merged.records.size(); ++i)
        merged.records[i].code = static_cast<int>(i) + 1;
    // A base record both sides put versions of their own in place of, and not
    // the same ones, was edited on both: both versions are kept.
    const auto byOurs = replacements(base, ours), byTheirs = replacements(base, theirs);
    std::set<Key> versions;
    for (std::size_t k = 0; k < base.size(); ++k) {
        const std::set<Key> mine = versionsOf(base, k, byOurs, byTheirs[k]),
                            other = versionsOf(base, k, byTheirs, byOurs[k]);
        if (!mine.empty() && !other.empty() && mine != other) {
            ++merged.both;
            versions.insert(mine.begin(), mine.end());
            versions.insert(other.begin(), other.end());
        }
    }
    for (const Record& r : merged.records)
        if (versions.contains(keyOf(r)))
            merged.versions.push_back(r);
    return merged;
}

Fault mergeFiles(std::string_view base, std::string_view ours, std::string_view theirs, Merged& merged,
                 const MergeNames& names)
{
    std::vector<Record> sides[3];
    const std::string_view bytes[3] = {base, ours, theirs};
    const std::string* named[3] = {&names.base, &names.ours, &names.theirs};
    for (int k = 0; k < 3; ++k)
        if (!(k == 0 && bytes[k].empty()))
            if (Fault f = readRecords(bytes[k], sides[k]))
                return f.kind != Fault::Damaged ? f
                    : *named[k] == kDataFile    ? fault(Fault::Damaged, kDataFile)
                                                : fault(Fault::NotSound, *named[k]);
    merged = mergeRecords(sides[0], sides[1], sides[2]);
    if (merged.records.size() > static_cast<std::size_t>(kCapacity))
        return fault(Fault::Full, kDataFile);
    return {};
}

}  // namespace qv
