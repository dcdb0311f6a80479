// The product profile's values, one line each: the field of ProductProfile (app/profile.h) and
// the macro of profile/<name>/profile_values.h it is built from. The program's profile object,
// its type and the test tooling's list of values (tests/e2e/profile_values_sh.cpp) are all made
// from this list, so a new value is one line here and one line in each profile folder.
//
// An X-macro list: define PROFILE_TEXT(field, macro) and PROFILE_NUMBER(field, macro), then
// include this file. Texts are code page 949 byte strings in the program; numbers are int32_t.
// No include guard: it is included once per use.

// The agreement text resource is named with bare words in the resource script; the program
// looks it up by their text.
#ifndef PROFILE_CONTRACT_NAME
#define PROFILE_STRINGIFY_(word) #word
#define PROFILE_STRINGIFY(word) PROFILE_STRINGIFY_(word)
#define PROFILE_CONTRACT_NAME PROFILE_STRINGIFY(PROFILE_CONTRACT_ID)
#define PROFILE_CONTRACT_TYPE PROFILE_STRINGIFY(PROFILE_CONTRACT_TYPE_ID)
#endif

PROFILE_TEXT(productName, PROFILE_PRODUCT_NAME)          // shortcut names, run question
PROFILE_TEXT(productExe, PROFILE_PRODUCT_EXE)            // product program, relative to the install folder
PROFILE_TEXT(defaultSubdir, PROFILE_DEFAULT_SUBDIR)      // appended to a base folder ("\Velmora")
PROFILE_TEXT(archiveName, PROFILE_ARCHIVE_NAME)          // package archive name on the server
PROFILE_TEXT(directSuffix, PROFILE_DIRECT_SUFFIX)        // an archive name holding it is a direct package
PROFILE_TEXT(groupName, PROFILE_GROUP_NAME)              // Start-menu program group
PROFILE_TEXT(helpLinkName, PROFILE_HELP_LINK_NAME)       // help shortcut name
PROFILE_TEXT(helpExe, PROFILE_HELP_EXE)                  // help program; empty: no help shortcut
PROFILE_TEXT(uninstLinkName, PROFILE_UNINST_LINK_NAME)   // uninstall shortcut name
PROFILE_TEXT(uninstExe, PROFILE_UNINST_EXE)              // uninstaller, relative to the install folder
PROFILE_TEXT(uninstKeyName, PROFILE_UNINST_KEY_NAME)     // Uninstall sub-key and its DisplayName
PROFILE_TEXT(setupTitle, PROFILE_SETUP_TITLE)            // main window title
PROFILE_TEXT(bannerText, PROFILE_BANNER_TEXT)            // text under the banner
PROFILE_TEXT(contractName, PROFILE_CONTRACT_NAME)        // agreement text resource name
PROFILE_TEXT(contractType, PROFILE_CONTRACT_TYPE)        // agreement text resource type
PROFILE_TEXT(sessionAgent, PROFILE_SESSION_AGENT)        // HTTP agent name
PROFILE_TEXT(packageScheme, PROFILE_PACKAGE_SCHEME)      // "http" or "https": how the host is reached
PROFILE_TEXT(packageHost, PROFILE_PACKAGE_HOST)          // the package server
PROFILE_NUMBER(packagePort, PROFILE_PACKAGE_PORT)        // its port; 0: the scheme's (80 or 443)
PROFILE_TEXT(packagePathFmt, PROFILE_PACKAGE_PATH_FMT)   // request path, "%s" = archive name
PROFILE_TEXT(tempArchiveName, PROFILE_TEMP_ARCHIVE_NAME) // downloaded archive's name in the temp folder
PROFILE_TEXT(launchArgs, PROFILE_LAUNCH_ARGS)            // product arguments after the run question
PROFILE_TEXT(instanceMarker, PROFILE_INSTANCE_MARKER)    // hidden label text that marks a running setup
PROFILE_TEXT(msgCaption, PROFILE_MSG_CAPTION)            // caption of every message box
PROFILE_TEXT(verifyingStatus, PROFILE_VERIFYING_STATUS)  // status line while the signature is checked
PROFILE_NUMBER(resumeRetries, PROFILE_RESUME_RETRIES)    // retries after a cut download, 0 to 3
PROFILE_NUMBER(packageBytes, PROFILE_PACKAGE_BYTES)      // expected package size, bytes
PROFILE_NUMBER(dataBytes, PROFILE_DATA_BYTES)            // size of the extra data folder; 0: none
PROFILE_NUMBER(unattended, PROFILE_UNATTENDED)           // 1: /quiet and /passive runs allowed; 0: refused (1639)
PROFILE_TEXT(displayVersion, PROFILE_DISPLAY_VERSION)    // uninstall entry's DisplayVersion; empty: not written
PROFILE_TEXT(publisher, PROFILE_PUBLISHER)               // its Publisher; empty: not written
PROFILE_TEXT(urlInfoAbout, PROFILE_URL_INFO_ABOUT)       // its URLInfoAbout; empty: not written
PROFILE_NUMBER(noModify, PROFILE_NO_MODIFY)              // 1: NoModify=1 in the entry; 0: left out
PROFILE_NUMBER(noRepair, PROFILE_NO_REPAIR)              // 1: NoRepair=1 in the entry; 0: left out
