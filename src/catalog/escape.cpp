#include "catalog/escape.h"

#include <utf8proc.h>

namespace qv {

std::string escapeText(std::string_view bytes, bool keepBackslash)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    while (!bytes.empty()) {
        utf8proc_int32_t cp = 0;
        const auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(bytes.data()),
                                        static_cast<utf8proc_ssize_t>(bytes.size()), &cp);
        const std::string_view ch = bytes.substr(0, n > 0 ? static_cast<std::size_t>(n) : 1);
        bytes.remove_prefix(ch.size());
        if (n > 0 && cp == '\\' && !keepBackslash)
            out.append("\\\\");
        else if (n > 0 && cp >= 0x20 && (cp < 0x7f || cp >= 0xa0))
            out.append(ch);
        else if (n > 0 && (cp == '\t' || cp == '\n' || cp == '\r' || cp == 0x1b))
            out.append({'\\', cp == '\t' ? 't' : cp == '\n' ? 'n' : cp == '\r' ? 'r' : 'e'});
        else
            for (const char b : ch)
                out.append("\\x").append(
                    {kHex[static_cast<unsigned char>(b) >> 4], kHex[static_cast<unsigned char>(b) & 15]});
    }
    return out;
}

}  // namespace qv
