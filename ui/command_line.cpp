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

namespace {

enum class Switch : unsigned { kQuiet = 0, kPassive = 1, kAcceptLicence = 2, kDir = 3, kLog = 4 };

struct SwitchName {
    const char* name;  // lower case, with its "/"
    Switch which;
    bool takesValue;   // written "name:value"
};

const SwitchName kSwitchNames[] = {
    {"/quiet", Switch::kQuiet, false},
    {"/passive", Switch::kPassive, false},
    {"/accept-licence", Switch::kAcceptLicence, false},
    {"/dir", Switch::kDir, true},
    {"/log", Switch::kLog, true},
};

bool IsSeparator(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

char LowerAscii(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

bool SameName(const char* text, size_t length, const char* name) {
    if (strlen(name) != length) return false;
    for (size_t i = 0; i < length; ++i)
        if (LowerAscii(text[i]) != name[i]) return false;
    return true;
}

const SwitchName* FindSwitch(const char* text, size_t length) {
    for (const SwitchName& entry : kSwitchNames)
        if (SameName(text, length, entry.name)) return &entry;
    return nullptr;
}

const char* TokenEnd(const char* at, const char* end) {
    while (at < end && !IsSeparator(*at)) ++at;
    return at;
}

// The value at |*at|, quoted or bare, into |value|; |*at| moves past it. False when it is empty,
// unclosed, or the token goes on after it.
bool ReadValue(const char** at, const char* end, CString* value) {
    const char* start = *at;
    if (start < end && *start == '"') {
        const char* close = start + 1;
        while (close < end && *close != '"') ++close;
        if (close == end) {
            *at = end;
            return false;
        }
        *value = CString(start + 1, static_cast<int>(close - start - 1));
        *at = TokenEnd(close + 1, end);
        return close > start + 1 && *at == close + 1;
    }
    const char* stop = start;
    while (stop < end && !IsSeparator(*stop) && *stop != '"') ++stop;
    *value = CString(start, static_cast<int>(stop - start));
    *at = TokenEnd(stop, end);
    return stop > start && *at == stop;
}

// The switch at |*at| into |switches|, |*at| moved past its token. False when the token is
// no switch at all.
bool ReadSwitch(const char** at, const char* end, SetupSwitches* switches, unsigned* seen) {
    const char* nameEnd = *at;
    while (nameEnd < end && !IsSeparator(*nameEnd) && *nameEnd != ':') ++nameEnd;
    const SwitchName* found = FindSwitch(*at, static_cast<size_t>(nameEnd - *at));
    if (!found) return false;
    switches->given = true;
    const unsigned bit = 1u << static_cast<unsigned>(found->which);
    bool fine = (*seen & bit) == 0;
    *seen |= bit;
    *at = nameEnd;
    if (found->takesValue) {
        CString* value = found->which == Switch::kDir ? &switches->installDir : &switches->logPath;
        bool colon = nameEnd < end && *nameEnd == ':';
        if (colon) ++*at;
        fine = colon && ReadValue(at, end, value) && fine;
    } else {
        fine = *at == TokenEnd(*at, end) && fine;
        *at = TokenEnd(*at, end);
    }
    switch (found->which) {
        case Switch::kQuiet:
        case Switch::kPassive: {
            RunMode mode = found->which == Switch::kQuiet ? RunMode::kQuiet : RunMode::kPassive;
            if (switches->mode != RunMode::kInteractive && switches->mode != mode) fine = false;
            switches->mode = mode;
            break;
        }
        case Switch::kAcceptLicence: switches->licenceAccepted = true; break;
        case Switch::kDir:
        case Switch::kLog: break;
    }
    if (!fine) switches->wellFormed = false;
    return true;
}

}  // namespace

SetupSwitches ParseSetupSwitches(const char* commandLine) {
    SetupSwitches switches;
    if (!commandLine) return switches;
    const char* marker = strstr(commandLine, kAxsMarker);
    const char* end = marker ? marker : commandLine + strlen(commandLine);
    bool stray = false;  // a token that is no switch: ignored unless a switch is there too
    unsigned seen = 0;
    for (const char* at = commandLine;;) {
        while (at < end && IsSeparator(*at)) ++at;
        if (at == end) break;
        if (!ReadSwitch(&at, end, &switches, &seen)) {
            stray = true;
            at = TokenEnd(at, end);
        }
    }
    if (switches.given && stray) switches.wellFormed = false;
    return switches;
}

SwitchRefusal RefuseSwitches(const SetupSwitches& switches, bool unattendedAllowed) {
    if (!switches.given) return SwitchRefusal::kNone;
    if (!switches.wellFormed) return SwitchRefusal::kMalformed;
    if (!switches.unattended()) return SwitchRefusal::kNone;
    if (!unattendedAllowed) return SwitchRefusal::kNotAllowed;
    if (!switches.licenceAccepted) return SwitchRefusal::kNoLicence;
    return SwitchRefusal::kNone;
}
