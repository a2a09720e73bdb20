#include "catalog/trace.h"

#include <cerrno>

#include "catalog/layout.h"

namespace qv {

namespace {

// Writes `bytes` as the whole of the scratch file `name`.
Fault writeWhole(const char* name, std::string_view bytes)
{
    File out;
    if (!out.open(name, File::Mode::Scratch) || !out.write(bytes) || !out.close())
        return out.failure();
    return {};
}

}  // namespace

Fault Trace::select()
{
    const Fault f = writeWhole(kLogFile, "00");
    return f.io.err == kLinkPlanted ? f : Fault{};
}

Fault Trace::texts(const std::string* name, const std::string* serial)
{
    return writeWhole(kFormatFile, (name ? *name + "\n" : "") + (serial ? *serial + "\n" : ""));
}

Fault Trace::begin()
{
    if (!rebuilt_.holds() && !rebuilt_.open(kRebuiltFile, File::Mode::Scratch))
        return rebuilt_.failure();
    return {};
}

Fault Trace::piece(File& data, long from, long to)
{
    File out;
    if (!out.open(kPieceFile, File::Mode::Scratch))
        return out.failure();
    if (Fault f = copyRange(data, from, to, out))
        return f;
    return out.close() ? Fault{} : Fault(out.failure());
}

Fault Trace::rebuilt(File& made)
{
    if (Fault f = begin())
        return f;
    if (Fault f = copyRange(made, 0, -1, rebuilt_))
        return f;
    return rebuilt_.close() ? Fault{} : Fault(rebuilt_.failure());
}

}  // namespace qv
