// The menu's scratch files, which its users know: format.dat holds the texts
// of the last field check, seach.log the record selection's position log,
// velk2.dat the piece of the data file that a delete or an edit copied, and
// velk3.dat the data file that it made. They are written from the very
// pieces the change is made of, and a change that cannot write them is not
// made. A command passes no trace and leaves nothing behind.
#pragma once

#include <string>

#include "catalog/fault.h"
#include "file/file.h"

namespace qv {

inline constexpr const char* kPieceFile = "velk2.dat";
inline constexpr const char* kRebuiltFile = "velk3.dat";
inline constexpr const char* kFormatFile = "format.dat";
inline constexpr const char* kLogFile = "seach.log";

class Trace {
public:
    // seach.log holds "00": the selection always starts at the head of the
    // file, so a log that cannot be written is passed over; only a link
    // planted in its place stops the selection.
    Fault select();
    // format.dat holds the texts, a line each.
    Fault texts(const std::string* name, const std::string* serial);
    // velk3.dat is made, empty, where the new file will be shown.
    Fault begin();
    // velk2.dat holds the bytes of `data` from `from` up to `to` (its end: -1).
    Fault piece(File& data, long from, long to);
    // velk3.dat holds the whole of `made`; it is closed, and its close
    // checked, before the change is committed.
    Fault rebuilt(File& made);

private:
    File rebuilt_;
};

}  // namespace qv
