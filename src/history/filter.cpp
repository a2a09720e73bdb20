#include "history/filter.h"

#include <cerrno>
#include <optional>

#include <unistd.h>

#include "catalog/catalog.h"
#include "catalog/cipher.h"
#include "history/files.h"
#include "history/key.h"

namespace qv::history {

namespace {

// The key, read once for the whole of a git command.
std::optional<cipher::Key> held;

Fault folderKey(cipher::Key& key)
{
    if (held) {
        key = *held;
        return {};
    }
    Fault f = readKey(key);
    if (f.kind == Fault::Sealed)  // no key: the filter cannot run at all
        return Fault(ioError(IoError::Open, keyFile(), ENOENT));
    if (!f)
        held = key;
    return f;
}

// What git's packets may carry, and a bound on what one file may be.
constexpr std::size_t kPacketData = 65516;
constexpr std::size_t kLimit = std::size_t{16} << 20;

class Packets {
public:
    // One packet: its payload, or a flush packet (`flush`); false at the
    // end of the input or on a packet not understood.
    bool read(std::string& payload, bool& flush)
    {
        char head[4];
        if (!take(head, 4, &ended_))
            return false;
        std::size_t length = 0;
        for (char c : head) {
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (digit < 0)
                return false;
            length = length * 16 + static_cast<std::size_t>(digit);
        }
        flush = length == 0;
        if (flush)
            return true;
        if (length <= 4 || length > kPacketData + 4)
            return false;
        payload.resize(length - 4);
        return take(payload.data(), payload.size());
    }
    // Whether the input ended where a packet would begin: git is done.
    bool ended() const { return ended_; }
    // A text packet's words without the newline; false as read() is.
    bool line(std::string& text, bool& flush)
    {
        if (!read(text, flush))
            return false;
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        return true;
    }

private:
    bool ended_ = false;

    static bool take(char* to, std::size_t n, bool* none = nullptr)
    {
        for (const std::size_t wanted = n; n > 0;) {
            const ssize_t got = ::read(STDIN_FILENO, to, n);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                if (none)
                    *none = got == 0 && n == wanted;
                return false;
            }
            to += got, n -= static_cast<std::size_t>(got);
        }
        return true;
    }
};

bool writeAll(std::string_view bytes) { return history::writeAll(STDOUT_FILENO, bytes); }

std::string packet(std::string_view payload)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const std::size_t n = payload.size() + 4;
    return std::string{kHex[n >> 12 & 15], kHex[n >> 8 & 15], kHex[n >> 4 & 15], kHex[n & 15]}.append(payload);
}

constexpr std::string_view kFlush = "0000";

// A list of text packets up to a flush; false as read() is, and on more
// lines than git ever sends in one (memory stays bounded whatever comes).
bool list(Packets& in, std::vector<std::string>& lines)
{
    constexpr std::size_t kLines = 64;
    lines.clear();
    for (std::string text;;) {
        bool flush = false;
        if (!in.line(text, flush))
            return false;
        if (flush)
            return true;
        if (lines.size() == kLines)
            return false;
        lines.push_back(text);
    }
}

bool has(const std::vector<std::string>& lines, std::string_view line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

Fault clean(std::string_view bytes, std::string& stored)
{
    cipher::Key key{};
    if (Fault f = folderKey(key))
        return f;
    if (!cipher::sealed(bytes)) {
        stored = cipher::seal(bytes, key);
        return {};
    }
    std::string plain;
    if (cipher::open(bytes, key, plain) != cipher::Opened::Opened)
        return fault(Fault::NotAuthentic, kDataFile);
    stored = bytes;
    return {};
}

Fault smudge(std::string_view stored, std::string& bytes)
{
    if (!cipher::sealed(stored)) {
        bytes = stored;
        return {};
    }
    cipher::Key key{};
    if (Fault f = folderKey(key))
        return f;
    if (cipher::open(stored, key, bytes) != cipher::Opened::Opened)
        return fault(Fault::NotAuthentic, kDataFile);
    return {};
}

bool serveFilter(Fault& why)
{
    Packets in;
    std::vector<std::string> lines;
    // git-filter-client, version=2; then the capabilities it offers.
    if (!list(in, lines) || !has(lines, "git-filter-client") || !has(lines, "version=2"))
        return false;
    if (!writeAll(packet("git-filter-server\n") + packet("version=2\n") + std::string(kFlush)) || !list(in, lines))
        return false;
    std::string offered;
    for (const char* capability : {"capability=clean", "capability=smudge"})
        if (has(lines, capability))
            offered += packet(std::string(capability) + "\n");
    if (!writeAll(offered + std::string(kFlush)))
        return false;
    // Each file: its command and names, its bytes, and the answer.
    for (;;) {
        if (!list(in, lines))
            return in.ended() && lines.empty();  // git is done, or spoke in a way not understood
        std::string bytes, payload;
        for (bool flush = false; !flush;) {
            if (!in.read(payload, flush))
                return false;
            if (!flush && bytes.size() <= kLimit)
                bytes.append(payload);
        }
        std::string out;
        Fault f = bytes.size() > kLimit    ? fault(Fault::Full, kDataFile)
            : has(lines, "command=clean")  ? clean(bytes, out)
            : has(lines, "command=smudge") ? smudge(bytes, out)
                                           : fault(Fault::NotSound, kDataFile);
        if (f) {
            why = f;  // told once git is done; git says which file failed
            if (!writeAll(packet("status=error\n") + std::string(kFlush)))
                return true;  // git closed the pipe: it went away, nothing to tell it
            continue;
        }
        std::string answer = packet("status=success\n") + std::string(kFlush);
        for (std::size_t at = 0; at < out.size(); at += kPacketData)
            answer += packet(std::string_view(out).substr(at, kPacketData));
        if (!writeAll(answer.append(kFlush).append(kFlush)))
            return true;
    }
}

}  // namespace qv::history
