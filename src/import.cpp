#include "import.h"

namespace qv {

bool ImportReader::feed(std::string_view bytes)
{
    if (bad_)
        return false;
    while (!bytes.empty()) {
        std::size_t nl = bytes.find('\n');
        std::string_view piece = bytes.substr(0, nl);
        // A line past the longest that can be taken is refused right there:
        // its end may never come.
        if (line_.size() + piece.size() > kLongestLine)
            return refuse(fault(Fault::TooLong), number_ + 1);
        line_.append(piece);
        if (nl == std::string_view::npos)
            return true;
        bytes.remove_prefix(nl + 1);
        if (!take(line_))
            return false;
        line_.clear();
    }
    return true;
}

Fault ImportReader::finish(std::vector<NewRecord>& records)
{
    if (!bad_ && !line_.empty())   // the last line needs no newline
        take(line_);
    records = std::move(records_);
    return bad_;
}

bool ImportReader::take(std::string_view line)
{
    ++number_;
    std::size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos)
        return refuse(fault(Fault::Malformed), number_);
    NewRecord r{std::string(line.substr(0, tab)), std::string(line.substr(tab + 1))};
    if (Fault f = checkFields(&r.name, &r.serial, Through::Memory))
        return refuse(f, number_);
    records_.push_back(std::move(r));
    // More than the data file can ever hold: the rest is not read.
    if (records_.size() > static_cast<std::size_t>(kCapacity))
        return refuse(fault(Fault::Full, kDataFile), number_);
    return true;
}

bool ImportReader::refuse(Fault f, int line)
{
    f.line = line;
    bad_ = f;
    return false;
}

}  // namespace qv
