#include "catalog/transaction.h"

#include <cerrno>

#include "catalog/layout.h"
#include "menu/texts.h"

namespace qv {

namespace {

struct Kept {
    File file;
    Identity id;
    std::optional<Fault> layout;
    int total = 0;
};

Kept& kept()
{
    static Kept k;
    return k;
}

// The kept data file, where velk.dat is still that file.
bool takeKept(Shown& s, std::optional<Fault>& layout, int& total)
{
    Kept& k = kept();
    if (!k.file.holds())
        return false;
    struct stat now;
    if (::stat(kDataFile, &now) != 0 || identityOf(now) != k.id) {
        k.file.close();
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

void keepData(File& file, const Identity& id, std::optional<Fault> layout, int total)
{
    Kept& k = kept();
    k.file.close();
    if (file.writable() && !file.detach())
        return;  // too large to keep in memory: read anew next time
    k.file.swap(file);
    k.id = id;
    k.layout = std::move(layout);
    k.total = total;
}

Shown::~Shown()
{
    // Left for the next operation, unless a change put a newer file there.
    if (file.holds() && !kept().file.holds())
        keepData(file, id, layout_, total_);
}

Fault Shown::open(bool mayBeMissing)
{
    layout_.reset();
    file.close();
    missing = false;
    if (takeKept(*this, layout_, total_))
        return {};
    if (file.open(kDataFile, File::Mode::Read) && file.identify(id, &st))
        return {};
    if (!mayBeMissing || file.error() != ENOENT)
        return file.fault();
    missing = true;
    id = {};
    layout_ = Fault{};
    total_ = 0;
    return {};
}

Fault Shown::check(int* total, const Place* now)
{
    const bool there = now ? now->exists : ::stat(kDataFile, &st) == 0;
    if (now && there)
        st = now->st;
    if (!there) {
        if ((now || errno == ENOENT) && missing)
            return sound(total);  // still not there
        return fileFault("open", kDataFile, now ? ENOENT : errno);
    }
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

Fault Shown::sound(int* total)
{
    if (!layout_)
        layout_ = checkLayout(file, &total_);
    if (total)
        *total = total_;
    return *layout_;
}

Change::Change(Shown* shown, bool sameFile, bool mayCreate) : lock_(kDataFile)
{
    if ((fault_ = lock_.fault()))
        return;
    if (shown) {
        shown_ = shown;
        fault_ = shown->check(&total_, &lock_.place());
        if (fault_.kind != Fault::Changed || sameFile)
            return;
        shown_ = &own_;
    }
    fault_ = own_.open(mayCreate);
    if (!fault_)
        fault_ = own_.sound(&total_);
}

File* Change::out()
{
    if (fault_)
        return nullptr;
    if (!next_) {
        // The data file as it stands under the lock.
        Place place = lock_.place();
        place.exists = !shown_->missing;
        place.st = shown_->st;
        next_.emplace(place, kDataFile);
    }
    fault_ = next_->fault();
    return next_->out();
}

Outcome Change::commit(int total, bool followed)
{
    if (!out())
        return fault_;
    followed = followed && shown_ != &own_;
    Identity now;
    Outcome done = next_->finish(kBackupFile, &now);
    if (!done.made())
        return fault_ = done.fault();
    keepData(next_->file(), now, Fault{}, total);
    if (followed) {
        shown_->file.close();
        shown_->id = now;
    }
    return done;
}

Outcome Change::commitFrom(File& source, int total, bool followed)
{
    File* to = out();
    if (!to)
        return fault_;
    source.seek(0);
    if (!copyRest(source, *to))
        return fault_ = source.failed() ? source.fault() : to->fault();
    if (!source.close())
        return fault_ = source.fault();
    return commit(total, followed);
}

Outcome replaceData(Replacement kind, const char* source, std::string_view text)
{
    Lock lock(kDataFile);
    if (lock.fault())
        return lock.fault();
    File in;
    Identity from;
    if (source && !(in.open(source, File::Mode::Read) && in.identify(from)))
        return in.fault();
    const Place& place = lock.place();
    // What stands there is the user's: a FIFO or a device is never replaced.
    if (place.exists && !S_ISREG(place.st.st_mode))
        return fileFault("write", kDataFile, msg::kWhyNotRegular);
    if (kind == Replacement::Load && source && place.exists && place.st.st_dev == from.dev
        && place.st.st_ino == from.ino)
        return fault(Fault::SelfLoad, source);
    Commit next(place, kDataFile);
    File* to = next.out();
    if (!to)
        return next.fault();
    if (!(source ? copyRest(in, *to) : to->write(text)))
        return in.failed() ? in.fault() : to->fault();
    Identity now;
    Outcome done = next.finish(kind == Replacement::Load ? kBackupFile : nullptr, &now);
    if (done.made())
        keepData(next.file(), now);
    return done;
}

}  // namespace qv
