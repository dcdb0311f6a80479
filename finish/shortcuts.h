// Making the installed product reachable and removable: shell shortcuts,
// Internet shortcut files, the Start-menu group and the uninstall entry.
// Names, targets and values are composed by finish/finish_rules.h; a composed
// path that does not fit its MAX_PATH buffer skips that one item.
// Runs on the dialog thread with COM initialised. Nothing here is reported to
// the user: a missing shortcut or value does not change the run's outcome.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/profile.h"
#include "fw/path_text.h"

// Where the finishing steps write. The program passes the current user's
// desktop and Programs folders and HKEY_LOCAL_MACHINE; tests pass their own.
struct FinishPlaces {
    const char* installDir;   // accepted install folder, ending with "\"
    const char* desktopDir;   // null: the desktop location is not available
    const char* programsDir;  // null: the Programs location is not available
    HKEY registryRoot;        // holds SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall
    uint64_t extractedBytes;  // the package's bytes as extracted: the entry's EstimatedSize
};

// Buffers for the special folders that CurrentUserPlaces fills.
struct SpecialFolderPaths {
    char desktop[kPathCapacity];
    char programs[kPathCapacity];
};

// The real places for |installDir|: the special folders as the shell reports
// them for |owner| (stored in |paths|), and HKEY_LOCAL_MACHINE.
FinishPlaces CurrentUserPlaces(HWND owner, const char* installDir, SpecialFolderPaths* paths);

// A shell shortcut at |linkPath| to |target| with |workingDir|, and nothing
// else set. Returns the failure of creating the object or of asking it for
// IPersistFile, else the result of saving.
HRESULT CreateShellLink(const char* target, const char* linkPath, const char* workingDir);

// An Internet shortcut file at |path| opening |url|, with |iconFile| as its
// icon; replaces an existing file. A file that cannot be opened is skipped.
void WriteInternetShortcut(const char* iconFile, const char* path, const char* url);

// The standard set of |profile|'s product: desktop and group shortcuts to the
// program, the help shortcut (when the profile has a help program), the
// uninstall shortcut, then the uninstall entry. False when a stop rule ended it
// early: the desktop folder or the group folder could not be made sure of, or
// the Programs location is not available.
bool CreateStandardShortcuts(const ProductProfile& profile, const FinishPlaces& places);

// The external-mode set: as the standard one, but the desktop and group
// shortcuts to the program are Internet shortcuts opening |linkUrl|.
bool CreateExternalShortcuts(const ProductProfile& profile, const FinishPlaces& places,
                             const char* linkUrl);

// The profile's sub-key under |root|'s Uninstall key, which must exist, with the values of
// ComposeUninstallValues (finish/finish_rules.h) for |installDir|, |extractedBytes| and
// today's local date. Each value is stored on its own; one that does not fit is left out.
// Returns the first failing registry call's code (ERROR_INSUFFICIENT_BUFFER for a value left
// out), ERROR_SUCCESS when every value was stored.
LONG RegisterUninstallEntry(const ProductProfile& profile, HKEY root, const char* installDir,
                            uint64_t extractedBytes);
