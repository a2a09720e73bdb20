// Encryption of what the history keeps: turned on in a folder, its key
// given out and taken in, and the count of what stays plain from before.
#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "catalog/layout.h"
#include "file/lock.h"
#include "history/files.h"
#include "history/folder.h"
#include "history/history.h"
#include "history/key.h"
#include "history/run.h"
#include "history/texts.h"
#include "history/tree.h"

namespace qv::history {

namespace {

// What git's `cat-file --batch` says of each blob asked for, read as it
// comes: whether it is plain and holds a serial line's mark.
class BlobReader {
public:
    std::map<std::string, bool> plainWithSerials;
    bool take(std::string_view part)
    {
        for (char c : part) {
            if (left_ > 0) {
                if (seen_ < cipher::kHeaderBytes)  // the whole header, version and all
                    start_ += c;
                ++seen_;
                marked_ = marked_ || c == '#';
                if (--left_ == 0)
                    plainWithSerials[id_] = marked_ && !cipher::sealed(start_);
            } else if (c != '\n' || !line_.empty()) {
                if (c != '\n') {
                    line_ += c;
                    continue;
                }
                // "ID TYPE SIZE", then the blob and a newline
                const std::size_t a = line_.find(' '), b = line_.rfind(' ');
                id_ = line_.substr(0, a);
                left_ = a != b ? std::stoul(line_.substr(b + 1)) : 0;
                start_.clear(), seen_ = 0, marked_ = false;
                line_.clear();
                if (left_ == 0)
                    plainWithSerials[id_] = false;
            }
        }
        return true;
    }

private:
    std::string line_, id_, start_;
    std::size_t left_ = 0, seen_ = 0;
    bool marked_ = false;
};

}  // namespace

Refused plainCommits(const std::vector<std::string>& revs, int& count)
{
    count = 0;
    std::vector<std::string> args{"rev-list"};
    args.insert(args.end(), revs.begin(), revs.end());
    const GitRun listed = runGit(args);
    if (!listed.ok())
        return failed(listed);
    GitOptions paths;
    for (const std::string_view id : linesOf(listed.out))
        paths.input.append(id).append(":").append(kDataFile).append("\n");
    const GitRun blobs = runGit({"cat-file", "--batch-check=%(objectname)"}, paths);
    if (!blobs.ok())
        return failed(blobs);
    GitOptions asked;
    BlobReader reader;
    for (const std::string_view line : linesOf(blobs.out))
        if (line.find(' ') == std::string_view::npos && !reader.plainWithSerials.contains(std::string(line)))
            reader.plainWithSerials[std::string(line)] = false, asked.input.append(line).append("\n");
    asked.sink = [&reader](std::string_view part) { return reader.take(part); };
    if (const GitRun read = runGit({"cat-file", "--batch"}, asked); !read.ok())
        return failed(read);
    for (const std::string_view line : linesOf(blobs.out))
        count += reader.plainWithSerials[std::string(line)] ? 1 : 0;
    return {};
}

namespace {

// .gitattributes names the filter beside the drivers.
void markFiltered()
{
    std::string had = readText(".gitattributes");
    if (had.empty() || had.find(text::kAttributesSealed) != std::string::npos)
        return;  // none yet (the set-up writes it) or marked
    if (const std::size_t at = had.find(text::kAttributes); at != std::string::npos)
        had.replace(at, text::kAttributes.size(), text::kAttributesSealed);
    else
        had.append(had.back() == '\n' ? "" : "\n").append(text::kAttributesSealed);
    writeText(".gitattributes", had);
}

// A catalogue as git keeps it at a revision, named for a refusal.
struct Stored {
    std::string rev, shown, bytes;  // "HEAD", "1a2b3c4:velk.dat", sealed or not
};

// The newest catalogues as git keeps them, the branch's and its
// upstream's; one that is not there is left out.
Refused newestStored(std::vector<Stored>& found)
{
    for (const char* rev : {"HEAD", "@{upstream}"}) {
        const GitRun id = runGit({"rev-parse", "--verify", "--quiet", std::string(rev) + "^{commit}"});
        if (!id.ok())
            continue;
        const std::string shown = firstLine(id.out).substr(0, 7) + ":" + kDataFile;
        std::string stored;
        bool present = false;
        if (Refused r = storedAt(firstLine(id.out), shown, stored, present))
            return r;
        if (present)
            found.push_back({rev, shown, std::move(stored)});
    }
    return {};
}

// The filter in the config, and, where the branch keeps velk.dat plain
// (`born`), velk.dat as the filter now stores it in a commit of its own,
// with the attributes that say so: `git status` clean from then on.
Refused sealHead(bool born)
{
    if (Refused r = setUp())
        return r;
    // A merge under way (a `git pull` without the key) is left to finish:
    // git takes no commit of chosen files meanwhile, and the next change
    // or sync seals velk.dat as well.
    if (!born || ::access(".git/MERGE_HEAD", F_OK) == 0)
        return {};
    if (const GitRun run = runGit({"add", "--renormalize", "--", kDataFile, ".gitattributes"}); !run.ok())
        return failed(run);
    const GitRun staged = runGit({"diff", "--cached", "--quiet", "--", kDataFile, ".gitattributes"});
    if (staged.status == 1)
        if (const GitRun run =
                commitAs({"--quiet", "-m", std::string(text::kEncryptCommit), "--", kDataFile, ".gitattributes"});
            !run.ok())
            return failed(run);
    return staged.status > 1 ? failed(staged) : Refused{};
}

}  // namespace

Refused encryptHistory(int& plain)
{
    Lock lock(kDataFile);
    if (lock.failure())
        return {Refusal::None, {}, lock.failure()};
    plain = 0;
    const bool born = runGit({"rev-parse", "--verify", "--quiet", "HEAD"}).ok();
    if (!encrypted()) {
        // A history encrypted already whose key is not here (a plain `git
        // clone`, a key gone missing): a new key would open none of it.
        std::vector<Stored> newest;
        if (Refused r = newestStored(newest))
            return r;
        std::string here;
        if (!readWhole(kDataFile, here))
            newest.push_back({"", kDataFile, here});
        for (const Stored& s : newest)
            if (cipher::sealed(s.bytes))
                return {Refusal::None, {}, fault(Fault::Sealed, s.shown)};
    }
    if (born)
        if (Refused r = plainCommits({"HEAD"}, plain))
            return r;
    if (!encrypted())
        if (Fault f = writeKey(cipher::newKey()))
            return {Refusal::None, {}, f};
    markFiltered();
    return sealHead(born);
}

Refused keyText(std::string& text)
{
    if (!inRepository() || !encrypted())
        return {inRepository() ? Refusal::NotEncrypted : Refusal::NoRepository, {}, {}};
    cipher::Key key{};
    if (Fault f = readKey(key))
        return {Refusal::None, {}, f};
    text = cipher::keyText(key);
    return {};
}

Refused importKey(const cipher::Key& key, int& plain)
{
    plain = 0;
    if (!inRepository())
        return {Refusal::NoRepository, {}, {}};
    Lock lock(kDataFile);
    if (lock.failure())
        return {Refusal::None, {}, lock.failure()};
    // The newest catalogues here: the branch's, its upstream's, the folder's.
    std::vector<Stored> newest;
    if (Refused r = newestStored(newest))
        return r;
    bool sealedSeen = false, headPlain = false;
    std::string plainData;
    for (const Stored& s : newest) {
        headPlain = headPlain || (s.rev == "HEAD" && !cipher::sealed(s.bytes));
        if (cipher::sealed(s.bytes) && (sealedSeen = true)
            && cipher::open(s.bytes, key, plainData) != cipher::Opened::Opened)
            return {Refusal::None, {}, fault(Fault::NotAuthentic, s.shown)};
    }
    std::string here;
    const bool sealedHere = !readWhole(kDataFile, here) && cipher::sealed(here);
    if (sealedHere && cipher::open(here, key, plainData) != cipher::Opened::Opened)
        return {Refusal::None, {}, fault(Fault::NotAuthentic, kDataFile)};
    if (!sealedSeen && !sealedHere)
        return {Refusal::NotEncrypted, {}, {}};
    // Commits made here before the key came, which the next sync sends.
    if (headPlain)
        if (Refused r = plainCommits({"HEAD"}, plain))
            return r;
    if (Fault f = writeKey(key))
        return {Refusal::None, {}, f};
    if (headPlain)
        markFiltered();
    if (Refused r = sealHead(headPlain))
        return r;
    // A plain `git clone` left the sealed blob as velk.dat: the catalogue in
    // its place, through the commit step.
    if (!sealedHere)
        return {};
    // The catalogue readable again is private, whatever mode git gave the
    // encrypted file.
    if (const int fd = ::open(kDataFile, O_RDONLY | O_NOFOLLOW | O_CLOEXEC); fd >= 0) {
        (void)::fchmod(fd, 0600);
        (void)::close(fd);
    }
    if (const Outcome made = replaceData(plainData, nullptr); !made.made())
        return {Refusal::None, {}, made.fault()};
    // The index learns the file's new size: git takes a size that differs
    // from the one it noted for a change, without a look at the contents.
    const GitRun noted = runGit({"update-index", "--", kDataFile});
    return noted.ok() ? Refused{} : failed(noted);
}

}  // namespace qv::history
