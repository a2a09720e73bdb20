#include "catalog/pieces.h"

#include <algorithm>

namespace qv {

long findByte(File& f, long from, char byte, int count)
{
    f.seek(from);
    for (long at = from;; at = f.tell()) {
        std::string_view part = f.next();
        if (part.empty())
            return -1;
        for (std::size_t k = part.find(byte); k != std::string_view::npos; k = part.find(byte, k + 1))
            if (--count == 0) {
                f.seek(at + static_cast<long>(k) + 1);
                return at + static_cast<long>(k);
            }
    }
}

long recordStart(File& data, int code) { return findByte(data, 1, '(', code); }

Fault copyRange(File& in, long from, long to, File& out, long* stars)
{
    in.seek(from);
    bool copied = true;
    if (to < 0 && !stars) {
        copied = copyRest(in, out);
    } else {
        for (long at = from; copied && (to < 0 || at < to);) {
            std::string_view part = in.next();
            if (part.empty())
                break;
            part = part.substr(0, to < 0 ? part.size() : static_cast<std::size_t>(to - at));
            if (stars)
                *stars += std::count(part.begin(), part.end(), '*');
            copied = out.write(part);
            at += static_cast<long>(part.size());
        }
    }
    if (in.failed())
        return in.fault();
    return out.failed() || !copied ? out.fault() : Fault{};
}

Rebuild::Rebuild(Change& change, Through how) : change_(change), how_(how) {}

File* Rebuild::out()
{
    if (out_ || fault_)
        return out_;
    if (how_ == Through::Memory) {
        if (!(out_ = change_.out()))
            fault_ = change_.fault();
    } else if (rebuilt_.open(kRebuildFile, File::Mode::Scratch)) {
        out_ = &rebuilt_;
    } else {
        fault_ = rebuilt_.fault();
    }
    return out_;
}

Fault Rebuild::piece(long from, long to) { return out() ? copyRange(change_.data(), from, to, *out_) : fault_; }

Fault Rebuild::tail(long from) { return how_ == Through::Memory ? piece(from, -1) : throughScratch(from, -1, nullptr); }

Fault Rebuild::head(long to, long& stars)
{
    if (how_ == Through::Memory)
        return out() ? copyRange(change_.data(), 0, to, *out_, &stars) : fault_;
    return throughScratch(0, to, &stars);
}

// The piece of the data file goes to velk2.dat first, and from there onto
// velk3.dat, which is opened only then when it is not yet.
Fault Rebuild::throughScratch(long from, long to, long* stars)
{
    File piece;
    if (!piece.open(kTailFile, File::Mode::Scratch))
        return piece.fault();
    if (Fault f = copyRange(change_.data(), from, to, piece))
        return f;
    if (!piece.settle())
        return piece.fault();
    if (!out())
        return fault_;
    Fault f = copyRange(piece, 0, -1, *out_, stars);
    return f || piece.close() ? f : piece.fault();
}

Outcome Rebuild::commit(int total, bool followed)
{
    if (!out())
        return fault_;
    if (how_ == Through::Memory)
        return change_.commit(total, followed);
    if (!rebuilt_.settle())
        return rebuilt_.fault();
    return change_.commitFrom(rebuilt_, total, followed);
}

}  // namespace qv
