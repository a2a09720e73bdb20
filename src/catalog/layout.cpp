#include "catalog/layout.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qv {

int decodeTwo(int tens, int units)
{
    int value = 0;
    if (tens >= '1' && tens <= '9')
        value += (tens - '0') * 10;
    if (units >= '1' && units <= '9')
        value += units - '0';
    return value;
}

bool isDigit(int c) { return c >= '0' && c <= '9'; }

bool isReserved(int c)
{
    switch (c) {
    case '(':
    case ')':
    case '[':
    case ']':
    case '*':
    case '?':
    case '#': return true;
    default: return false;
    }
}

std::string twoDigits(int n)
{
    if (n >= 0 && n <= 99)
        return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
    std::string digits = std::to_string(n);
    if (n <= 9)
        digits.insert(digits.begin(), '0');
    return digits;
}

std::string headerLine(int total) { return std::string(kHeaderText) + twoDigits(total) + " \n"; }

std::string titleLine(int code, std::string_view name)
{
    std::string line = "(";
    line.append(twoDigits(code)).append(")[ ").append(name).append(" ]*\n");
    return line;
}

std::string serialLine(std::string_view serial) { return std::string(serial) + " #\n"; }

std::string catalogueOf(const std::vector<Record>& records)
{
    std::string out = headerLine(static_cast<int>(records.size())) + "\n";
    for (std::size_t i = 0; i < records.size(); ++i)
        out += titleLine(static_cast<int>(i) + 1, records[i].name) + serialLine(records[i].serial);
    return out;
}

namespace {

// What may not stand in a name or serial: a newline or a reserved character.
constexpr auto kStops = [] {
    std::array<bool, 256> stops{};
    for (unsigned char c : std::string_view("\n()[]*?#"))
        stops[c] = true;
    return stops;
}();

// Reads one layout piece after another, over the bytes a piece at a time
// (a file's window) rather than one call a byte: every change checks the
// whole file.
class LayoutReader {
public:
    explicit LayoutReader(std::function<std::string_view()> next) : next_(std::move(next)) {}

    int get()
    {
        if (buf_.empty() && (buf_ = next_()).empty())
            return File::kEnd;
        const auto c = static_cast<unsigned char>(buf_.front());
        buf_.remove_prefix(1);
        return c;
    }
    bool expect(std::string_view text)
    {
        for (char c : text)
            if (get() != static_cast<unsigned char>(c))
                return false;
        return true;
    }
    // Free text up to `end`: no newline, no reserved character, and it ends
    // in the blank that the layout puts before `end`, which is not kept.
    bool text(char end, std::string* kept)
    {
        if (kept)
            kept->clear();
        char last = 0;
        for (;;) {
            if (buf_.empty() && (buf_ = next_()).empty())
                return false;
            std::size_t n = 0;
            while (n < buf_.size() && !kStops[static_cast<unsigned char>(buf_[n])])
                ++n;
            if (kept)
                kept->append(buf_.substr(0, n));
            if (n > 0)
                last = buf_[n - 1];
            if (n == buf_.size()) {  // the text goes on in the next window
                buf_ = {};
                continue;
            }
            const char stop = buf_[n];
            buf_.remove_prefix(n + 1);
            if (stop != end || last != ' ')
                return false;
            if (kept)
                kept->pop_back();
            return true;
        }
    }
    bool code(int n) { return get() == '0' + n / 10 && get() == '0' + n % 10; }

private:
    std::function<std::string_view()> next_;
    std::string_view buf_;  // what is left of the piece
};

// The layout check over the pieces `next` hands out.
Fault check(LayoutReader& in, int* total, const std::function<void(const Record&)>& each);

}  // namespace

Fault checkLayout(File& data, int* total, const std::function<void(const Record&)>& each)
{
    data.seek(0);
    LayoutReader in([&] { return data.next(); });
    Fault f = check(in, total, each);
    return data.failed() ? Fault(data.failure()) : f;
}

Fault readRecords(std::string_view bytes, std::vector<Record>& records)
{
    records.clear();
    LayoutReader in([&, given = false]() mutable { return std::exchange(given, true) ? std::string_view() : bytes; });
    return check(in, nullptr, [&](const Record& r) { records.push_back(r); });
}

namespace {

Fault check(LayoutReader& in, int* total, const std::function<void(const Record&)>& each)
{
    bool sound = in.expect(kHeaderText);
    int tens = in.get(), units = in.get();
    sound = sound && isDigit(tens) && isDigit(units) && in.expect(" \n\n");
    Record r;
    std::string* name = each ? &r.name : nullptr;
    std::string* serial = each ? &r.serial : nullptr;
    for (int c = sound ? in.get() : File::kEnd; c != File::kEnd; c = in.get()) {
        ++r.code;
        sound = c == '(' && r.code <= kCapacity && in.code(r.code) && in.expect(")[ ") && in.text(']', name)
            && in.expect("*\n") && in.text('#', serial) && in.expect("\n");
        if (!sound)
            break;
        if (each)
            each(r);
    }
    if (!sound || r.code != decodeTwo(tens, units))
        return fault(Fault::Damaged, kDataFile);
    if (total)
        *total = r.code;
    return {};
}

}  // namespace

long findByte(File& f, long from, char byte)
{
    f.seek(from);
    for (long at = from;; at = f.tell()) {
        const std::string_view part = f.next();
        if (part.empty())
            return -1;
        if (const std::size_t k = part.find(byte); k != std::string_view::npos)
            return at + static_cast<long>(k);
    }
}

long findMarker(File& data, int code, long from)
{
    const char marker[] = {'(', static_cast<char>('0' + code / 10 % 10), static_cast<char>('0' + code % 10), ')', 0};
    for (long at = from;;) {
        data.seek(at);
        const std::string_view part = data.next();
        if (part.empty())
            return -1;
        if (const std::size_t k = part.find(marker, 0, 4); k != std::string_view::npos)
            return at + static_cast<long>(k);
        // One that begins in the last bytes of this piece goes on in the
        // next. Those bytes are copied first: reading on replaces the piece.
        const std::size_t size = part.size(), tail = size > 3 ? size - 3 : 0;
        std::array<char, 3> last{};
        part.copy(last.data(), size - tail, tail);
        for (std::size_t k = 0; k < size - tail; ++k) {
            const long open = at + static_cast<long>(tail + k);
            if (last[k] == '(' && data.getAt(open + 1) == marker[1] && data.getAt(open + 2) == marker[2]
                && data.getAt(open + 3) == ')')
                return open;
        }
        at += static_cast<long>(size);
    }
}

std::string nameAt(File& data, long marker)
{
    // "(CC)[ name ]*": the name runs from behind "[ " up to " ]".
    const long star = findByte(data, marker, '*');
    std::string name;
    for (long at = marker + 6; at < star - 2; ++at)
        name += static_cast<char>(data.getAt(at));
    return name;
}

Fault put(File& out, std::string_view text) { return out.write(text) ? Fault{} : Fault(out.failure()); }

Fault copyRange(File& in, long from, long to, File& out)
{
    in.seek(from);
    bool copied = true;
    if (to < 0) {
        copied = copyRest(in, out);
    } else {
        for (long at = from; copied && at < to;) {
            std::string_view part = in.next();
            if (part.empty())
                break;
            part = part.substr(0, static_cast<std::size_t>(std::min<long>(to - at, static_cast<long>(part.size()))));
            copied = out.write(part);
            at += static_cast<long>(part.size());
        }
    }
    if (in.failed())
        return in.failure();
    return out.failed() || !copied ? Fault(out.failure()) : Fault{};
}

}  // namespace qv
