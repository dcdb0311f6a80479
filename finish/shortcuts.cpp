#include "finish/shortcuts.h"

#include <shlobj.h>

#include "finish/finish_rules.h"
#include "fw/code_page.h"
#include "fw/folders.h"
#include "fw/scoped.h"
#include "fw/wide_calls.h"

namespace {

const char kUninstallKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The file-system path of a special folder into |out| (kPathCapacity bytes) as CP949;
// false when the shell does not know the location or CP949 cannot hold it.
bool SpecialFolderPath(HWND owner, int csidl, char* out) {
    ScopedCoTaskMem<ITEMIDLIST> items;
    if (SHGetSpecialFolderLocation(owner, csidl, items.Receive()) != S_OK) return false;
    WCHAR path[MAX_PATH] = L"";
    return SHGetPathFromIDListW(items.get(), path) && WideToCp949(path, out, kPathCapacity);
}

// A shell shortcut |name|.lnk in |folder| to |fileName| of the install folder.
void LinkToInstalledFile(const char* folder, const char* name, const char* installDir,
                         const char* fileName) {
    char target[kPathCapacity];
    char link[kPathCapacity];
    if (!ComposePath(target, sizeof target, {installDir, fileName})) return;
    if (!ComposeShortcutPath(folder, name, ShortcutKind::kShellLink, link, sizeof link)) return;
    CreateShellLink(target, link, installDir);
}

// The shortcut to the program in |folder|: a shell shortcut, or an Internet
// shortcut opening |linkUrl| when that is not null.
void ProductShortcut(const ProductProfile& profile, const char* folder, const char* installDir,
                     const char* linkUrl) {
    if (!linkUrl) {
        LinkToInstalledFile(folder, profile.productName, installDir, profile.productExe);
        return;
    }
    char icon[kPathCapacity];
    char path[kPathCapacity];
    if (!ComposePath(icon, sizeof icon, {installDir, profile.productExe})) return;
    if (!ComposeShortcutPath(folder, profile.productName, ShortcutKind::kInternetShortcut, path,
                             sizeof path))
        return;
    WriteInternetShortcut(icon, path, linkUrl);
}

// The desktop shortcut, unless the desktop is unknown; false when its folder cannot be made
// sure of, which stops the set.
bool DesktopShortcut(const ProductProfile& profile, const FinishPlaces& places, const char* linkUrl) {
    if (!places.desktopDir) return true;
    char desktop[kPathCapacity];
    if (!ComposePath(desktop, sizeof desktop, {places.desktopDir, "\\"})) return true;
    if (!MakeFolder(desktop)) return false;
    ProductShortcut(profile, places.desktopDir, places.installDir, linkUrl);
    return true;
}

// Both sets, in their fixed order; |linkUrl| null makes the standard one.
bool CreateShortcutSet(const ProductProfile& profile, const FinishPlaces& places, const char* linkUrl) {
    const char* installDir = places.installDir;
    if (!DesktopShortcut(profile, places, linkUrl)) return false;
    // A group path that does not fit is a group that cannot be made.
    char group[kPathCapacity];
    if (!places.programsDir ||
        !ComposePath(group, sizeof group, {places.programsDir, "\\", profile.groupName}) ||
        !MakeFolder(group))
        return false;
    ProductShortcut(profile, group, installDir, linkUrl);
    if (profile.helpExe[0]) LinkToInstalledFile(group, profile.helpLinkName, installDir, profile.helpExe);
    LinkToInstalledFile(group, profile.uninstLinkName, installDir, profile.uninstExe);
    RegisterUninstallEntry(profile, places.registryRoot, installDir, places.extractedBytes);
    return true;
}

// The one place an uninstall value is stored: a REG_SZ text with its NUL, or a REG_DWORD.
LONG SetEntryValue(HKEY entry, const UninstallValue& value) {
    if (value.isNumber) return SetRegistryNumberCp949(entry, value.name, value.number);
    return SetRegistryTextCp949(entry, value.name, value.text.text);
}

// Stores each value on its own: a text that does not fit is left out.
LONG StoreUninstallValues(const ProductProfile& profile, HKEY entry, const InstallRecord& record) {
    UninstallValue values[kMaxUninstallValues];
    size_t count = ComposeUninstallValues(profile, record, values);
    LONG first = ERROR_SUCCESS;
    for (size_t i = 0; i < count; ++i) {
        LONG result = values[i].fits ? SetEntryValue(entry, values[i]) : ERROR_INSUFFICIENT_BUFFER;
        if (first == ERROR_SUCCESS) first = result;
    }
    return first;
}

// Today, as the entry's InstallDate gives it: the local date.
InstallRecord RecordOf(const char* installDir, uint64_t extractedBytes) {
    SYSTEMTIME today;
    GetLocalTime(&today);
    return {installDir, extractedBytes, today.wYear, today.wMonth, today.wDay};
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
    WideText wideTarget(target);
    WideText wideLink(linkPath);
    WideText wideWorkingDir(workingDir);
    if (!wideTarget.ok() || !wideLink.ok() || !wideWorkingDir.ok())
        return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    ScopedComPtr<IShellLinkW> link;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      reinterpret_cast<void**>(link.Receive()));
    if (FAILED(result)) return result;
    ScopedComPtr<IPersistFile> file;
    result = link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Receive()));
    if (FAILED(result)) return result;
    link.get()->SetPath(wideTarget.get());
    link.get()->SetWorkingDirectory(wideWorkingDir.get());
    return file.get()->Save(wideLink.get(), TRUE);
}

void WriteInternetShortcut(const char* iconFile, const char* path, const char* url) {
    const size_t cap = InternetShortcutCapacity(url, iconFile);
    ScopedMemory<char> text(static_cast<char*>(malloc(cap)));
    if (!text || !FormatInternetShortcut(url, iconFile, text.get(), cap)) return;
    // Binary mode: the text already ends its lines with CR LF.
    ScopedFile file(OpenFileCp949(path, "wb"));
    if (!file) return;
    fputs(text.get(), file.get());
    fflush(file.get());
}

bool CreateStandardShortcuts(const ProductProfile& profile, const FinishPlaces& places) {
    return CreateShortcutSet(profile, places, nullptr);
}

bool CreateExternalShortcuts(const ProductProfile& profile, const FinishPlaces& places,
                             const char* linkUrl) {
    return CreateShortcutSet(profile, places, linkUrl ? linkUrl : "");
}

LONG RegisterUninstallEntry(const ProductProfile& profile, HKEY root, const char* installDir,
                            uint64_t extractedBytes) {
    ScopedKey uninstall;
    LONG result = RegOpenKeyExA(root, kUninstallKeyPath, 0, KEY_READ, uninstall.Receive());
    if (result != ERROR_SUCCESS) return result;
    ScopedKey entry;
    result = CreateRegistryKeyCp949(uninstall.get(), profile.uninstKeyName,
                                    KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, entry.Receive());
    if (result != ERROR_SUCCESS) return result;
    return StoreUninstallValues(profile, entry.get(), RecordOf(installDir, extractedBytes));
}
