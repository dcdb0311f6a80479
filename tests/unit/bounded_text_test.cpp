#include "fw/bounded_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

TEST(BoundedText, FitsExactlyOrIsRefusedWhole) {
    struct Case {
        size_t capacity;
        bool fits;
        const char* text;
    };
    const Case kCases[] = {
        {8, true, "abc1234"},  // 7 bytes and the NUL
        {7, false, ""},        // one byte short: nothing of it stays
        {1, false, ""},
        {0, false, nullptr},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.capacity);
        char buffer[16];
        memset(buffer, 'x', sizeof buffer);
        BoundedText text(buffer, c.capacity);
        EXPECT_EQ(text.Add("abc").Add("1234").Fits(), c.fits);
        if (c.text) {
            EXPECT_STREQ(buffer, c.text);
        }
        EXPECT_EQ(buffer[c.capacity], 'x') << "wrote past the capacity";
    }
}

TEST(BoundedText, PrefixTakesAtMostTheGivenBytes) {
    char buffer[16];
    EXPECT_TRUE(BoundedText(buffer, sizeof buffer).Add("C:\\Games", 3).Add("_t").Fits());
    EXPECT_STREQ(buffer, "C:\\_t");
    EXPECT_TRUE(BoundedText(buffer, sizeof buffer).Add("ab", 10).Fits());
    EXPECT_STREQ(buffer, "ab");
}

TEST(BoundedText, NumbersAreRightAlignedLikePrintf) {
    struct Case {
        int value;
        int width;
        const char* expected;
    };
    const Case kCases[] = {
        {0, 3, "  0"}, {7, 3, "  7"}, {100, 3, "100"}, {1234, 3, "1234"},
        {-5, 3, " -5"}, {INT_MIN, 0, "-2147483648"}, {INT_MAX, 1, "2147483647"},
    };
    for (const Case& c : kCases) {
        char buffer[32];
        ASSERT_TRUE(BoundedText(buffer, sizeof buffer).AddNumber(c.value, c.width).Fits());
        EXPECT_STREQ(buffer, c.expected);
    }
}

}  // namespace
