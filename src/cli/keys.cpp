// The commands of an encrypted history: the key given out and taken in,
// and the filter git runs on velk.dat, sealing it as git stores it and
// opening it as git writes it out.
#include "catalog/catalog.h"
#include "catalog/cipher.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/status.h"
#include "cli/texts.h"
#include "history/filter.h"
#include "history/history.h"
#include "history/key.h"

namespace qv::cli {

namespace {

// Standard input whole, within a bound no catalogue comes near.
Fault readInput(std::string& bytes)
{
    constexpr std::size_t kLimit = std::size_t{16} << 20;
    const Fault f = viewFile(nullptr, [&](std::string_view part) {
        bytes.append(part);
        return bytes.size() <= kLimit;
    });
    return bytes.size() > kLimit ? fault(Fault::Full, kStandardInput) : f;
}

}  // namespace

Fault readKeyFile(const Args& a, cipher::Key& key)
{
    std::string text;
    if (Fault f = *a.keyFile == "-" ? readInput(text) : readWhole(*a.keyFile, text))
        return f;
    return cipher::keyFrom(text.substr(0, 4096), key)
        ? Fault{}
        : fault(Fault::NotKey, *a.keyFile == "-" ? kStandardInput : *a.key);
}

int encryptCommand(const Args& a)
{
    std::string bytes, stored;
    if (Fault f = readInput(bytes); f || (f = history::clean(bytes, stored)))
        return fail(a, f);
    print(stored);
    return kDone;
}

int decryptCommand(const Args& a)
{
    std::string stored, bytes;
    if (Fault f = readInput(stored); f || (f = history::smudge(stored, bytes)))
        return fail(a, f);
    print(bytes);
    return kDone;
}

int filterCommand(const Args& a)
{
    Fault why;
    if (!history::serveFilter(why))
        return complain(a.cmd, "", text::kWhyFilterProtocol);
    return why ? fail(a, why) : kDone;
}

int keyCommand(const Args& a)
{
    if (!a.keyFile) {
        std::string text;
        if (const history::Refused refused = history::keyText(text))
            return refused.why == history::Refusal::NotEncrypted ? complain(a.cmd, "", text::kWhyNotEncrypted)
                                                                 : refuse(a, refused);
        print(text + "\n");
        return kDone;
    }
    cipher::Key key{};
    if (Fault f = readKeyFile(a, key))
        return fail(a, f);
    int plain = 0;
    if (const history::Refused refused = history::importKey(key, plain))
        return refused.why == history::Refusal::NotEncrypted ? complain(a.cmd, "", text::kWhyNothingSealed)
            : refused.fault.kind == Fault::NotAuthentic      ? complain(a.cmd, refused.fault.file, text::kWhyKeyRefused)
                                                             : refuse(a, refused);
    if (plain > 0)
        complain(a.cmd, "", std::to_string(plain).append(plain == 1 ? text::kStillPlainOne : text::kStillPlain));
    return kDone;
}

}  // namespace qv::cli
