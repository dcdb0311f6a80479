// Fuzz target: the "/axs:" split of the command line, the administrators'
// switches before it, and the counted string they are built on. The whole input
// is the command line; its first two bytes also pick the positions handed to the
// string's operations.
//
// Longer run, from the repository root after the fuzz build:
//   mkdir -p /tmp/corpus-command_line && build/fuzz/command_line_fuzz -max_len=1024 \
//       -max_total_time=300 /tmp/corpus-command_line tests/fuzz/corpus/command_line
#include <algorithm>
#include <string>

#include "fuzz_support.h"
#include "fw/cstring.h"
#include "ui/command_line.h"

namespace {

const char kMarker[] = "/axs:";
const char kTrimSpaces[] = " \t\n\v\f\r";

bool IsTrimSpace(char c) {
    return c != '\0' && strchr(kTrimSpaces, c) != nullptr;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(kTrimSpaces);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(kTrimSpaces) - first + 1);
}

bool IsTrimmed(const char* text) {
    size_t length = strlen(text);
    return length == 0 || (!IsTrimSpace(text[0]) && !IsTrimSpace(text[length - 1]));
}

// The split as the header states it, on std::string: the first token up to a
// blank, then after further white space the second one, then the rest.
void CheckAgainstReference(const std::string& line, const AxsOption& option) {
    size_t marker = line.find(kMarker);
    FUZZ_CHECK(option.externalMode == (marker != std::string::npos));
    if (marker == std::string::npos) {
        FUZZ_CHECK(option.linkUrl.IsEmpty() && option.downloadUrl.IsEmpty() &&
                   option.runArgs.IsEmpty());
        return;
    }
    std::string rest = line.substr(marker + strlen(kMarker));
    std::string link, download, run;
    size_t blank = rest.find(' ');
    if (blank != std::string::npos) {
        link = Trim(rest.substr(0, blank));
        rest = rest.substr(blank + 1);
    }
    rest = rest.substr(std::min(rest.size(), rest.find_first_not_of(kTrimSpaces)));
    blank = rest.find(' ');
    if (blank != std::string::npos) {
        download = Trim(rest.substr(0, blank));
        run = Trim(rest.substr(blank + 1));
    } else {
        run = Trim(rest);
    }
    FUZZ_CHECK(option.linkUrl == link.c_str());
    FUZZ_CHECK(option.downloadUrl == download.c_str());
    FUZZ_CHECK(option.runArgs == run.c_str());
}

// Tokens separated by single blanks and no other white space: with three or
// more, link, package URL and the rest; with fewer the last one is runArgs.
void CheckCleanTokens(const std::string& line, const AxsOption& option) {
    size_t marker = line.find(kMarker);
    if (marker == std::string::npos) return;
    std::string tail = line.substr(marker + strlen(kMarker));
    if (tail.empty() || tail.front() == ' ' || tail.back() == ' ' ||
        tail.find("  ") != std::string::npos || tail.find_first_of("\t\n\v\f\r") != std::string::npos) {
        return;
    }
    std::vector<std::string> tokens;
    for (size_t start = 0;;) {
        size_t blank = tail.find(' ', start);
        tokens.push_back(tail.substr(start, blank - start));
        if (blank == std::string::npos) break;
        start = blank + 1;
    }
    if (tokens.size() == 1) {
        FUZZ_CHECK(option.linkUrl.IsEmpty() && option.downloadUrl.IsEmpty());
        FUZZ_CHECK(option.runArgs == tokens[0].c_str());
    } else if (tokens.size() == 2) {
        FUZZ_CHECK(option.linkUrl == tokens[0].c_str() && option.downloadUrl.IsEmpty());
        FUZZ_CHECK(option.runArgs == tokens[1].c_str());
    } else {
        FUZZ_CHECK(option.linkUrl == tokens[0].c_str());
        FUZZ_CHECK(option.downloadUrl == tokens[1].c_str());
        size_t runStart = tokens[0].size() + tokens[1].size() + 2;
        FUZZ_CHECK(option.runArgs == tail.substr(runStart).c_str());
    }
}

void CheckAxsOption(const char* line) {
    AxsOption option = ParseAxsOption(line);
    // Two tokens never hold a blank; no part starts or ends with white space.
    FUZZ_CHECK(option.linkUrl.Find(' ') < 0 && option.downloadUrl.Find(' ') < 0);
    FUZZ_CHECK(IsTrimmed(option.linkUrl) && IsTrimmed(option.downloadUrl) &&
               IsTrimmed(option.runArgs));
    CheckAgainstReference(line, option);
    CheckCleanTokens(line, option);
}

bool SameSwitches(const SetupSwitches& a, const SetupSwitches& b) {
    return a.given == b.given && a.wellFormed == b.wellFormed && a.mode == b.mode &&
           a.licenceAccepted == b.licenceAccepted && a.installDir == b.installDir.c_str() &&
           a.logPath == b.logPath.c_str();
}

// The switches read only the text before the option; a well-formed set, written out again with
// quoted values, reads the same; no value keeps a quotation mark.
void CheckSwitches(const std::string& line) {
    SetupSwitches switches = ParseSetupSwitches(line.c_str());
    size_t marker = line.find(kMarker);
    if (marker != std::string::npos)
        FUZZ_CHECK(SameSwitches(switches, ParseSetupSwitches(line.substr(0, marker).c_str())));
    if (!switches.given) {
        FUZZ_CHECK(switches.wellFormed && switches.mode == RunMode::kInteractive && !switches.licenceAccepted);
        FUZZ_CHECK(switches.installDir.IsEmpty() && switches.logPath.IsEmpty());
        return;
    }
    if (!switches.wellFormed) return;
    FUZZ_CHECK(switches.installDir.Find('"') < 0 && switches.logPath.Find('"') < 0);
    std::string again;
    if (switches.mode == RunMode::kQuiet) again += " /quiet";
    if (switches.mode == RunMode::kPassive) again += " /passive";
    if (switches.licenceAccepted) again += " /accept-licence";
    if (!switches.installDir.IsEmpty()) again += std::string(" /dir:\"") + switches.installDir.c_str() + "\"";
    if (!switches.logPath.IsEmpty()) again += std::string(" /log:\"") + switches.logPath.c_str() + "\"";
    FUZZ_CHECK(SameSwitches(switches, ParseSetupSwitches(again.c_str())));
}

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

// The counted string against std::string, with the framework's clamping of
// out-of-range positions. As in the framework, searching for the NUL character
// finds the terminator.
void CheckCString(const char* text, int first, int count) {
    const std::string plain(text);
    const int length = static_cast<int>(plain.size());
    CString s(text);
    FUZZ_CHECK(s.GetLength() == length && s == text && s.IsEmpty() == plain.empty());

    int from = Clamp(first, 0, length);
    int taken = Clamp(count, 0, length - from);
    FUZZ_CHECK(s.Mid(first, count) == plain.substr(from, taken).c_str());
    FUZZ_CHECK(s.Mid(first) == plain.substr(from).c_str());
    FUZZ_CHECK(s.Left(count) == plain.substr(0, Clamp(count, 0, length)).c_str());

    std::string sub = plain.substr(from, 3);
    size_t hit = plain.find(sub, static_cast<size_t>(Clamp(count, 0, length)));
    int expected = (count < 0 || count > length || hit == std::string::npos) ? -1 : static_cast<int>(hit);
    FUZZ_CHECK(s.Find(sub.c_str(), count) == expected);

    char ch = static_cast<char>(first);
    size_t chHit = ch == '\0' ? plain.size() : plain.find(ch, static_cast<size_t>(Clamp(count, 0, length)));
    expected = (count < 0 || count >= length || chHit == std::string::npos) ? -1 : static_cast<int>(chHit);
    FUZZ_CHECK(s.Find(ch, count) == expected);
    size_t lastHit = ch == '\0' ? plain.size() : plain.rfind(ch);
    FUZZ_CHECK(s.ReverseFind(ch) == (lastHit == std::string::npos ? -1 : static_cast<int>(lastHit)));

    CString left(s), right(s), both(s);
    left.TrimLeft();
    right.TrimRight();
    both.TrimLeft();
    both.TrimRight();
    size_t firstKept = plain.find_first_not_of(kTrimSpaces);
    FUZZ_CHECK(left == (firstKept == std::string::npos ? "" : plain.substr(firstKept).c_str()));
    size_t lastKept = plain.find_last_not_of(kTrimSpaces);
    FUZZ_CHECK(right == (lastKept == std::string::npos ? "" : plain.substr(0, lastKept + 1).c_str()));
    FUZZ_CHECK(both == Trim(plain).c_str());

    // Assigning a text that lies in the string's own buffer.
    CString self(s);
    self = static_cast<const char*>(self) + from;
    FUZZ_CHECK(self == plain.substr(from).c_str());
    const CString& alias = self;
    self = alias;
    FUZZ_CHECK(self == plain.substr(from).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<char[]> line(new char[size + 1]);
    memcpy(line.get(), data, size);
    line[size] = '\0';

    CheckAxsOption(line.get());
    CheckSwitches(line.get());
    int first = size > 0 ? static_cast<signed char>(data[0]) : 0;
    int count = size > 1 ? static_cast<signed char>(data[1]) : 0;
    CheckCString(line.get(), first, count);
    return 0;
}
