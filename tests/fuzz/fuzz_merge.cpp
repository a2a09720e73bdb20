// The merge of two catalogues from a common one, as outside bytes make them,
// held to the counted rule: with b copies of a record in the base, o in ours
// and t in theirs, the result holds o where t is b or o, t where o is b, and
// o + t - b otherwise, never below zero. It is ours with its last copies
// gone where fewer are kept, then theirs' copies in its order where more
// are, coded from 01; through the files, a sound file of at most 99
// records, or the merge is refused. Then the same merge as git's driver
// makes it in an encrypted history: the first byte chooses the sides
// sealed under a fixed key (the others plain, as from before encryption),
// and may change one byte of one sealed side. OURS becomes exactly that
// merge sealed, or, where it is refused, stays as it was.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <stdlib.h>

#include "catalog/catalog.h"
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

// A folder of its own for git's three files, gone when the run ends; in
// memory where it can be, the merge's syncs costing nothing there.
const std::string& scratch()
{
    static const struct Scratch {
        std::string dir = (std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                     : std::filesystem::temp_directory_path())
            / "fuzz_merge.XXXXXX";
        Scratch() { require(mkdtemp(dir.data()) != nullptr, "no scratch folder"); }
        Scratch(const Scratch&) = delete;
        Scratch& operator=(const Scratch&) = delete;
        ~Scratch()
        {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        }
    } folder;
    return folder.dir;
}

std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// git's merge driver on the three catalogues `plain`, of which the merge is
// `expected` (none: the merge must be refused).
void throughSealedFiles(unsigned choice, const std::string (&plain)[3], const std::string* expected)
{
    static const qv::cipher::Key key = [] {
        qv::cipher::Key k{};
        for (size_t i = 0; i < k.size(); ++i)
            k[i] = static_cast<unsigned char>(i * 29 + 7);
        return k;
    }();
    const std::string& dir = scratch();
    const std::string names[3] = {dir + "/base", dir + "/ours", dir + "/theirs"};
    // Bits 0-2: base, ours, theirs sealed; 3-4: the side (1-3) sealed and
    // changed, 5-7: where (magic, version, nonce, ciphertext, tag).
    const int changed = static_cast<int>(choice >> 3 & 3) - 1;
    std::string stored[3];
    for (int k = 0; k < 3; ++k) {
        stored[k] = (choice >> k & 1) != 0 || k == changed ? qv::cipher::seal(plain[k], key) : plain[k];
        if (k == changed) {
            const size_t n = stored[k].size(), at[8] = {0, 7, 8, 31, 32, n / 2, n - 16, n - 1};
            stored[k][at[choice >> 5]] ^= 1;
        }
        std::ofstream(names[k], std::ios::binary)
            .write(stored[k].data(), static_cast<std::streamsize>(stored[k].size()));
    }
    const auto untouched = [&] {
        return readFile(names[1]) == stored[1]
            && std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()) == 3;
    };
    if (changed < 0 && (choice & 7) != 0) {
        const qv::Fault f = qv::mergeInto(names[0], names[1], names[2]);
        require(f.kind == qv::Fault::Sealed && f.file == names[std::countr_zero(choice & 7)] && untouched(),
                "a sealed side was taken without the key, or OURS written");
    }
    const qv::Fault f = qv::mergeInto(names[0], names[1], names[2], &key);
    if (changed >= 0) {
        require(f && ((choice >> 5) == 0 || (f.kind == qv::Fault::NotAuthentic && f.file == names[changed]))
                    && untouched(),
                "a changed sealed side was not refused as such, or OURS written");
        return;
    }
    if (!expected) {
        require(f && untouched(), "a merge beyond 99 records was written");
        return;
    }
    const std::string result = readFile(names[1]);
    std::string opened;
    require(!f && result == qv::cipher::seal(*expected, key)
                && qv::cipher::open(result, key, opened) == qv::cipher::Opened::Opened && opened == *expected,
            "OURS is not the merge sealed, the same bytes sealing it gives");
}

}  // namespace

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Each byte after the first puts a record on one side: the side, and one
    // of twenty records, few enough that the sides share many.
    Side sides[3];
    for (size_t i = 1; i < size; ++i) {
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
    const std::string files[3] = {base.empty() ? "" : qv::catalogueOf(base), qv::catalogueOf(ours),
                                  qv::catalogueOf(theirs)};
    const qv::Fault f = qv::mergeFiles(files[0], files[1], files[2], fromFiles, {"base", "ours", "theirs"});
    const bool fits = ours.size() <= 99 && theirs.size() <= 99 && base.size() <= 99 && got.size() <= 99;
    require(bool(f) != fits, "the merge of sound files was refused, or one beyond 99 records taken");
    if (!f) {
        Side back;
        require(!qv::readRecords(qv::catalogueOf(fromFiles.records), back) && same(back, got),
                "the merged file is not sound, or not the merge");
    }
    const std::string merge = qv::catalogueOf(expected);
    throughSealedFiles(size > 0 ? data[0] : 0, files, fits ? &merge : nullptr);
    return 0;
}
