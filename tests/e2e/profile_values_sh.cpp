// A build tool, run on the host: writes profile_values.sh, the shell variables through which the
// end-to-end scripts know the build's profile values, the program's texts and the control ids.
// It compiles the same headers the program does, so a script never parses C, and a header can be
// reformatted without breaking a test. Texts come out in UTF-8 (the host compiler keeps the
// sources' bytes), with a line feed written as the two characters \n, as uidriver prints them.
//
//   profile_values_sh OUT.sh
#include <cstdio>
#include <string>

#include "app/texts.h"
#include "profile_values.h"
#include "res/resource.h"

namespace {

struct Text {
    const char* name;
    const char* value;
};

struct Number {
    const char* name;
    long value;
};

// Every profile value, named as in profile_values.h.
const Text kProfileTexts[] = {
#define PROFILE_TEXT(field, macro) {#macro, macro},
#define PROFILE_NUMBER(field, macro)
#include "app/profile_fields.h"
#undef PROFILE_TEXT
#undef PROFILE_NUMBER
};
const Number kProfileNumbers[] = {
#define PROFILE_TEXT(field, macro)
#define PROFILE_NUMBER(field, macro) {#macro, macro},
#include "app/profile_fields.h"
#undef PROFILE_TEXT
#undef PROFILE_NUMBER
};

// The program's texts the scripts compare with what the setup shows.
const Text kProgramTexts[] = {
    {"IDLE_STATUS", kIdleStatusText},
    {"CAPACITY_TEXT", kCapacityMessage},
    {"BADPATH_TEXT", kBadPathMessage},
    {"ABORTED_TEXT", kAbortedMessage},
    {"FAILED_TEXT", kFailedMessage},
    {"COMPLETE_STATUS", kCompleteStatus},
    {"PICKER_TITLE", kPickerTitle},
    {"TICK_REMINDER", kTickReminder},
    {"TICK_REMINDER_CAPTION", kTickReminderCaption},
    {"NO_NETWORK_TEXT", kNoNetworkMessage},
    {"DOWNLOAD_FAILED_TEXT", kDownloadFailedMessage},
    {"CANCEL_QUESTION", kDownloadCancelQuestion},
    {"DOWNLOADING_STATUS", kDownloadingStatus},
    {"EXTRACT_QUESTION", kCopyCancelQuestion},
    {"SHORTCUT_QUESTION", kShortcutQuestion},
    {"AGREEMENT_TITLE", AGREEMENT_CAPTION},
};

// The control ids the scripts address.
const Number kControlIds[] = {
    {"IDC_STATUS", IDC_STATUS},           {"IDC_PATH", IDC_PATH},
    {"IDC_INSTALL", IDC_INSTALL},         {"IDC_PERCENT", IDC_PERCENT},
    {"IDC_MARKER", IDC_MARKER},           {"IDC_BANNER_TEXT", IDC_BANNER_TEXT},
    {"IDC_BROWSE", IDC_BROWSE},           {"IDC_AGREE_CHECK", IDC_AGREE_CHECK},
    {"IDC_AGREEMENT_TEXT", IDC_AGREEMENT_TEXT},
};

// |text| as one single-quoted shell word.
std::string Quoted(const char* text) {
    std::string out = "'";
    for (const char* c = text; *c; ++c) {
        if (*c == '\'') out += "'\\''";
        else if (*c == '\n') out += "\\n";
        else out += *c;
    }
    return out + "'";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: profile_values_sh OUT.sh\n");
        return 2;
    }
    FILE* out = fopen(argv[1], "wb");
    if (!out) {
        fprintf(stderr, "profile_values_sh: cannot write %s\n", argv[1]);
        return 1;
    }
    fprintf(out, "# shellcheck shell=bash\n# Made by the build (tests/e2e/profile_values_sh.cpp). Do not edit.\n");
    fprintf(out, "# shellcheck disable=SC2034\n");
    for (const Text& t : kProfileTexts) fprintf(out, "%s=%s\n", t.name, Quoted(t.value).c_str());
    for (const Number& n : kProfileNumbers) fprintf(out, "%s=%ld\n", n.name, n.value);
    for (const Text& t : kProgramTexts) fprintf(out, "%s=%s\n", t.name, Quoted(t.value).c_str());
    for (const Number& n : kControlIds) fprintf(out, "%s=%ld\n", n.name, n.value);
    return fclose(out) == 0 ? 0 : 1;
}
