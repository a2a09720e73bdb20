#include "place.h"

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <unistd.h>

#include "commit.h"

namespace qv {

std::string dirOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string join(const std::string& dir, const std::string& name) { return dir == "." ? name : dir + "/" + name; }

std::string tempName(const std::string& dir)
{
    static const std::string pid = std::to_string(::getpid());
    static unsigned counter = 0;
    return join(dir, kTempPrefix + pid + "-" + std::to_string(counter++));
}

// The data file's directory stays open for the next commit.
int syncDir(const std::string& dir)
{
    static std::string openDir;
    static int fd = -1;
    if (fd < 0 || dir != openDir) {
        if (fd >= 0)
            ::close(fd);
        openDir = dir;
        fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return errno;
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

Fault resolve(const std::string& name, Place& place)
{
    std::string path = name;
    for (int hops = 0;; ++hops) {
        place.exists = ::lstat(path.c_str(), &place.st) == 0;
        if (!place.exists) {
            if (errno != ENOENT)
                return fileFault("open", name, errno);
            break;  // a missing file, or a link to one: it is created there
        }
        if (!S_ISLNK(place.st.st_mode))
            break;
        if (hops == 40)
            return fileFault("open", name, ELOOP);
        char target[PATH_MAX];
        ssize_t n = ::readlink(path.c_str(), target, sizeof target);
        if (n < 0 || n == sizeof target)
            return fileFault("open", name, n < 0 ? errno : ENAMETOOLONG);
        std::string next(target, static_cast<std::size_t>(n));
        path = next.front() == '/' ? next : join(dirOf(path), next);
    }
    place.path = path;
    place.dir = dirOf(path);
    return {};
}

}  // namespace qv
