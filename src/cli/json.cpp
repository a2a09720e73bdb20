#include "cli/json.h"

#include <nlohmann/json.hpp>

#include "cli/unicode.h"

namespace qv::cli {

namespace {

std::string jsonString(std::string_view bytes) { return nlohmann::json(toUtf8(bytes)).dump(); }

// "[json.exception.parse_error.101] parse error at ...; last read: 'TOKEN'"
// without its tag, and the token cut to its last bytes: it may be a whole
// line of a megabyte.
std::string parseError(std::string why)
{
    constexpr std::size_t kShown = 40;
    why.erase(0, why.find(']') + 2);
    const std::size_t token = why.find("last read: '"), end = why.rfind('\'');
    if (token != std::string::npos && end > token + 12 + kShown)
        why.replace(token + 12, end - token - 12 - kShown, "...");
    return why;
}

}  // namespace

std::string recordJson(const Record& r)
{
    return "{\"code\": " + jsonString(twoDigits(r.code)) + ", \"name\": " + jsonString(r.name)
        + ", \"serial\": " + jsonString(r.serial) + "}";
}

std::string recordsJson(const std::vector<Record>& records)
{
    std::string out = "[";
    for (std::size_t i = 0; i < records.size(); ++i)
        out += (i ? ",\n  " : "\n  ") + recordJson(records[i]);
    return out + (records.empty() ? "]\n" : "\n]\n");
}

ImportFaults readJson(std::string_view text, std::vector<NewRecord>& records)
{
    ImportFaults faults;
    nlohmann::json array;
    try {
        array = nlohmann::json::parse(text);
    } catch (const nlohmann::json::exception& e) {
        Fault f = fault(Fault::NotJson);
        f.detail = parseError(e.what());
        faults.add(f, 0);
        return faults;
    }
    if (!array.is_array()) {
        faults.add(fault(Fault::NotArray), 0);
        return faults;
    }
    int number = 0;
    for (const nlohmann::json& item : array) {
        if (++number > kCapacity) {
            faults.add(fault(Fault::Full, kDataFile), number, true);
            break;
        }
        const auto name = item.is_object() ? item.find("name") : item.end();
        const auto serial = item.is_object() ? item.find("serial") : item.end();
        if (!item.is_object() || name == item.end() || serial == item.end() || !name->is_string()
            || !serial->is_string()) {
            faults.add(fault(Fault::NotRecord), number, true);
            continue;
        }
        NewRecord r{fromUtf8(name->get<std::string>()), fromUtf8(serial->get<std::string>()), number};
        if (Fault f = checkStorable(r.name, r.serial))
            faults.add(f, number, true);
        else
            records.push_back(std::move(r));
    }
    return faults;
}

}  // namespace qv::cli
