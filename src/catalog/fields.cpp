#include "catalog/fields.h"

#include <algorithm>

#include "catalog/layout.h"
#include "file/file.h"

namespace qv {

int fieldcheck(const std::vector<std::string_view>& texts, Fault& why)
{
    // The texts are read back from what this process wrote, so another
    // process writing format.dat at the same time cannot change the verdict.
    File in;
    if (in.open(kFormatFile, File::Mode::Scratch))
        for (std::string_view text : texts)
            in.write(text), in.put('\n');
    // Read back once all of it is in the file.
    if (!in.settle())
        return why = in.fault(), -1;
    int Result = 0, text = 1;
    for (long ScanSeeker = 0;; ++ScanSeeker) {
        int ScanUnit = in.getAt(ScanSeeker);
        if (ScanUnit == File::kEnd)
            break;
        if (ScanUnit == '\n')
            ++text;
        else if (isReserved(ScanUnit) && Result == 0)
            Result = text;
    }
    if (in.failed())
        return why = in.fault(), -1;
    return Result;
}

namespace {

bool oneWord(std::string_view s)
{
    return !s.empty() && std::none_of(s.begin(), s.end(), [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

// What is wrong with the shape of a record's texts, before their characters
// are looked at.
Fault::Kind shapeFault(const std::string* name, const std::string* serial)
{
    if ((name && name->size() > kMaxText) || (serial && serial->size() > kMaxText))
        return Fault::TooLong;
    if ((name && name->find('\n') != std::string::npos) || (serial && !oneWord(*serial)))
        return Fault::NotOneWord;
    return Fault::None;
}

}  // namespace

Fault checkStorable(const std::string& name, const std::string& serial)
{
    auto any = [&](bool (*bad)(char)) {
        return std::any_of(name.begin(), name.end(), bad) || std::any_of(serial.begin(), serial.end(), bad);
    };
    if (any([](char c) { return c == '\n'; }))
        return fault(Fault::NotOneWord);
    return any(isReservedChar) ? fault(Fault::Reserved) : Fault{};
}

Fault checkFields(const std::string* name, const std::string* serial, Through how)
{
    if (Fault::Kind kind = shapeFault(name, serial))
        return fault(kind);
    std::vector<std::string_view> texts;
    if (name)
        texts.push_back(*name);
    if (serial)
        texts.push_back(*serial);
    if (how == Through::Memory) {
        // A command's output gives a record one line of tab-separated
        // fields, so it takes no control character either.
        auto any = [&](bool (*bad)(char)) {
            return std::any_of(texts.begin(), texts.end(),
                               [&](std::string_view t) { return std::any_of(t.begin(), t.end(), bad); });
        };
        if (any([](char c) { return (c >= 0 && c < 0x20) || c == 0x7f; }))
            return fault(Fault::Control);
        return any(isReservedChar) ? fault(Fault::Reserved) : Fault{};
    }
    Fault why;
    int found = fieldcheck(texts, why);
    return found > 0 ? fault(Fault::Reserved) : why;
}

}  // namespace qv
