#include "file/temp.h"

#include <algorithm>

#include <unistd.h>

#include "file/lock.h"
#include "file/path.h"

namespace qv {

namespace {

std::vector<std::string> leftoversIn(const std::string& dir)
{
    std::vector<std::string> found;
    for (const std::string& name : namesIn(dir))
        if (isTempName(name))
            found.push_back(join(dir, name));
    return found;
}

}  // namespace

std::string tempName()
{
    static unsigned counter = 0;  // this process's own numbering, made unique under the lock
    return std::string(kTempPrefix) + std::to_string(counter++);
}

bool isTempName(std::string_view base) { return base.starts_with(kTempPrefix); }

void removeLeftovers(const std::vector<std::string>& names)
{
    std::vector<std::string> dirs;
    for (const std::string& name : names) {
        Place place;
        if (resolve(name, place))
            return;
        if (std::find(dirs.begin(), dirs.end(), place.dir) == dirs.end())
            dirs.push_back(place.dir);
    }
    auto any = [&] {
        return std::any_of(dirs.begin(), dirs.end(), [](const std::string& d) { return !leftoversIn(d).empty(); });
    };
    if (dirs.empty() || !any())
        return;
    // Under the lock, nobody is in the middle of a change: what is there was
    // left by a process that was killed.
    Lock lock(names.front());
    if (lock.failure())
        return;
    for (const std::string& dir : dirs)
        for (const std::string& name : leftoversIn(dir))
            ::unlink(name.c_str());
}

}  // namespace qv
