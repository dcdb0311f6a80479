// The setup dialog's parts that a run of the program never shows: the agreement
// dialog from a module without its text or with a text longer than it shows, and
// the default folder when the known-folder function is missing or fails.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "app/profile.h"
#include "fw/path_text.h"
#include "fw/app.h"
#include "res/resource.h"
#include "tests/win/test_support.h"
#include "ui/agreement_dlg.h"
#include "ui/install_dir.h"

namespace {

// The application object: the dialogs take their resources from its module.
class ModuleApp : public CWinApp {
public:
    explicit ModuleApp(HMODULE module) { m_hInstance = module; }
    BOOL InitInstance() override { return TRUE; }
};

// What a person saw while the agreement ran: the windows it showed, and the
// agreement text of the first.
struct Seen {
    int windows = 0;
    std::string text;
    HWND last = nullptr;
};
Seen g_seen;

// Declines the visible window of this thread as a person would ("동의하지 않음"
// in the agreement, the button of a message box), noting what it showed.
BOOL CALLBACK DeclineVisibleWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    if (window != g_seen.last && g_seen.windows++ == 0) {
        char text[8192] = "";
        GetDlgItemTextA(window, IDC_AGREEMENT_TEXT, text, sizeof text);
        g_seen.text = text;
    }
    g_seen.last = window;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return FALSE;
}

void CALLBACK WatchThisThread(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), DeclineVisibleWindow, 0);
}

// Runs the agreement from |module| while a timer of this thread (its messages pass through
// every modal loop) declines what it shows; whether it says it was agreed to in |agreed|.
INT_PTR RunAgreement(HMODULE module, bool* agreed) {
    ModuleApp app(module);
    g_seen = Seen();
    UINT_PTR timer = SetTimer(nullptr, 0, 100, WatchThisThread);
    CAgreementDlg dialog(nullptr);
    INT_PTR result = dialog.DoModal();
    KillTimer(nullptr, timer);
    *agreed = dialog.Agreed();
    return result;
}

struct AgreementCase {
    const char* module;  // beside the test program; null: the test program, which has no text
    int windows;         // windows shown
    size_t shownBytes;   // bytes of the text resource in the text box
};

TEST(AgreementDialog, ShowsAtMostItsBufferAndNothingWithoutItsText) {
    const AgreementCase kCases[] = {
        {nullptr, 0, 0},                  // ends itself unseen: no dialog, no message
        {"agreement_long.dll", 1, 4999},  // 6,400 bytes cut to the buffer's 4,999
    };
    for (const AgreementCase& c : kCases) {
        SCOPED_TRACE(c.module ? c.module : "the test program");
        HMODULE module = c.module ? LoadLibraryA(PathBesideTestProgram(c.module).c_str())
                                  : GetModuleHandleA(nullptr);
        ASSERT_NE(module, nullptr);
        HRSRC found = FindResourceA(module, g_profile.contractName, g_profile.contractType);
        ASSERT_EQ(found != nullptr, c.shownBytes > 0);
        const char* bytes = found ? static_cast<const char*>(LockResource(LoadResource(module, found))) : "";
        if (found) {
            ASSERT_GT(SizeofResource(module, found), c.shownBytes);  // more than is shown
        }

        bool agreed = true;
        EXPECT_EQ(RunAgreement(module, &agreed), IDCANCEL);
        EXPECT_EQ(g_seen.windows, c.windows);
        EXPECT_EQ(g_seen.text, std::string(bytes, c.shownBytes));
        EXPECT_FALSE(agreed);
        if (c.module) FreeLibrary(module);
    }
}

TEST(GetDefaultInstallDir, WithoutTheKnownFolderItIsTheSubfolderAlone) {
    ASSERT_TRUE(IsWindows6OrLater());  // else the default comes from the registry
    char localAppData[MAX_PATH] = "";
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, localAppData), S_OK);
    const std::string failing = PathBesideTestProgram("known_folder_fails.dll");
    const struct {
        const char* library;
        std::string folder;
    } kCases[] = {
        {"shell32.dll", std::string(localAppData) + "\\Velmora"},
        {"kernel32.dll", "\\Velmora"},  // the function is missing
        {failing.c_str(), "\\Velmora"},  // it fails
        {"no_such_shell.dll", "\\Velmora"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.library);
        g_pszKnownFolderLibrary = c.library;
        char installDir[kPathCapacity] = "";
        GetDefaultInstallDir(installDir, g_profile.defaultSubdir);
        EXPECT_EQ(std::string(installDir), c.folder);
    }
    g_pszKnownFolderLibrary = "shell32.dll";
}

}  // namespace
