#include "catalog/import.h"

namespace qv {

void ImportFaults::add(Fault f, int line, bool record)
{
    f.line = line;
    f.record = record;
    if (named.size() < kNamed)
        named.push_back(std::move(f));
    else
        ++more;
}

bool ImportReader::feed(std::string_view bytes)
{
    while (!stopped_ && !bytes.empty()) {
        std::size_t nl = bytes.find('\n');
        std::string_view piece = bytes.substr(0, nl);
        if (line_.size() + piece.size() > kLongestLine) {
            Fault f = fault(Fault::TooLong);
            f.size = line_.size() + piece.size();
            f.limit = kLongestLine;
            return stop(f, number_ + 1);
        }
        line_.append(piece);
        if (nl == std::string_view::npos)
            break;
        bytes.remove_prefix(nl + 1);
        take(line_);
        line_.clear();
    }
    return !stopped_;
}

ImportFaults ImportReader::finish(std::vector<NewRecord>& records)
{
    if (!stopped_ && !line_.empty())  // the last line needs no newline
        take(line_);
    records = std::move(records_);
    return std::move(faults_);
}

bool ImportReader::take(std::string_view line)
{
    ++number_;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.empty())
        return true;
    // More than the data file can ever hold: the rest is not read.
    if (++filled_ > kCapacity)
        return stop(fault(Fault::Full, kDataFile), number_);
    std::size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos) {
        faults_.add(fault(Fault::Malformed), number_);
        return true;
    }
    NewRecord r{std::string(line.substr(0, tab)), std::string(line.substr(tab + 1)), number_};
    if (Fault f = checkFields(&r.name, &r.serial, Rules::Command))
        faults_.add(f, number_);
    else
        records_.push_back(std::move(r));
    return true;
}

bool ImportReader::stop(Fault f, int line)
{
    faults_.add(std::move(f), line);
    stopped_ = true;
    return false;
}

}  // namespace qv
