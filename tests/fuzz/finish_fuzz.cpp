// Fuzz target: the texts of the finishing stage at their buffer limits.
// Fields (cut at "|"): 0 folder (install, desktop or Programs folder; absent:
// null archive name)   1 name, file name or URL (absent: null suffix)
//   2 icon file or run arguments   3 capacity selector   4 flags
//
// Longer run, from the repository root after the fuzz build:
//   mkdir -p /tmp/corpus-finish && build/fuzz/finish_fuzz -max_len=1024 \
//       -max_total_time=300 /tmp/corpus-finish tests/fuzz/corpus/finish
#include <string>
#include <vector>

#include "finish/finish_rules.h"
#include "fuzz_support.h"

namespace {

const char kQuestionHead[] = "설치를 성공적으로 마쳤습니다.\n\n";  // CP949 after the build's conversion
const char kQuestionTail[] = "을(를) 지금 실행하겠습니까?";

void CheckPaths(const std::string& folder, const std::string& name, int64_t selector) {
    std::string expected;
    for (ShortcutKind kind : {ShortcutKind::kShellLink, ShortcutKind::kInternetShortcut}) {
        expected = folder + "\\" + name + (kind == ShortcutKind::kShellLink ? ".lnk" : ".url");
        ExactBuffer link(CapacityNear(expected.size(), selector, kPathCapacity));
        CheckComposed(ComposeShortcutPath(folder.c_str(), name.c_str(), kind, link.get(), link.size()),
                      link, expected);
    }
}

std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size()) lines.push_back(text.substr(start));  // an unterminated rest
    return lines;
}

void CheckInternetShortcut(const std::string& url, const std::string& icon, int64_t selector) {
    std::string expected =
        "[InternetShortcut]\r\nURL=" + url + "\r\nIconIndex=0\r\nIconFile=" + icon + "\r\n";
    ExactBuffer file(CapacityNear(expected.size(), selector, 1024));
    bool ok = FormatInternetShortcut(url.c_str(), icon.c_str(), file.get(), file.size());
    CheckComposed(ok, file, expected);
    // Without line breaks in the values: exactly four lines, each ended by CR LF.
    if (!ok || url.find_first_of("\r\n") != std::string::npos ||
        icon.find_first_of("\r\n") != std::string::npos) {
        return;
    }
    std::vector<std::string> lines = CrLfLines(file.text());
    FUZZ_CHECK(lines.size() == 4);
    FUZZ_CHECK(lines[0] == "[InternetShortcut]" && lines[1] == "URL=" + url);
    FUZZ_CHECK(lines[2] == "IconIndex=0" && lines[3] == "IconFile=" + icon);
}

void CheckRegistryText(bool ok, const RegistryText& value, const std::string& expected) {
    if (expected.size() < sizeof(value.text)) {
        FUZZ_CHECK(ok && expected == value.text && value.storedSize == expected.size() + 1);
    } else {
        FUZZ_CHECK(!ok && value.text[0] == '\0' && value.storedSize == 0);
    }
}

void CheckRegistryValues(const std::string& folder, const std::string& name) {
    RegistryText value;
    memset(&value, 'Z', sizeof(value));
    CheckRegistryText(ComposeDisplayName(name.c_str(), &value), value, name);
    memset(&value, 'Z', sizeof(value));
    CheckRegistryText(ComposeUninstallString(folder.c_str(), name.c_str(), &value), value,
                      folder + name);
}

void CheckCompletion(const char* archiveName, const char* suffix, bool externalMode,
                     const char* runArgs, const char* launchArgs) {
    CompletionVariant expected = CompletionVariant::kAsking;
    if (archiveName && suffix && std::string(archiveName).find(suffix) != std::string::npos) {
        expected = CompletionVariant::kDirect;
    } else if (externalMode) {
        expected = CompletionVariant::kExternal;
    }
    CompletionVariant variant = ChooseCompletionVariant(archiveName, suffix, externalMode);
    FUZZ_CHECK(variant == expected);
    const char* parameters = LaunchParametersFor(variant, runArgs, launchArgs);
    FUZZ_CHECK(parameters == (variant == CompletionVariant::kDirect     ? nullptr
                              : variant == CompletionVariant::kExternal ? runArgs
                                                                        : launchArgs));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFields f(data, size);
    const std::string folder = f.Text(0);
    const std::string name = f.Text(1);
    const std::string other = f.Text(2);
    const int64_t selector = f.Number(3);

    CheckPaths(folder, name, selector);
    CheckInternetShortcut(name, other, selector);
    CheckRegistryValues(folder, name);

    std::string question = kQuestionHead + name + kQuestionTail;
    ExactBuffer text(CapacityNear(question.size(), selector, 1024));
    CheckComposed(FormatRunQuestion(name.c_str(), text.get(), text.size()), text, question);

    CheckCompletion(f.TextOrNull(0), f.TextOrNull(1), (f.Number(4) & 1) != 0, f.Text(2), f.Text(1));
    CheckCompletion(f.Text(0), f.Text(2), (f.Number(4) & 2) != 0, nullptr, f.Text(0));
    return 0;
}
