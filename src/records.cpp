#include "records.h"

#include "console.h"
#include "messages.h"

namespace qv {

// ---------------------------------------------------------------- layout

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
    case '(': case ')': case '[': case ']': case '*': case '?': case '#':
        return true;
    default:
        return false;
    }
}

std::string headerLine(char tens, char units)
{
    return std::string(kHeaderText) + tens + units + " \n";
}

std::string titleLine(char tens, char units, std::string_view name)
{
    std::string line = "(";
    line.append({tens, units}).append(")[ ").append(name).append(" ]*\n");
    return line;
}

std::string serialLine(std::string_view serial)
{
    return std::string(serial) + " #\n";
}

std::string twoDigits(int n)
{
    std::string digits = std::to_string(n);
    if (n <= 9)
        digits.insert(digits.begin(), '0');
    return digits;
}

void report(const File& f) { printLine(f.failure()); }

void reportDamaged() { printLine(msg::kDamaged); }

bool printFile(File& f)
{
    char last = '\n';
    for (std::string_view part = f.next(); !part.empty(); part = f.next()) {
        print(part);
        last = part.back();
    }
    if (!f.failed())
        return true;
    if (last != '\n')
        printChar('\n');
    report(f);
    return false;
}

bool openOrReport(File& f, const char* name, File::Mode mode)
{
    if (f.open(name, mode))
        return true;
    report(f);
    return false;
}

bool closeOrReport(File& f)
{
    if (f.close())
        return true;
    report(f);
    return false;
}

namespace {

// Reads one layout piece after another from the start of the data file.
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
    // in the blank that the layout puts before `end`.
    bool text(char end)
    {
        int last = kEnd;
        for (int c = f_.get(); c != static_cast<unsigned char>(end); c = f_.get()) {
            if (c == kEnd || c == '\n' || isReserved(c))
                return false;
            last = c;
        }
        return last == ' ';
    }
    int get() { return f_.get(); }

private:
    static constexpr int kEnd = File::kEnd;
    File& f_;
};

bool soundLayout(LayoutReader& in)
{
    if (!in.expect(kHeaderText))
        return false;
    int tens = in.get(), units = in.get();
    if (!isDigit(tens) || !isDigit(units) || !in.expect(" \n\n"))
        return false;
    int count = 0;
    for (int c = in.get(); c != File::kEnd; c = in.get()) {
        if (c != '(' || ++count > kCapacity || !in.expect(twoDigits(count)) || !in.expect(")[ ")
            || !in.text(']') || !in.expect("*\n") || !in.text('#') || !in.expect("\n"))
            return false;
    }
    return count == decodeTwo(tens, units);
}

}  // namespace

bool checkSound()
{
    File data;
    if (!openOrReport(data, kDataFile, File::Mode::Read))
        return false;
    LayoutReader in(data);
    bool sound = soundLayout(in);
    if (data.failed())
        report(data);
    else if (!sound)
        reportDamaged();
    return sound && !data.failed();
}

// ---------------------------------------------------------------- field check

bool acceptable(std::initializer_list<std::string_view> texts)
{
    for (std::string_view text : texts) {
        if (text.size() > kMaxText) {
            printLine(msg::kTooLong);
            printLine(msg::kCanceled);
            return false;
        }
    }
    int found = fieldcheck(texts);
    if (found == 1) {
        printLine(msg::kReserved);
        printLine(msg::kCanceled);
    }
    return found == 0;
}

int fieldcheck(std::initializer_list<std::string_view> texts)
{
    File out;
    if (!openOrReport(out, kFormatFile, File::Mode::Write))
        return -1;
    for (std::string_view text : texts) {
        out.write(text);
        out.put('\n');
    }
    if (!closeOrReport(out))
        return -1;
    File in;
    if (!openOrReport(in, kFormatFile, File::Mode::Read))
        return -1;
    int Result = 0;
    for (long ScanSeeker = 0;; ++ScanSeeker) {
        int ScanUnit = in.getAt(ScanSeeker);
        if (ScanUnit == File::kEnd)
            break;
        if (isReserved(ScanUnit))
            Result = 1;
    }
    if (in.failed()) {
        report(in);
        return -1;
    }
    return Result;
}

// ---------------------------------------------------------------- selection

namespace {

// The selection met the end of the data file before what the total promised,
// or could not read it. `midLine` when a listed or shown line is unfinished.
Selection broken(const File& data, bool midLine)
{
    if (midLine)
        printChar('\n');
    if (data.failed())
        report(data);
    else
        reportDamaged();
    return {};
}

// Prints from the cursor up to, not including, `stop`; false at end of file.
bool printUntil(File& data, char stop)
{
    for (int c = data.get(); c != static_cast<unsigned char>(stop); c = data.get()) {
        if (c == File::kEnd)
            return false;
        printChar(static_cast<char>(c));
    }
    return true;
}

}  // namespace

Selection selectrecord(Listing listing)
{
    Selection s;
    // The log is reset for whoever looks at it, but the search always starts
    // at the head of the file: a stale or unwritable log must never move it.
    {
        File log;
        if (log.open(kLogFile, File::Mode::Write)) {
            log.write("00");
            log.close();
        }
    }
    const long start = 0;

    File data;
    if (!openOrReport(data, kDataFile, File::Mode::Read))
        return s;
    int tens = data.getAt(kTotalTens), units = data.getAt(kTotalUnits);
    if (data.failed())
        return broken(data, false);
    s.N = static_cast<char>(tens);
    s.N2 = static_cast<char>(units);
    s.PO = decodeTwo(tens, units);
    if (tens == '0' && units == '0') {
        printLine(msg::kEmpty);
        s.outcome = Selection::Empty;
        return s;
    }

    const char stop = listing == Listing::Titles ? '*' : '#';
    long TN = 0;
    for (int All = 0; All < s.PO; ++All) {
        TN = findByte(data, TN + 1, '(');
        if (TN < 0)
            return broken(data, true);
        data.seek(TN - 1);
        if (!printUntil(data, stop))
            return broken(data, true);
    }
    data.close();

    printChar('\n');
    if (listing == Listing::Records)
        printLine(msg::kChooseEdit);
    printLine(msg::kCodeAsk);
    print(":");
    readChar();   // the newline the menu choice left behind
    s.SC1 = readChar();
    s.SC2 = readChar();
    printEcho(msg::kCodeEcho, std::string{s.SC1, s.SC2});

    s.PO_2 = decodeTwo(s.SC1, s.SC2);
    bool valid = isDigit(s.SC1) && isDigit(s.SC2) && s.PO_2 != 0 && s.PO_2 <= s.PO;
    if (!valid) {
        printLine(msg::kWrongCode);
        s.outcome = Selection::Rejected;
        return s;
    }

    // The record's marker: the first '(' T U ')' in file order.
    if (!openOrReport(data, kDataFile, File::Mode::Read))
        return {};
    const int SC1 = static_cast<unsigned char>(s.SC1);
    long Seeker = start + 1;
    for (;;) {
        Seeker = findByte(data, Seeker + 1, s.SC2);
        if (Seeker < 0)
            return broken(data, false);
        if (data.getAt(Seeker - 1) == SC1 && data.getAt(Seeker - 2) == '('
            && data.getAt(Seeker + 1) == ')')
            break;
    }
    printChar('(');
    data.seek(Seeker - 1);
    if (!printUntil(data, '#'))
        return broken(data, true);
    s.Seeker = Seeker;
    s.outcome = Selection::Found;
    return s;
}

// ---------------------------------------------------------------- rebuilds

long findByte(File& f, long from, char byte, int count)
{
    const int wanted = static_cast<unsigned char>(byte);
    f.seek(from);
    for (int c = f.get(); c != File::kEnd; c = f.get())
        if (c == wanted && --count == 0)
            return f.tell() - 1;
    return -1;
}

namespace {

bool reportCopy(const File& in, const File& out)
{
    report(in.failed() ? in : out);
    return false;
}

}  // namespace

bool copyHead(File& data, File& out)
{
    data.seek(0);
    for (std::string_view part = data.next(); !part.empty(); part = data.next()) {
        std::size_t cut = part.find(kCutMark);
        out.write(part.substr(0, cut));
        if (cut != std::string_view::npos)
            break;
    }
    return (!data.failed() && !out.failed()) || reportCopy(data, out);
}

bool copyFrom(File& in, long from, File& out)
{
    in.seek(from);
    return copyRest(in, out) || reportCopy(in, out);
}

bool appendFile(const char* name, File& out)
{
    File in;
    return openOrReport(in, name, File::Mode::Read) && copyFrom(in, 0, out);
}

bool replaceWith(const char* target, const char* source)
{
    File in;
    return openOrReport(in, source, File::Mode::Read) && replaceWith(target, in);
}

bool replaceWith(const char* target, File& in)
{
    Replacement next(target);
    if (!next.ok()) {
        printLine(next.failure());
        return false;
    }
    if (!copyRest(in, next.out())) {
        printLine(in.failed() ? in.failure() : next.failure());
        return false;
    }
    if (!next.commit()) {
        printLine(next.failure());
        return false;
    }
    return true;
}

CutMark::~CutMark()
{
    if (!placed_)
        return;
    File data;
    if (openOrReport(data, kDataFile, File::Mode::Update) && !(data.putAt(pos_, covered_) && data.close()))
        report(data);
}

bool CutMark::place(long pos)
{
    File data;
    if (!openOrReport(data, kDataFile, File::Mode::Update))
        return false;
    int covered = data.getAt(pos);
    if (covered == File::kEnd) {
        data.failed() ? report(data) : reportDamaged();
        return false;
    }
    pos_ = pos;
    covered_ = static_cast<char>(covered);
    placed_ = true;
    if (!data.putAt(pos, kCutMark) || !data.close()) {
        report(data);
        return false;
    }
    return true;
}

}  // namespace qv
