#include "ui/command_line.h"

#include <cstring>

namespace {

const char kAxsMarker[] = "/axs:";

CString Trimmed(CString text) {
    text.TrimLeft();
    text.TrimRight();
    return text;
}

}  // namespace

AxsOption ParseAxsOption(const char* commandLine) {
    AxsOption option;
    const char* marker = commandLine ? strstr(commandLine, kAxsMarker) : nullptr;
    if (!marker) return option;

    option.externalMode = true;
    CString rest(marker + strlen(kAxsMarker));

    int blank = rest.Find(' ');
    if (blank >= 0) {
        option.linkUrl = Trimmed(rest.Left(blank));
        rest = rest.Mid(blank + 1);
    }
    rest.TrimLeft();

    blank = rest.Find(' ');
    if (blank >= 0) {
        option.downloadUrl = Trimmed(rest.Left(blank));
        option.runArgs = Trimmed(rest.Mid(blank + 1));
    } else {
        option.runArgs = Trimmed(rest);
    }
    return option;
}
