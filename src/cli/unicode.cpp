#include "cli/unicode.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

#include <utf8proc.h>

namespace qv::cli {

namespace {

constexpr utf8proc_int32_t kStrayBase = 0x10FF00, kFirstStray = 0x10FF80;
// Where a fold puts a byte that is not UTF-8: past the last character.
constexpr std::uint32_t kFoldedStrayBase = 0x110000;

// The length of the UTF-8 character at the start of `s`, with its code point;
// 0 where the bytes there are no character.
std::size_t character(std::string_view s, utf8proc_int32_t& cp)
{
    const auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(s.data()),
                                    static_cast<utf8proc_ssize_t>(s.size()), &cp);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

void append(std::string& out, utf8proc_int32_t cp)
{
    utf8proc_uint8_t buf[4];
    out.append(reinterpret_cast<const char*>(buf), static_cast<std::size_t>(utf8proc_encode_char(cp, buf)));
}

// Hands `run` each stretch of whole characters and `stray` each byte that
// is not part of one.
template <typename Run, typename Stray>
void pieces(std::string_view s, Run run, Stray stray)
{
    std::size_t start = 0, at = 0;
    while (at < s.size()) {
        utf8proc_int32_t cp;
        const std::size_t n = character(s.substr(at), cp);
        if (n > 0) {
            at += n;
            continue;
        }
        if (at > start)
            run(s.substr(start, at - start));
        stray(static_cast<unsigned char>(s[at]));
        start = ++at;
    }
    if (at > start)
        run(s.substr(start, at - start));
}

// Hands `each` every character of `run` (whole characters only), with its
// code point.
template <typename Each>
void characters(std::string_view run, Each each)
{
    utf8proc_int32_t cp;
    for (std::size_t n; !run.empty(); run.remove_prefix(n)) {
        n = character(run, cp);
        each(cp, run.substr(0, n));
    }
}

}  // namespace

std::string caseFold(std::string_view bytes)
{
    std::string out;
    pieces(
        bytes,
        [&](std::string_view run) {
            utf8proc_uint8_t* folded = nullptr;
            const auto n = utf8proc_map(
                reinterpret_cast<const utf8proc_uint8_t*>(run.data()), static_cast<utf8proc_ssize_t>(run.size()),
                &folded, static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_CASEFOLD));
            std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> own(folded, &std::free);
            if (n < 0)
                out.append(run);  // cannot happen for whole characters; then compared as they are
            else
                out.append(reinterpret_cast<const char*>(folded), static_cast<std::size_t>(n));
        },
        [&](unsigned char byte) {
            // Four bytes as UTF-8 writes a code point; utf8proc writes none
            // past U+10FFFF.
            const std::uint32_t cp = kFoldedStrayBase + byte;
            out.append({static_cast<char>(0xF0 | (cp >> 18)), static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
                        static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))});
        });
    return out;
}

std::string toUtf8(std::string_view bytes)
{
    std::string out;
    auto stray = [&](unsigned char byte) { append(out, kStrayBase + byte); };
    pieces(
        bytes,
        [&](std::string_view run) {
            // A character of the stray range itself goes byte by byte.
            characters(run, [&](utf8proc_int32_t cp, std::string_view ch) {
                if (cp >= kFirstStray)
                    for (char b : ch)
                        stray(static_cast<unsigned char>(b));
                else
                    out.append(ch);
            });
        },
        stray);
    return out;
}

std::string fromUtf8(std::string_view text)
{
    std::string out;
    utf8proc_int32_t cp;
    for (std::size_t n; !text.empty(); text.remove_prefix(n)) {
        n = character(text, cp);
        if (n == 0)
            n = 1, cp = -1;  // not UTF-8 after all: kept as it is
        if (cp >= kFirstStray)
            out.push_back(static_cast<char>(cp - kStrayBase));
        else
            out.append(text.substr(0, n));
    }
    return out;
}

}  // namespace qv::cli
