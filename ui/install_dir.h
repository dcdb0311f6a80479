// The install folder on the dialog thread: the default shown at start, the folder picker, the
// check of the typed text, and the drive check before a run starts. Every folder buffer here is
// kPathCapacity bytes.
#pragma once

#include <windows.h>

#include "app/profile.h"

// True when the running Windows reports major version 6 or later.
bool IsWindows6OrLater();

// The default folder into |installDir|: the local application data folder (version 6 and
// later) or the program-files folder, followed by |defaultSubdir|. It may stay empty.
void GetDefaultInstallDir(char* installDir, const char* defaultSubdir);

// The library GetDefaultInstallDir loads to look SHGetKnownFolderPath up in:
// "shell32.dll", from the system folder. Tests name another, by its full path, to see the
// fallbacks.
extern const char* g_pszKnownFolderLibrary;

// Reads IDC_PATH of |dialog| into |installDir| as CP949 and normalises it in place. False when
// the text is rejected (the dialog then shows the bad-path message): too long, a character CP949
// cannot hold, or a folder the rule refuses; |installDir| keeps what was read.
bool ValidateInstallDir(HWND dialog, char* installDir);

// The same check of a folder text given otherwise (/dir:): |text| into |installDir|, normalised
// in place. False when it is rejected; a text too long for |installDir| is, and leaves it as it
// was.
bool AcceptInstallDirText(const char* text, char* installDir);

// 1 when the drive of |installDir| takes a test file in its root and has room for |profile|'s
// sizes; 0 otherwise.
int CheckInstallDrive(const char* installDir, const ProductProfile& profile);

// The folder picker, owned by |owner|, opening on |preselected|; the picked folder with the
// folder rule applied (|defaultSubdir| appended where needed) into |out|. False when it was
// cancelled, or the pick has no file-system path, one CP949 cannot hold, or does not fit.
bool BrowseForInstallDir(HWND owner, const char* preselected, const char* defaultSubdir, char* out);
