// JSON in and out for the command line, through nlohmann/json. Names and
// serials that are not UTF-8 are written in the reversible form of toUtf8,
// and read back from it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/import.h"
#include "catalog/layout.h"

namespace qv::cli {

// {"code": "01", "name": "...", "serial": "..."}, on one line.
std::string recordJson(const Record& r);
// The array that `list --json` prints: one record a line.
std::string recordsJson(const std::vector<Record>& records);
// Reads such an array: objects with the string members "name" and "serial"
// (others, such as "code", are passed over), checked as an import's lines
// are; the faults count records of the array.
ImportFaults readJson(std::string_view text, std::vector<NewRecord>& records);

}  // namespace qv::cli
