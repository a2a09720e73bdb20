#include <cstring>

#include "catalog/fault.h"

namespace qv {

Fault fileFault(std::string verb, std::string file, std::string_view reason)
{
    Fault f;
    f.kind = Fault::File;
    f.verb = std::move(verb);
    f.file = std::move(file);
    f.reason = reason;
    return f;
}

Fault fileFault(std::string verb, std::string file, int err)
{
    Fault f = fileFault(std::move(verb), std::move(file), std::string(std::strerror(err)));
    f.err = err;
    return f;
}

}  // namespace qv
