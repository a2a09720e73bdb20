#include "catalog/fields.h"

#include <algorithm>

#include "catalog/layout.h"
#include "catalog/trace.h"

namespace qv {

namespace {

bool oneWord(std::string_view s)
{
    return !s.empty() && std::none_of(s.begin(), s.end(), [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

bool isControl(char c) { return (c >= 0 && c < 0x20) || c == 0x7f; }

// Whether any byte of the texts given is `bad`.
bool any(const std::string* name, const std::string* serial, bool (*bad)(char))
{
    return (name && std::any_of(name->begin(), name->end(), bad))
        || (serial && std::any_of(serial->begin(), serial->end(), bad));
}

}  // namespace

Fault checkFields(const std::string* name, const std::string* serial, Controls controls, Trace* trace)
{
    // The shape first: a text that could never be stored is not shown.
    if ((name && name->size() > kMaxText) || (serial && serial->size() > kMaxText))
        return fault(Fault::TooLong);
    if ((name && name->find('\n') != std::string::npos) || (serial && !oneWord(*serial)))
        return fault(Fault::NotOneWord);
    if (trace)
        if (Fault f = trace->texts(name, serial))
            return f;
    if (controls == Controls::Refused && any(name, serial, isControl))
        return fault(Fault::Control);
    return any(name, serial, isReservedChar) ? fault(Fault::Reserved) : Fault{};
}

Fault checkStorable(const std::string& name, const std::string& serial)
{
    if (any(&name, &serial, [](char c) { return c == '\n'; }))
        return fault(Fault::NotOneWord);
    return any(&name, &serial, isReservedChar) ? fault(Fault::Reserved) : Fault{};
}

}  // namespace qv
