// Scratch places for the finishing steps: a desktop, a Programs folder and an
// install folder under a scratch folder, and a registry root under HKCU that
// holds its own SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall key.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "finish/shortcuts.h"
#include "tests/win/test_support.h"

// What a .lnk file holds, read back through IShellLinkA.
struct LinkFacts {
    bool loaded = false;
    std::string target, workingDir, arguments, description, iconFile;
    int iconIndex = -1;
    WORD hotkey = 0xFFFF;
    int showCommand = -1;
};
LinkFacts ReadShellLink(const std::string& path);

// A REG_SZ or REG_DWORD value read back with its stored size; found false when missing.
struct RegistryValue {
    bool found = false;
    DWORD type = 0;
    DWORD size = 0;
    std::string text;
    DWORD number = 0;  // a REG_DWORD's
};
RegistryValue ReadRegistryValue(HKEY key, const char* subKey, const char* name);

// The values of a whole uninstall entry of the profile under test: Velmora's gives them all.
const int kWholeEntryValues = 11;

class FinishScratch : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The install folder ends with a backslash; the others do not.
    std::string installDir, desktopDir, programsDir, groupDir;
    HKEY registryRoot = nullptr;
    FinishPlaces places = {};

    // The profile's sub-key under the scratch Uninstall key.
    std::string EntryKey() const;
    // Removes the desktop's and the group's content and the entry.
    void ForgetEarlierRun();
    // Number of values in the entry, -1 when there is no entry.
    int EntryValueCount() const;

private:
    ScratchDir scratch_{"finish"};
    std::string registryPath_;
};
