#include "tests/win/finish_fixture.h"

#include <objbase.h>
#include <shlobj.h>

#include "app/profile.h"

namespace {

const char kUninstallKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

void DeleteKeyTree(HKEY parent, const std::string& name) {
    if (name.empty()) return;  // an empty name would open |parent| itself
    HKEY key;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    char child[256];
    DWORD length = sizeof child;
    while (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
        DeleteKeyTree(key, child);
        length = sizeof child;
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name.c_str());
}

}  // namespace

LinkFacts ReadShellLink(const std::string& path) {
    LinkFacts facts;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return facts;
    IPersistFile* file = nullptr;
    WCHAR widePath[MAX_PATH];
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH) &&
        SUCCEEDED(file->Load(widePath, STGM_READ))) {
        char text[1024];
        facts.loaded = true;
        if (SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH))) facts.target = text;
        if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text))) facts.workingDir = text;
        if (SUCCEEDED(link->GetArguments(text, sizeof text))) facts.arguments = text;
        if (SUCCEEDED(link->GetDescription(text, sizeof text))) facts.description = text;
        if (SUCCEEDED(link->GetIconLocation(text, sizeof text, &facts.iconIndex)))
            facts.iconFile = text;
        link->GetHotkey(&facts.hotkey);
        link->GetShowCmd(&facts.showCommand);
    }
    if (file) file->Release();
    link->Release();
    return facts;
}

RegistryValue ReadRegistryValue(HKEY key, const char* subKey, const char* name) {
    RegistryValue value;
    HKEY opened;
    if (RegOpenKeyExA(key, subKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) return value;
    char data[1024] = {};
    value.size = sizeof data;
    value.found = RegQueryValueExA(opened, name, nullptr, &value.type,
                                   reinterpret_cast<BYTE*>(data), &value.size) == ERROR_SUCCESS;
    RegCloseKey(opened);
    if (value.found) value.text.assign(data, strnlen(data, value.size));
    if (value.found && value.type == REG_DWORD) memcpy(&value.number, data, sizeof value.number);
    return value;
}

void FinishScratch::SetUp() {
    registryPath_ = "Software\\VelmoraFinishTests_" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const std::string& root = scratch_.path();
    installDir = root + "벨모라 설치\\";
    desktopDir = root + "Desktop";
    programsDir = root + "Programs";
    groupDir = programsDir + "\\" + g_profile.groupName;
    for (const std::string& folder : {installDir, desktopDir, programsDir})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;

    DeleteKeyTree(HKEY_CURRENT_USER, registryPath_);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, registryPath_.c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &registryRoot, nullptr),
              ERROR_SUCCESS);
    HKEY uninstall;
    ASSERT_EQ(RegCreateKeyExA(registryRoot, kUninstallKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &uninstall, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(uninstall);

    places.installDir = installDir.c_str();
    places.desktopDir = desktopDir.c_str();
    places.programsDir = programsDir.c_str();
    places.registryRoot = registryRoot;
}

void FinishScratch::TearDown() {
    if (registryRoot) RegCloseKey(registryRoot);
    DeleteKeyTree(HKEY_CURRENT_USER, registryPath_);
    CoUninitialize();
}

std::string FinishScratch::EntryKey() const {
    return std::string(kUninstallKeyPath) + "\\" + g_profile.uninstKeyName;
}

void FinishScratch::ForgetEarlierRun() {
    RemoveTree(desktopDir);
    RemoveTree(groupDir);
    CreateDirectoryA(desktopDir.c_str(), nullptr);
    DeleteKeyTree(registryRoot, EntryKey());
}

int FinishScratch::EntryValueCount() const {
    HKEY entry;
    if (RegOpenKeyExA(registryRoot, EntryKey().c_str(), 0, KEY_READ, &entry) != ERROR_SUCCESS)
        return -1;
    DWORD values = 0;
    RegQueryInfoKeyA(entry, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                     nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(entry);
    return static_cast<int>(values);
}
