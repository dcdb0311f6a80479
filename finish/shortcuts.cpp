#include "finish/shortcuts.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>

#include "app/profile.h"
#include "finish/finish_rules.h"

namespace {

const char kUninstallKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The file-system path of a special folder into |out| (MAX_PATH bytes);
// false when the shell does not know the location.
bool SpecialFolderPath(HWND owner, int csidl, char* out) {
    LPITEMIDLIST items = nullptr;
    if (SHGetSpecialFolderLocation(owner, csidl, &items) != S_OK) return false;
    BOOL found = SHGetPathFromIDListA(items, out);
    CoTaskMemFree(items);
    return found != FALSE;
}

// Created now or there already: both mean the folder can be used.
bool EnsureFolder(const char* path) {
    return CreateDirectoryA(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// A shell shortcut |name|.lnk in |folder| to |fileName| of the install folder.
void LinkToInstalledFile(const char* folder, const char* name, const char* installDir,
                         const char* fileName) {
    char target[kFinishPathCapacity];
    char link[kFinishPathCapacity];
    if (!ComposeInstallTarget(installDir, fileName, target, sizeof target)) return;
    if (!ComposeShortcutPath(folder, name, ShortcutKind::kShellLink, link, sizeof link)) return;
    CreateShellLink(target, link, installDir);
}

// The shortcut to the program in |folder|: a shell shortcut, or an Internet
// shortcut opening |linkUrl| when that is not null.
void ProductShortcut(const char* folder, const char* installDir, const char* linkUrl) {
    if (!linkUrl) {
        LinkToInstalledFile(folder, g_szProductName, installDir, g_szProductExe);
        return;
    }
    char icon[kFinishPathCapacity];
    char path[kFinishPathCapacity];
    if (!ComposeInstallTarget(installDir, g_szProductExe, icon, sizeof icon)) return;
    if (!ComposeShortcutPath(folder, g_szProductName, ShortcutKind::kInternetShortcut, path,
                             sizeof path))
        return;
    WriteInternetShortcut(icon, path, linkUrl);
}

// Both sets, in their fixed order; |linkUrl| null makes the standard one.
bool CreateShortcutSet(const FinishPlaces& places, const char* linkUrl) {
    const char* installDir = places.installDir;
    if (places.desktopDir) {
        char desktop[kFinishPathCapacity];
        if (ComposeFolderWithSeparator(places.desktopDir, desktop, sizeof desktop)) {
            if (!EnsureFolder(desktop)) return false;
            ProductShortcut(places.desktopDir, installDir, linkUrl);
        }
    }
    // A group path that does not fit is a group that cannot be made.
    char group[kFinishPathCapacity];
    if (!places.programsDir ||
        !ComposeGroupFolder(places.programsDir, g_szGroupName, group, sizeof group) ||
        !EnsureFolder(group))
        return false;
    ProductShortcut(group, installDir, linkUrl);
    if (g_szHelpExe[0]) LinkToInstalledFile(group, g_szHelpLinkName, installDir, g_szHelpExe);
    LinkToInstalledFile(group, g_szUninstLinkName, installDir, g_szUninstExe);
    RegisterUninstallEntry(places.registryRoot, installDir);
    return true;
}

LONG SetTextValue(HKEY key, const char* name, const RegistryText& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text),
                          value.storedSize);
}

// Stores both values, each on its own: a text that does not fit is left out.
LONG StoreUninstallValues(HKEY entry, const char* installDir) {
    RegistryText value;
    LONG nameResult = ComposeDisplayName(g_szUninstKeyName, &value)
                          ? SetTextValue(entry, "DisplayName", value)
                          : ERROR_INSUFFICIENT_BUFFER;
    LONG commandResult = ComposeUninstallString(installDir, g_szUninstExe, &value)
                             ? SetTextValue(entry, "UninstallString", value)
                             : ERROR_INSUFFICIENT_BUFFER;
    return nameResult != ERROR_SUCCESS ? nameResult : commandResult;
}

}  // namespace

FinishPlaces CurrentUserPlaces(HWND owner, const char* installDir, SpecialFolderPaths* paths) {
    FinishPlaces places = {};
    places.installDir = installDir;
    if (SpecialFolderPath(owner, CSIDL_DESKTOP, paths->desktop)) places.desktopDir = paths->desktop;
    if (SpecialFolderPath(owner, CSIDL_PROGRAMS, paths->programs))
        places.programsDir = paths->programs;
    places.registryRoot = HKEY_LOCAL_MACHINE;
    return places;
}

HRESULT CreateShellLink(const char* target, const char* linkPath, const char* workingDir) {
    IShellLinkA* link = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void**>(&link));
    if (FAILED(result)) return result;
    IPersistFile* file = nullptr;
    result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (FAILED(result)) {
        link->Release();
        return result;
    }
    link->SetPath(target);
    link->SetWorkingDirectory(workingDir);
    WCHAR widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) == 0)
        result = HRESULT_FROM_WIN32(GetLastError());
    else
        result = file->Save(widePath, TRUE);
    file->Release();
    link->Release();
    return result;
}

void WriteInternetShortcut(const char* iconFile, const char* path, const char* url) {
    const size_t cap = InternetShortcutCapacity(url, iconFile);
    char* text = static_cast<char*>(malloc(cap));
    if (!text) return;
    // Binary mode: the text already ends its lines with CR LF.
    FILE* file = FormatInternetShortcut(url, iconFile, text, cap) ? fopen(path, "wb") : nullptr;
    if (file) {
        fputs(text, file);
        fflush(file);
        fclose(file);
    }
    free(text);
}

bool CreateStandardShortcuts(const FinishPlaces& places) { return CreateShortcutSet(places, nullptr); }

bool CreateExternalShortcuts(const FinishPlaces& places, const char* linkUrl) {
    return CreateShortcutSet(places, linkUrl ? linkUrl : "");
}

LONG RegisterUninstallEntry(HKEY root, const char* installDir) {
    HKEY uninstall = nullptr;
    LONG result = RegOpenKeyExA(root, kUninstallKeyPath, 0, KEY_READ, &uninstall);
    if (result != ERROR_SUCCESS) return result;
    char noClass[] = "";  // an empty class, not a missing one
    HKEY entry = nullptr;
    result = RegCreateKeyExA(uninstall, g_szUninstKeyName, 0, noClass, REG_OPTION_NON_VOLATILE,
                             KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &entry,
                             nullptr);
    if (result == ERROR_SUCCESS) {
        result = StoreUninstallValues(entry, installDir);
        RegCloseKey(entry);
    }
    RegCloseKey(uninstall);
    return result;
}
