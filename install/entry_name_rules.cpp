#include "install/entry_name_rules.h"

#include <cstring>

namespace {

const char* const kDeviceNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
const char* const kNumberedDevices[] = {"COM", "LPT"};
// Windows also maps COM and LPT with these superscript digits to devices.
const char* const kSuperscriptDigits[] = {"¹", "²", "³"};  // CP949 after compilation

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// |text| (|length| bytes) equals |word| apart from ASCII case.
bool EqualsIgnoringCase(const char* text, size_t length, const char* word) {
    if (strlen(word) != length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (UpperAscii(text[i]) != UpperAscii(word[i])) return false;
    }
    return true;
}

// Only dots and blanks, at least two dots: ".." once Windows has trimmed it.
bool IsParentLike(const char* component, size_t length) {
    size_t dots = 0;
    for (size_t i = 0; i < length; ++i) {
        if (component[i] == '.') ++dots;
        else if (component[i] != ' ') return false;
    }
    return dots >= 2;
}

bool IsNumberedDevice(const char* stem, size_t length) {
    for (const char* prefix : kNumberedDevices) {
        if (length < 4 || !EqualsIgnoringCase(stem, 3, prefix)) continue;
        const char* number = stem + 3;
        size_t numberLength = length - 3;
        if (numberLength == 1 && number[0] >= '0' && number[0] <= '9') return true;
        for (const char* digit : kSuperscriptDigits) {
            if (numberLength == strlen(digit) && memcmp(number, digit, numberLength) == 0) return true;
        }
    }
    return false;
}

// Windows opens a device for its name whatever the extension and trailing
// blanks, so only the part before the first dot, without blanks, counts.
bool IsDeviceName(const char* component, size_t length) {
    const char* dot = static_cast<const char*>(memchr(component, '.', length));
    size_t stemLength = dot ? static_cast<size_t>(dot - component) : length;
    while (stemLength > 0 && component[stemLength - 1] == ' ') --stemLength;

    for (const char* device : kDeviceNames) {
        if (EqualsIgnoringCase(component, stemLength, device)) return true;
    }
    return IsNumberedDevice(component, stemLength);
}

}  // namespace

bool IsEntryNameContained(const char* name) {
    if (!name) return false;
    if (strchr(name, ':')) return false;
    if (IsSeparator(name[0]) && IsSeparator(name[1])) return false;

    const char* component = name;
    while (true) {
        const char* end = component;
        while (*end && !IsSeparator(*end)) ++end;
        size_t length = static_cast<size_t>(end - component);
        if (IsParentLike(component, length) || IsDeviceName(component, length)) return false;
        if (*end == '\0') return true;
        component = end + 1;
    }
}

const char* LeafOf(const char* path) {
    const char* leaf = path;
    for (const char* p = path; *p; ++p) {
        if (IsSeparator(*p)) leaf = p + 1;
    }
    return leaf;
}
