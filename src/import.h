// The reader of an import: lines NAME<TAB>SERIAL, the serial behind the last
// tab, read with bounded memory. Either every line can be added or the
// import is refused; the reader tells which line first stands in the way.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fault.h"
#include "fieldcheck.h"
#include "layout.h"

namespace qv {

class ImportReader {
public:
    // The longest line that can be taken: name, tab, serial, carriage return.
    static constexpr std::size_t kLongestLine = 2 * kMaxText + 2;

    // Takes the next bytes of the input, in any pieces. False once the rest
    // need not be read: a line could not be taken, or there are more lines
    // than the data file can ever hold.
    bool feed(std::string_view bytes);
    // The input ended. The records, or why they cannot be added: the fault's
    // `line` names the first line that cannot be taken.
    Fault finish(std::vector<NewRecord>& records);

private:
    bool take(std::string_view line);
    bool refuse(Fault f, int line);

    std::string line_;   // the line so far, never longer than kLongestLine
    int number_ = 0;     // of the line being read, from 1
    std::vector<NewRecord> records_;
    Fault bad_;
};

}  // namespace qv
