#include "catalog/layout.h"

#include <array>

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

namespace {

// What may not stand in a name or serial: a newline or a reserved character.
constexpr auto kStops = [] {
    std::array<bool, 256> stops{};
    for (unsigned char c : std::string_view("\n()[]*?#"))
        stops[c] = true;
    return stops;
}();

// Reads one layout piece after another, over the bytes of the file's window
// rather than one call a byte: every change checks the whole file.
class LayoutReader {
public:
    explicit LayoutReader(File& f) : f_(f) { f_.seek(0); }

    int get()
    {
        if (buf_.empty() && (buf_ = f_.next()).empty())
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
            if (buf_.empty() && (buf_ = f_.next()).empty())
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
    File& f_;
    std::string_view buf_;  // what is left of the window
};

}  // namespace

Fault checkLayout(File& data, int* total, const std::function<void(const Record&)>& each)
{
    LayoutReader in(data);
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
    if (data.failed())
        return data.fault();
    if (!sound || r.code != decodeTwo(tens, units))
        return fault(Fault::Damaged, kDataFile);
    if (total)
        *total = r.code;
    return {};
}

Fault openSound(File& data, int* total)
{
    if (!data.open(kDataFile, File::Mode::Read))
        return data.fault();
    return checkLayout(data, total);
}

}  // namespace qv
