// Names and serials as Unicode text, for the command line. Stored bytes
// need not be UTF-8; whatever they are, nothing here loses one.
#pragma once

#include <string>
#include <string_view>

#include "catalog/escape.h"  // escapeText, which the command line prints through

namespace qv::cli {

// The text folded by Unicode case folding and composed (NFC), so that texts
// that differ only in case, or in how an accent is written, fold alike;
// what one fold holds is found in another as a piece of a string. A byte
// that is not UTF-8 becomes a code point of its own above U+10FFFF, which no
// character has (written as UTF-8 writes code points, which valid UTF-8
// never holds): it only ever matches the same byte, never a character nor
// a piece of one.
std::string caseFold(std::string_view bytes);

// The bytes as valid UTF-8. A byte that is not part of a UTF-8 character
// becomes the private-use character U+10FF00 plus the byte (U+10FF80 to
// U+10FFFF); so do the bytes of those characters themselves, so that
// fromUtf8 gives back exactly the bytes it was given.
std::string toUtf8(std::string_view bytes);
// The reverse of toUtf8: the characters U+10FF80 to U+10FFFF become their
// byte again. `text` is valid UTF-8.
std::string fromUtf8(std::string_view text);

}  // namespace qv::cli
