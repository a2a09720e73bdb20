#include "console.h"

#include "messages.h"

#include <cerrno>
#include <cstdio>

#include <unistd.h>

namespace qv {

namespace {

// Standard input is read a block at a time. Prompts are flushed before the
// program waits, so the dialogue works in a terminal and through a pipe.
class Input {
public:
    int peek()
    {
        if (at_ == len_ && !fill())
            return EOF;
        return static_cast<unsigned char>(buf_[at_]);
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
        flushOutput();
        ssize_t n;
        do
            n = ::read(0, buf_, sizeof buf_);
        while (n < 0 && errno == EINTR);
        if (n <= 0) {
            ended_ = true;
            return false;
        }
        at_ = 0;
        len_ = static_cast<std::size_t>(n);
        return true;
    }

    char buf_[4096];
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
        word.push_back(static_cast<char>(in.get()));
    }
    return word;
}

std::string readLine()
{
    std::string line;
    for (char c = readChar(); c != '\n'; c = readChar())
        line.push_back(c);
    return line;
}

bool readYes() { return readWord().front() == 'y'; }

void waitForKey()
{
    printLine(msg::kWaitKey);
    readChar();
    readChar();
}

void print(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void printLine(std::string_view text)
{
    print(text);
    std::fputc('\n', stdout);
}

void printChar(char c) { std::fputc(static_cast<unsigned char>(c), stdout); }

void printEcho(std::string_view label, std::string_view value)
{
    print(label);
    print("[ ");
    print(value);
    printLine(" ] ");
}

void flushOutput() { std::fflush(stdout); }

}  // namespace qv
