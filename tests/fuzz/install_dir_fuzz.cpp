// Fuzz target: the install-folder rules. Fields (cut at "|"):
//   0 folder text   1 sub-folder   2 base or picked folder (absent: null base)
//   3 capacity selector   4 data bytes   5 package bytes   6 free bytes
//   7 sectors per cluster   8 bytes per sector   9 free clusters
//
// Longer run, from the repository root after the fuzz build:
//   mkdir -p /tmp/corpus-install_dir && build/fuzz/install_dir_fuzz -max_len=1024 \
//       -max_total_time=300 /tmp/corpus-install_dir tests/fuzz/corpus/install_dir
#include <string>

#include "fuzz_support.h"
#include "ui/install_dir_rules.h"

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The accepted form: letter, ":", "\", then components that are not empty and
// hold no ":", each closed by exactly one "\".
bool HasAcceptedForm(const std::string& dir) {
    if (dir.size() < 3 || !IsLetter(dir[0]) || dir[1] != ':' || dir[2] != '\\') return false;
    size_t start = 3;
    while (start < dir.size()) {
        size_t sep = dir.find('\\', start);
        if (sep == std::string::npos || sep == start) return false;
        if (dir.substr(start, sep - start).find(':') != std::string::npos) return false;
        start = sep + 1;
    }
    return true;
}

// What the normalisation should give for |input| in a |capacity|-byte buffer:
// trailing blanks gone, one "\" closing it; empty when it is to be refused.
std::string ExpectedNormalised(const std::string& input, size_t capacity) {
    if (input.size() < 3) return std::string();
    std::string text = input;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (!text.empty() && text.back() != '\\') {
        if (text.size() + 2 > capacity) return std::string();
        text += '\\';
    }
    return HasAcceptedForm(text) ? text : std::string();
}

void CheckNormalise(const std::string& input, size_t capacity) {
    ExactBuffer dir(capacity);
    if (capacity <= input.size()) {
        // No NUL within the capacity: refused, and the buffer untouched.
        memcpy(dir.get(), input.data(), capacity);
        FUZZ_CHECK(!NormaliseInstallDir(dir.get(), capacity));
        FUZZ_CHECK(memcmp(dir.get(), input.data(), capacity) == 0);
        return;
    }
    memcpy(dir.get(), input.c_str(), input.size() + 1);
    bool accepted = NormaliseInstallDir(dir.get(), capacity);
    std::string expected = ExpectedNormalised(input, capacity);
    FUZZ_CHECK(accepted == !expected.empty());
    FUZZ_CHECK(memchr(dir.get(), '\0', capacity) != nullptr);
    if (!accepted) return;

    FUZZ_CHECK(dir.text() == expected);
    FUZZ_CHECK(HasAcceptedForm(dir.text()));
    // Normalising an accepted folder again changes nothing.
    ExactBuffer again(capacity);
    memcpy(again.get(), dir.get(), capacity);
    FUZZ_CHECK(NormaliseInstallDir(again.get(), capacity));
    FUZZ_CHECK(again.text() == dir.text());

    // The drive checks read the accepted folder's root.
    ExactBuffer root(kPathCapacity);
    FUZZ_CHECK(ComposeDriveRoot(dir.get(), root.get(), root.size()));
    FUZZ_CHECK(root.text() == expected.substr(0, 3));
    ExactBuffer test(kPathCapacity);
    FUZZ_CHECK(ComposeDriveTestPath(dir.get(), test.get(), test.size()));
    FUZZ_CHECK(test.text() == expected.substr(0, 3) + "_setuptest_");
}

// What a folder picker returns: an accepted folder without its closing "\",
// unless it is a drive root.
bool IsPickerPath(const std::string& picked) {
    if (picked.size() == 3) return HasAcceptedForm(picked);
    return !picked.empty() && picked.back() != '\\' && HasAcceptedForm(picked + "\\");
}

void CheckComposers(const FuzzFields& f) {
    const std::string folder = f.Text(0);
    const std::string subdir = f.Text(1);
    const char* base = f.TextOrNull(2);
    const std::string picked = f.Text(2);
    const int64_t selector = f.Number(3);

    std::string expected = (base ? base : "") + subdir;
    ExactBuffer byDefault(CapacityNear(expected.size(), selector, kPathCapacity));
    CheckComposed(ComposeDefaultInstallDir(base, subdir.c_str(), byDefault.get(), byDefault.size()),
                  byDefault, expected);

    if (picked.find(subdir) != std::string::npos) {
        expected = picked;
    } else {
        bool root = picked.size() == 3 && picked[2] == '\\';
        expected = (root ? picked.substr(0, 2) : picked) + subdir;
    }
    ExactBuffer browsed(CapacityNear(expected.size(), selector, kPathCapacity));
    CheckComposed(ComposeBrowsedInstallDir(picked.c_str(), subdir.c_str(), browsed.get(), browsed.size()),
                  browsed, expected);

    // A picked folder with the product's sub-folder ("\" and one component)
    // is a folder the normalisation accepts, whenever it fits.
    bool subdirIsComponent = subdir.size() > 1 && subdir[0] == '\\' &&
                             subdir.find_first_of("\\:", 1) == std::string::npos;
    if (IsPickerPath(picked) && subdirIsComponent && expected.size() + 2 <= kPathCapacity) {
        ExactBuffer dir(kPathCapacity);
        FUZZ_CHECK(ComposeBrowsedInstallDir(picked.c_str(), subdir.c_str(), dir.get(), dir.size()));
        FUZZ_CHECK(NormaliseInstallDir(dir.get(), dir.size()));
    }

    ExactBuffer test(CapacityNear(folder.size() + 11, selector, kPathCapacity));
    bool ok = ComposeDriveTestPath(folder.c_str(), test.get(), test.size());
    if (folder.size() < 3) CheckRefused(ok, test);
    else CheckComposed(ok, test, folder.substr(0, 3) + "_setuptest_");

    ExactBuffer root(CapacityNear(3, selector, kPathCapacity));
    ok = ComposeDriveRoot(folder.c_str(), root.get(), root.size());
    if (folder.size() < 2 || folder[1] != ':') CheckRefused(ok, root);
    else CheckComposed(ok, root, folder.substr(0, 1) + ":\\");
}

void CheckArithmetic(const FuzzFields& f) {
    const int32_t dataBytes = f.I32(4);
    const int32_t packageBytes = f.I32(5);
    const uint64_t freeBytes = static_cast<uint64_t>(f.Number(6));

    __int128 sum = static_cast<__int128>(dataBytes) + 2 * static_cast<__int128>(packageBytes);
    int32_t required = RequiredFreeMiB(dataBytes, packageBytes);
    FUZZ_CHECK(required == static_cast<int32_t>(sum / 1048576));  // both truncate toward zero
    FUZZ_CHECK(HasRoomForInstall(freeBytes, dataBytes, packageBytes) ==
               (static_cast<uint32_t>(freeBytes >> 20) > static_cast<uint32_t>(required)));

    unsigned __int128 product = static_cast<unsigned __int128>(f.U32(7)) * f.U32(8) * f.U32(9);
    FUZZ_CHECK(PlainQueryFreeBytes(f.U32(7), f.U32(8), f.U32(9)) == static_cast<uint64_t>(product));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFields f(data, size);
    const std::string folder = f.Text(0);
    CheckNormalise(folder, CapacityNear(folder.size(), f.Number(3), kPathCapacity));
    CheckNormalise(folder, kPathCapacity);
    CheckComposers(f);
    CheckArithmetic(f);
    return 0;
}
