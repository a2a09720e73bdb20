#include "history/files.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "catalog/catalog.h"

namespace qv::history {

std::vector<std::string_view> linesOf(std::string_view text, char end)
{
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t stop = std::min(text.find(end, at), text.size());
        lines.push_back(text.substr(at, stop - at));
        at = stop + 1;
    }
    return lines;
}

std::string readText(const char* name)
{
    std::string bytes;
    if (readWhole(name, bytes))
        bytes.clear();
    return bytes;
}

bool writeAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void writeText(const char* name, std::string_view text, bool append)
{
    const int fd = ::open(name, O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0666);
    if (fd < 0)
        return;
    (void)writeAll(fd, text);
    (void)::close(fd);
}

}  // namespace qv::history
