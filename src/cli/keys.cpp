// The commands of an encrypted history: the key given out and taken in,
// and the filter git runs on velk.dat, sealing it as git stores it and
// opening it as git writes it out.
#include "catalog/catalog.h"
#include "catalog/cipher.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/status.h"
#include "cli/texts.h"
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

// The folder's key, for the filter: velk.dat cannot go through without it.
Fault folderKey(cipher::Key& key)
{
    Fault f = history::readKey(key);
    if (f.kind == Fault::Sealed)
        f = Fault(ioError(IoError::Open, history::keyFile(), ENOENT));
    return f;
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
    std::string bytes, plain;
    cipher::Key key{};
    if (Fault f = readInput(bytes); f || (f = folderKey(key)))
        return fail(a, f);
    // Sealed already, it goes as it is: cleaning twice gives what cleaning
    // once gives. Under another key it is refused, never sealed twice.
    if (!cipher::sealed(bytes)) {
        print(cipher::seal(bytes, key));
        return kDone;
    }
    if (cipher::open(bytes, key, plain) != cipher::Opened::Opened)
        return fail(a, fault(Fault::NotAuthentic, kDataFile));
    print(bytes);
    return kDone;
}

int decryptCommand(const Args& a)
{
    std::string bytes, plain;
    if (Fault f = readInput(bytes))
        return fail(a, f);
    if (!cipher::sealed(bytes)) {  // stored before the history was encrypted
        print(bytes);
        return kDone;
    }
    cipher::Key key{};
    if (Fault f = folderKey(key))
        return fail(a, f);
    if (cipher::open(bytes, key, plain) != cipher::Opened::Opened)
        return fail(a, fault(Fault::NotAuthentic, kDataFile));
    print(plain);
    return kDone;
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
                                                             : refuse(a, refused);
    if (plain > 0)
        complain(a.cmd, "", std::to_string(plain).append(plain == 1 ? text::kStillPlainOne : text::kStillPlain));
    return kDone;
}

}  // namespace qv::cli
