// DLLs come from the system folder only: a DLL that lies beside the program (here
// known_folder_fails.dll, beside the test program) is not loaded by its name.
#include <gtest/gtest.h>

#include <string>

#include "fw/scoped.h"
#include "fw/system_library.h"
#include "test_support.h"

namespace {

const char kBesideProgram[] = "known_folder_fails.dll";

typedef HMODULE (*Loader)(const char*);

TEST(LoadSystemLibrary, TakesTheSystemFolderOnly) {
    const struct {
        const char* name;
        bool loads;
    } kCases[] = {
        {"kernel32.dll", true},
        {"wininet.dll", true},
        {kBesideProgram, false},  // lies beside the program only
        {"no_such_library.dll", false},
    };
    // With the loader's flag, and as on systems that lack it, where the full path is composed.
    const Loader kLoaders[] = {LoadSystemLibrary, LoadSystemLibraryByPath};
    for (Loader load : kLoaders) {
        for (const auto& c : kCases) {
            SCOPED_TRACE(std::string(c.name) + (load == LoadSystemLibrary ? "" : " by path"));
            ScopedLibrary module(load(c.name));
            EXPECT_EQ(module.get() != nullptr, c.loads);
            if (!c.loads) {
                EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
            }
        }
    }
}

TEST(LoadSystemLibrary, TakesAFullPathAsGiven) {
    ScopedLibrary module(LoadSystemLibrary(PathBesideTestProgram(kBesideProgram).c_str()));
    EXPECT_NE(module.get(), nullptr);
}

// Process-wide: the other tests load their own modules by full path.
TEST(RestrictDllSearchToSystem, APlainLoadNoLongerFindsADllBesideTheProgram) {
    ScopedLibrary before(LoadLibraryA(kBesideProgram));
    ASSERT_NE(before.get(), nullptr);  // the search took the program's folder
    before.Reset();
    RestrictDllSearchToSystem();
    ScopedLibrary after(LoadLibraryA(kBesideProgram));
    EXPECT_EQ(after.get(), nullptr);
    ScopedLibrary system(LoadLibraryA("kernel32.dll"));
    EXPECT_NE(system.get(), nullptr);
}

}  // namespace
