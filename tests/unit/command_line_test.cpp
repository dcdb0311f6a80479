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

const RunMode kPerson = RunMode::kInteractive;
const RunMode kPassive = RunMode::kPassive;
const RunMode kQuiet = RunMode::kQuiet;

struct SwitchCase {
    const char* commandLine;
    bool given, wellFormed;
    RunMode mode;
    bool licence;
    const char* dir;
    const char* log;
};

const SwitchCase kSwitchCases[] = {
    // Without a switch the text is ignored, as it always was.
    {"", false, true, kPerson, false, "", ""},
    {"-x /foo", false, true, kPerson, false, "", ""},
    {"/axs:L D /quiet", false, true, kPerson, false, "", ""},  // after "/axs:": the option's
    {"/quietly", false, true, kPerson, false, "", ""},
    // The switches, in any case and order.
    {"/quiet /accept-licence", true, true, kQuiet, true, "", ""},
    {"/PASSIVE /Accept-Licence", true, true, kPassive, true, "", ""},
    {"\t/quiet\r\n", true, true, kQuiet, false, "", ""},
    {"/dir:C:\\Velmora /log:C:\\v.log", true, true, kPerson, false, "C:\\Velmora", "C:\\v.log"},
    {"/quiet /dir:\"C:\\Program Files\\벨모라\" /accept-licence", true, true, kQuiet, true,
     "C:\\Program Files\\벨모라", ""},
    {"/log:\"C:\\a b.log\"/axs:L D A", true, true, kPerson, false, "", "C:\\a b.log"},
    {"/quiet /accept-licence /axs:L http://h/p.zip -x", true, true, kQuiet, true, "", ""},
    // Beside a switch, anything else makes the command line bad.
    {"/quiet -x", true, false, kQuiet, false, "", ""},
    {"-x /quiet", true, false, kQuiet, false, "", ""},
    {"/quiet /quiet", true, false, kQuiet, false, "", ""},
    {"/quiet /passive", true, false, kPassive, false, "", ""},
    {"/quiet:1", true, false, kQuiet, false, "", ""},
    {"/dir", true, false, kPerson, false, "", ""},
    {"/dir:", true, false, kPerson, false, "", ""},
    {"/dir:\"\"", true, false, kPerson, false, "", ""},
    {"/dir:\"C:\\x", true, false, kPerson, false, "", ""},            // unclosed
    {"/dir:\"C:\\x\"y", true, false, kPerson, false, "C:\\x", ""},  // the token goes on
    {"/dir:C:\\a\"b\"", true, false, kPerson, false, "C:\\a", ""},
    {"/dir:C:\\a /dir:D:\\b", true, false, kPerson, false, "D:\\b", ""},
    {"/dir: C:\\x", true, false, kPerson, false, "", ""},
};

TEST(ParseSetupSwitches, ReadsTheSwitchesBeforeTheOption) {
    for (const SwitchCase& c : kSwitchCases) {
        SCOPED_TRACE(c.commandLine);
        SetupSwitches switches = ParseSetupSwitches(c.commandLine);
        EXPECT_EQ(switches.given, c.given);
        EXPECT_EQ(switches.wellFormed, c.wellFormed);
        EXPECT_EQ(switches.mode, c.mode);
        EXPECT_EQ(switches.licenceAccepted, c.licence);
        if (c.wellFormed) {
            EXPECT_STREQ(switches.installDir, c.dir);
            EXPECT_STREQ(switches.logPath, c.log);
        }
    }
}

TEST(ParseSetupSwitches, LeavesTheOptionAsItWas) {
    const char kLine[] = "/quiet /accept-licence /dir:\"C:\\a b\" /axs:L D A B";
    AxsOption option = ParseAxsOption(kLine);
    EXPECT_TRUE(option.externalMode);
    EXPECT_STREQ(option.linkUrl, "L");
    EXPECT_STREQ(option.downloadUrl, "D");
    EXPECT_STREQ(option.runArgs, "A B");
}

struct RefusalCase {
    const char* commandLine;
    bool allowed;
    SwitchRefusal refusal;
};

const RefusalCase kRefusalCases[] = {
    {"", false, SwitchRefusal::kNone},
    {"-x", true, SwitchRefusal::kNone},
    {"/log:C:\\v.log", false, SwitchRefusal::kNone},  // a person's run with a log
    {"/quiet /accept-licence", true, SwitchRefusal::kNone},
    {"/passive /accept-licence /dir:D:\\V", true, SwitchRefusal::kNone},
    {"/quiet", true, SwitchRefusal::kNoLicence},
    {"/passive", true, SwitchRefusal::kNoLicence},
    {"/accept-licence", true, SwitchRefusal::kNone},
    {"/quiet /accept-licence", false, SwitchRefusal::kNotAllowed},
    {"/quiet", false, SwitchRefusal::kNotAllowed},
    {"/quiet /accept-licence -x", true, SwitchRefusal::kMalformed},
    {"/log:C:\\v.log /bogus", true, SwitchRefusal::kMalformed},
};

TEST(RefuseSwitches, FirstReasonInOrder) {
    for (const RefusalCase& c : kRefusalCases) {
        SCOPED_TRACE(c.commandLine);
        EXPECT_EQ(RefuseSwitches(ParseSetupSwitches(c.commandLine), c.allowed), c.refusal);
    }
}

}  // namespace
