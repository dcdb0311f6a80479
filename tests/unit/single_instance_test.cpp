#include "app/single_instance.h"

#include <gtest/gtest.h>

namespace {

const char kWord[] = "설치";
const char kMarker[] = "새봄설치";

struct WindowCase {
    const char* what;
    WindowFacts facts;
    bool expected;
};

const WindowCase kWindowCases[] = {
    {"idle setup dialog", {true, true, "Velmora 설치프로그램", kMarker}, true},
    {"template caption before the title is set", {true, true, "탄드렐 제품 설치  ", kMarker}, true},
    {"another program with the same marks counts", {true, true, "무언가 설치", kMarker}, true},
    {"disabled: a modal box of its own is open", {true, false, "Velmora 설치프로그램", kMarker}, false},
    {"owned window such as a message box", {false, true, "설치", kMarker}, false},
    {"title without the word", {true, true, "Velmora", kMarker}, false},
    {"no marker child", {true, true, "Velmora 설치프로그램", nullptr}, false},
    {"marker text differs", {true, true, "Velmora 설치프로그램", "새봄"}, false},
    {"marker text longer", {true, true, "Velmora 설치프로그램", "새봄설치 "}, false},
    {"empty title", {true, true, "", kMarker}, false},
};

TEST(IsRunningSetupWindow, RecognisesOnlyEnabledUnownedMarkedSetupWindows) {
    for (const WindowCase& c : kWindowCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IsRunningSetupWindow(c.facts, kWord, kMarker), c.expected);
    }
}

}  // namespace
