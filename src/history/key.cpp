// The folder's key in .git/quorvane/key: one line of text, private to the
// user, read by every run that seals or opens what git keeps.
#include "history/key.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "catalog/catalog.h"
#include "history/files.h"

namespace qv::history {

namespace {

bool byGit = false;

std::string gitDir()
{
    const char* dir = byGit ? std::getenv("GIT_DIR") : nullptr;
    if (!dir || !*dir)
        return ".git";
    // A linked worktree's git folder names the one all worktrees share,
    // where the key is.
    std::string common;
    if (readWhole(std::string(dir) + "/commondir", common) || common.empty())
        return dir;
    common.erase(common.find_last_not_of('\n') + 1);
    return common.starts_with('/') ? common : std::string(dir) + "/" + common;
}

}  // namespace

std::string keyFile() { return gitDir() + "/quorvane/key"; }

void runByGit() { byGit = true; }

bool encrypted() { return ::access(keyFile().c_str(), F_OK) == 0; }

Fault readKey(cipher::Key& key)
{
    const std::string name = keyFile();
    struct stat st {};
    if (::lstat(name.c_str(), &st) != 0)
        return errno == ENOENT ? fault(Fault::Sealed, kDataFile) : Fault(ioError(IoError::Open, name, errno));
    if (!S_ISREG(st.st_mode))
        return ioError(IoError::Open, name, kNotRegular);
    std::string text;
    if (Fault f = readWhole(name, text))
        return f;
    if (!cipher::keyFrom(text.substr(0, 200), key))
        return fault(Fault::NotKey, name);
    return {};
}

Fault writeKey(const cipher::Key& key)
{
    const std::string dir = gitDir() + "/quorvane", name = keyFile(), temp = dir + "/key.new";
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return ioError(IoError::Create, dir, errno);
    (void)::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return ioError(IoError::Create, temp, errno);
    const bool written = ::fchmod(fd, 0600) == 0 && writeAll(fd, cipher::keyText(key) + "\n") && ::fsync(fd) == 0;
    const int err = errno;
    (void)::close(fd);
    if (!written || ::rename(temp.c_str(), name.c_str()) != 0) {
        const int why = written ? errno : err;
        (void)::unlink(temp.c_str());
        return ioError(IoError::Write, name, why);
    }
    if (const int d = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); d >= 0) {
        (void)::fsync(d);
        (void)::close(d);
    }
    return {};
}

Fault openStored(std::string_view stored, const std::string& shown, std::string& plain)
{
    if (!cipher::sealed(stored)) {
        plain = stored;
        return {};
    }
    cipher::Key key{};
    if (Fault f = readKey(key)) {
        if (f.kind == Fault::Sealed)
            f.file = shown;
        return f;
    }
    if (cipher::open(stored, key, plain) != cipher::Opened::Opened)
        return fault(Fault::NotAuthentic, shown);
    return {};
}

Fault toStored(std::string_view plain, std::string& stored)
{
    if (!encrypted()) {
        stored = plain;
        return {};
    }
    cipher::Key key{};
    if (Fault f = readKey(key))
        return f;
    stored = cipher::seal(plain, key);
    return {};
}

}  // namespace qv::history
