#include "catalog/cipher.h"

#include <cstdint>
#include <stdexcept>

#include <sodium.h>

namespace qv::cipher {

namespace {

// libsodium readied once, where a key is first needed: a run that seals
// nothing never pays for it.
void ready()
{
    static const bool done = sodium_init() >= 0;
    if (!done)
        throw std::runtime_error("libsodium could not start");
}

std::string header() { return std::string(kMagic) + static_cast<char>(kVersion); }

const unsigned char* bytesOf(std::string_view s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// The key that makes nonces, derived from the folder's key: never the key
// that encrypts.
constexpr std::uint64_t kNonceKeyId = 1;
constexpr char kContext[crypto_kdf_CONTEXTBYTES + 1] = "qvnonce1";

}  // namespace

bool sealed(std::string_view bytes) { return bytes.starts_with(kMagic) && bytes.size() >= kHeaderBytes; }

Key newKey()
{
    ready();
    Key key;
    crypto_aead_xchacha20poly1305_ietf_keygen(key.data());
    return key;
}

std::string keyText(const Key& key)
{
    ready();
    char out[sodium_base64_ENCODED_LEN(32, sodium_base64_VARIANT_URLSAFE_NO_PADDING)];
    sodium_bin2base64(out, sizeof out, key.data(), key.size(), sodium_base64_VARIANT_URLSAFE_NO_PADDING);
    return out;
}

bool keyFrom(std::string_view text, Key& key)
{
    ready();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    std::size_t length = 0;
    const char* end = nullptr;
    return sodium_base642bin(key.data(), key.size(), text.data(), text.size(), nullptr, &length, &end,
                             sodium_base64_VARIANT_URLSAFE_NO_PADDING)
        == 0
        && length == key.size() && end == text.data() + text.size();
}

Nonce nonceOf(std::string_view plain, const Key& key)
{
    ready();
    unsigned char nonceKey[crypto_generichash_KEYBYTES];
    crypto_kdf_derive_from_key(nonceKey, sizeof nonceKey, kNonceKeyId, kContext, key.data());
    Nonce nonce;
    crypto_generichash(nonce.data(), nonce.size(), bytesOf(plain), plain.size(), nonceKey, sizeof nonceKey);
    sodium_memzero(nonceKey, sizeof nonceKey);
    return nonce;
}

std::string seal(std::string_view plain, const Key& key)
{
    const Nonce nonce = nonceOf(plain, key);
    const std::string head = header();
    std::string out(kOverhead + plain.size(), '\0');
    out.replace(0, kHeaderBytes, head);
    out.replace(kHeaderBytes, kNonceBytes, reinterpret_cast<const char*>(nonce.data()), kNonceBytes);
    unsigned long long length = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(
        reinterpret_cast<unsigned char*>(out.data()) + kHeaderBytes + kNonceBytes, &length, bytesOf(plain),
        plain.size(), bytesOf(head), head.size(), nullptr, nonce.data(), key.data());
    out.resize(kHeaderBytes + kNonceBytes + length);
    return out;
}

Opened open(std::string_view bytes, const Key& key, std::string& plain)
{
    if (!sealed(bytes)) {
        plain = bytes;
        return Opened::Plain;
    }
    if (static_cast<unsigned char>(bytes[kMagic.size()]) != kVersion)
        return Opened::Newer;
    if (bytes.size() < kOverhead)
        return Opened::NotAuthentic;
    ready();
    const std::string_view sealedPart = bytes.substr(kHeaderBytes + kNonceBytes);
    std::string out(sealedPart.size() - kTagBytes, '\0');
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<unsigned char*>(out.data()), &length, nullptr,
                                                   bytesOf(sealedPart), sealedPart.size(), bytesOf(bytes), kHeaderBytes,
                                                   bytesOf(bytes.substr(kHeaderBytes)), key.data())
        != 0)
        return Opened::NotAuthentic;
    out.resize(length);
    plain = std::move(out);
    return Opened::Opened;
}

}  // namespace qv::cipher
