#include "menu/console.h"

#include "catalog/catalog.h"

#include "menu/editor.h"
#include "menu/texts.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include <unistd.h>

namespace qv::menu {

namespace {

// At a terminal, lines are read through the line editor, and the text
// printed after the last newline is held back for it to print as its
// prompt: so it knows where on the screen the answer begins. Held only
// while it is short, as every prompt is.
std::unique_ptr<LineEditor> editor;
std::string held;
constexpr std::size_t kHeldMost = 256;

int outErr = 0;

void noteOutput(bool written)
{
    if (!written && outErr == 0)
        outErr = errno ? errno : EIO;
}

void write(std::string_view text) { noteOutput(std::fwrite(text.data(), 1, text.size(), stdout) == text.size()); }

void put(std::string_view text)
{
    if (!editor) {
        write(text);
        return;
    }
    if (const std::size_t end = text.rfind('\n'); end != std::string_view::npos) {
        write(held);
        held.clear();
        write(text.substr(0, end + 1));
        text.remove_prefix(end + 1);
    }
    if (held.size() + text.size() > kHeldMost) {
        write(held);
        held.clear();
        write(text);
        return;
    }
    held.append(text);
}

// Standard input is read a block at a time, or at a terminal a line at a
// time through the line editor. Prompts are flushed before the program
// waits, so the dialogue works in a terminal and through a pipe.
class Input {
public:
    int peek()
    {
        if (at_ == len_ && !fill())
            return EOF;
        return static_cast<unsigned char>(data_[at_]);
    }
    int get()
    {
        int c = peek();
        if (c != EOF)
            ++at_;
        return c;
    }

private:
    bool fill()
    {
        if (ended_)
            return false;
        std::string_view got;
        if (editor) {
            const std::string prompt = std::move(held);
            held.clear();
            noteOutput(std::fflush(stdout) == 0);
            got = editor->read(prompt);
        } else {
            flushOutput();
            ssize_t n;
            do
                n = ::read(0, buf_, sizeof buf_);
            while (n < 0 && errno == EINTR);
            if (n > 0)
                got = {buf_, static_cast<std::size_t>(n)};
        }
        if (got.empty()) {
            ended_ = true;
            return false;
        }
        data_ = got.data();
        at_ = 0;
        len_ = got.size();
        return true;
    }

    char buf_[4096];
    const char* data_ = buf_;
    std::size_t at_ = 0, len_ = 0;
    bool ended_ = false;
};

Input& input()
{
    static Input in;
    return in;
}

bool isBlank(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

void editLines() { editor = LineEditor::start(); }

char readChar()
{
    int c = input().get();
    if (c == EOF)
        throw EndOfInput{};
    return static_cast<char>(c);
}

std::string readWord()
{
    Input& in = input();
    while (isBlank(in.peek()))
        in.get();
    std::string word;
    for (int c = in.peek(); !isBlank(c); c = in.peek()) {
        if (c == EOF)
            throw EndOfInput{};
        if (word.size() < kInputKept)
            word.push_back(static_cast<char>(c));
        in.get();
    }
    return word;
}

std::string readLine()
{
    std::string line;
    for (char c = readChar(); c != '\n'; c = readChar())
        if (line.size() < kInputKept)
            line.push_back(c);
    return line;
}

bool readYes() { return readWord().front() == 'y'; }

void waitForKey()
{
    printLine(text::kWaitKey);
    readChar();
    readChar();
}

void print(std::string_view text) { put(text); }

void printLine(std::string_view text)
{
    print(text);
    printChar('\n');
}

void printChar(char c)
{
    if (!editor)
        noteOutput(std::fputc(static_cast<unsigned char>(c), stdout) != EOF);
    else
        put(std::string_view(&c, 1));
}

void printEcho(std::string_view label, std::string_view value)
{
    print(label);
    print("[ ");
    print(value);
    printLine(" ] ");
}

void flushOutput()
{
    write(held);
    held.clear();
    noteOutput(std::fflush(stdout) == 0);
}

int outputError() { return outErr; }

std::string whatWentWrong(const std::exception& e)
{
    return dynamic_cast<const std::bad_alloc*>(&e) ? std::string(text::kOutOfMemory) : e.what();
}

namespace {

text::T verbOf(IoError::Op op)
{
    switch (op) {
    case IoError::Open: return text::kVerbOpen;
    case IoError::Create: return text::kVerbCreate;
    case IoError::Read: return text::kVerbRead;
    case IoError::Lock: return text::kVerbLock;
    case IoError::SyncDir: return text::kVerbSync;
    case IoError::None:
    case IoError::Write: break;
    }
    return text::kVerbWrite;
}

std::string reasonOf(int err)
{
    switch (err) {
    case kNotRegular: return std::string(text::kWhyNotRegular);
    case kLinkPlanted: return std::string(text::kWhyLinkPlanted);
    case kLockHeld: return std::string(text::kWhyLockHeld);
    case kLinkLoop: return std::string(text::kWhyLinkLoop);
    default: return std::strerror(err);
    }
}

void cannot(text::T verb, const std::string& file, std::string_view reason)
{
    printLine(
        std::string(text::kCannot).append(verb).append(" ").append(file).append(" : ").append(reason).append(" "));
}

}  // namespace

void say(const Fault& f)
{
    switch (f.kind) {
    case Fault::None: break;
    case Fault::File: cannot(verbOf(f.io.op), f.io.file, reasonOf(f.io.err)); break;
    case Fault::NotLoadable: cannot(text::kVerbLoad, f.file, reasonOf(f.io.err)); break;
    case Fault::IsData: cannot(text::kVerbWrite, f.file, text::kWhyIsData); break;
    case Fault::IsBackup: cannot(text::kVerbWrite, f.file, text::kWhyIsBackup); break;
    case Fault::IsOwn: cannot(text::kVerbWrite, f.file, text::kWhyIsOwn); break;
    // velk.dat as an encrypted history keeps it is no damage a recover mends.
    case Fault::Damaged: printLine(f.file == kDataFile && dataSealed() ? text::kSealed : text::kDamaged); break;
    case Fault::NotSound: printLine(text::kDamaged); break;
    case Fault::Full: printLine(text::kFull); break;
    case Fault::TooLong: printLine(text::kTooLong), printLine(text::kCanceled); break;
    case Fault::NotOneWord:
    case Fault::Empty:
    case Fault::Malformed:
    case Fault::NotRecord:
    case Fault::NotJson:
    case Fault::NotArray:
    case Fault::Control: printLine(text::kCanceled); break;
    case Fault::Reserved: printLine(text::kReserved), printLine(text::kCanceled); break;
    case Fault::Changed: printLine(text::kChanged); break;
    case Fault::NoRecord: printLine(text::kWrongCode); break;
    case Fault::NoBackup: printLine(text::kNoBackup); break;
    case Fault::NoSource: printLine(text::kLoadMissing); break;
    case Fault::SelfLoad: printLine(text::kLoadSelf); break;
    case Fault::NotRecorded: printLine(std::string(text::kNotRecorded) + f.detail + " "); break;
    case Fault::Sealed:
    case Fault::NotAuthentic:
    case Fault::NotKey: printLine(text::kSealed); break;
    }
}

bool reportDone(const Outcome& outcome, std::string_view done)
{
    if (outcome.made())
        printLine(done);
    say(outcome.fault());
    return outcome.made();
}

Fault printFile(const char* name)
{
    char last = '\n';
    Fault f = viewFile(name, [&](std::string_view part) {
        print(part);
        last = part.back();
        return true;
    });
    if (f && last != '\n')
        printChar('\n');
    return f;
}

}  // namespace qv::menu
