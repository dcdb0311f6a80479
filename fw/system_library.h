// Where the program's DLLs come from: the system folder, never the setup's own folder. The setup
// runs elevated from a download folder, where any web page can drop a file named like a system
// DLL; a DLL taken from there would run its code with the setup's rights.
#pragma once

#include <windows.h>

// Makes the system folder the only place the process looks for DLLs loaded by name, its own
// and those the system loads for it (the window theme, WinInet's imports). Called first thing in
// WinMain. Where SetDefaultDllDirectories is missing (systems without its update), the setup's
// current folder at least leaves the search.
void RestrictDllSearchToSystem();

// |name| loaded from the system folder only; a path with a drive or a server ("C:\...",
// "\\server\...") is loaded as given. Null when it cannot be loaded, with the reason in
// GetLastError().
HMODULE LoadSystemLibrary(const char* name);

// The same without the loader's own flag, as on systems that do not know it: the full path in
// the system folder.
HMODULE LoadSystemLibraryByPath(const char* name);
