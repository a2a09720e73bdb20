// The menu's console: one character stream over standard input, the output,
// and faults in the menu's words. The dialogues never touch standard input
// or output directly.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "catalog/fault.h"

namespace qv::menu {

// Thrown when standard input ends while a prompt waits; main ends the program.
struct EndOfInput {};

// Where standard output is a terminal, and standard input too, lines are
// read from then on through the line editor (menu/editor.h).
void editLines();
// The next byte of standard input, or throws EndOfInput.
char readChar();
// Skips white space, then reads one word up to (not including) the white
// space after it, which stays unread. A word that the end of input cuts off
// was never finished, so it counts as the end of input too.
std::string readWord();
// The rest of the current line; its newline is consumed, not stored. A line
// without its newline counts as the end of input.
std::string readLine();
// A word or line keeps at most this many bytes; the rest is read and
// dropped, so that no input can take memory without end. Far above what any
// answer may hold, so what is kept still tells a text that is too long.
inline constexpr std::size_t kInputKept = 4096;
// A yes/no answer: one word, of which only a lower-case y at its start says yes.
bool readYes();
// Waits for a key after a viewer: two characters, the first being the
// newline the menu choice left behind.
void waitForKey();

void print(std::string_view text);
void printLine(std::string_view text);  // text, then a newline
void printChar(char c);
// A value echoed in square brackets: label, "[ ", value, " ] " and a newline.
void printEcho(std::string_view label, std::string_view value);
void flushOutput();
// The first error writing standard output (EPIPE when the reader went
// away), or 0.
int outputError();
// What an exception that escaped says, in the program's words.
std::string whatWentWrong(const std::exception& e);
// A fault in the menu's words, on its own line or lines.
void say(const Fault& f);
// Tells how a change went: its success line once it is done, then anything
// that went wrong after it; otherwise the fault alone. True when done.
bool reportDone(const Outcome& outcome, std::string_view done);
// Prints the whole file `name`; when it cannot be read to its end, ends the
// line it stopped in and says why not: the fault, which the caller says.
Fault printFile(const char* name);

}  // namespace qv::menu
