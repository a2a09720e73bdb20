#include "layout.h"

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

// Reads one layout piece after another.
class LayoutReader {
public:
    explicit LayoutReader(File& f) : f_(f) { f_.seek(0); }

    bool expect(std::string_view text)
    {
        for (char c : text)
            if (f_.get() != static_cast<unsigned char>(c))
                return false;
        return true;
    }
    // Free text up to `end`: no newline, no reserved character, and it ends
    // in the blank that the layout puts before `end`, which is not kept.
    bool text(char end, std::string* kept)
    {
        if (kept)
            kept->clear();
        int last = File::kEnd;
        for (int c = f_.get(); c != static_cast<unsigned char>(end); c = f_.get()) {
            if (c == File::kEnd || kStops[c])
                return false;
            if (kept)
                kept->push_back(static_cast<char>(c));
            last = c;
        }
        if (last != ' ')
            return false;
        if (kept)
            kept->pop_back();
        return true;
    }
    bool code(int n) { return f_.get() == '0' + n / 10 && f_.get() == '0' + n % 10; }
    int get() { return f_.get(); }

private:
    File& f_;
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
