// The sealed format and the key's text, held to what cipher.h documents and
// computed here from libsodium's own calls: the 8-byte header "QVSEAL", NUL,
// version 1; the nonce, the 24-byte BLAKE2b of the catalogue keyed by the
// 32-byte subkey 1 of context "qvnonce1"; then XChaCha20-Poly1305 (IETF)
// with the header as associated data. The key as URL-safe base64 without
// padding, 43 characters.
#include <cstdio>
#include <string>
#include <string_view>

#include <sodium.h>

#include "catalog/cipher.h"

namespace {

using qv::cipher::Key;
using qv::cipher::Opened;

int failures = 0;

void check(bool ok, const char* what, int line)
{
    if (!ok) {
        (void)std::fprintf(stderr, "cipher_test.cpp:%d: %s\n", line, what);
        ++failures;
    }
}
#define CHECK(ok) check(ok, #ok, __LINE__)

const unsigned char* bytesOf(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// What the format says the sealed bytes of `plain` under `key` are.
std::string expectedSeal(std::string_view plain, const Key& key)
{
    const std::string header("QVSEAL\0\x01", 8);
    unsigned char nonceKey[32], nonce[24];
    crypto_kdf_derive_from_key(nonceKey, sizeof nonceKey, 1, "qvnonce1", key.data());
    crypto_generichash(nonce, sizeof nonce, bytesOf(plain), plain.size(), nonceKey, sizeof nonceKey);
    std::string body(plain.size() + crypto_aead_xchacha20poly1305_ietf_ABYTES, '\0');
    unsigned long long length = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(reinterpret_cast<unsigned char*>(body.data()), &length, bytesOf(plain),
                                               plain.size(), bytesOf(header), header.size(), nullptr, nonce,
                                               key.data());
    return header + std::string(reinterpret_cast<const char*>(nonce), sizeof nonce) + body.substr(0, length);
}

Opened opened(std::string_view bytes, const Key& key)
{
    std::string plain;
    return qv::cipher::open(bytes, key, plain);
}

}  // namespace

int main()
{
    if (sodium_init() < 0)
        return 1;
    Key key{}, other{};
    for (unsigned i = 0; i < key.size(); ++i)
        key[i] = static_cast<unsigned char>(i), other[i] = 0xff;
    const std::string plain = "Title 1\tSN-1\nTitle 2\tSN-2\n";

    // The bytes, their header and nonce, as the format computes them.
    const std::string sealed = qv::cipher::seal(plain, key);
    CHECK(sealed == expectedSeal(plain, key));
    CHECK(qv::cipher::seal("", key) == expectedSeal("", key) && qv::cipher::seal("", key).size() == 48);
    CHECK(sealed.starts_with(std::string_view("QVSEAL\0\x01", 8)) && qv::cipher::sealed(sealed));
    const qv::cipher::Nonce nonce = qv::cipher::nonceOf(plain, key);
    CHECK(sealed.substr(8, 24) == std::string(reinterpret_cast<const char*>(nonce.data()), 24));
    CHECK(qv::cipher::seal(plain, key) == sealed);
    CHECK(qv::cipher::nonceOf(plain, other) != nonce && qv::cipher::nonceOf(plain + "x", key) != nonce);

    // Opened with its key alone; plain bytes pass as they are.
    std::string back;
    CHECK(qv::cipher::open(sealed, key, back) == Opened::Opened && back == plain);
    CHECK(qv::cipher::open(plain, key, back) == Opened::Plain && back == plain && !qv::cipher::sealed(plain));
    CHECK(opened(sealed, other) == Opened::NotAuthentic);
    CHECK(opened(sealed.substr(0, sealed.size() - 1), key) == Opened::NotAuthentic);
    CHECK(opened(sealed.substr(0, 40), key) == Opened::NotAuthentic);
    // Another version is a later format's; any byte changed is refused.
    for (const char version : {'\0', '\2', '\xff'}) {
        std::string later = sealed;
        later[7] = version;
        CHECK(opened(later, key) == Opened::Newer && opened(later.substr(0, 8), key) == Opened::Newer);
    }
    for (std::size_t i = 0; i < sealed.size(); ++i) {
        std::string changed = sealed;
        changed[i] = static_cast<char>(changed[i] ^ 0x20);
        const Opened got = opened(changed, key);
        CHECK(got == (i < 7 ? Opened::Plain : i == 7 ? Opened::Newer : Opened::NotAuthentic));
    }

    // The key's text: URL-safe base64 without padding, and back.
    CHECK(qv::cipher::keyText(key) == "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8");
    CHECK(qv::cipher::keyText(other) == std::string(42, '_') + "8");
    Key read{};
    const Key fresh = qv::cipher::newKey();
    CHECK(fresh != key && qv::cipher::keyFrom(qv::cipher::keyText(fresh), read) && read == fresh);
    CHECK(qv::cipher::keyFrom("  " + qv::cipher::keyText(other) + " \r\n", read) && read == other);
    const std::string text = qv::cipher::keyText(key);
    for (const std::string& bad :
         {text.substr(1), text + "A", text + "=", "+" + text.substr(1), "/" + text.substr(1),
          text.substr(0, 20) + " " + text.substr(21), text.substr(0, 42) + "\x01", std::string{}}) {
        read = Key{};
        CHECK(!qv::cipher::keyFrom(bad, read));
    }
    return failures == 0 ? 0 : 1;
}
