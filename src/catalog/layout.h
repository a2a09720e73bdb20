// The data file's layout: its fixed names and offsets, the two-digit
// decoding rule, the lines a record is made of, the check that a file has
// the sound layout the changes rely on, and the one way a record is found in
// it: by its marker, the four bytes ( T U ).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/fault.h"
#include "file/file.h"
#include "file/lock.h"

namespace qv {

// Fixed file names, all in the working directory.
inline constexpr const char* kDataFile = "velk.dat";
inline constexpr const char* kBackupFile = "backup.bak";
inline constexpr const char* kExportFile = "velk.txt";
inline constexpr const char* kReadmeFile = "README";
// What a failure of standard input names it.
inline constexpr const char* kStandardInput = "standard input";
// The lock file: earlier versions' (which may still be running), and this
// one's where the directory cannot be locked itself.
inline constexpr const char* kOldLockFile = kLockFile;

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
// The records of a data file held as bytes (as git keeps it), by the same check.
Fault readRecords(std::string_view bytes, std::vector<Record>& records);
// The data file that holds `records`, coded 01.. in their order.
std::string catalogueOf(const std::vector<Record>& records);

// Offset of the '(' of record `code`'s marker "(CC)", the first at or after
// `from`; -1 when there is none. In a sound file it opens the record's title
// line: the layout keeps ( and ) out of names and serials.
long findMarker(File& data, int code, long from = 0);
// The name on the title line whose marker is at `marker`, in a sound file.
std::string nameAt(File& data, long marker);
// Offset of the first `byte` at or after `from`; -1 when the file ends first.
long findByte(File& f, long from, char byte);
// Writes `text` at the cursor of `out`, or says why it cannot.
Fault put(File& out, std::string_view text);
// Copies `in` from `from` up to, not including, `to` (to its end: -1) onto
// the cursor of `out`.
Fault copyRange(File& in, long from, long to, File& out);

}  // namespace qv
