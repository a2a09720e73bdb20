#include "file/path.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace qv {

std::string dirOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::vector<std::string> namesIn(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (std::string_view(e->d_name) != "." && std::string_view(e->d_name) != "..")
                names.emplace_back(e->d_name);
        ::closedir(d);
    }
    return names;
}

std::string realPath(const std::string& path)
{
    char real[PATH_MAX];
    return ::realpath(path.c_str(), real) ? real : path;
}

std::string baseOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string join(const std::string& dir, const std::string& name) { return dir == "." ? name : dir + "/" + name; }

DirFd::~DirFd() { ::close(fd_); }

Dir openDir(const std::string& dir)
{
    // The data file's directory, and where they differ the backup's and an
    // export's: a few are enough; the one used longest ago goes first.
    // Never destroyed: the kernel closes what is still open at the exit.
    static auto& kept = *new std::vector<std::pair<std::string, Dir>>;
    auto found = std::find_if(kept.begin(), kept.end(), [&](const auto& k) { return k.first == dir; });
    if (found != kept.end()) {
        std::rotate(found, found + 1, kept.end());
        return kept.back().second;
    }
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (kept.size() == 4)
        kept.erase(kept.begin());
    kept.emplace_back(dir, std::make_shared<const DirFd>(fd));
    return kept.back().second;
}

IoError resolve(const std::string& name, Place& place)
{
    std::string path = name;
    for (int hops = 0;; ++hops) {
        place.exists = ::lstat(path.c_str(), &place.st) == 0;
        if (!place.exists) {
            if (errno != ENOENT)
                return ioError(IoError::Open, name, errno);
            break;  // a missing file, or a link to one: it is created there
        }
        if (!S_ISLNK(place.st.st_mode))
            break;
        if (hops == 40)
            return ioError(IoError::Open, name, ELOOP);
        char target[PATH_MAX];
        ssize_t n = ::readlink(path.c_str(), target, sizeof target);
        if (n < 0 || n == sizeof target)
            return ioError(IoError::Open, name, n < 0 ? errno : ENAMETOOLONG);
        std::string next(target, static_cast<std::size_t>(n));
        path = next.front() == '/' ? next : join(dirOf(path), next);
    }
    place.path = path;
    place.dir = dirOf(path);
    return {};
}

}  // namespace qv
