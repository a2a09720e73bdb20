// The data file's layout as outside bytes: whatever velk.dat holds, the
// layout check, the check of the counts and the changes must agree with a
// plain model of the file. A sound file is the records it decodes to, put
// back together; a change of a sound file gives exactly the model's file and
// keeps the old one as backup.bak; a damaged file is never changed.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "catalog/catalog.h"
#include "catalog/fields.h"
#include "catalog/layout.h"

namespace {

std::string slurp(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void spit(const char* name, const std::string& bytes) { std::ofstream(name, std::ios::binary) << bytes; }

void require(bool ok, const char* what)
{
    if (!ok) {
        (void)std::fprintf(stderr, "oracle failed: %s\n", what);
        std::abort();
    }
}

std::string serialise(const std::vector<qv::Record>& records)
{
    std::string out = qv::headerLine(static_cast<int>(records.size())) + "\n";
    for (std::size_t i = 0; i < records.size(); ++i)
        out += qv::titleLine(static_cast<int>(i) + 1, records[i].name) + qv::serialLine(records[i].serial);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Every run works in a directory of its own, as the program does.
    static char dir[] = "/tmp/quorvane-fuzz-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0)
        std::abort();
    (void)std::atexit([] { std::filesystem::remove_all(dir); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t inputSize)
{
    // The first byte picks the change: an add, an edit or a delete, and the
    // code; the second a further code for the delete, or none. The rest is
    // the data file.
    if (inputSize < 2)
        return 0;
    const int pick = input[0], code = pick / 3 % 101, code2 = input[1] % 101;
    const uint8_t* data = input + 2;
    const size_t size = inputSize - 2;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // A new file each time, as a change makes it: one rewritten in place
    // within the same clock tick could keep its identity.
    std::filesystem::remove(qv::kDataFile);
    spit(qv::kDataFile, bytes);
    spit(qv::kBackupFile, "before");

    std::vector<qv::Record> records;
    const qv::Fault layout = qv::readRecords(records);
    require(!layout || layout.kind == qv::Fault::Damaged, "the layout check failed for another reason");
    qv::Counts counts;
    require(!qv::countMarks(counts), "the counts could not be read");
    require(counts.total
                == (size > 14       ? qv::decodeTwo(data[13], data[14])
                        : size > 13 ? qv::decodeTwo(data[13], -1)
                                    : 0),
            "the total field decoded wrongly");
    if (!layout) {
        require(serialise(records) == bytes, "a sound file does not put itself back together");
        require(counts.sound(), "the counts call a sound file damaged");
    }

    const std::string name = "Fuzz name", serial = "FZ-1";
    std::vector<qv::Record> want = records;
    qv::Outcome f = qv::Fault{};
    if (pick % 3 == 0) {
        f = qv::addRecords({{name, serial}});
        want.push_back({static_cast<int>(want.size()) + 1, name, serial});
    } else if (pick % 3 == 1) {
        f = qv::rewriteRecord(code, nullptr, &name, pick % 2 ? &serial : nullptr, qv::Through::Memory);
        if (code >= 1 && code <= static_cast<int>(want.size())) {
            want[code - 1].name = name;
            want[code - 1].serial = pick % 2 ? serial : want[code - 1].serial;
        }
    } else {
        std::vector<int> codes{code};
        if (code2 > code)
            codes.push_back(code2);
        f = qv::removeRecords(codes, nullptr, qv::Through::Memory);
        for (auto c = codes.rbegin(); c != codes.rend(); ++c)
            if (*c >= 1 && *c <= static_cast<int>(want.size()))
                want.erase(want.begin() + *c - 1);
        for (std::size_t i = 0; i < want.size(); ++i)
            want[i].code = static_cast<int>(i) + 1;
    }
    const int n = static_cast<int>(records.size());
    const bool codesFit = code >= 1 && code <= n && (pick % 3 != 2 || code2 <= code || code2 <= n);
    const bool possible = !layout && (pick % 3 == 0 ? n < 99 : codesFit);
    if (possible) {
        require(f.clean(), "a change of a sound file was refused");
        require(slurp(qv::kDataFile) == serialise(want), "a change gave another file than the model's");
        require(slurp(qv::kBackupFile) == bytes, "a change did not keep the old file as backup.bak");
    } else {
        require(!f.made(), "an impossible change was done");
        require(slurp(qv::kDataFile) == bytes, "a refused change touched the data file");
        require(slurp(qv::kBackupFile) == "before", "a refused change touched backup.bak");
    }
    return 0;
}
