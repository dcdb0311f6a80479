// Reads the resources of the real velmora_setup.exe, as Windows would.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "profile_values.h"
#include "res/resource.h"
#include "tests/win/test_support.h"

namespace {

class SetupResources : public ::testing::Test {
protected:
    void SetUp() override {
        std::string exe = PathBesideTestProgram("velmora_setup.exe");
        module_ = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << exe;
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    // The bytes of one resource, empty when it is missing.
    std::string Bytes(const char* name, const char* type) {
        HRSRC found = FindResourceA(module_, name, type);
        if (!found) return std::string();
        HGLOBAL loaded = LoadResource(module_, found);
        const char* data = static_cast<const char*>(LockResource(loaded));
        return data ? std::string(data, SizeofResource(module_, found)) : std::string();
    }
    HMODULE module_ = nullptr;
};

TEST_F(SetupResources, ManifestRequestsAdministratorFromIdOne) {
    std::string manifest = Bytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_FALSE(manifest.empty()) << "Windows reads an executable's manifest only from id 1";
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(manifest.find("processorArchitecture=\"X86\""), std::string::npos);
    EXPECT_TRUE(Bytes(MAKEINTRESOURCEA(173), MAKEINTRESOURCEA(24)).empty());
}

TEST_F(SetupResources, BannerIsUncompressedEightBitWithFullPalette) {
    std::string bitmap = Bytes(MAKEINTRESOURCEA(IDB_BANNER), MAKEINTRESOURCEA(2));
    ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    memcpy(&header, bitmap.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 471);
    EXPECT_EQ(header.biHeight, 252);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_TRUE(header.biClrUsed == 0 || header.biClrUsed == 256);
    const size_t row = (471 + 3) / 4 * 4;
    EXPECT_EQ(bitmap.size(), sizeof header + 256 * sizeof(RGBQUAD) + row * 252);
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_F(SetupResources, IconGroupHoldsTheThreeImages) {
    std::string group = Bytes(MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(14));
    ASSERT_GE(group.size(), 6u);
    WORD count;
    memcpy(&count, group.data() + 4, sizeof count);
    ASSERT_EQ(count, 3);
    ASSERT_EQ(group.size(), 6 + 3 * sizeof(IconGroupEntry));
    int found32x4 = 0, found32x8 = 0, found48x8 = 0;
    for (int i = 0; i < 3; ++i) {
        IconGroupEntry entry;
        memcpy(&entry, group.data() + 6 + i * sizeof entry, sizeof entry);
        if (entry.width == 32 && entry.height == 32 && entry.bitCount == 4) ++found32x4;
        if (entry.width == 32 && entry.height == 32 && entry.bitCount == 8) ++found32x8;
        if (entry.width == 48 && entry.height == 48 && entry.bitCount == 8) ++found48x8;
        EXPECT_FALSE(Bytes(MAKEINTRESOURCEA(entry.id), MAKEINTRESOURCEA(3)).empty());
    }
    EXPECT_EQ(found32x4, 1);
    EXPECT_EQ(found32x8, 1);
    EXPECT_EQ(found48x8, 1);
}

TEST_F(SetupResources, AgreementTextIsCp949WithCrLfAndNoTerminator) {
    std::string text = Bytes("VELMORA_CONTRACT", "TEXT");
    ASSERT_FALSE(text.empty());
    EXPECT_LT(text.size(), 5000u) << "the dialog shows at most 4999 bytes";
    EXPECT_EQ(text.find('\0'), std::string::npos);
    int lines = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n') continue;
        ++lines;
        ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at byte " << i;
    }
    EXPECT_GE(lines, 60);
    // Every byte sequence must be valid code page 949.
    int wide = MultiByteToWideChar(949, MB_ERR_INVALID_CHARS, text.data(), (int)text.size(), nullptr, 0);
    EXPECT_GT(wide, 0);
}

TEST_F(SetupResources, VersionRecordIsKorean) {
    std::string exe = PathBesideTestProgram("velmora_setup.exe");
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, &block[0]));

    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0412);
    EXPECT_EQ(translation[1], 1200);

    struct Entry { const char* name; const char* value; };
    const Entry kEntries[] = {
        {"FileDescription", "탄드렐 제품 설치 프로그램"},
        {"ProductName", "탄드렐 제품 설치 프로그램"},
        {"FileVersion", "1, 1, 0, 1"},
        {"ProductVersion", "1, 1, 0, 1"},
    };
    for (const Entry& e : kEntries) {
        char* value = nullptr;
        std::string key = std::string("\\StringFileInfo\\041204B0\\") + e.name;
        ASSERT_TRUE(VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            << e.name;
        EXPECT_STREQ(value, e.value) << e.name;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

}  // namespace
