#include "ui/install_dir_rules.h"

#include <cstring>

#include "fw/bounded_text.h"

namespace {

const int64_t kBytesPerMiB = 1048576;

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool HasDriveRoot(const char* text) {
    return IsAsciiLetter(text[0]) && text[1] == ':' && text[2] == '\\';
}

// Every component after the root must be non-empty and free of ":".
bool ComponentsAreValid(const char* afterRoot) {
    const char* start = afterRoot;
    for (const char* sep = strchr(start, '\\'); sep; sep = strchr(start, '\\')) {
        if (sep == start) return false;
        if (memchr(start, ':', static_cast<size_t>(sep - start))) return false;
        start = sep + 1;
    }
    return strchr(start, ':') == nullptr;
}

}  // namespace

bool NormaliseInstallDir(char* dir, size_t capacity) {
    if (!dir) return false;
    const char* end = static_cast<const char*>(memchr(dir, '\0', capacity));
    if (!end) return false;
    size_t length = static_cast<size_t>(end - dir);
    if (length < 3) return false;

    while (length > 0 && dir[length - 1] == ' ') dir[--length] = '\0';
    if (length > 0 && dir[length - 1] != '\\') {
        if (length + 2 > capacity) return false;
        dir[length++] = '\\';
        dir[length] = '\0';
    }
    // An all-blank text is empty now; the root rule rejects it.
    if (length < 3 || !HasDriveRoot(dir)) return false;
    return ComponentsAreValid(dir + 3);
}

bool ComposeDefaultInstallDir(const char* base, const char* subdir, char* out, size_t cap) {
    return BoundedText(out, cap).Add(base ? base : "").Add(subdir).Fits();
}

bool ComposeBrowsedInstallDir(const char* picked, const char* subdir, char* out, size_t cap) {
    if (strstr(picked, subdir)) return BoundedText(out, cap).Add(picked).Fits();
    size_t keep = strlen(picked);
    if (keep == 3 && picked[2] == '\\') keep = 2;  // "D:\" + "\Velmora" must not double the "\"
    return BoundedText(out, cap).Add(picked, keep).Add(subdir).Fits();
}

bool ComposeDriveTestPath(const char* installDir, char* out, size_t cap) {
    if (strlen(installDir) < 3) {
        if (cap > 0) out[0] = '\0';
        return false;
    }
    return BoundedText(out, cap).Add(installDir, 3).Add("_setuptest_").Fits();
}

bool ComposeDriveRoot(const char* installDir, char* out, size_t cap) {
    if (installDir[0] == '\0' || installDir[1] != ':') {
        if (cap > 0) out[0] = '\0';
        return false;
    }
    return BoundedText(out, cap).Add(installDir, 1).Add(":\\").Fits();
}

int32_t RequiredFreeMiB(int32_t dataBytes, int32_t packageBytes) {
    // 64-bit sum: the same result as 32-bit arithmetic wherever that does not
    // overflow, and no wrap where it would. C++ division truncates toward zero.
    int64_t sum = static_cast<int64_t>(dataBytes) + 2 * static_cast<int64_t>(packageBytes);
    return static_cast<int32_t>(sum / kBytesPerMiB);
}

bool HasRoomForInstall(uint64_t freeBytesToCaller, int32_t dataBytes, int32_t packageBytes) {
    uint32_t freeMiB = static_cast<uint32_t>(freeBytesToCaller >> 20);
    uint32_t required = static_cast<uint32_t>(RequiredFreeMiB(dataBytes, packageBytes));
    return freeMiB > required;
}

uint64_t PlainQueryFreeBytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                             uint32_t freeClusters) {
    uint64_t bytesPerCluster = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector;
    return bytesPerCluster * freeClusters;
}
