// The product profile: everything that ties the program to one product, fixed at build time
// from profile/<name>/profile_values.h. The fields are listed once, in app/profile_fields.h;
// texts are code page 949 byte strings. Code reaches the profile only through this type: the
// program's own is g_profile, and a stage is handed the profile it works for (tests hand it
// another).
#pragma once

#include <cstdint>

struct ProductProfile {
#define PROFILE_TEXT(field, macro) const char* field;
#define PROFILE_NUMBER(field, macro) int32_t field;
#include "app/profile_fields.h"
#undef PROFILE_TEXT
#undef PROFILE_NUMBER

    // The publisher's package key, made by the build from profile/<name>/package_key.pub (or the
    // file SETUP_PACKAGE_KEY names): a CryptoAPI PUBLICKEYBLOB (download/signature_rules.h).
    // packageKeyBytes is 0 when the profile has no key; packages are then not checked. The build
    // also defines PROFILE_PACKAGE_KEY as 1 or 0 to the same effect.
    const uint8_t* packageKey;
    uint32_t packageKeyBytes;
};

// This build's profile.
extern const ProductProfile g_profile;
