#include "finish/finish_rules.h"

#include <cstring>

#include "fw/bounded_text.h"

namespace {

// The lines end in CR LF here, not through a text-mode stream, so the bytes
// do not depend on how the runtime translates line feeds. The URL goes after
// the first piece, the icon file after the second.
const char kShortcutHead[] = "[InternetShortcut]\r\nURL=";
const char kShortcutMiddle[] = "\r\nIconIndex=0\r\nIconFile=";
const char kShortcutTail[] = "\r\n";
// The product name goes between the two pieces.
const char kRunQuestionHead[] = "설치를 성공적으로 마쳤습니다.\n\n";
const char kRunQuestionTail[] = "을(를) 지금 실행하겠습니까?";

bool ComposeRegistryText(bool fits, RegistryText* out) {
    if (!fits) {
        out->storedSize = 0;
        return false;
    }
    out->storedSize = static_cast<uint32_t>(strlen(out->text) + 1);
    return true;
}

}  // namespace

bool ComposeShortcutPath(const char* folder, const char* name, ShortcutKind kind, char* out,
                         size_t cap) {
    const char* extension = kind == ShortcutKind::kInternetShortcut ? ".url" : ".lnk";
    return ComposePath(out, cap, {folder, "\\", name, extension});
}

bool FormatInternetShortcut(const char* url, const char* iconFile, char* out, size_t cap) {
    return BoundedText(out, cap)
        .Add(kShortcutHead).Add(url).Add(kShortcutMiddle).Add(iconFile).Add(kShortcutTail)
        .Fits();
}

size_t InternetShortcutCapacity(const char* url, const char* iconFile) {
    return strlen(kShortcutHead) + strlen(url) + strlen(kShortcutMiddle) + strlen(iconFile) +
           strlen(kShortcutTail) + 1;
}

bool ComposeDisplayName(const char* keyName, RegistryText* out) {
    memset(out->text, 0, sizeof(out->text));
    return ComposeRegistryText(BoundedText(out->text, sizeof(out->text)).Add(keyName).Fits(), out);
}

bool ComposeUninstallString(const char* installDir, const char* uninstallerExe, RegistryText* out) {
    memset(out->text, 0, sizeof(out->text));
    return ComposeRegistryText(ComposePath(out->text, sizeof(out->text), {installDir, uninstallerExe}), out);
}

bool FormatRunQuestion(const char* productName, char* out, size_t cap) {
    return BoundedText(out, cap).Add(kRunQuestionHead).Add(productName).Add(kRunQuestionTail).Fits();
}

CompletionVariant ChooseCompletionVariant(const char* archiveName, const char* directSuffix,
                                          bool externalMode) {
    if (archiveName && directSuffix && strstr(archiveName, directSuffix)) {
        return CompletionVariant::kDirect;
    }
    return externalMode ? CompletionVariant::kExternal : CompletionVariant::kAsking;
}

const char* LaunchParametersFor(CompletionVariant variant, const char* runArgs,
                                const char* launchArgs) {
    switch (variant) {
        case CompletionVariant::kDirect: return nullptr;
        case CompletionVariant::kExternal: return runArgs;
        case CompletionVariant::kAsking: return launchArgs;
    }
    return nullptr;
}
