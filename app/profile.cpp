#include "app/profile.h"

#include "app/package_key.h"
#include "fw/path_text.h"
#include "profile_values.h"

// A test build of the program may take up a cut download more often than the profile says
// (cmake/windows_tests.cmake): the resume scenarios drive it while the shipped program keeps the
// profile's value.
#ifdef SETUP_RESUME_RETRIES
#undef PROFILE_RESUME_RETRIES
#define PROFILE_RESUME_RETRIES SETUP_RESUME_RETRIES
#endif

namespace {

constexpr bool SameText(const char* a, const char* b) {
    return *a == *b && (*a == '\0' || SameText(a + 1, b + 1));
}

}  // namespace

// The default source is written as a URL and split like a "/axs:" one
// (ComposePackageUrl): plain HTTP keeps a port inside the host, so only https
// takes one.
static_assert(SameText(PROFILE_PACKAGE_SCHEME, "https")
                  ? PROFILE_PACKAGE_PORT >= 0 && PROFILE_PACKAGE_PORT <= 65535
                  : SameText(PROFILE_PACKAGE_SCHEME, "http") && PROFILE_PACKAGE_PORT == 0,
              "PROFILE_PACKAGE_SCHEME must be \"http\" (port 0) or \"https\" (port 0..65535)");
static_assert(PROFILE_RESUME_RETRIES >= 0 && PROFILE_RESUME_RETRIES <= 3,
              "PROFILE_RESUME_RETRIES must be 0 (a cut download ends the run) to 3");
// The run question holds the product name in a path-sized buffer (finish/finish_rules.h).
static_assert(sizeof(PROFILE_PRODUCT_NAME) <= kPathCapacity - 80,
              "PROFILE_PRODUCT_NAME too long for the run question");

const ProductProfile g_profile = {
#define PROFILE_TEXT(field, macro) macro,
#define PROFILE_NUMBER(field, macro) macro,
#include "app/profile_fields.h"
#undef PROFILE_TEXT
#undef PROFILE_NUMBER
    g_abPackageKey,
    g_nPackageKeyBytes,
};
