#include "catalog/transaction.h"

#include <cerrno>

#include "catalog/catalog.h"
#include "catalog/layout.h"

namespace qv {

namespace {

struct Kept {
    File file;
    Identity id;
    std::optional<Fault> layout;
    int total = 0;
};

// The data file this process last read or wrote, for the whole run.
Kept& kept()
{
    static Kept k;
    return k;
}

// Who records the changes of this run, chosen at its start.
Recorder* recorder = nullptr;

// The kept data file, where velk.dat is still that file.
bool takeKept(Shown& s, std::optional<Fault>& layout, int& total)
{
    Kept& k = kept();
    if (!k.file.holds())
        return false;
    struct stat now;
    if (::stat(kDataFile, &now) != 0 || identityOf(now) != k.id) {
        (void)k.file.close();
        return false;
    }
    s.file.swap(k.file);
    s.file.seek(0);
    s.id = k.id;
    s.st = now;
    layout = k.layout;
    total = k.total;
    return true;
}

}  // namespace

void recordWith(Recorder* r) { recorder = r; }

void keepData(File& file, const Identity& id, std::optional<Fault> layout, int total)
{
    Kept& k = kept();
    (void)k.file.close();
    if (file.writable() && !file.detach())
        return;  // too large to keep in memory: read anew next time
    k.file.swap(file);
    k.id = id;
    k.layout = std::move(layout);
    k.total = total;
}

// ---------------------------------------------------------------- Shown

Shown::~Shown()
{
    // Left for the next operation, unless a change put a newer file there.
    if (file.holds() && !kept().file.holds())
        keepData(file, id, layout_, total_);
}

Fault Shown::open(bool mayBeMissing)
{
    layout_.reset();
    (void)file.close();
    missing = false;
    if (takeKept(*this, layout_, total_))
        return {};
    if (file.open(kDataFile, File::Mode::Read) && file.identify(id, &st))
        return {};
    if (!mayBeMissing || file.error() != ENOENT)
        return file.failure();
    missing = true;
    id = {};
    layout_ = Fault{};
    total_ = 0;
    return {};
}

Fault Shown::check(const Place& now, int* total)
{
    if (!now.exists)
        return missing ? sound(total) : Fault(ioError(IoError::Open, kDataFile, ENOENT));
    st = now.st;
    if (missing || identityOf(st) != id)
        return fault(Fault::Changed, kDataFile);
    if (!file.holds()) {
        const Identity was = id;
        if (Fault f = open())
            return f;
        if (id != was)
            return fault(Fault::Changed, kDataFile);
    }
    return sound(total);
}

Fault Shown::check(int* total)
{
    Place now;
    now.exists = ::stat(kDataFile, &now.st) == 0;
    if (!now.exists && errno != ENOENT)
        return ioError(IoError::Open, kDataFile, errno);
    return check(now, total);
}

Fault Shown::sound(int* total)
{
    if (!layout_)
        layout_ = checkLayout(file, &total_);
    if (total)
        *total = total_;
    return *layout_;
}

// ---------------------------------------------------------------- Transaction

Transaction::Transaction() : lock_(kDataFile), fault_(lock_.failure()) {}

Fault Transaction::readSound(Shown* shown, bool sameFile, bool mayBeMissing)
{
    if (fault_)
        return fault_;
    if (shown) {
        shown_ = shown;
        fault_ = shown->check(place(), &total_);
        if (fault_.kind != Fault::Changed || sameFile)
            return fault_;
        shown_ = &own_;
    }
    fault_ = own_.open(mayBeMissing);
    if (!fault_)
        fault_ = own_.sound(&total_);
    return fault_;
}

Fault Transaction::readAny() { return fault_ ? fault_ : (fault_ = own_.open()); }

File* Transaction::write(const Place& target, const std::string& name)
{
    if (!fault_ && !next_)
        next_.emplace(target, name);
    if (!fault_)
        fault_ = next_->failure();
    return fault_ ? nullptr : next_->out();
}

File* Transaction::write()
{
    // The data file as it stands under the lock, as it was read.
    Place place = lock_.place();
    if (data_ = true; shown_->file.holds() || shown_->missing) {
        place.exists = !shown_->missing;
        place.st = shown_->st;
    }
    // What stands there is the user's: a FIFO or a device is never replaced.
    if (!fault_ && place.exists && !S_ISREG(place.st.st_mode))
        fault_ = ioError(IoError::Write, kDataFile, kNotRegular);
    started_ = !place.exists;
    return write(place, kDataFile);
}

Outcome Transaction::commit(const char* backup, std::optional<int> total, bool followed, const Done* record)
{
    if (fault_ || !next_)
        return fault_;
    Identity now;
    const Committed committed = next_->finish(backup, &now);
    if (committed.state() == Committed::NotMade)
        return fault_ = committed.failure();
    if (data_) {
        keepData(next_->file(), now, total ? std::optional<Fault>(Fault{}) : std::nullopt, total.value_or(0));
        if (followed && shown_ != &own_) {
            (void)shown_->file.close();
            shown_->id = now;
        }
    }
    Fault after = committed.failure();
    if (recorder && record)
        if (Fault f = recorder->record(*record); f && !after)
            after = f;
    return Outcome::done(after, data_ && started_);
}

}  // namespace qv
