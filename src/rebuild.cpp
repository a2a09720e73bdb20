#include "rebuild.h"

#include "layout.h"

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

Fault copyRange(File& in, long from, long to, File& out)
{
    in.seek(from);
    bool copied = true;
    if (to < 0) {
        copied = copyRest(in, out);
    } else {
        for (long at = from; copied && at < to;) {
            std::string_view part = in.next();
            if (part.empty())
                break;
            copied = out.write(part.substr(0, static_cast<std::size_t>(to - at)));
            at += static_cast<long>(part.size());
        }
    }
    if (in.failed())
        return in.fault();
    return out.failed() || !copied ? out.fault() : Fault{};
}

Fault tailThroughScratch(File& data, long from, File& out)
{
    File tail;
    if (!tail.open(kTailFile, File::Mode::Scratch))
        return tail.fault();
    if (Fault f = copyRange(data, from, -1, tail))
        return f;
    if (!tail.settle())
        return tail.fault();
    Fault f = copyRange(tail, 0, -1, out);
    return f || tail.close() ? f : tail.fault();
}

}  // namespace qv
