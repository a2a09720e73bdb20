#include "change.h"

#include <cerrno>

#include "layout.h"
#include "messages.h"

namespace qv {

Fault Shown::open(bool mayBeMissing)
{
    layout_.reset();
    file.close();
    missing = false;
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

Fault Shown::check(int* total)
{
    if (::stat(kDataFile, &st) != 0) {
        if (errno == ENOENT && missing)
            return sound(total);  // still not there
        return fileFault("open", kDataFile, errno);
    }
    if (missing || identityOf(st) != id)
        return fault(Fault::Changed, kDataFile);
    if (!file.isOpen()) {
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
        fault_ = shown->check(&total_);
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

Fault Change::commit(bool followed)
{
    if (!out())
        return fault_;
    followed = followed && shown_ != &own_;
    Identity now;
    if ((fault_ = next_->finish(kBackupFile, followed ? &now : nullptr)))
        return fault_;
    if (followed) {
        shown_->file.close();
        shown_->id = now;
    }
    return {};
}

Fault Change::commitFrom(File& source, bool followed)
{
    File* to = out();
    if (!to)
        return fault_;
    source.seek(0);
    if (!copyRest(source, *to))
        return fault_ = source.failed() ? source.fault() : to->fault();
    if (!source.close())
        return fault_ = source.fault();
    return commit(followed);
}

Fault replaceData(Replacement kind, const char* source, std::string_view text)
{
    Lock lock(kDataFile);
    if (lock.fault())
        return lock.fault();
    File in;
    Identity from;
    if (source && !(in.open(source, File::Mode::Read) && in.identify(from)))
        return in.fault();
    Place place = lock.place();
    place.exists = ::stat(place.path.c_str(), &place.st) == 0;
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
    return next.finish(kind == Replacement::Load ? kBackupFile : nullptr);
}

}  // namespace qv
