// The product profile: read-only constants fixed at build time (the values
// come from profile/<name>/profile_values.h). Texts are CP949 byte strings.
#pragma once

#include <cstdint>

extern const char g_szProductName[];     // shortcut names, run question
extern const char g_szProductExe[];      // product program, relative to the install folder
extern const char g_szDefaultSubdir[];   // appended to a base folder ("\Velmora")
extern const char g_szArchiveName[];     // package archive name on the server
extern const char g_szDirectSuffix[];    // marks a direct package
extern const char g_szGroupName[];       // Start-menu program group
extern const char g_szHelpLinkName[];    // help shortcut name
extern const char g_szHelpExe[];         // help program; empty: no help shortcut
extern const char g_szUninstLinkName[];  // uninstall shortcut name
extern const char g_szUninstExe[];       // uninstaller, relative to the install folder
extern const char g_szUninstKeyName[];   // Uninstall sub-key and its DisplayName
extern const char g_szSetupTitle[];      // main window title
extern const char g_szBannerText[];      // text under the banner
extern const char g_szContractName[];    // agreement text resource name
extern const char g_szContractType[];    // agreement text resource type
extern const char g_szSessionAgent[];    // HTTP agent name
extern const char g_szPackageHost[];     // default download host
extern const char g_szPackageScheme[];   // "http" or "https": how the default host is reached
extern const int32_t g_nPackagePort;     // default host's port; 0: the scheme's (80 or 443)
extern const char g_szPackagePathFmt[];  // default object path, "%s" = archive name
extern const char g_szTempArchiveName[]; // downloaded archive's name in the temp folder
extern const char g_szLaunchArgs[];      // product arguments after the run question
extern const char g_szInstanceMarker[];  // hidden label text that marks a running setup
extern const char g_szMsgCaption[];      // caption of every message box
extern const int32_t g_nPackageBytes;    // expected package size, bytes
extern const int32_t g_nDataBytes;       // size of the extra data folder, bytes; 0: none
extern const char g_szVerifyingStatus[]; // status line while the package's signature is checked
extern const int32_t g_nResumeRetries;   // retries after a cut download, 0 to 3; 0: the run fails

// The publisher's package key, made by the build from profile/<name>/package_key.pub (or the
// file SETUP_PACKAGE_KEY names): a CryptoAPI PUBLICKEYBLOB (download/signature_rules.h).
// g_nPackageKeyBytes is 0 when the profile has no key; packages are then not checked.
// The build also defines PROFILE_PACKAGE_KEY as 1 or 0 to the same effect.
extern const uint8_t g_abPackageKey[];
extern const uint32_t g_nPackageKeyBytes;

// The same values as one object, so a stage can be handed the profile it works for (tests hand
// it another). Pointers into the constants above.
struct ProductProfile {
    const char* productName;
    const char* productExe;
    const char* defaultSubdir;
    const char* archiveName;
    const char* directSuffix;
    const char* groupName;
    const char* helpLinkName;
    const char* helpExe;
    const char* uninstLinkName;
    const char* uninstExe;
    const char* uninstKeyName;
    const char* sessionAgent;
    const char* packageScheme;  // "http" or "https"
    const char* packageHost;
    int32_t packagePort;        // 0: the scheme's
    const char* packagePathFmt;
    const char* tempArchiveName;
    const char* launchArgs;
    const char* msgCaption;
    const char* verifyingStatus;  // the status line while the package's signature is checked
    int32_t packageBytes;
    int32_t dataBytes;
    const uint8_t* packageKey;  // the publisher's key blob; every package must be signed by it
    uint32_t packageKeyBytes;   // 0: no key, packages are not checked
    int32_t resumeRetries;      // a cut download is asked for again this often; 0: the run fails
};

// This build's profile.
extern const ProductProfile g_profile;
