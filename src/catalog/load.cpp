// Replacing the data file whole: its creation, a load from another file, the
// recovery from backup.bak, a restore and a merge.
#include <cerrno>

#include "catalog/catalog.h"
#include "catalog/merge.h"
#include "catalog/transaction.h"
#include "file/temp.h"

namespace qv {

namespace {

// Puts the whole file `source` (opened and looked at under the lock, before
// the data file is touched) in place of the data file, keeping the old one
// as `backup` where one is named.
Outcome replaceFrom(const char* source, const char* backup, Done done)
{
    Transaction change;
    if (change.fault())
        return change.fault();
    File in;
    Identity from;
    if (!(in.open(source, File::Mode::Read) && in.identify(from)))
        return in.failure();
    const Place& data = change.place();
    if (data.exists && data.st.st_dev == from.dev && data.st.st_ino == from.ino)
        return fault(Fault::SelfLoad, source);
    File* out = change.write();
    if (!out)
        return change.fault();
    if (Fault f = copyRange(in, 0, -1, *out))
        return f;
    // What the history says of it: the records it holds, where it is sound.
    int total = 0;
    done.records = checkLayout(*out, &total) ? -1 : total;
    return change.commit(backup, std::nullopt, false, &done);
}

}  // namespace

void prepareChanges()
{
    catchStopSignals();
    removeLeftovers({kDataFile, kBackupFile});
}

Outcome createData()
{
    // Looked for again under the lock: another process may have just made it.
    Transaction change;
    if (change.fault() || change.place().exists)
        return change.fault() ? Outcome(change.fault()) : Outcome::done();
    File* out = change.write();
    if (!out)
        return change.fault();
    if (Fault f = put(*out, headerLine(0) + "\n"))
        return f;
    return change.commit(nullptr, 0);
}

Outcome loadFile(const std::string& name)
{
    // A file that is not there, not a regular file, or the data file itself
    // changes nothing; a load keeps the old data file as the backup.
    Done done(Done::Load);
    done.source = name;
    Outcome loaded = replaceFrom(name.c_str(), kBackupFile, done);
    Fault f = loaded.fault();
    if (loaded.made() || f.kind != Fault::File || f.file != name)
        return loaded;
    if (f.io.err == ENOENT)
        return fault(Fault::NoSource, name);
    if (f.io.err == EISDIR || f.io.err == kNotRegular)
        f.kind = Fault::NotLoadable;
    return f;
}

Outcome recoverBackup()
{
    // The recovery takes no backup of its own: running it twice is running it once.
    Outcome recovered = replaceFrom(kBackupFile, nullptr, Done(Done::Recover));
    const Fault& f = recovered.fault();
    if (!recovered.made() && f.kind == Fault::File && f.file == kBackupFile && f.io.err == ENOENT)
        return fault(Fault::NoBackup, kBackupFile);
    return recovered;
}

Fault readWhole(const std::string& name, std::string& bytes)
{
    constexpr std::size_t kLimit = std::size_t{16} << 20;
    bytes.clear();
    Fault f = viewFile(name.c_str(), [&](std::string_view part) {
        bytes.append(part);
        return bytes.size() <= kLimit;
    });
    return bytes.size() > kLimit ? fault(Fault::Full, name) : f;
}

Fault mergeInto(const std::string& base, const std::string& ours, const std::string& theirs, const cipher::Key* key)
{
    std::string sides[3];
    const std::string* names[3] = {&base, &ours, &theirs};
    for (int k = 0; k < 3; ++k) {
        std::string stored;
        if (Fault f = readWhole(*names[k], stored))
            return f;
        if (!cipher::sealed(stored))
            sides[k] = std::move(stored);
        else if (!key)
            return fault(Fault::Sealed, *names[k]);
        else if (cipher::open(stored, *key, sides[k]) != cipher::Opened::Opened)
            return fault(Fault::NotAuthentic, *names[k]);
    }
    Merged merged;
    if (Fault f = mergeFiles(sides[0], sides[1], sides[2], merged, {base, ours, theirs}))
        return f;
    Place place;
    if (IoError e = resolve(ours, place))
        return e;
    Commit next(place, ours);
    if (!next.out())
        return next.failure();
    const std::string result = catalogueOf(merged.records);
    if (Fault f = put(*next.out(), key ? cipher::seal(result, *key) : result))
        return f;
    const Committed done = next.finish(nullptr);
    return done.state() == Committed::NotMade ? Fault(done.failure()) : Fault{};
}

Outcome replaceData(std::string_view bytes, const Done* done)
{
    std::vector<Record> records;
    if (Fault f = readRecords(bytes, records))
        return f;
    Transaction change;
    if (change.fault())
        return change.fault();
    File* out = change.write();
    if (!out)
        return change.fault();
    if (Fault f = put(*out, bytes))
        return f;
    return change.commit(kBackupFile, static_cast<int>(records.size()), false, done);
}

Outcome mergeFile(const std::string& other, const std::string* base, Merged* merged)
{
    std::string theirs, from;
    if (Fault f = readWhole(other, theirs))
        return f;
    if (base)
        if (Fault f = readWhole(*base, from))
            return f;
    Transaction change;
    if (Fault f = change.readSound(nullptr, false))
        return f;
    std::string ours;
    if (Fault f = readWhole(kDataFile, ours))
        return f;
    Merged result;
    if (Fault f = mergeFiles(from, ours, theirs, result, {base ? *base : "", kDataFile, other}))
        return f;
    File* out = change.write();
    if (!out)
        return change.fault();
    if (Fault f = put(*out, catalogueOf(result.records)))
        return f;
    if (merged)
        *merged = result;
    Done done(Done::Merge);
    done.source = other;
    done.records = static_cast<int>(result.records.size());
    done.added = result.added, done.removed = result.removed, done.both = result.both;
    for (const Record& r : result.versions)
        done.codes.push_back(r.code), done.names.push_back(r.name);
    return change.commit(kBackupFile, done.records, false, &done);
}

}  // namespace qv
