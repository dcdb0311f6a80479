#include "finish/finish_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kDesktop[] = "C:\\users\\root\\Desktop";
const char kPrograms[] = "C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";

struct TargetCase {
    const char* installDir;
    const char* program;
    const char* uninstallString;
};

const TargetCase kTargetCases[] = {
    {"C:\\Program Files\\Velmora\\", "C:\\Program Files\\Velmora\\Velmora.EXE",
     "C:\\Program Files\\Velmora\\UNINST.EXE"},  // no quotation marks despite the blank
    {"C:\\", "C:\\Velmora.EXE", "C:\\UNINST.EXE"},
    {"D:\\게임\\벨모라\\", "D:\\게임\\벨모라\\Velmora.EXE", "D:\\게임\\벨모라\\UNINST.EXE"},
};

TEST(InstallTargets, ProgramAndUninstaller) {
    for (const TargetCase& c : kTargetCases) {
        SCOPED_TRACE(c.installDir);
        char out[kPathCapacity];
        EXPECT_TRUE(ComposePath(out, sizeof(out), {c.installDir, "Velmora.EXE"}));
        EXPECT_STREQ(out, c.program);

        RegistryText value;
        EXPECT_TRUE(ComposeUninstallString(c.installDir, "UNINST.EXE", &value));
        EXPECT_STREQ(value.text, c.uninstallString);
        EXPECT_EQ(value.storedSize, strlen(c.uninstallString) + 1);
    }
}

TEST(InstallTargets, TooLongIsSkippedNotCut) {
    char out[kPathCapacity];
    const std::string dir = "C:\\" + std::string(244, 'd') + "\\";  // 248 bytes
    EXPECT_TRUE(ComposePath(out, sizeof(out), {dir.c_str(), "Velmora.EXE"}));  // 260 - 1
    EXPECT_FALSE(ComposePath(out, sizeof(out), {dir.c_str(), "Velmora.EXEx"}));
    EXPECT_STREQ(out, "");

    RegistryText value;
    EXPECT_TRUE(ComposeUninstallString(dir.c_str(), "UNINST.EXE", &value));
    EXPECT_FALSE(ComposeUninstallString(dir.c_str(), "UNINST.EXE.x", &value));
    EXPECT_STREQ(value.text, "");
    EXPECT_EQ(value.storedSize, 0u);
}

TEST(ComposeDisplayName, SizeCountsTheTerminator) {
    RegistryText value;
    EXPECT_TRUE(ComposeDisplayName("Velmora", &value));
    EXPECT_STREQ(value.text, "Velmora");
    EXPECT_EQ(value.storedSize, 8u);
    EXPECT_TRUE(ComposeDisplayName("탄드렐", &value));
    EXPECT_EQ(value.storedSize, 7u);  // three CP949 characters of two bytes
    EXPECT_FALSE(ComposeDisplayName(std::string(260, 'k').c_str(), &value));
}

struct ShortcutCase {
    const char* folder;
    const char* name;
    ShortcutKind kind;
    const char* path;
};

const ShortcutCase kShortcutCases[] = {
    {kDesktop, "Velmora", ShortcutKind::kShellLink, "C:\\users\\root\\Desktop\\Velmora.lnk"},
    {kDesktop, "Velmora", ShortcutKind::kInternetShortcut, "C:\\users\\root\\Desktop\\Velmora.url"},
    {"C:\\P\\탄드렐", "Velmora 삭제 프로그램", ShortcutKind::kShellLink,
     "C:\\P\\탄드렐\\Velmora 삭제 프로그램.lnk"},
    {"C:\\P\\탄드렐", "Velmora 도움말", ShortcutKind::kShellLink, "C:\\P\\탄드렐\\Velmora 도움말.lnk"},
};

TEST(ComposeShortcutPath, FolderNameAndExtension) {
    for (const ShortcutCase& c : kShortcutCases) {
        SCOPED_TRACE(c.path);
        char out[kPathCapacity];
        EXPECT_TRUE(ComposeShortcutPath(c.folder, c.name, c.kind, out, sizeof(out)));
        EXPECT_STREQ(out, c.path);
    }
    char out[kPathCapacity];
    const std::string folder = "C:\\" + std::string(243, 'f');  // 246 + "\Velmora.lnk" = 258
    EXPECT_TRUE(ComposeShortcutPath(folder.c_str(), "Velmora", ShortcutKind::kShellLink, out, sizeof(out)));
    EXPECT_TRUE(ComposeShortcutPath(folder.c_str(), "Velmora1", ShortcutKind::kShellLink, out, sizeof(out)));
    EXPECT_FALSE(ComposeShortcutPath(folder.c_str(), "Velmora12", ShortcutKind::kShellLink, out, sizeof(out)));
    EXPECT_STREQ(out, "");
}

TEST(ProgramGroup, GroupAndDesktopFolders) {
    char out[kPathCapacity];
    EXPECT_TRUE(ComposePath(out, sizeof(out), {kPrograms, "\\", "탄드렐"}));
    EXPECT_EQ(std::string(out), std::string(kPrograms) + "\\탄드렐");
    EXPECT_TRUE(ComposePath(out, sizeof(out), {kDesktop, "\\"}));
    EXPECT_STREQ(out, "C:\\users\\root\\Desktop\\");
    EXPECT_FALSE(ComposePath(out, strlen(kPrograms) + 7, {kPrograms, "\\", "탄드렐"}));
    EXPECT_STREQ(out, "");
    EXPECT_TRUE(ComposePath(out, strlen(kPrograms) + 8, {kPrograms, "\\", "탄드렐"}));
}

struct UrlFileCase {
    const char* url;
    const char* iconFile;
    const char* bytes;
};

const UrlFileCase kUrlFileCases[] = {
    {"http://a.example/velmora", "D:\\Velmora\\Velmora.EXE",
     "[InternetShortcut]\r\nURL=http://a.example/velmora\r\nIconIndex=0\r\n"
     "IconFile=D:\\Velmora\\Velmora.EXE\r\n"},
    {"", "C:\\Velmora.EXE",
     "[InternetShortcut]\r\nURL=\r\nIconIndex=0\r\nIconFile=C:\\Velmora.EXE\r\n"},
    {"http://a.example/?q=%s%d", "C:\\Program Files\\Velmora\\Velmora.EXE",  // URL taken as is
     "[InternetShortcut]\r\nURL=http://a.example/?q=%s%d\r\nIconIndex=0\r\n"
     "IconFile=C:\\Program Files\\Velmora\\Velmora.EXE\r\n"},
};

TEST(FormatInternetShortcut, FourLinesEndedByCrLf) {
    for (const UrlFileCase& c : kUrlFileCases) {
        SCOPED_TRACE(c.url);
        char out[1024];
        EXPECT_TRUE(FormatInternetShortcut(c.url, c.iconFile, out, sizeof(out)));
        EXPECT_EQ(std::string(out), std::string(c.bytes));
    }
}

TEST(FormatInternetShortcut, CapacityIsExact) {
    for (const UrlFileCase& c : kUrlFileCases) {
        SCOPED_TRACE(c.url);
        const size_t cap = InternetShortcutCapacity(c.url, c.iconFile);
        EXPECT_EQ(cap, strlen(c.bytes) + 1);
        std::string out(cap, 'x');
        EXPECT_TRUE(FormatInternetShortcut(c.url, c.iconFile, &out[0], cap));
        EXPECT_FALSE(FormatInternetShortcut(c.url, c.iconFile, &out[0], cap - 1));
    }
    const std::string longUrl = "http://a.example/" + std::string(5000, 'u');
    const size_t cap = InternetShortcutCapacity(longUrl.c_str(), "C:\\Velmora.EXE");
    std::string out(cap, 'x');
    EXPECT_TRUE(FormatInternetShortcut(longUrl.c_str(), "C:\\Velmora.EXE", &out[0], cap));
}

TEST(FormatInternetShortcut, TooLongIsSkipped) {
    const char kExpected[] = "[InternetShortcut]\r\nURL=u\r\nIconIndex=0\r\nIconFile=i\r\n";
    char out[sizeof(kExpected)];
    EXPECT_TRUE(FormatInternetShortcut("u", "i", out, sizeof(out)));
    EXPECT_FALSE(FormatInternetShortcut("u", "i", out, sizeof(out) - 1));
    EXPECT_STREQ(out, "");
}

TEST(FormatRunQuestion, NamesTheProduct) {
    char out[kPathCapacity];
    EXPECT_TRUE(FormatRunQuestion("Velmora", out, sizeof(out)));
    EXPECT_STREQ(out, "설치를 성공적으로 마쳤습니다.\n\nVelmora을(를) 지금 실행하겠습니까?");
    EXPECT_TRUE(FormatRunQuestion("벨모라", out, sizeof(out)));
    EXPECT_STREQ(out, "설치를 성공적으로 마쳤습니다.\n\n벨모라을(를) 지금 실행하겠습니까?");
    EXPECT_FALSE(FormatRunQuestion(std::string(250, 'p').c_str(), out, sizeof(out)));
}

const char kRunArgs[] = "-run now";     // the "/axs:" rest
const char kLaunchArgs[] = "-launched";  // the profile's

// The variant and what the product is started with, from the profile's archive
// name and suffix and the command line.
struct VariantCase {
    const char* archiveName;
    const char* directSuffix;
    bool externalMode;
    CompletionVariant variant;
    const char* parameters;  // null: none
};

const VariantCase kVariantCases[] = {
    {"velmora_direct.zip", "_direct.zip", false, CompletionVariant::kDirect, nullptr},
    {"velmora_direct.zip", "_direct.zip", true, CompletionVariant::kDirect, nullptr},  // "/axs:" too
    {"velmora.zip", "_direct.zip", true, CompletionVariant::kExternal, kRunArgs},
    {"velmora.zip", "_direct.zip", false, CompletionVariant::kAsking, kLaunchArgs},
    {"velmora_DIRECT.zip", "_direct.zip", false, CompletionVariant::kAsking, kLaunchArgs},  // case-sensitive
    {"a_direct.zip.part", "_direct.zip", false, CompletionVariant::kDirect, nullptr},       // anywhere
    {"direct.zip", "_direct.zip", true, CompletionVariant::kExternal, kRunArgs},
    {nullptr, "_direct.zip", false, CompletionVariant::kAsking, kLaunchArgs},
};

TEST(ChooseCompletionVariant, FirstThatAppliesAndWhatTheProductGets) {
    for (const VariantCase& c : kVariantCases) {
        SCOPED_TRACE(c.archiveName ? c.archiveName : "(null)");
        SCOPED_TRACE(c.externalMode);
        CompletionVariant variant = ChooseCompletionVariant(c.archiveName, c.directSuffix, c.externalMode);
        EXPECT_EQ(variant, c.variant);
        EXPECT_STREQ(LaunchParametersFor(variant, kRunArgs, kLaunchArgs), c.parameters);
    }
}

// A profile with every value of the entry given, as Velmora's.
ProductProfile FullEntryProfile() {
    ProductProfile profile = {};
    profile.uninstKeyName = "Velmora";
    profile.uninstExe = "UNINST.EXE";
    profile.productExe = "Velmora.EXE";
    profile.displayVersion = "1.1.0.1";
    profile.publisher = "탄드렐";
    profile.urlInfoAbout = "https://velmora.example/";
    profile.noModify = 1;
    profile.noRepair = 1;
    return profile;
}

// "NAME=text" or "NAME#number" per value, "NAME!" for one that does not fit, joined by "|".
std::string Entry(const ProductProfile& profile, const InstallRecord& record) {
    UninstallValue values[kMaxUninstallValues];
    size_t count = ComposeUninstallValues(profile, record, values);
    std::string entry;
    for (size_t i = 0; i < count; ++i) {
        const UninstallValue& v = values[i];
        entry += entry.empty() ? "" : "|";
        entry += v.name;
        if (!v.fits) {
            entry += "!";
        } else if (v.isNumber) {
            entry += "#" + std::to_string(v.number);
        } else {
            entry += "=" + std::string(v.text.text);
            EXPECT_EQ(v.text.storedSize, strlen(v.text.text) + 1) << v.name;
        }
    }
    return entry;
}

const char kFullEntry[] =
    "DisplayName=Velmora|UninstallString=C:\\V 1\\UNINST.EXE|DisplayIcon=C:\\V 1\\Velmora.EXE|"
    "InstallLocation=C:\\V 1\\|DisplayVersion=1.1.0.1|Publisher=탄드렐|"
    "URLInfoAbout=https://velmora.example/|EstimatedSize#3|InstallDate=20260304|NoModify#1|NoRepair#1";

TEST(ComposeUninstallValues, EveryValueInItsOrder) {
    EXPECT_EQ(Entry(FullEntryProfile(), {"C:\\V 1\\", 2049, 2026, 3, 4}), kFullEntry);
}

TEST(ComposeUninstallValues, WhatTheProfileLeavesOutIsNotWritten) {
    ProductProfile profile = FullEntryProfile();
    profile.displayVersion = "";
    profile.urlInfoAbout = "";
    profile.noRepair = 0;
    EXPECT_EQ(Entry(profile, {"D:\\", 0, 2026, 12, 31}),
              "DisplayName=Velmora|UninstallString=D:\\UNINST.EXE|DisplayIcon=D:\\Velmora.EXE|"
              "InstallLocation=D:\\|Publisher=탄드렐|EstimatedSize#0|InstallDate=20261231|NoModify#1");
}

TEST(EstimatedSizeKiB, RoundedUp) {
    const uint64_t kCases[][2] = {{0, 0},
                                  {1, 1},
                                  {1023, 1},
                                  {1024, 1},
                                  {1025, 2},
                                  {104857600, 102400},
                                  {0xFFFFFFFFull * 1024, 0xFFFFFFFFull},
                                  {0xFFFFFFFFull * 1024 + 1, 0xFFFFFFFFull},  // saturates
                                  {UINT64_MAX, 0xFFFFFFFFull}};
    for (const auto& c : kCases) EXPECT_EQ(EstimatedSizeKiB(c[0]), c[1]) << c[0];
}

}  // namespace
