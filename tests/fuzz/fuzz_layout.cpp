// The data file's layout as outside bytes: whatever velk.dat holds, the
// catalogue's reading, its check and its changes must agree with a model of
// the file written here from the format alone. A sound file is the records
// it holds, put back together; a change of a sound file gives exactly the
// model's file, keeps the old one as backup.bak and, where the menu's trace
// is passed, leaves the menu's scratch files as its users know them; a
// damaged file or an impossible change is never done.
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "catalog/catalog.h"
#include "catalog/trace.h"
#include "oracle.h"

namespace {

std::string slurp(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void spit(const char* name, const std::string& bytes) { std::ofstream(name, std::ios::binary) << bytes; }

struct Rec {
    std::string name, serial;
    bool operator==(const Rec&) const = default;
};

// ---- the model, from the format: "Data Total : TU \n", an empty line, then
// per record "(CC)[ name ]*\n" and "serial #\n", codes 01..N, N the total,
// no newline nor any of ( ) [ ] * ? # in a name or serial.

bool plain(const std::string& text) { return text.find_first_of("\n()[]*?#") == std::string::npos; }

std::optional<std::vector<Rec>> parse(const std::string& b)
{
    if (b.size() < 18 || b.compare(0, 13, "Data Total : ") != 0 || b.compare(15, 3, " \n\n") != 0 || b[13] < '0'
        || b[13] > '9' || b[14] < '0' || b[14] > '9')
        return std::nullopt;
    std::vector<Rec> records;
    for (std::size_t at = 18; at < b.size();) {
        char code[8];
        (void)std::snprintf(code, sizeof code, "(%02zu)[ ", records.size() + 1);
        const std::size_t close = b.find(" ]*\n", at), hash = b.find(" #\n", close + 4);
        if (records.size() == 99 || b.compare(at, 6, code) != 0 || close == std::string::npos
            || hash == std::string::npos)
            return std::nullopt;
        records.push_back({b.substr(at + 6, close - at - 6), b.substr(close + 4, hash - close - 4)});
        if (!plain(records.back().name) || !plain(records.back().serial))
            return std::nullopt;
        at = hash + 3;
    }
    if (static_cast<std::size_t>((b[13] - '0') * 10 + b[14] - '0') != records.size())
        return std::nullopt;
    return records;
}

std::string serialise(const std::vector<Rec>& records)
{
    char header[32];
    (void)std::snprintf(header, sizeof header, "Data Total : %02zu \n\n", records.size());
    std::string out = header;
    for (std::size_t i = 0; i < records.size(); ++i) {
        char code[8];
        (void)std::snprintf(code, sizeof code, "(%02zu)[ ", i + 1);
        out += code + records[i].name + " ]*\n" + records[i].serial + " #\n";
    }
    return out;
}

// Where record `code` (from 1) starts in the serialised file.
std::size_t startOf(const std::vector<Rec>& records, int code)
{
    std::vector<Rec> before(records.begin(), records.begin() + code - 1);
    return serialise(before).size();
}

}  // namespace

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Every run works in a directory of its own, as the program does; the
    // corpora libFuzzer was given by relative paths stay where they were.
    char real[PATH_MAX];
    for (int i = 1; i < *argc; ++i)
        if ((*argv)[i][0] != '-' && ::realpath((*argv)[i], real))
            (*argv)[i] = strdup(real);  // for the whole run
    static char dir[] = "/tmp/quorvane-fuzz-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0)
        std::abort();
    (void)std::atexit([] { std::filesystem::remove_all(dir); });
    return 0;
}

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t inputSize)
{
    // The first byte picks the change (an add, an edit or a delete), the
    // code, and whether the menu's trace goes along; the second a further
    // code for the delete, or none. The rest is the data file.
    if (inputSize < 2)
        return 0;
    const int pick = input[0], kind = pick % 3, code = pick / 3 % 101, code2 = input[1] % 101;
    const bool traced = (input[1] & 0x80) != 0;
    const std::string bytes(reinterpret_cast<const char*>(input + 2), inputSize - 2);
    // A new file each time, as a change makes it: one rewritten in place
    // within the same clock tick could keep its identity.
    std::filesystem::remove(qv::kDataFile);
    spit(qv::kDataFile, bytes);
    spit(qv::kBackupFile, "before");
    spit(qv::kPieceFile, "before");
    std::filesystem::remove(qv::kRebuiltFile);

    const std::optional<std::vector<Rec>> model = parse(bytes);
    std::vector<qv::Record> read;
    const qv::Fault layout = qv::listRecords(read);
    require(!layout == model.has_value(), "the layout check and the model disagree");
    qv::Counts counts;
    require(!qv::checkFile(counts) && counts.layoutSound == model.has_value(), "the check's verdict differs");
    std::vector<Rec> records;
    for (std::size_t i = 0; i < read.size(); ++i)
        records.push_back({read[i].name, read[i].serial}), require(read[i].code == static_cast<int>(i) + 1, "a code");
    require(!model || records == *model, "other records were read than the model's");

    const std::string name = "Fuzz name", serial = "FZ-1";
    std::vector<Rec> want = model.value_or(std::vector<Rec>{});
    const int n = static_cast<int>(want.size());
    qv::Trace trace;
    qv::Outcome outcome = qv::Fault{};
    std::optional<std::string> piece;  // what velk2.dat must hold afterwards, where it changes
    bool possible = model.has_value();
    if (kind == 0) {
        outcome = qv::addRecords({{name, serial}});
        want.push_back({name, serial});
        possible = possible && n < 99;
    } else if (kind == 1) {
        const bool withName = pick % 2 != 0, withSerial = pick % 4 < 2 || !withName;
        outcome = qv::editRecord(code, withName ? &name : nullptr, withSerial ? &serial : nullptr, nullptr,
                                 traced ? &trace : nullptr);
        possible = possible && code >= 1 && code <= n;
        if (possible) {
            const std::size_t start = startOf(want, code);
            const std::size_t star = start + 8 + want[code - 1].name.size();  // "(CC)[ " name " ]" then '*'
            if (!withSerial)
                piece = bytes.substr(star + 1);
            else if (code < n)
                piece = bytes.substr(startOf(want, code + 1));
            want[code - 1] = {withName ? name : want[code - 1].name, withSerial ? serial : want[code - 1].serial};
        }
    } else {
        std::vector<int> codes{code};
        if (code2 > code)
            codes.push_back(code2);
        outcome = qv::deleteRecords(codes, nullptr, traced ? &trace : nullptr);
        possible = possible && code >= 1 && code <= n && codes.back() <= n;
        if (possible) {
            piece = bytes.substr(0, startOf(want, code) - 1);
            for (auto c = codes.rbegin(); c != codes.rend(); ++c)
                want.erase(want.begin() + *c - 1);
        }
    }
    if (possible) {
        require(outcome.state() == qv::Outcome::Done, "a change of a sound file was refused");
        require(slurp(qv::kDataFile) == serialise(want), "a change gave another file than the model's");
        require(slurp(qv::kBackupFile) == bytes, "a change did not keep the old file as backup.bak");
        if (traced && kind != 0) {
            require(slurp(qv::kRebuiltFile) == serialise(want), "velk3.dat is not the file the change made");
            require(slurp(qv::kPieceFile) == piece.value_or("before"), "velk2.dat is not the piece copied");
        }
    } else {
        require(!outcome.made(), "an impossible change was done");
        require(slurp(qv::kDataFile) == bytes, "a refused change touched the data file");
        require(slurp(qv::kBackupFile) == "before", "a refused change touched backup.bak");
    }
    return 0;
}
