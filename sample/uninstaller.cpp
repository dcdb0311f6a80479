// The sample uninstaller that the package carries. After the user agrees it
// removes what the setup made: the desktop and group shortcuts and the group
// folder (when nothing else is left in it), the uninstall entry, and the
// installed files with their folder.
//
// A running program cannot delete its own file, so the work is done in two
// runs: UNINST.EXE asks, removes everything but itself, then starts a copy of
// itself from the temporary folder as "<copy> /finish <install folder>",
// which removes UNINST.EXE and the folder once the first run has ended, and
// leaves its own file to be deleted at the next restart.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "profile_values.h"

namespace {

const char kFinishFlag[] = "/finish ";
const char kEntryKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" PROFILE_UNINST_KEY_NAME;
const char kQuestion[] = PROFILE_PRODUCT_NAME "을(를) 삭제하겠습니까?";
const char kCaption[] = PROFILE_UNINST_LINK_NAME;

// |folder| + "\" (unless it ends with one) + |name| + |extension| into |out|.
bool Compose(char* out, const char* folder, const char* name, const char* extension) {
    size_t length = strlen(folder);
    const char* separator = length && folder[length - 1] == '\\' ? "" : "\\";
    int written = snprintf(out, MAX_PATH, "%s%s%s%s", folder, separator, name, extension);
    return written > 0 && written < MAX_PATH;
}

void DeleteIn(const char* folder, const char* name, const char* extension) {
    char path[MAX_PATH];
    if (name[0] && Compose(path, folder, name, extension)) DeleteFileA(path);
}

void RemoveShortcuts() {
    char folder[MAX_PATH];
    if (SHGetSpecialFolderPathA(nullptr, folder, CSIDL_DESKTOP, FALSE)) {
        DeleteIn(folder, PROFILE_PRODUCT_NAME, ".lnk");
        DeleteIn(folder, PROFILE_PRODUCT_NAME, ".url");
    }
    char group[MAX_PATH];
    if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PROGRAMS, FALSE) ||
        !Compose(group, folder, PROFILE_GROUP_NAME, ""))
        return;
    DeleteIn(group, PROFILE_PRODUCT_NAME, ".lnk");
    DeleteIn(group, PROFILE_PRODUCT_NAME, ".url");
    DeleteIn(group, PROFILE_HELP_LINK_NAME, ".lnk");
    DeleteIn(group, PROFILE_UNINST_LINK_NAME, ".lnk");
    RemoveDirectoryA(group);  // fails, as it should, while other shortcuts are left in it
}

// Starts the copy in the temporary folder that finishes the work.
void StartFinishingCopy(const char* self, const char* installDir) {
    char temp[MAX_PATH];
    char copy[MAX_PATH];
    char command[3 * MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp || !Compose(copy, temp, "_", PROFILE_UNINST_EXE))
        return;
    if (!CopyFileA(self, copy, FALSE)) return;
    snprintf(command, sizeof command, "\"%s\" %s%s", copy, kFinishFlag, installDir);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(copy, command, nullptr, nullptr, FALSE, 0, nullptr, temp, &startup,
                        &process))
        return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// The second run: the first one may still be ending, so its file is retried.
void FinishFrom(const char* installDir, const char* self) {
    char uninstaller[MAX_PATH];
    if (Compose(uninstaller, installDir, PROFILE_UNINST_EXE, "")) {
        for (int attempt = 0; attempt < 100 && GetFileAttributesA(uninstaller) !=
                                                   INVALID_FILE_ATTRIBUTES; ++attempt) {
            if (!DeleteFileA(uninstaller)) Sleep(100);
        }
    }
    RemoveDirectoryA(installDir);
    MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self) return 1;

    const char* finish = strstr(commandLine, kFinishFlag);
    if (finish) {
        FinishFrom(finish + strlen(kFinishFlag), self);
        return 0;
    }
    if (MessageBoxA(nullptr, kQuestion, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return 2;

    char installDir[MAX_PATH];
    memcpy(installDir, self, sizeof self);
    strrchr(installDir, '\\')[1] = '\0';  // a module path always holds a backslash

    RemoveShortcuts();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntryKey);
    DeleteIn(installDir, PROFILE_PRODUCT_EXE, "");
    DeleteIn(installDir, PROFILE_HELP_EXE, "");
    DeleteIn(installDir, "started.log", "");
    StartFinishingCopy(self, installDir);
    return 0;
}
