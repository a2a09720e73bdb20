// The data file's layout: its fixed names and offsets, the two-digit
// decoding rule, the lines a record is made of, and the check that a file
// has the sound layout the changes rely on.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "file/file.h"

namespace qv {

// Fixed file names, all in the working directory.
inline constexpr const char* kDataFile = "velk.dat";
inline constexpr const char* kBackupFile = "backup.bak";
inline constexpr const char* kExportFile = "velk.txt";
inline constexpr const char* kTailFile = "velk2.dat";
inline constexpr const char* kRebuildFile = "velk3.dat";
inline constexpr const char* kFormatFile = "format.dat";
inline constexpr const char* kLogFile = "seach.log";
inline constexpr const char* kReadmeFile = "README";

// Where a change or a check of typed texts does its work. The menu's
// dialogue leaves its traces in the scratch files above, which its users
// know; a command works in memory and in the commit's own temporary file,
// and leaves nothing behind.
enum class Through { Scratch, Memory };

// "Data Total : TU \n", an empty line, then the records, each a title line
// "(CC)[ name ]*\n" and a serial line "serial #\n".
inline constexpr std::string_view kHeaderText = "Data Total : ";
inline constexpr long kTotalTens = 13;
inline constexpr long kTotalUnits = 14;
inline constexpr long kHeaderLength = 17;  // the header line with its newline
inline constexpr int kCapacity = 99;
inline constexpr std::size_t kMaxText = 59;  // names and serials held in 60-byte buffers

// Tens '1'..'9' count 10..90, units '1'..'9' count 1..9; anything else counts 0.
int decodeTwo(int tens, int units);
bool isDigit(int c);
bool isReserved(int c);
inline bool isReservedChar(char c) { return isReserved(static_cast<unsigned char>(c)); }
// A count or code as two characters: "0%d" up to 9, "%d" from 10 on.
std::string twoDigits(int n);
std::string headerLine(int total);
std::string titleLine(int code, std::string_view name);
std::string serialLine(std::string_view serial);

struct Record {
    int code = 0;
    std::string name, serial;
    bool operator==(const Record&) const = default;
};

// Reads the data file from its start and checks the layout: the header, the
// empty line, then whole title and serial lines in turn, each reserved
// character only in its own place, the codes 01..N in order and the total
// field equal to N. `each` sees every record as it is read, before the
// verdict on the rest; `total` receives N.
Fault checkLayout(File& data, int* total = nullptr, const std::function<void(const Record&)>& each = {});

// Opens the data file and checks that it has the sound layout.
Fault openSound(File& data, int* total = nullptr);

}  // namespace qv
