// The catalogue as an encrypted repository's history keeps it: velk.dat's
// bytes sealed under the folder's key, so that a remote holds nothing
// readable. The same catalogue and key always give the same bytes (the
// nonce comes from the catalogue itself), so that git sees no change where
// there is none.
//
// The format: the 8-byte header "QVSEAL", a NUL and the version (1), then
// the 24-byte nonce, then the catalogue encrypted by XChaCha20-Poly1305
// (IETF) with its 16-byte tag, the header authenticated with it. The nonce
// is the keyed BLAKE2b of the catalogue, 24 bytes long, under a key derived
// from the folder's key for that use alone.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace qv::cipher {

inline constexpr std::string_view kMagic{"QVSEAL\0", 7};
inline constexpr unsigned char kVersion = 1;
inline constexpr std::size_t kHeaderBytes = 8, kNonceBytes = 24, kTagBytes = 16;
inline constexpr std::size_t kOverhead = kHeaderBytes + kNonceBytes + kTagBytes;

using Key = std::array<unsigned char, 32>;
using Nonce = std::array<unsigned char, kNonceBytes>;

// Whether `bytes` begin as sealed bytes of any version do.
bool sealed(std::string_view bytes);
// A new random key.
Key newKey();
// The key as one line of text (URL-safe base64, 43 characters), and back;
// false where the text is no key (blanks around it are fine).
std::string keyText(const Key& key);
bool keyFrom(std::string_view text, Key& key);

// The nonce of `plain` under `key`.
Nonce nonceOf(std::string_view plain, const Key& key);
// `plain` sealed under `key`.
std::string seal(std::string_view plain, const Key& key);

enum class Opened {
    Plain,         // not sealed: `plain` is the bytes as they are
    Opened,        // sealed under this key: `plain` holds the catalogue
    NotAuthentic,  // sealed under another key, or changed since
    Newer,         // sealed in a format of a later version
};
Opened open(std::string_view bytes, const Key& key, std::string& plain);

}  // namespace qv::cipher
