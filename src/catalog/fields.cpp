#include "catalog/fields.h"

#include <algorithm>
#include <utility>

#include "catalog/layout.h"
#include "catalog/trace.h"

namespace qv {

namespace {

using Field = Fault::Field;

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isControl(char c) { return (c >= 0 && c < 0x20) || c == 0x7f; }
bool isNewline(char c) { return c == '\n'; }

// The refusal `kind` of the first of the texts given that holds a `bad`
// byte, naming it and the byte; none where neither does.
Fault first(Fault::Kind kind, const std::string* name, const std::string* serial, bool (*bad)(char))
{
    for (const auto& [text, field] : {std::pair{name, Field::Name}, std::pair{serial, Field::Serial}}) {
        if (!text)
            continue;
        if (const auto at = std::find_if(text->begin(), text->end(), bad); at != text->end()) {
            Fault f = fault(kind);
            f.field = field;
            f.detail = std::string(1, *at);
            return f;
        }
    }
    return {};
}

Fault refused(Fault::Kind kind, Field field, std::size_t size = 0)
{
    Fault f = fault(kind);
    f.field = field;
    f.size = size;
    f.limit = kind == Fault::TooLong ? kMaxText : 0;
    return f;
}

}  // namespace

Fault checkFields(const std::string* name, const std::string* serial, Rules rules, Trace* trace)
{
    // The shape first: a text that could never be stored is not shown.
    if (name && name->size() > kMaxText)
        return refused(Fault::TooLong, Field::Name, name->size());
    if (serial && serial->size() > kMaxText)
        return refused(Fault::TooLong, Field::Serial, serial->size());
    if (rules == Rules::Command && name && name->empty())
        return refused(Fault::Empty, Field::Name);
    if (serial && serial->empty())
        return refused(Fault::Empty, Field::Serial);
    if (Fault f = first(Fault::NotOneWord, name, nullptr, isNewline))
        return f;
    if (Fault f = first(Fault::NotOneWord, nullptr, serial, isSpace))
        return f;
    if (trace)
        if (Fault f = trace->texts(name, serial))
            return f;
    if (rules == Rules::Command)
        if (Fault f = first(Fault::Control, name, serial, isControl))
            return f;
    return first(Fault::Reserved, name, serial, isReservedChar);
}

Fault checkStorable(const std::string& name, const std::string& serial)
{
    if (Fault f = first(Fault::NotOneWord, &name, &serial, isNewline))
        return f;
    return first(Fault::Reserved, &name, &serial, isReservedChar);
}

}  // namespace qv
