// The conversions at the program's boundary, through the system's own tables: round trips of
// the program's texts, and the refusals that keep a name from turning into a near one.
#include "fw/code_page.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// UTF-8 spelled as bytes: narrow literals of this file are CP949 (-fexec-charset).
const char* Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

struct Utf8Case {
    const char* what;
    const char* utf8;
    const char* cp949;  // null: refused
};

TEST(Utf8ToCp949, ConvertsWhatCp949HoldsAndRefusesTheRest) {
    const Utf8Case kCases[] = {
        {"ASCII", "Velmora.EXE", "Velmora.EXE"},
        {"Korean folder and file", Utf8(u8"자료/설명서.txt"), "자료/설명서.txt"},
        // Fullwidth forms are characters of their own in CP949: never a separator or a dot.
        {"fullwidth reverse solidus", Utf8(u8"a＼b"), "a\xA1\xAC" "b"},
        {"fullwidth full stop", Utf8(u8"．．"), "\xA3\xAE\xA3\xAE"},
        {"empty", "", ""},
        {"an emoji", Utf8(u8"사진😀.jpg"), nullptr},
        {"a letter CP949 lacks (a best fit would make it A)", Utf8(u8"À.txt"), nullptr},
        {"a Chinese character CP949 lacks", Utf8(u8"们.txt"), nullptr},
        {"an overlong \"/\"", "a\xC0\xAF" "b", nullptr},
        {"an encoded surrogate", "\xED\xA0\x80", nullptr},
        {"a lone continuation byte", "a\x80", nullptr},
        {"a cut sequence", "\xEC\x9E", nullptr},
    };
    for (const Utf8Case& c : kCases) {
        SCOPED_TRACE(c.what);
        char out[64];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(Utf8ToCp949(c.utf8, out, sizeof out), c.cp949 != nullptr);
        EXPECT_STREQ(out, c.cp949 ? c.cp949 : "");
    }
}

struct WideCase {
    const char* what;
    const WCHAR* wide;
    const char* cp949;  // null: refused
};

TEST(WideToCp949, RoundTripsTheProgramsTextsAndRefusesWhatCp949Lacks) {
    const WideCase kCases[] = {
        {"title", L"Velmora 설치프로그램", "Velmora 설치프로그램"},
        {"path", L"C:\\벨모라 설치\\Velmora.EXE", "C:\\벨모라 설치\\Velmora.EXE"},
        {"line ends", L"설치가\r\n중단", "설치가\r\n중단"},
        {"an emoji", L"\xD83D\xDE00", nullptr},
        {"a lone surrogate", L"a\xD800" L"b", nullptr},
        {"a letter CP949 lacks", L"\x00C0", nullptr},
    };
    for (const WideCase& c : kCases) {
        SCOPED_TRACE(c.what);
        char out[64];
        EXPECT_EQ(WideToCp949(c.wide, out, sizeof out), c.cp949 != nullptr);
        EXPECT_STREQ(out, c.cp949 ? c.cp949 : "");
        if (!c.cp949) continue;
        WCHAR back[64];
        ASSERT_TRUE(Cp949ToWide(out, back, 64));
        EXPECT_EQ(std::wstring(back), std::wstring(c.wide));
    }
}

TEST(Cp949ToWide, RefusesBytesThatAreNotCp949) {
    const char* const kBad[] = {"a\x81", "\xFF\xFF", "\xC9\x20"};  // lone lead; no lead; a blank as trail
    for (const char* bad : kBad) {
        SCOPED_TRACE(bad);
        WCHAR out[8] = L"x";
        EXPECT_FALSE(Cp949ToWide(bad, out, 8));
        EXPECT_EQ(out[0], L'\0');
        WideText text(bad);
        EXPECT_FALSE(text.ok());
        EXPECT_STREQ(text.get(), L"");
    }
    EXPECT_EQ(WideText(nullptr).get(), nullptr);  // a missing text stays missing
}

// Nothing is cut: a text one unit too long for its buffer is refused, one that fits is whole.
TEST(CodePageConversions, RefuseWhatDoesNotFitInsteadOfCuttingIt) {
    char narrow[5];
    EXPECT_TRUE(WideToCp949(L"ab설", narrow, sizeof narrow));
    EXPECT_STREQ(narrow, "ab설");
    EXPECT_FALSE(WideToCp949(L"abc설", narrow, sizeof narrow));
    EXPECT_STREQ(narrow, "");
    EXPECT_FALSE(Utf8ToCp949(Utf8(u8"abc설"), narrow, sizeof narrow));
    WCHAR wide[3];
    EXPECT_TRUE(Cp949ToWide("설치", wide, 3));
    EXPECT_FALSE(Cp949ToWide("설치a", wide, 3));
    EXPECT_EQ(wide[0], L'\0');
}

}  // namespace
