// The import reader as outside bytes, fed in pieces cut where the input
// says: all or nothing. It succeeds exactly when every line is acceptable (a
// name and a serial, neither empty) and there are at most 99 of them, with
// exactly those records; otherwise it names the first ten lines that stand
// in the way and counts the rest. The model below knows the rules from the
// manual, not from the program's code.
// The same bytes read as JSON: refused, or at most 99 records the data file
// can hold (no newline, none of ( ) [ ] * ? #) that come back the same
// through the array `list --json` writes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/import.h"
#include "cli/json.h"
#include "oracle.h"

namespace {

bool acceptable(std::string_view line, qv::NewRecord& r)
{
    std::size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos)
        return false;
    r = {std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))};
    auto holds = [](std::string_view s, std::string_view set) {
        return s.find_first_of(set) != std::string_view::npos;
    };
    auto control = [](std::string_view t) {
        return std::any_of(t.begin(), t.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
    };
    return !r.name.empty() && r.name.size() <= 59 && !r.serial.empty() && r.serial.size() <= 59
        && !holds(r.name, "()[]*?#") && !holds(r.serial, "()[]*?# ") && !control(r.name) && !control(r.serial);
}

bool holdable(const qv::NewRecord& r) { return (r.name + r.serial).find_first_of("\n()[]*?#") == std::string::npos; }

bool same(const std::vector<qv::NewRecord>& a, const std::vector<qv::NewRecord>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& x, const auto& y) { return x.name == y.name && x.serial == y.serial; });
}

// The records, and the numbers of the lines that cannot be taken.
std::vector<int> model(std::string_view input, std::vector<qv::NewRecord>& records)
{
    std::vector<int> bad;
    int number = 0, filled = 0;
    while (!input.empty()) {
        std::size_t nl = input.find('\n');
        std::string_view line = input.substr(0, nl);
        input.remove_prefix(nl == std::string_view::npos ? input.size() : nl + 1);
        ++number;
        if (line.size() > 120) {  // name, tab, serial and CR at the most: the rest is not read
            bad.push_back(number);
            break;
        }
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (++filled > 99) {  // more than a catalogue can hold: the rest is not read
            bad.push_back(number);
            break;
        }
        qv::NewRecord r;
        if (acceptable(line, r))
            records.push_back(r);
        else
            bad.push_back(number);
    }
    return bad;
}

}  // namespace

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first byte says where the pieces are cut; the rest is the input.
    const std::size_t step = size ? data[0] % 7 + 1 : 1;
    input.remove_prefix(std::min<std::size_t>(1, size));

    qv::ImportReader reader;
    for (std::string_view rest = input; !rest.empty();) {
        std::string_view piece = rest.substr(0, step);
        rest.remove_prefix(piece.size());
        if (!reader.feed(piece))
            break;
    }
    std::vector<qv::NewRecord> got, want;
    const qv::ImportFaults f = reader.finish(got);
    const std::vector<int> bad = model(input, want);
    require(bool(f) == !bad.empty(), "the verdict differs from the model's");
    if (f) {
        require(f.named.size() == std::min<std::size_t>(bad.size(), 10), "another number of lines was named");
        for (std::size_t i = 0; i < f.named.size(); ++i)
            require(f.named[i].line == bad[i], "another line was named than the model's");
        require(f.more == static_cast<int>(bad.size() - f.named.size()), "the lines not named were miscounted");
    } else {
        require(same(got, want), "other records than the model's");
    }
    std::vector<qv::NewRecord> taken, again;
    if (!qv::cli::readJson(input, taken)) {
        std::vector<qv::Record> coded;
        coded.reserve(taken.size());
        for (const qv::NewRecord& r : taken)
            coded.push_back({static_cast<int>(coded.size()) + 1, r.name, r.serial});
        require(taken.size() <= 99 && std::all_of(taken.begin(), taken.end(), holdable),
                "JSON took what cannot be held");
        require(!qv::cli::readJson(qv::cli::recordsJson(coded), again) && same(again, taken), "JSON did not come back");
    }
    return 0;
}
