// End of a run: the names, targets and texts of the shortcuts, Internet
// shortcuts and the uninstall entry, the launch path, the run question, and
// which completion variant a profile takes. Pure text; the glue makes the
// files, links and registry values and asks the questions.
//
// Texts are NUL-terminated code page 949 bytes. Every composer returns false
// when its result does not fit |cap| (|out| is then left empty when |cap| > 0):
// the caller skips that one item, nothing is cut.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/profile.h"
#include "fw/path_text.h"  // kPathCapacity; files in the install folder are ComposePath joins

enum class ShortcutKind {
    kShellLink = 0,         // ".lnk"
    kInternetShortcut = 1,  // ".url"
};

// A shortcut file: |folder| (desktop or group folder, no closing "\") + "\" +
// |name| + ".lnk" or ".url".
bool ComposeShortcutPath(const char* folder, const char* name, ShortcutKind kind, char* out,
                         size_t cap);

// The whole Internet-shortcut file: "[InternetShortcut]", "URL=" + |url|,
// "IconIndex=0", "IconFile=" + |iconFile|, each line ended by CR LF. The glue
// writes these bytes unchanged in binary mode, so the file is byte-exact on any
// runtime. An empty |url| still gives the "URL=" line.
bool FormatInternetShortcut(const char* url, const char* iconFile, char* out, size_t cap);

// Bytes FormatInternetShortcut needs for |url| and |iconFile|, the NUL
// included: the URL comes from the command line and has no length limit.
size_t InternetShortcutCapacity(const char* url, const char* iconFile);

// A REG_SZ value as it is stored: the text and its size with the NUL.
struct RegistryText {
    char text[kPathCapacity];
    uint32_t storedSize;  // strlen(text) + 1
};

// "DisplayName": the uninstall key's name.
bool ComposeDisplayName(const char* keyName, RegistryText* out);

// "UninstallString": |installDir| + |uninstallerExe|, without quotation marks
// even when the path has blanks.
bool ComposeUninstallString(const char* installDir, const char* uninstallerExe, RegistryText* out);

// What the uninstall entry says about one install, besides the profile's texts.
struct InstallRecord {
    const char* installDir;     // the accepted install folder, ending with "\"
    uint64_t extractedBytes;    // the package's bytes as extracted
    uint16_t year, month, day;  // the local date of the install
};

// One value of the uninstall entry: a REG_SZ text or a REG_DWORD number.
struct UninstallValue {
    const char* name;
    bool isNumber;
    bool fits;          // false: the text does not fit its buffer; the value is not written
    RegistryText text;  // when not a number
    uint32_t number;    // when a number
};

// The most values an entry has.
const size_t kMaxUninstallValues = 11;

// The uninstall entry's values, in the order they are written: DisplayName, UninstallString,
// DisplayIcon (the install folder + the product's program), InstallLocation (the install
// folder), DisplayVersion, Publisher, URLInfoAbout, EstimatedSize (KiB), InstallDate
// ("yyyymmdd"), NoModify, NoRepair. The profile's texts that are empty and its flags that are 0
// are left out of the list; a text that does not fit stays in it with fits false. |out| holds
// kMaxUninstallValues; returns how many it holds now.
size_t ComposeUninstallValues(const ProductProfile& profile, const InstallRecord& record, UninstallValue* out);

// KiB of |bytes|, rounded up; UINT32_MAX when that does not fit 32 bits.
uint32_t EstimatedSizeKiB(uint64_t bytes);

// The run question of the asking variant, naming |productName|.
bool FormatRunQuestion(const char* productName, char* out, size_t cap);

enum class CompletionVariant {
    kDirect = 0,    // standard shortcuts without a question; program started without arguments
    kExternal = 1,  // Internet shortcuts without a question; program started with the run arguments
    kAsking = 2,    // shortcut question, then run question; launch arguments from the profile
};

// The first that applies: direct when |archiveName| contains |directSuffix|
// (case-sensitive; null texts never match), external when |externalMode|,
// asking otherwise.
CompletionVariant ChooseCompletionVariant(const char* archiveName, const char* directSuffix,
                                          bool externalMode);

// The program's parameters for |variant|: null for direct, |runArgs| for
// external, |launchArgs| for asking.
const char* LaunchParametersFor(CompletionVariant variant, const char* runArgs,
                                const char* launchArgs);
