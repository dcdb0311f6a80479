// Fuzz target: the containment check on archive entry names and the paths of
// the extraction and the data copy. Fields (cut at "|"):
//   0 entry name   1 folder (install folder, setup path or walked folder)
//   2 capacity selector
//
// Longer run, from the repository root after the fuzz build:
//   mkdir -p /tmp/corpus-entry_name && build/fuzz/entry_name_fuzz -max_len=1024 \
//       -max_total_time=300 /tmp/corpus-entry_name tests/fuzz/corpus/entry_name
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "fw/path_text.h"
#include "install/data_copy_rules.h"
#include "install/entry_name_rules.h"

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

std::vector<std::string> Components(const std::string& name) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : name) {
        if (IsSeparator(c)) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

// Names Windows opens as devices, whatever the folder before them.
bool IsDevice(const std::string& component) {
    static const std::set<std::string> kDevices = [] {
        std::set<std::string> devices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
        // The superscript digits one, two and three in code page 949.
        const char* const numbers[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9",
                                       "\xA9\xF6", "\xA9\xF7", "\xA9\xF8"};
        for (const char* number : numbers) {
            devices.insert(std::string("COM") + number);
            devices.insert(std::string("LPT") + number);
        }
        return devices;
    }();
    std::string stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return kDevices.count(stem) > 0;
}

// Only dots and blanks, with two dots or more: Windows trims trailing dots and
// blanks, so "..." or ".. " may become ".." on the way.
bool IsParentLike(const std::string& component) {
    return component.find_first_not_of(". ") == std::string::npos &&
           std::count(component.begin(), component.end(), '.') >= 2;
}

// |path| as Windows would read it, in a simple model: "/" is "\", runs of
// separators are one, "." stays, a parent-like component climbs one folder
// (never above the drive). Empty when the path is not a file of the drive:
// a ":" after the drive (another drive or a stream) or a device component.
std::string Resolve(const std::string& path) {
    if (path.find(':', 2) != std::string::npos) return std::string();
    std::vector<std::string> kept;
    for (const std::string& part : Components(path.substr(2))) {
        if (IsDevice(part)) return std::string();
        if (IsParentLike(part)) {
            if (!kept.empty()) kept.pop_back();
        } else if (part.find_first_not_of(". ") != std::string::npos) {
            kept.push_back(part);
        }
    }
    std::string resolved = path.substr(0, 2);
    for (const std::string& part : kept) resolved += "\\" + part;
    return resolved;
}

void CheckContainment(const char* name) {
    const std::string text = name;
    bool contained = IsEntryNameContained(name);

    // The safety property: an accepted name, joined to the install folder,
    // resolves to the folder or to something inside it.
    const std::string folder = "C:\\Program Files\\Velmora";
    if (contained) {
        std::string resolved = Resolve(folder + "\\" + text);
        FUZZ_CHECK(resolved == folder || resolved.compare(0, folder.size() + 1, folder + "\\") == 0);
    }

    // And exactly what the rule lists is refused.
    bool refused = text.find(':') != std::string::npos ||
                   (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]));
    for (const std::string& part : Components(text)) refused = refused || IsParentLike(part) || IsDevice(part);
    FUZZ_CHECK(contained == !refused);
}

void CheckComposers(const FuzzFields& f) {
    const std::string name = f.Text(0);
    const std::string folder = f.Text(1);
    const int64_t selector = f.Number(2);

    // The one join of every target, folder and pattern of the extraction and the data copy.
    std::string expected = folder + name;
    ExactBuffer target(CapacityNear(expected.size(), selector, kEntryPathCapacity));
    CheckComposed(ComposePath(target.get(), target.size(), {folder.c_str(), name.c_str()}), target,
                  expected);
    ExactBuffer sub(CapacityNear(expected.size() + 1, selector, kPathCapacity));
    CheckComposed(ComposePath(sub.get(), sub.size(), {folder.c_str(), name.c_str(), "\\"}), sub,
                  expected + "\\");

    size_t lastSeparator = folder.rfind('\\');
    ExactBuffer source(CapacityNear(lastSeparator + 6, selector, kPathCapacity));
    bool ok = ComposeDataSourceDir(folder.c_str(), source.get(), source.size());
    if (lastSeparator == std::string::npos) CheckRefused(ok, source);
    else CheckComposed(ok, source, folder.substr(0, lastSeparator) + "\\data\\");
}

void CheckLeaf(const char* path) {
    const char* leaf = LeafOf(path);
    size_t length = strlen(path);
    FUZZ_CHECK(leaf >= path && leaf <= path + length);
    FUZZ_CHECK(strpbrk(leaf, "/\\") == nullptr);
    FUZZ_CHECK(leaf == path || IsSeparator(leaf[-1]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFields f(data, size);
    CheckContainment(f.Text(0));
    CheckContainment(f.Text(1));
    FUZZ_CHECK(!IsEntryNameContained(nullptr));
    CheckComposers(f);
    CheckLeaf(f.Text(0));
    const std::string item = f.Text(0);
    FUZZ_CHECK(IsSelfOrParentItem(item.c_str()) == (item == "." || item == ".."));
    return 0;
}
