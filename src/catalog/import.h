// The reader of an import: lines NAME<TAB>SERIAL, the serial behind the last
// tab, read with bounded memory. Either every line can be added or the
// import is refused, naming the lines that stand in the way.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/fault.h"
#include "catalog/fields.h"
#include "catalog/layout.h"

namespace qv {

// What stands in the way of an import: the first lines that cannot be
// taken, each a fault with its line, and how many more there are.
struct ImportFaults {
    static constexpr std::size_t kNamed = 10;
    std::vector<Fault> named;
    int more = 0;

    void add(Fault f, int line, bool record = false);
    explicit operator bool() const { return !named.empty(); }
};

class ImportReader {
public:
    // The longest line that can be taken: name, tab, serial, carriage return.
    static constexpr std::size_t kLongestLine = 2 * kMaxText + 2;

    // Takes the next bytes of the input, in any pieces. False once the rest
    // need not be read: a line too long to be taken, whose end may never
    // come, or more lines than the data file can ever hold.
    bool feed(std::string_view bytes);
    // The input ended: the records, each with its line, or what stands in
    // the way. A line may end in CR LF; blank lines are passed over.
    ImportFaults finish(std::vector<NewRecord>& records);

private:
    bool take(std::string_view line);
    bool stop(Fault f, int line);

    std::string line_;  // the line so far, never longer than kLongestLine
    int number_ = 0;    // lines read
    int filled_ = 0;    // lines that are not blank
    bool stopped_ = false;
    std::vector<NewRecord> records_;
    ImportFaults faults_;
};

}  // namespace qv
