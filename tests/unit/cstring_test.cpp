#include "fw/cstring.h"

#include <gtest/gtest.h>

namespace {

TEST(CString, SubstringsClampOutOfRangeArguments) {
    CString text("abcdef");
    EXPECT_STREQ(text.Mid(2), "cdef");
    EXPECT_STREQ(text.Mid(2, 2), "cd");
    EXPECT_STREQ(text.Mid(4, 100), "ef");
    EXPECT_STREQ(text.Mid(100), "");
    EXPECT_STREQ(text.Mid(-3, 2), "ab");
    EXPECT_STREQ(text.Left(0), "");
    EXPECT_STREQ(text.Left(10), "abcdef");
}

TEST(CString, FindsFirstAndLast) {
    CString text("a/b/c");
    EXPECT_EQ(text.Find('/'), 1);
    EXPECT_EQ(text.Find('/', 2), 3);
    EXPECT_EQ(text.Find("b/"), 2);
    EXPECT_EQ(text.Find("x"), -1);
    EXPECT_EQ(text.ReverseFind('/'), 3);
    EXPECT_EQ(CString().Find('/'), -1);
}

TEST(CString, TrimsEveryWhiteSpaceKind) {
    CString text(" \t\n\v\f\rword \t\n\v\f\r");
    text.TrimLeft();
    EXPECT_STREQ(text, "word \t\n\v\f\r");
    text.TrimRight();
    EXPECT_STREQ(text, "word");
    CString blank("   ");
    blank.TrimRight();
    EXPECT_TRUE(blank.IsEmpty());
}

TEST(CString, AssignmentFromItsOwnBuffer) {
    CString text("/update/velmora_direct.zip");
    text = text.c_str() + 1;
    EXPECT_STREQ(text, "update/velmora_direct.zip");
    CString copy = text;
    copy = copy;
    EXPECT_EQ(copy.GetLength(), 25);
}

}  // namespace
