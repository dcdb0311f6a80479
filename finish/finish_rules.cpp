#include "finish/finish_rules.h"

#include <cstdio>
#include <cstring>

namespace {

// The lines end in CR LF here, not through a text-mode stream, so the bytes
// do not depend on how the runtime translates line feeds.
const char kInternetShortcutFormat[] =
    "[InternetShortcut]\r\nURL=%s\r\nIconIndex=0\r\nIconFile=%s\r\n";
const char kRunQuestionFormat[] = "설치를 성공적으로 마쳤습니다.\n\n%s을(를) 지금 실행하겠습니까?";

// snprintf's count checked: a text that does not fit is refused, never cut.
bool Fitted(int written, char* out, size_t cap) {
    if (written >= 0 && static_cast<size_t>(written) < cap) return true;
    if (cap > 0) out[0] = '\0';
    return false;
}

bool ComposeRegistryText(int written, RegistryText* out) {
    if (!Fitted(written, out->text, sizeof(out->text))) {
        out->storedSize = 0;
        return false;
    }
    out->storedSize = static_cast<uint32_t>(strlen(out->text) + 1);
    return true;
}

}  // namespace

bool ComposeInstallTarget(const char* installDir, const char* fileName, char* out, size_t cap) {
    return Fitted(snprintf(out, cap, "%s%s", installDir, fileName), out, cap);
}

bool ComposeShortcutPath(const char* folder, const char* name, ShortcutKind kind, char* out,
                         size_t cap) {
    const char* extension = kind == ShortcutKind::kInternetShortcut ? ".url" : ".lnk";
    return Fitted(snprintf(out, cap, "%s\\%s%s", folder, name, extension), out, cap);
}

bool ComposeFolderWithSeparator(const char* folder, char* out, size_t cap) {
    return Fitted(snprintf(out, cap, "%s\\", folder), out, cap);
}

bool ComposeGroupFolder(const char* programsDir, const char* groupName, char* out, size_t cap) {
    return Fitted(snprintf(out, cap, "%s\\%s", programsDir, groupName), out, cap);
}

bool FormatInternetShortcut(const char* url, const char* iconFile, char* out, size_t cap) {
    return Fitted(snprintf(out, cap, kInternetShortcutFormat, url, iconFile), out, cap);
}

size_t InternetShortcutCapacity(const char* url, const char* iconFile) {
    // The format's "%s" pairs give way to the texts; its NUL is counted by sizeof.
    return sizeof(kInternetShortcutFormat) - 4 + strlen(url) + strlen(iconFile);
}

bool ComposeDisplayName(const char* keyName, RegistryText* out) {
    memset(out->text, 0, sizeof(out->text));
    return ComposeRegistryText(snprintf(out->text, sizeof(out->text), "%s", keyName), out);
}

bool ComposeUninstallString(const char* installDir, const char* uninstallerExe, RegistryText* out) {
    memset(out->text, 0, sizeof(out->text));
    return ComposeRegistryText(
        snprintf(out->text, sizeof(out->text), "%s%s", installDir, uninstallerExe), out);
}

bool FormatRunQuestion(const char* productName, char* out, size_t cap) {
    return Fitted(snprintf(out, cap, kRunQuestionFormat, productName), out, cap);
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
