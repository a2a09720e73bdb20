// A folder for the catalogue's history: the clone that makes one from a
// remote, and the program its config tells git to run.
#include "history/folder.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "catalog/layout.h"
#include "file/lock.h"
#include "file/path.h"
#include "history/key.h"
#include "history/run.h"
#include "history/texts.h"
#include "history/tree.h"

namespace qv::history {

namespace {

// A text for the shell that git runs a driver through.
std::string quoted(const std::string& word)
{
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The first word of a command as the shell takes it: quotes and
// backslashes undone.
std::string firstWord(const std::string& command)
{
    std::string word;
    bool inQuotes = false;
    for (std::size_t k = 0; k < command.size(); ++k) {
        const char c = command[k];
        if (inQuotes)
            c == '\'' ? (void)(inQuotes = false) : word.push_back(c);
        else if (c == '\'')
            inQuotes = true;
        else if (c == '\\' && k + 1 < command.size())
            word += command[++k];
        else if (c == ' ' || c == '\t')
            break;
        else
            word += c;
    }
    return word;
}

// The program `name` that a shell would run: the first on PATH; empty where
// there is none.
std::string onPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "";
    for (;;) {
        const std::size_t colon = rest.find(':');
        const std::string dir(rest.substr(0, colon));
        std::string file = (dir.empty() ? "." : dir) + "/" + name;
        struct stat st {};
        if (::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(file.c_str(), X_OK) == 0)
            return file;
        if (colon == std::string_view::npos)
            return {};
        rest.remove_prefix(colon + 1);
    }
}

// The folder git clone would make for `url`: its last part, without a
// trailing / or .git, the host's port, or what comes before a ':'; blanks
// and control characters made one space. Empty where nothing is left.
std::string folderName(std::string_view url)
{
    if (const std::size_t scheme = url.find("://"); scheme != std::string_view::npos)
        url.remove_prefix(scheme + 3);
    if (const std::size_t at = url.substr(0, url.find('/')).rfind('@'); at != std::string_view::npos)
        url.remove_prefix(at + 1);
    const auto trim = [&url] {
        while (!url.empty() && (url.back() == '/' || std::isspace(static_cast<unsigned char>(url.back()))))
            url.remove_suffix(1);
    };
    trim();
    if (url.size() > 5 && url.ends_with("/.git"))
        url.remove_suffix(5), trim();
    if (const std::size_t colon = url.find(':'); url.find('/') == std::string_view::npos && colon != url.npos
        && url.find_first_not_of("0123456789", colon + 1) == std::string_view::npos)
        url = url.substr(0, colon);
    url.remove_prefix(url.find_last_of("/:") == std::string_view::npos ? 0 : url.find_last_of("/:") + 1);
    if (url.ends_with(".git"))
        url.remove_suffix(4);
    std::string name;
    for (char c : url)
        if (!std::isspace(static_cast<unsigned char>(c)) && !std::iscntrl(static_cast<unsigned char>(c)))
            name += c;
        else if (!name.empty() && name.back() != ' ')
            name += ' ';
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

// The clone itself, once the folder is there: fetched without a checkout,
// the folder set up, the remote's tree looked at, and only then the files
// written.
Refused cloneInto(const std::string& url, Cloned& cloned)
{
    if (cloned.waiting)
        cloned.waiting();
    // --config: core.symlinks=false is in effect for the checkout too, and kept.
    const GitRun run = runGit(
        {"clone", "--quiet", "--no-checkout", "--config", "core.symlinks=false", "--", url, cloned.dir}, network());
    if (!run.ok())
        return failed(run);
    if (::chdir(cloned.dir.c_str()) != 0)
        return {Refusal::None, {}, ioError(IoError::Open, cloned.dir, errno)};
    // The remote's tree looked at, and its catalogue opened with the key
    // given, before the key, the config or any file is written.
    bool present = false;
    std::string bytes;
    const bool born = runGit({"rev-parse", "--verify", "--quiet", "HEAD^{commit}"}).ok();
    if (born) {
        const GitRun up = runGit({"rev-parse", "--abbrev-ref", "@{upstream}"});
        const std::string shown = (up.ok() ? firstLine(up.out) : "HEAD") + ":";
        std::vector<Item> items;
        if (Refused r = itemsAt("HEAD", items))
            return r;
        for (const Item& item : items)
            if (ownName(item.name))
                return {Refusal::OwnName, shown + item.name, {}};
        std::string stored;
        if (Refused r = storedAt("HEAD", shown + kDataFile, stored, present))
            return r;
        if (present && cloned.key && !cipher::sealed(stored))
            return {Refusal::PlainRemote, shown + kDataFile, {}};
        if (!present || !cipher::sealed(stored))
            bytes = stored;
        else if (!cloned.key)
            return {Refusal::None, {}, fault(Fault::Sealed, shown + kDataFile)};
        else if (cipher::open(stored, *cloned.key, bytes) != cipher::Opened::Opened)
            return {Refusal::None, {}, fault(Fault::NotAuthentic, shown + kDataFile)};
        std::vector<Record> records;
        if (present && readRecords(bytes, records))
            return {Refusal::None, {}, fault(Fault::NotSound, shown + kDataFile)};
        cloned.records = static_cast<int>(records.size());
    }
    if (cloned.key)
        if (Fault f = writeKey(*cloned.key))
            return {Refusal::None, {}, f};
    // velk.dat's attributes before anything is checked out: no filter or
    // conversion of the remote's applies to it, the catalogue's own alone.
    if (Refused r = configure())
        return r;
    if (born)
        if (const GitRun checkout = runGit({"checkout", "--quiet", "--force"}); !checkout.ok())
            return failed(checkout);
    // No HEAD, yet branches: the remote's HEAD names one it lacks, and an
    // empty catalogue started here would hide the records they hold.
    if (!born && !firstLine(runGit({"for-each-ref", "--count=1", "refs/remotes/"}).out).empty())
        return {Refusal::Git, std::string(text::kHeadMissing), {}};
    if (Refused r = setUp())  // an empty remote: the first commit, here
        return r;
    cloned.started = !present;
    // A remote whose branch holds no catalogue yet: one started on it.
    return born && !present ? startHistory() : Refused{};
}

// Removes what a refused clone made: the folder, or what it put in one
// that was there and empty.
void undo(const std::string& dir, bool made, mode_t mode)
{
    std::error_code ignored;
    if (made) {
        std::filesystem::remove_all(dir, ignored);
        return;
    }
    for (const std::string& name : namesIn(dir))
        std::filesystem::remove_all(join(dir, name), ignored);
    (void)::chmod(dir.c_str(), mode);
}

}  // namespace

std::string programForGit()
{
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "quorvane";
    const std::string self(path, static_cast<std::size_t>(n));
    // Only a folder named from / leads to the same program wherever git runs it.
    const std::string found = onPath("quorvane");
    return found.starts_with('/') && realPath(found) == realPath(self) ? "quorvane" : quoted(self);
}

Gone programGone()
{
    Gone gone;
    if (!inRepository())
        return gone;
    for (const char* key : {"merge.quorvane.driver", "diff.quorvane.textconv"}) {
        const GitRun run = runGit({"config", "--local", "--get", key});
        std::string program = firstWord(firstLine(run.out));
        if (std::string_view(key).starts_with("merge."))  // git's %% is one %
            for (std::size_t at = 0; (at = program.find("%%", at)) != std::string::npos; ++at)
                program.erase(at, 1);
        if (!run.ok() || program.empty()
            || (program.find('/') == std::string::npos ? !onPath(program).empty()
                                                       : ::access(program.c_str(), X_OK) == 0))
            continue;
        gone.keys.emplace_back(key);
        gone.program = program;
    }
    return gone;
}

Refused clone(const std::string& url, Cloned& cloned)
{
    if (cloned.dir.empty() && (cloned.dir = folderName(url)).empty())
        return {Refusal::NoName, url, {}};
    // Interrupted, the clone is undone all the same before the program ends.
    HeldSignals held;
    // Private from the start: every file and folder made here, by git or by
    // the program, whatever the user's umask.
    struct Mask {
        mode_t was = ::umask(077);
        Mask() = default;
        Mask(const Mask&) = delete;
        Mask& operator=(const Mask&) = delete;
        ~Mask() { ::umask(was); }
    } mask;
    // Where it is, whichever folder the set-up moves into.
    const int start = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (start < 0)
        return {Refusal::None, {}, ioError(IoError::Open, ".", errno)};
    struct stat st {};
    const bool made = ::stat(cloned.dir.c_str(), &st) != 0;
    Refused refused;
    if (!made && (!S_ISDIR(st.st_mode) || !namesIn(cloned.dir).empty()))
        refused = {Refusal::NotEmpty, cloned.dir, {}};
    else if (made ? errno != ENOENT || ::mkdir(cloned.dir.c_str(), 0700) != 0 : ::chmod(cloned.dir.c_str(), 0700) != 0)
        refused = {Refusal::None, {}, ioError(IoError::Create, cloned.dir, errno)};
    // Stopped meanwhile, it is undone as if refused, whether or not a git it
    // ran was stopped and failed: the program ends once `held` goes.
    else if (((refused = cloneInto(url, cloned)) || HeldSignals::stopped()) && ::fchdir(start) == 0)
        undo(cloned.dir, made, st.st_mode & 07777);
    (void)!::fchdir(start);  // back where it started, as far as it can
    (void)::close(start);
    return refused;
}

}  // namespace qv::history
