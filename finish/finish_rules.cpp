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

// |installDir| + |fileName|.
bool InstalledFile(const char* installDir, const char* fileName, RegistryText* out) {
    memset(out->text, 0, sizeof(out->text));
    return ComposeRegistryText(ComposePath(out->text, sizeof(out->text), {installDir, fileName}), out);
}

bool CopyText(const char* text, RegistryText* out) {
    memset(out->text, 0, sizeof(out->text));
    return ComposeRegistryText(BoundedText(out->text, sizeof(out->text)).Add(text).Fits(), out);
}

// "yyyymmdd"; a part too large for its digits gives no date.
bool FormatInstallDate(const InstallRecord& record, RegistryText* out) {
    memset(out->text, 0, sizeof(out->text));
    if (record.year > 9999 || record.month > 99 || record.day > 99) return ComposeRegistryText(false, out);
    unsigned date = record.year * 10000u + record.month * 100u + record.day;
    for (int i = 7; i >= 0; --i, date /= 10) out->text[i] = static_cast<char>('0' + date % 10);
    return ComposeRegistryText(true, out);
}

// The values so far, and room for the next one.
struct EntryValues {
    UninstallValue* values;
    size_t count;

    UninstallValue& Next(const char* name, bool isNumber) {
        UninstallValue& value = values[count++];
        value.name = name;
        value.isNumber = isNumber;
        value.fits = true;
        value.text.text[0] = '\0';
        value.text.storedSize = 0;
        value.number = 0;
        return value;
    }
    // A text of the profile: left out when it is empty.
    void AddProfileText(const char* name, const char* text) {
        if (!text || !*text) return;
        UninstallValue& value = Next(name, false);
        value.fits = CopyText(text, &value.text);
    }
    void AddNumber(const char* name, uint32_t number) { Next(name, true).number = number; }
    // A flag of the profile: 1 is written, 0 is left out.
    void AddFlag(const char* name, int32_t flag) {
        if (flag != 0) AddNumber(name, 1);
    }
};

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

bool ComposeDisplayName(const char* keyName, RegistryText* out) { return CopyText(keyName, out); }

bool ComposeUninstallString(const char* installDir, const char* uninstallerExe, RegistryText* out) {
    return InstalledFile(installDir, uninstallerExe, out);
}

size_t ComposeUninstallValues(const ProductProfile& profile, const InstallRecord& record, UninstallValue* out) {
    EntryValues entry = {out, 0};
    UninstallValue* value = &entry.Next("DisplayName", false);
    value->fits = ComposeDisplayName(profile.uninstKeyName, &value->text);
    value = &entry.Next("UninstallString", false);
    value->fits = ComposeUninstallString(record.installDir, profile.uninstExe, &value->text);
    value = &entry.Next("DisplayIcon", false);
    value->fits = InstalledFile(record.installDir, profile.productExe, &value->text);
    value = &entry.Next("InstallLocation", false);
    value->fits = CopyText(record.installDir, &value->text);
    entry.AddProfileText("DisplayVersion", profile.displayVersion);
    entry.AddProfileText("Publisher", profile.publisher);
    entry.AddProfileText("URLInfoAbout", profile.urlInfoAbout);
    entry.AddNumber("EstimatedSize", EstimatedSizeKiB(record.extractedBytes));
    value = &entry.Next("InstallDate", false);
    value->fits = FormatInstallDate(record, &value->text);
    entry.AddFlag("NoModify", profile.noModify);
    entry.AddFlag("NoRepair", profile.noRepair);
    return entry.count;
}

uint32_t EstimatedSizeKiB(uint64_t bytes) {
    uint64_t kib = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
    return kib > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kib);
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
