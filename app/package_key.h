// The publisher's package key as the build makes it (cmake/package_key.cmake writes the source
// from profile/<name>/package_key.pub): a CryptoAPI PUBLICKEYBLOB, and its size, 0 when the
// profile has no key. Code reads it through the profile (ProductProfile::packageKey).
#pragma once

#include <cstdint>

extern const uint8_t g_abPackageKey[];
extern const uint32_t g_nPackageKeyBytes;
