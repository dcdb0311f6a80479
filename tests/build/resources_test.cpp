// The resources of a built velmora_setup.exe, read from the file on the host: the manifest
// Windows applies, the banner, the icons, the agreement text and the version record. Runs on
// every host, so the shipped 32-bit program is checked also where it cannot be started.
//
// Environment: SETUP_EXE (the program), SETUP_BITS (32 or 64, the build's), CONTRACT_FILE (the
// agreement text as the build converted it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/build/pe_file.h"

namespace {

// Resource types and ids, as in <winuser.h> and res/resource.h.
const uint16_t kTypeBitmap = 2, kTypeIcon = 3, kTypeIconGroup = 14, kTypeManifest = 24;
const uint16_t kTypeVersion = 16;
const uint16_t kMainIconGroup = 128, kBanner = 176;

std::string Env(const char* name) {
    const char* value = getenv(name);
    return value ? value : "";
}

uint32_t U32(const std::string& s, size_t at) {
    uint32_t v = 0;
    memcpy(&v, s.data() + at, sizeof v);  // the host is little-endian, as the image
    return v;
}

uint16_t U16(const std::string& s, size_t at) {
    uint16_t v = 0;
    memcpy(&v, s.data() + at, sizeof v);
    return v;
}

class SetupResources : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(exe_.Load(Env("SETUP_EXE"))) << Env("SETUP_EXE"); }

    std::string Bytes(const ResourceKey& type, const ResourceKey& name) {
        std::string bytes;
        exe_.Resource(type, name, &bytes);
        return bytes;
    }

    PeFile exe_;
};

TEST_F(SetupResources, ManifestRequestsAdministratorFromIdOne) {
    std::string manifest = Bytes(kTypeManifest, 1);
    ASSERT_FALSE(manifest.empty()) << "Windows reads an executable's manifest only from id 1";
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    const char* architecture = Env("SETUP_BITS") == "64" ? "processorArchitecture=\"amd64\""
                                                         : "processorArchitecture=\"X86\"";
    EXPECT_NE(manifest.find(architecture), std::string::npos) << manifest;
    EXPECT_TRUE(Bytes(kTypeManifest, 173).empty());
}

TEST_F(SetupResources, BannerIsUncompressedEightBitWithFullPalette) {
    std::string bitmap = Bytes(kTypeBitmap, kBanner);
    const size_t kHeaderSize = 40;  // BITMAPINFOHEADER
    ASSERT_GE(bitmap.size(), kHeaderSize);
    EXPECT_EQ(static_cast<int32_t>(U32(bitmap, 4)), 471);   // biWidth
    EXPECT_EQ(static_cast<int32_t>(U32(bitmap, 8)), 252);   // biHeight
    EXPECT_EQ(U16(bitmap, 14), 8);                          // biBitCount
    EXPECT_EQ(U32(bitmap, 16), 0u);                         // biCompression: BI_RGB
    uint32_t colours = U32(bitmap, 32);                     // biClrUsed
    EXPECT_TRUE(colours == 0 || colours == 256);
    const size_t row = (471 + 3) / 4 * 4;
    EXPECT_EQ(bitmap.size(), kHeaderSize + 256 * 4 + row * 252);
}

TEST_F(SetupResources, IconGroupHoldsTheThreeImages) {
    std::string group = Bytes(kTypeIconGroup, kMainIconGroup);
    const size_t kEntrySize = 14;  // GRPICONDIRENTRY
    ASSERT_GE(group.size(), 6u);
    ASSERT_EQ(U16(group, 4), 3);
    ASSERT_EQ(group.size(), 6 + 3 * kEntrySize);
    int found32x4 = 0, found32x8 = 0, found48x8 = 0;
    for (int i = 0; i < 3; ++i) {
        size_t entry = 6 + i * kEntrySize;
        int width = static_cast<unsigned char>(group[entry]);
        int height = static_cast<unsigned char>(group[entry + 1]);
        int bits = U16(group, entry + 6);
        if (width == 32 && height == 32 && bits == 4) ++found32x4;
        if (width == 32 && height == 32 && bits == 8) ++found32x8;
        if (width == 48 && height == 48 && bits == 8) ++found48x8;
        EXPECT_FALSE(Bytes(kTypeIcon, U16(group, entry + 12)).empty());
    }
    EXPECT_EQ(found32x4, 1);
    EXPECT_EQ(found32x8, 1);
    EXPECT_EQ(found48x8, 1);
}

TEST_F(SetupResources, AgreementTextIsTheConvertedTextWithoutTerminator) {
    std::string text = Bytes("TEXT", "VELMORA_CONTRACT");
    ASSERT_FALSE(text.empty());
    std::ifstream file(Env("CONTRACT_FILE"), std::ios::binary);
    std::string converted((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, converted) << "the resource is the agreement text exactly as converted";
    EXPECT_LT(text.size(), 5000u) << "the dialog shows at most 4999 bytes";
    EXPECT_EQ(text.find('\0'), std::string::npos);
    int lines = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n') continue;
        ++lines;
        ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at byte " << i;
    }
    EXPECT_GE(lines, 60);
    EXPECT_TRUE(IsValidCp949(text));
}

TEST_F(SetupResources, VersionRecordIsKorean) {
    VersionBlock root;
    ASSERT_TRUE(ParseVersionBlock(Bytes(kTypeVersion, 1), &root));
    EXPECT_EQ(root.key, "VS_VERSION_INFO");

    const VersionBlock* variables = root.Child("VarFileInfo");
    const VersionBlock* translation = variables ? variables->Child("Translation") : nullptr;
    ASSERT_TRUE(translation && translation->value.size() >= 4);
    EXPECT_EQ(U16(translation->value, 0), 0x0412);
    EXPECT_EQ(U16(translation->value, 2), 1200);

    const VersionBlock* strings = root.Child("StringFileInfo");
    const VersionBlock* korean = strings ? strings->Child("041204B0") : nullptr;
    ASSERT_NE(korean, nullptr);
    struct Entry { const char* name; const char* value; };
    const Entry kEntries[] = {
        {"FileDescription", "탄드렐 제품 설치 프로그램"},
        {"ProductName", "탄드렐 제품 설치 프로그램"},
        {"FileVersion", "1, 1, 0, 1"},
        {"ProductVersion", "1, 1, 0, 1"},
    };
    for (const Entry& e : kEntries) {
        const VersionBlock* value = korean->Child(e.name);
        ASSERT_NE(value, nullptr) << e.name;
        EXPECT_EQ(Utf16ToUtf8(value->value), e.value) << e.name;
    }

    // VS_FIXEDFILEINFO
    const std::string& fixed = root.value;
    ASSERT_EQ(fixed.size(), 52u);
    EXPECT_EQ(U32(fixed, 0), 0xFEEF04BDu);   // dwSignature
    EXPECT_EQ(U32(fixed, 8), 0x00010000u);   // dwFileVersionMS
    EXPECT_EQ(U32(fixed, 12), 0x00000001u);  // dwFileVersionLS
    EXPECT_EQ(U32(fixed, 32), 0x4u);         // dwFileOS: VOS__WINDOWS32, "32-bit Windows"
    EXPECT_EQ(U32(fixed, 36), 1u);           // dwFileType: VFT_APP
}

}  // namespace
