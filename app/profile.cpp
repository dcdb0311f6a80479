#include "app/profile.h"

#include "profile_values.h"

#define SETUP_STRINGIFY_(word) #word
#define SETUP_STRINGIFY(word) SETUP_STRINGIFY_(word)

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

const char g_szProductName[] = PROFILE_PRODUCT_NAME;
const char g_szProductExe[] = PROFILE_PRODUCT_EXE;
const char g_szDefaultSubdir[] = PROFILE_DEFAULT_SUBDIR;
const char g_szArchiveName[] = PROFILE_ARCHIVE_NAME;
const char g_szDirectSuffix[] = PROFILE_DIRECT_SUFFIX;
const char g_szGroupName[] = PROFILE_GROUP_NAME;
const char g_szHelpLinkName[] = PROFILE_HELP_LINK_NAME;
const char g_szHelpExe[] = PROFILE_HELP_EXE;
const char g_szUninstLinkName[] = PROFILE_UNINST_LINK_NAME;
const char g_szUninstExe[] = PROFILE_UNINST_EXE;
const char g_szUninstKeyName[] = PROFILE_UNINST_KEY_NAME;
const char g_szSetupTitle[] = PROFILE_SETUP_TITLE;
const char g_szBannerText[] = PROFILE_BANNER_TEXT;
const char g_szContractName[] = SETUP_STRINGIFY(PROFILE_CONTRACT_ID);
const char g_szContractType[] = SETUP_STRINGIFY(PROFILE_CONTRACT_TYPE_ID);
const char g_szSessionAgent[] = PROFILE_SESSION_AGENT;
const char g_szPackageHost[] = PROFILE_PACKAGE_HOST;
const char g_szPackageScheme[] = PROFILE_PACKAGE_SCHEME;
const int32_t g_nPackagePort = PROFILE_PACKAGE_PORT;
const char g_szPackagePathFmt[] = PROFILE_PACKAGE_PATH_FMT;
const char g_szTempArchiveName[] = PROFILE_TEMP_ARCHIVE_NAME;
const char g_szLaunchArgs[] = PROFILE_LAUNCH_ARGS;
const char g_szInstanceMarker[] = PROFILE_INSTANCE_MARKER;
const char g_szMsgCaption[] = PROFILE_MSG_CAPTION;
const int32_t g_nPackageBytes = PROFILE_PACKAGE_BYTES;
const int32_t g_nDataBytes = PROFILE_DATA_BYTES;
const char g_szVerifyingStatus[] = PROFILE_VERIFYING_STATUS;
// g_abPackageKey and g_nPackageKeyBytes are in the build's generated package_key.cpp.

const ProductProfile g_profile = {
    g_szProductName, g_szProductExe, g_szDefaultSubdir, g_szArchiveName, g_szDirectSuffix,
    g_szGroupName, g_szHelpLinkName, g_szHelpExe, g_szUninstLinkName, g_szUninstExe,
    g_szUninstKeyName, g_szSessionAgent, g_szPackageScheme, g_szPackageHost, PROFILE_PACKAGE_PORT,
    g_szPackagePathFmt,
    g_szTempArchiveName, g_szLaunchArgs, g_szMsgCaption, g_szVerifyingStatus, PROFILE_PACKAGE_BYTES,
    PROFILE_DATA_BYTES, g_abPackageKey, g_nPackageKeyBytes, g_nResumeRetries,
};
