// What the operations share: the data file's layout and its two-digit
// decoding rule, the layout check of a sound file, the record selection, the
// field check, and the pieces the edit and the delete rebuild the file with.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "fileio.h"

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

// Layout: "Data Total : TU \n", an empty line, then the records.
inline constexpr std::string_view kHeaderText = "Data Total : ";
inline constexpr long kTotalTens = 13;
inline constexpr long kTotalUnits = 14;
inline constexpr long kHeaderLength = 17;   // the header line with its newline
inline constexpr long kFirstRecord = 18;
inline constexpr int kCapacity = 99;
inline constexpr std::size_t kMaxText = 59; // names and serials held in 60-byte buffers
inline constexpr char kCutMark = '?';

// Tens '1'..'9' count 10..90, units '1'..'9' count 1..9; anything else counts 0.
int decodeTwo(int tens, int units);
bool isDigit(int c);
bool isReserved(int c);
std::string headerLine(char tens, char units);
std::string titleLine(char tens, char units, std::string_view name);
std::string serialLine(std::string_view serial);
// A count or code as two characters: "0%d" up to 9, "%d" from 10 on.
std::string twoDigits(int n);

// Prints the failure line a file remembers.
void report(const File& f);
void reportDamaged();
// Opens a file, printing the failure line when it cannot.
bool openOrReport(File& f, const char* name, File::Mode mode);
// Closes a file, printing the failure line when what it wrote did not all
// reach the file.
bool closeOrReport(File& f);
// Streams a file from its cursor to the screen; false (the failure printed on
// a line of its own) when it cannot be read to its end.
bool printFile(File& f);

// Whether the data file has the layout the rebuilds rely on: the header, the
// empty line, then whole title and serial lines in turn, each reserved
// character only in its own place, no cut mark, the codes 01..N in order and
// the total field equal to N. Prints why when it has not.
bool checkSound();

// Whether typed texts may be stored: at most 59 characters and no reserved
// character. A refusal prints its two lines, a failed field check its one.
bool acceptable(std::initializer_list<std::string_view> texts);

// 1 when one of the texts holds a reserved character, 0 when none does. The
// texts go through "format.dat", which is written and read back; -1 (the
// failure printed) when that cannot be done, so nothing unchecked passes.
int fieldcheck(std::initializer_list<std::string_view> texts);

struct Selection {
    enum Outcome { Empty, Rejected, Found, Failed } outcome = Failed;
    char N = 0, N2 = 0;     // total field as read
    int PO = 0;             // total, decoded
    char SC1 = 0, SC2 = 0;  // typed code
    int PO_2 = 0;           // typed code, decoded
    long Seeker = 0;        // offset of the units digit of the record's code
};
// The edit lists whole records and asks which one to change; the show and
// the delete list title lines only.
enum class Listing { Titles, Records };
Selection selectrecord(Listing listing);

// ---- pieces of a rebuild

// Offset of the count-th `byte` at or after `from`; -1 when the file ends first.
long findByte(File& f, long from, char byte, int count = 1);
// Copies the data file from its start up to, not including, the first cut mark.
bool copyHead(File& data, File& out);
// Copies `in` from `from` to its end.
bool copyFrom(File& in, long from, File& out);
// Appends the whole of the named file to `out`.
bool appendFile(const char* name, File& out);
// Replaces the whole of `target` with the whole of `source`, never leaving
// it half written; prints the failure line when it cannot.
bool replaceWith(const char* target, const char* source);
bool replaceWith(const char* target, File& source);

// The cut mark in the data file. Once placed it is taken back (the byte it
// covered written again) unless the rebuild that replaces the file released it.
class CutMark {
public:
    CutMark() = default;
    CutMark(const CutMark&) = delete;
    CutMark& operator=(const CutMark&) = delete;
    ~CutMark();
    bool place(long pos);   // prints the failure line on failure
    void release() { placed_ = false; }

private:
    long pos_ = 0;
    char covered_ = 0;
    bool placed_ = false;
};

}  // namespace qv
