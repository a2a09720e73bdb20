// The import reader as outside bytes, fed in pieces cut where the input
// says: all or nothing. It succeeds exactly when every line is acceptable
// and there are at most 99 of them, with exactly those records; otherwise it
// names the first line that stands in the way. The model below knows the
// rules from the manual, not from the program's code.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "import.h"

namespace {

void require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "oracle failed: %s\n", what);
        std::abort();
    }
}

bool acceptable(std::string_view line, qv::NewRecord& r)
{
    std::size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos)
        return false;
    r = {std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))};
    auto holds = [](std::string_view s, std::string_view set) { return s.find_first_of(set) != std::string_view::npos; };
    return r.name.size() <= 59 && r.serial.size() <= 59 && !r.serial.empty() && !holds(r.name, "()[]*?#\n")
           && !holds(r.serial, "()[]*?# \t\n\v\f\r");
}

// The records, or the number of the first line that cannot be taken.
int model(std::string_view input, std::vector<qv::NewRecord>& records)
{
    int number = 0;
    while (!input.empty()) {
        std::size_t nl = input.find('\n');
        std::string_view line = input.substr(0, nl);
        input.remove_prefix(nl == std::string_view::npos ? input.size() : nl + 1);
        ++number;
        qv::NewRecord r;
        if (!acceptable(line, r) || records.size() == 99)
            return number;
        records.push_back(r);
    }
    return 0;
}

}  // namespace

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
    const qv::Fault f = reader.finish(got);
    const int bad = model(input, want);
    require(bool(f) == (bad != 0), "the verdict differs from the model's");
    if (f) {
        require(f.line == bad, "another line was named than the first that stands in the way");
    } else {
        require(got.size() == want.size(), "another number of records than the model's");
        for (std::size_t i = 0; i < got.size(); ++i)
            require(got[i].name == want[i].name && got[i].serial == want[i].serial, "another record than the model's");
    }
    return 0;
}
