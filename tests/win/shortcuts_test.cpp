// The finishing steps against a real shell, file system and registry under
// Wine, redirected to scratch folders and a scratch key.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/profile.h"
#include "finish/shortcuts.h"
#include "tests/win/finish_fixture.h"

namespace {

using Names = std::vector<std::string>;

std::string Lnk(const char* name) { return std::string(name) + ".lnk"; }
std::string Url(const char* name) { return std::string(name) + ".url"; }

std::string UrlFileBytes(const std::string& url, const std::string& iconFile) {
    return "[InternetShortcut]\r\nURL=" + url + "\r\nIconIndex=0\r\nIconFile=" + iconFile + "\r\n";
}

using ShellLinkTest = FinishScratch;

TEST_F(ShellLinkTest, TargetAndWorkingFolderOnly) {
    ASSERT_TRUE(CreateDirectoryA(groupDir.c_str(), nullptr));
    const std::string path = groupDir + "\\" + Lnk(g_profile.uninstLinkName);  // Korean folder
    const std::string target = installDir + "UNINST.EXE";
    ASSERT_EQ(CreateShellLink(target.c_str(), path.c_str(), installDir.c_str()), S_OK);

    LinkFacts link = ReadShellLink(path);
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.target, target);
    EXPECT_EQ(link.workingDir, installDir);  // with its trailing backslash
    EXPECT_EQ(link.arguments, "");
    EXPECT_EQ(link.description, "");
    EXPECT_EQ(link.iconFile, "");
    EXPECT_EQ(link.iconIndex, 0);
    EXPECT_EQ(link.hotkey, 0);
    EXPECT_EQ(link.showCommand, SW_SHOWNORMAL);

    const std::string other = installDir + "Velmora.EXE";
    ASSERT_EQ(CreateShellLink(other.c_str(), path.c_str(), installDir.c_str()), S_OK);
    EXPECT_EQ(ReadShellLink(path).target, other) << "an existing shortcut is overwritten";
}

TEST_F(ShellLinkTest, SaveFailureIsTheResult) {
    const std::string path = desktopDir + "\\missing\\Velmora.lnk";
    EXPECT_TRUE(FAILED(CreateShellLink((installDir + "Velmora.EXE").c_str(), path.c_str(),
                                       installDir.c_str())));
    EXPECT_FALSE(PathExists(path));
}

using InternetShortcutTest = FinishScratch;

TEST_F(InternetShortcutTest, BytesAreExactAndReplaceAnOlderFile) {
    const std::string icon = installDir + "Velmora.EXE";
    const std::string path = desktopDir + "\\Velmora.url";
    const char* urls[] = {"http://localhost/velmora?a=%s&b=%d", "", "http://a.example/벨모라"};
    for (const char* url : urls) {
        SCOPED_TRACE(url);
        ASSERT_TRUE(WriteFileBytes(path, std::string(4096, 'x')));  // longer than the new file
        WriteInternetShortcut(icon.c_str(), path.c_str(), url);
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(path, &bytes));
        EXPECT_EQ(bytes, UrlFileBytes(url, icon));
    }
}

TEST_F(InternetShortcutTest, LongUrlIsWrittenWhole) {
    const std::string url = "http://localhost/" + std::string(3000, 'q');
    const std::string path = desktopDir + "\\Velmora.url";
    WriteInternetShortcut("C:\\Velmora.EXE", path.c_str(), url.c_str());
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, &bytes));
    EXPECT_EQ(bytes, UrlFileBytes(url, "C:\\Velmora.EXE"));
}

TEST_F(InternetShortcutTest, UnopenableFileIsSkipped) {
    const std::string path = desktopDir + "\\missing\\Velmora.url";
    WriteInternetShortcut("C:\\Velmora.EXE", path.c_str(), "http://localhost/");
    EXPECT_FALSE(PathExists(path));
}

using UninstallEntryTest = FinishScratch;

TEST_F(UninstallEntryTest, EveryValueWithItsTypeAndSize) {
    SYSTEMTIME before;
    GetLocalTime(&before);
    ASSERT_EQ(RegisterUninstallEntry(g_profile, registryRoot, installDir.c_str(), 1048577), ERROR_SUCCESS);
    RegistryValue name = ReadRegistryValue(registryRoot, EntryKey().c_str(), "DisplayName");
    ASSERT_TRUE(name.found);
    EXPECT_EQ(name.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(name.text, g_profile.uninstKeyName);
    EXPECT_EQ(name.size, strlen(g_profile.uninstKeyName) + 1);

    RegistryValue command = ReadRegistryValue(registryRoot, EntryKey().c_str(), "UninstallString");
    const std::string expected = installDir + g_profile.uninstExe;  // a blank, yet no quotation marks
    ASSERT_TRUE(command.found);
    EXPECT_EQ(command.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(command.text, expected);
    EXPECT_EQ(command.size, expected.size() + 1);

    const std::string texts[][2] = {{"DisplayIcon", installDir + g_profile.productExe},
                                    {"InstallLocation", installDir},
                                    {"DisplayVersion", g_profile.displayVersion},
                                    {"Publisher", g_profile.publisher},
                                    {"URLInfoAbout", g_profile.urlInfoAbout}};
    for (const auto& text : texts) {
        RegistryValue value = ReadRegistryValue(registryRoot, EntryKey().c_str(), text[0].c_str());
        EXPECT_TRUE(value.found && value.type == REG_SZ) << text[0];
        EXPECT_EQ(value.text, text[1]);
        EXPECT_EQ(value.size, text[1].size() + 1) << text[0];
    }
    const std::pair<const char*, DWORD> numbers[] = {{"EstimatedSize", 1025}, {"NoModify", 1}, {"NoRepair", 1}};
    for (const auto& number : numbers) {
        RegistryValue value = ReadRegistryValue(registryRoot, EntryKey().c_str(), number.first);
        EXPECT_TRUE(value.found && value.type == REG_DWORD && value.size == 4) << number.first;
        EXPECT_EQ(value.number, number.second) << number.first;
    }
    // The local date of the run (read on both sides of it: the day may turn meanwhile).
    SYSTEMTIME after;
    GetLocalTime(&after);
    RegistryValue date = ReadRegistryValue(registryRoot, EntryKey().c_str(), "InstallDate");
    char first[16], last[16];
    snprintf(first, sizeof first, "%04u%02u%02u", before.wYear, before.wMonth, before.wDay);
    snprintf(last, sizeof last, "%04u%02u%02u", after.wYear, after.wMonth, after.wDay);
    EXPECT_TRUE(date.found && date.type == REG_SZ && date.size == 9);
    EXPECT_TRUE(date.text == first || date.text == last) << date.text;
    EXPECT_EQ(EntryValueCount(), kWholeEntryValues);
}

TEST_F(UninstallEntryTest, EarlierValuesAreReplaced) {
    HKEY entry;
    ASSERT_EQ(RegCreateKeyExA(registryRoot, EntryKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &entry, nullptr),
              ERROR_SUCCESS);
    const std::string old(200, 'o');
    RegSetValueExA(entry, "UninstallString", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(old.c_str()), old.size() + 1);
    RegCloseKey(entry);

    ASSERT_EQ(RegisterUninstallEntry(g_profile, registryRoot, "C:\\", 0), ERROR_SUCCESS);
    RegistryValue command = ReadRegistryValue(registryRoot, EntryKey().c_str(), "UninstallString");
    EXPECT_EQ(command.text, std::string("C:\\") + g_profile.uninstExe);
    EXPECT_EQ(command.size, strlen("C:\\") + strlen(g_profile.uninstExe) + 1);
}

TEST_F(UninstallEntryTest, MissingUninstallKeyWritesNothing) {
    HKEY empty;
    ASSERT_EQ(RegCreateKeyExA(registryRoot, "Empty", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &empty, nullptr),
              ERROR_SUCCESS);
    EXPECT_NE(RegisterUninstallEntry(g_profile, empty, installDir.c_str(), 0), ERROR_SUCCESS);
    HKEY opened;
    EXPECT_NE(RegOpenKeyExA(empty, "SOFTWARE", 0, KEY_READ, &opened), ERROR_SUCCESS);
    RegCloseKey(empty);
}

TEST_F(UninstallEntryTest, CommandTooLongIsLeftOut) {
    const std::string dir = "C:\\" + std::string(251, 'd') + "\\";  // + "UNINST.EXE" > 259 bytes
    EXPECT_NE(RegisterUninstallEntry(g_profile, registryRoot, dir.c_str(), 0), ERROR_SUCCESS);
    EXPECT_TRUE(ReadRegistryValue(registryRoot, EntryKey().c_str(), "DisplayName").found);
    EXPECT_FALSE(ReadRegistryValue(registryRoot, EntryKey().c_str(), "UninstallString").found);
}

using ShortcutSetTest = FinishScratch;

TEST_F(ShortcutSetTest, StandardSet) {
    EXPECT_TRUE(CreateStandardShortcuts(g_profile, places));
    EXPECT_EQ(ListFolder(desktopDir), Names{Lnk(g_profile.productName)});
    EXPECT_EQ(ListFolder(groupDir), (Names{Lnk(g_profile.uninstLinkName), Lnk(g_profile.productName)}));
    const std::string product = installDir + g_profile.productExe;
    for (const std::string& folder : {desktopDir, groupDir}) {
        LinkFacts link = ReadShellLink(folder + "\\" + Lnk(g_profile.productName));
        EXPECT_EQ(link.target, product);
        EXPECT_EQ(link.workingDir, installDir);
    }
    LinkFacts uninstall = ReadShellLink(groupDir + "\\" + Lnk(g_profile.uninstLinkName));
    EXPECT_EQ(uninstall.target, installDir + g_profile.uninstExe);
    EXPECT_EQ(uninstall.workingDir, installDir);
    EXPECT_EQ(EntryValueCount(), kWholeEntryValues);
}

TEST_F(ShortcutSetTest, ExternalSet) {
    const char kUrl[] = "http://localhost/velmora/start";
    EXPECT_TRUE(CreateExternalShortcuts(g_profile, places, kUrl));
    EXPECT_EQ(ListFolder(desktopDir), Names{Url(g_profile.productName)});
    EXPECT_EQ(ListFolder(groupDir), (Names{Lnk(g_profile.uninstLinkName), Url(g_profile.productName)}));
    for (const std::string& folder : {desktopDir, groupDir}) {
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(folder + "\\" + Url(g_profile.productName), &bytes));
        EXPECT_EQ(bytes, UrlFileBytes(kUrl, installDir + g_profile.productExe));
    }
    EXPECT_EQ(ReadShellLink(groupDir + "\\" + Lnk(g_profile.uninstLinkName)).target,
              installDir + g_profile.uninstExe);
    EXPECT_EQ(EntryValueCount(), kWholeEntryValues);
}

TEST_F(ShortcutSetTest, ExistingGroupIsReusedAndOverwritten) {
    ASSERT_TRUE(CreateDirectoryA(groupDir.c_str(), nullptr));
    const std::string productLink = groupDir + "\\" + Lnk(g_profile.productName);
    ASSERT_EQ(CreateShellLink("C:\\old\\old.exe", productLink.c_str(), "C:\\old\\"), S_OK);
    ASSERT_TRUE(WriteFileBytes(groupDir + "\\other.lnk", "kept"));

    EXPECT_TRUE(CreateStandardShortcuts(g_profile, places));
    EXPECT_EQ(ReadShellLink(productLink).target, installDir + g_profile.productExe);
    EXPECT_EQ(ReadShellLink(productLink).workingDir, installDir);
    EXPECT_TRUE(PathExists(groupDir + "\\other.lnk"));
    EXPECT_EQ(EntryValueCount(), kWholeEntryValues);
}

TEST_F(ShortcutSetTest, PathThatDoesNotFitSkipsOnlyThatItem) {
    // 249 bytes: the program's path needs 261 with its NUL, the uninstaller's 260.
    const std::string longDir = "C:\\" + std::string(245, 'd') + "\\";
    places.installDir = longDir.c_str();
    EXPECT_TRUE(CreateStandardShortcuts(g_profile, places));
    EXPECT_EQ(ListFolder(desktopDir), Names{});
    EXPECT_EQ(ListFolder(groupDir), Names{Lnk(g_profile.uninstLinkName)});
    EXPECT_EQ(ReadShellLink(groupDir + "\\" + Lnk(g_profile.uninstLinkName)).target,
              longDir + g_profile.uninstExe);
    EXPECT_EQ(EntryValueCount(), kWholeEntryValues - 1);  // DisplayIcon, the program's path, too
    EXPECT_FALSE(ReadRegistryValue(registryRoot, EntryKey().c_str(), "DisplayIcon").found);
}

// The stop rules: which of desktop shortcut, group and entry a run leaves.
struct StopCase {
    const char* what;
    const char* desktop;   // relative to the scratch folder; null: location unavailable
    const char* programs;  // likewise
    bool completed, desktopLink, group, entry;
};

const StopCase kStopCases[] = {
    {"all there", "Desktop", "Programs", true, true, true, true},
    {"desktop unavailable", nullptr, "Programs", true, false, true, true},
    {"desktop cannot be made", "missing\\Desktop", "Programs", false, false, false, false},
    {"Programs unavailable", "Desktop", nullptr, false, true, false, false},
    {"group cannot be made", "Desktop", "missing\\Programs", false, true, false, false},
};

TEST_F(ShortcutSetTest, StopRules) {
    const std::string root = installDir.substr(0, installDir.rfind('\\', installDir.size() - 2) + 1);
    for (const StopCase& c : kStopCases) {
        for (bool external : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (external ? ", external set" : ", standard set"));
            ForgetEarlierRun();

            const std::string desktop = c.desktop ? root + c.desktop : "";
            const std::string programs = c.programs ? root + c.programs : "";
            places.desktopDir = c.desktop ? desktop.c_str() : nullptr;
            places.programsDir = c.programs ? programs.c_str() : nullptr;
            const bool completed = external ? CreateExternalShortcuts(g_profile, places, "http://localhost/")
                                            : CreateStandardShortcuts(g_profile, places);
            EXPECT_EQ(completed, c.completed);
            const std::string desktopFile = external ? Url(g_profile.productName) : Lnk(g_profile.productName);
            EXPECT_EQ(PathExists(desktopDir + "\\" + desktopFile), c.desktopLink);
            EXPECT_EQ(PathExists(groupDir + "\\" + Lnk(g_profile.uninstLinkName)), c.group);
            EXPECT_EQ(EntryValueCount() == kWholeEntryValues, c.entry);
        }
    }
}

// A file with the group's name answers ERROR_ALREADY_EXISTS like a folder
// (on Windows and under Wine), so the run does not stop there: the group's
// shortcuts cannot be saved, and the entry is still made.
TEST_F(ShortcutSetTest, FileInPlaceOfTheGroupDoesNotStopTheRun) {
    ASSERT_TRUE(WriteFileBytes(groupDir, "not a folder"));
    EXPECT_TRUE(CreateStandardShortcuts(g_profile, places));
    EXPECT_TRUE(PathExists(desktopDir + "\\" + Lnk(g_profile.productName)));
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(groupDir, &bytes));
    EXPECT_EQ(bytes, "not a folder");
    EXPECT_EQ(EntryValueCount(), kWholeEntryValues);
}

}  // namespace
