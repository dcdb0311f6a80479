#include "ui/command_line.h"

#include <gtest/gtest.h>

namespace {

struct AxsCase {
    const char* commandLine;
    bool external;
    const char* linkUrl;
    const char* downloadUrl;
    const char* runArgs;
};

const AxsCase kAxsCases[] = {
    {"", false, "", "", ""},
    {"/quiet -x", false, "", "", ""},
    {"/AXS:L D A", false, "", "", ""},  // capitals are not the option
    {"/axs:L D A", true, "L", "D", "A"},
    {"/axs:L D A B  C", true, "L", "D", "A B  C"},  // inner blanks of the rest kept
    {"/axs:L    D     A", true, "L", "D", "A"},
    {"/axs:L D", true, "L", "", "D"},
    {"/axs:X", true, "", "", "X"},
    {"/axs:", true, "", "", ""},
    {"/axs: L D A", true, "", "L", "D A"},  // blank right after the colon shifts tokens
    {"before /axs:L D A", true, "L", "D", "A"},
    {"/axs:L D A /axs:M N O", true, "L", "D", "A /axs:M N O"},
    {"/axs:L\tX D A", true, "L\tX", "D", "A"},  // a tab does not separate
    {"/axs:L D A\r\n", true, "L", "D", "A"},
    {"/axs:http://a.example/x http://127.0.0.2/update/p.zip -run now", true,
     "http://a.example/x", "http://127.0.0.2/update/p.zip", "-run now"},
};

TEST(ParseAxsOption, SplitsTheTokensOfTheOption) {
    for (const AxsCase& c : kAxsCases) {
        SCOPED_TRACE(c.commandLine);
        AxsOption option = ParseAxsOption(c.commandLine);
        EXPECT_EQ(option.externalMode, c.external);
        EXPECT_STREQ(option.linkUrl, c.linkUrl);
        EXPECT_STREQ(option.downloadUrl, c.downloadUrl);
        EXPECT_STREQ(option.runArgs, c.runArgs);
    }
}

}  // namespace
