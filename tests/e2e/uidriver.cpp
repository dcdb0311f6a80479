// uidriver: drives another program's windows for end-to-end tests, one command per run, from a
// console program in the same Wine prefix. Arguments arrive as UTF-16 (wmain) and are kept as
// UTF-8; every call that carries a text is the wide one, so titles and texts compare as
// characters whatever the system's code page (LANG=ko_KR.UTF-8 or en_US.UTF-8 under Wine).
// Output is UTF-8.
// Exit code: 0 success, 1 not found / timed out / check failed, 2 usage error.
//
// Only visible top-level windows count; the first in Z-order with exactly the title is used.
// Actions (set-text, click, check, key, close) first wait until a person could do them:
// control visible and enabled, its window enabled (not behind a modal box). A window that leaves
// a message unanswered for 5 s fails the command: its program is hung.
//
// A message box is read as a person sees it: caption, text, buttons from left to right, the
// default button, and which of the system's icons it shows (none, question, information,
// warning, error; other for any other icon).
#include <fcntl.h>
#include <io.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
// After windows.h, which psapi.h needs.
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

const int kOk = 0;
const int kFail = 1;
const int kUsage = 2;
const DWORD kPollMs = 20;
const DWORD kWaitMs = 10000;    // default timeout of wait-* and answer
const DWORD kActMs = 5000;      // default time an action waits for its target to be usable
const UINT kSendMs = 5000;      // a hung target must not hang the test
const int kBoxTextId = 0xFFFF;  // the message static of a message box

bool g_unanswered = false;  // a window let a message time out: its answer is not to be trusted
const char kNoAnswer[] = "the program's window stopped answering messages";

std::string Fmt(const char* fmt, ...) {
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

std::wstring Wide(const std::string& utf8) {
    int size = static_cast<int>(utf8.size());
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(n, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, &wide[0], n);
    return wide;
}

std::string ToUtf8(const std::wstring& wide) {
    int size = static_cast<int>(wide.size());
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(n, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, &utf8[0], n, nullptr, nullptr);
    return utf8;
}

// Writes one UTF-8 line; a console gets UTF-16, as it would reinterpret the bytes.
void WriteLine(DWORD stdId, const std::string& utf8) {
    std::string line = utf8 + '\n';
    HANDLE h = GetStdHandle(stdId);
    DWORD mode, done;
    if (GetConsoleMode(h, &mode)) {
        std::wstring wide = Wide(line);
        WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
        return;
    }
    FILE* f = stdId == STD_OUTPUT_HANDLE ? stdout : stderr;
    fwrite(line.data(), 1, line.size(), f);
    fflush(f);
}

int Complain(int code, const std::string& utf8) {
    WriteLine(STD_ERROR_HANDLE, "uidriver: " + utf8);
    return code;
}

int Fail(const std::string& utf8) { return Complain(kFail, utf8); }

int Print(const std::string& utf8) {
    if (g_unanswered) return Fail(kNoAnswer);
    WriteLine(STD_OUTPUT_HANDLE, utf8);
    return kOk;
}

template <typename Pred>
bool WaitFor(DWORD timeoutMs, Pred ready) {
    DWORD start = GetTickCount();
    for (;;) {
        if (ready()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}

std::string WindowTitle(HWND h) {
    WCHAR buf[1024] = L"";
    GetWindowTextW(h, buf, 1024);
    return ToUtf8(buf);
}

bool IsClass(HWND h, const char* name) {
    WCHAR buf[256] = L"";
    GetClassNameW(h, buf, 256);
    return lstrcmpiW(buf, Wide(name).c_str()) == 0;
}

LRESULT Ask(HWND h, UINT msg, WPARAM w = 0, LPARAM l = 0) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(h, msg, w, l, SMTO_ABORTIFHUNG, kSendMs, &result)) return result;
    if (IsWindow(h)) g_unanswered = true;  // a window closing meanwhile is no hang
    return 0;
}

// GetWindowTextW answers "" for another process's edit, so ask the control itself.
std::string ControlText(HWND h) {
    std::vector<WCHAR> buf(Ask(h, WM_GETTEXTLENGTH) + 1, L'\0');
    if (!g_unanswered) Ask(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(&buf[0]));
    return ToUtf8(&buf[0]);
}

BOOL CALLBACK Collect(HWND h, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> TopWindows() {
    std::vector<HWND> all, visible;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    for (HWND h : all) {
        if (IsWindowVisible(h)) visible.push_back(h);
    }
    return visible;
}

std::vector<HWND> WindowsTitled(const std::string& title) {
    std::vector<HWND> found;
    for (HWND h : TopWindows()) {
        if (WindowTitle(h) == title) found.push_back(h);
    }
    return found;
}

HWND FindTop(const std::string& title) {
    std::vector<HWND> found = WindowsTitled(title);
    return found.empty() ? nullptr : found[0];
}

// A message box holds only buttons and statics, its message in static 0xFFFF; that tells it
// apart from an owned dialog such as the licence one, which has an edit.
bool IsMessageBox(HWND h) {
    HWND text = GetDlgItem(h, kBoxTextId);
    if (!IsClass(h, "#32770") || !text || !IsClass(text, "Static")) return false;
    for (HWND c : Children(h)) {
        if (!IsClass(c, "Button") && !IsClass(c, "Static")) return false;
    }
    return true;
}

// The visible windows that |ownerTitle|'s window owns: its message boxes, or its other
// windows (a dialog it opened, such as the folder picker).
std::vector<HWND> OwnedWindows(const std::string& ownerTitle, bool messageBoxes) {
    std::vector<HWND> owned;
    HWND owner = FindTop(ownerTitle);
    for (HWND h : owner ? TopWindows() : std::vector<HWND>()) {
        if (GetWindow(h, GW_OWNER) == owner && IsMessageBox(h) == messageBoxes) owned.push_back(h);
    }
    return owned;
}

std::vector<HWND> BoxesOver(const std::string& ownerTitle) {
    return OwnedWindows(ownerTitle, true);
}

HWND FocusOf(HWND top) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool IsDefaultButton(HWND h) {
    return IsClass(h, "Button") && (GetWindowLongA(h, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

bool ParseNum(const char* s, unsigned long* out) {
    char* end = nullptr;
    *out = strtoul(s, &end, 0);
    return *s && *end == '\0';
}

// A control id argument, already checked by ParseNum (Run).
int ControlId(const char* arg) { return static_cast<int>(strtoul(arg, nullptr, 0)); }

struct Target {
    HWND top = nullptr;
    HWND ctl = nullptr;  // null when the command addresses the window itself
    std::string why;     // what is missing, for the failure message
};

bool Missing(Target* t, const std::string& why) {
    t->why = why;
    return false;
}

// idArg null addresses the window; usable also demands what a person needs to act on it.
bool Locate(const std::string& title, const char* idArg, bool usable, Target* t) {
    t->top = FindTop(title);
    t->ctl = nullptr;
    if (!t->top) return Missing(t, "no window \"" + title + "\"");
    if (usable && !IsWindowEnabled(t->top)) return Missing(t, "window \"" + title + "\" disabled");
    if (!idArg) return true;
    t->ctl = GetDlgItem(t->top, ControlId(idArg));
    if (!t->ctl) return Missing(t, Fmt("no control %s in \"%s\"", idArg, title.c_str()));
    if (usable && !IsWindowVisible(t->ctl)) return Missing(t, Fmt("control %s hidden", idArg));
    if (usable && !IsWindowEnabled(t->ctl)) return Missing(t, Fmt("control %s disabled", idArg));
    return true;
}

bool WaitUsable(const char* title, const char* idArg, DWORD ms, Target* t) {
    return WaitFor(ms, [&] { return Locate(title, idArg, true, t); });
}

int CmdWaitWindow(char** argv, int, DWORD ms) {
    if (WaitFor(ms, [&] { return FindTop(argv[0]) != nullptr; })) return kOk;
    return Fail(Fmt("no window \"%s\" in time", argv[0]));
}

int CmdWaitGone(char** argv, int, DWORD ms) {
    if (WaitFor(ms, [&] { return FindTop(argv[0]) == nullptr; })) return kOk;
    return Fail(Fmt("window \"%s\" still there", argv[0]));
}

int CmdCountWindows(char** argv, int, DWORD) {
    return Print(Fmt("%u", static_cast<unsigned>(WindowsTitled(argv[0]).size())));
}

int CmdText(char** argv, int, DWORD) {
    Target t;
    if (!Locate(argv[0], argv[1], false, &t)) return Fail(t.why);
    return Print(ControlText(t.ctl));
}

int CmdWaitText(char** argv, int, DWORD ms) {
    Target t;
    std::string seen = "(no control)";
    if (WaitFor(ms, [&] {
            return Locate(argv[0], argv[1], false, &t) && (seen = ControlText(t.ctl)) == argv[2];
        })) {
        return kOk;
    }
    return Fail(Fmt("control %s shows \"%s\", not \"%s\"", argv[1], seen.c_str(), argv[2]));
}

int CmdSetText(char** argv, int, DWORD ms) {
    Target t;
    if (!WaitUsable(argv[0], argv[1], ms, &t)) return Fail(t.why);
    std::wstring text = Wide(argv[2]);
    return Ask(t.ctl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) ? kOk : Fail("WM_SETTEXT refused");
}

int CmdState(char** argv, int, DWORD) {
    Target t;
    if (!Locate(argv[0], argv[1], false, &t)) return Fail(t.why);
    bool checked = IsClass(t.ctl, "Button") && Ask(t.ctl, BM_GETCHECK) == BST_CHECKED;
    return Print(Fmt("visible=%d enabled=%d default=%d checked=%d focus=%d",
                     IsWindowVisible(t.ctl) ? 1 : 0, IsWindowEnabled(t.ctl) ? 1 : 0,
                     IsDefaultButton(t.ctl), checked, FocusOf(t.top) == t.ctl));
}

// Posted, not sent: a click that opens a modal box would hold a sent message until it closes.
int CmdClick(char** argv, int, DWORD ms) {
    Target t;
    if (!WaitUsable(argv[0], argv[1], ms, &t)) return Fail(t.why);
    return PostMessageA(t.ctl, BM_CLICK, 0, 0) ? kOk : Fail("PostMessage failed");
}

// Clicks like a person, so the program gets its BN_CLICKED, then waits for the new state.
int CmdCheck(char** argv, int, DWORD ms) {
    Target t;
    if (strcmp(argv[2], "0") != 0 && strcmp(argv[2], "1") != 0) return Complain(kUsage, "want 0|1");
    if (!WaitUsable(argv[0], argv[1], ms, &t)) return Fail(t.why);
    LRESULT want = argv[2][0] == '1' ? BST_CHECKED : BST_UNCHECKED;
    if (Ask(t.ctl, BM_GETCHECK) != want) PostMessageA(t.ctl, BM_CLICK, 0, 0);
    if (WaitFor(ms, [&] { return Ask(t.ctl, BM_GETCHECK) == want; })) return kOk;
    return Fail(Fmt("control %s did not become %s", argv[1], argv[2]));
}

bool ParseKey(const char* name, UINT* vk) {
    static const std::pair<const char*, UINT> kNames[] = {
        {"esc", VK_ESCAPE}, {"enter", VK_RETURN}, {"tab", VK_TAB}, {"space", VK_SPACE}};
    for (const auto& k : kNames) {
        if (lstrcmpiA(name, k.first) != 0) continue;
        *vk = k.second;
        return true;
    }
    unsigned long v;
    if (!ParseNum(name, &v) || v == 0 || v > 0xFE) return false;
    *vk = static_cast<UINT>(v);
    return true;
}

// Posts a key press to the window's focused control, so the program's dialog loop turns Esc
// into IDCANCEL and Enter into the default button as it does for typed keys.
int CmdKey(char** argv, int, DWORD ms) {
    UINT vk;
    Target t;
    if (!ParseKey(argv[1], &vk)) return Complain(kUsage, "key is esc, enter, tab, space or a VK");
    if (!WaitUsable(argv[0], nullptr, ms, &t)) return Fail(t.why);
    HWND focus = FocusOf(t.top);
    HWND to = focus && (focus == t.top || IsChild(t.top, focus)) ? focus : t.top;
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(to, WM_KEYDOWN, vk, scan | 1);
    PostMessageA(to, WM_KEYUP, vk, scan | 1 | (1 << 30) | static_cast<LPARAM>(1u << 31));
    return kOk;
}

// The close box of the caption.
int CmdClose(char** argv, int, DWORD ms) {
    Target t;
    if (!WaitUsable(argv[0], nullptr, ms, &t)) return Fail(t.why);
    return PostMessageA(t.top, WM_SYSCOMMAND, SC_CLOSE, 0) ? kOk : Fail("PostMessage failed");
}

HWND WaitOwned(const char* ownerTitle, bool messageBox, DWORD ms) {
    HWND found = nullptr;
    WaitFor(ms, [&] {
        std::vector<HWND> owned = OwnedWindows(ownerTitle, messageBox);
        found = owned.empty() ? nullptr : owned[0];
        return found != nullptr;
    });
    return found;
}

HWND WaitBox(const char* ownerTitle, DWORD ms) { return WaitOwned(ownerTitle, true, ms); }

// Prints the title of a window the owner opened that is no message box, such as the folder
// picker, so later commands can address it.
int CmdWaitOwned(char** argv, int, DWORD ms) {
    HWND owned = WaitOwned(argv[0], false, ms);
    if (!owned) return Fail(Fmt("no window owned by \"%s\"", argv[0]));
    return Print(WindowTitle(owned));
}

// Line ends become a literal \n so a test compares the whole message with a one-line string.
std::string OneLine(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i] == '\n' || text[i] == '\r' ? std::string("\\n") : std::string(1, text[i]);
    }
    return out;
}

// The shared system icons a message box shows for MB_ICONQUESTION, MB_ICONINFORMATION,
// MB_ICONWARNING and MB_ICONERROR, by the name the driver prints.
const std::pair<const char*, LPCSTR> kBoxIcons[] = {{"question", IDI_QUESTION},
                                                    {"information", IDI_INFORMATION},
                                                    {"warning", IDI_WARNING},
                                                    {"error", IDI_ERROR}};
const DWORD kPaintMs = 2000;  // how long a new box may take to show its icon on the screen

// The icon static of a message box: visible, of the icon style and holding an icon; null when
// the box shows no icon.
HWND IconStatic(HWND box) {
    for (HWND c : Children(box)) {
        bool iconStyle = (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (IsWindowVisible(c) && IsClass(c, "Static") && iconStyle && Ask(c, STM_GETICON))
            return c;
    }
    return nullptr;
}

// A 32-bit top-down bitmap in a memory DC of its own, whose pixels can be read back.
class Canvas {
public:
    Canvas(int width, int height) : m_count(width * height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_hDC = CreateCompatibleDC(nullptr);
        m_hBitmap = CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, &m_pBits, nullptr, 0);
        m_hOld = SelectObject(m_hDC, m_hBitmap);
    }
    ~Canvas() {
        SelectObject(m_hDC, m_hOld);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hDC);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_hDC; }

    // The colours, without the unused fourth byte; empty when the bitmap could not be made.
    std::vector<DWORD> Pixels() const {
        GdiFlush();
        if (!m_pBits) return std::vector<DWORD>();
        const DWORD* bits = static_cast<const DWORD*>(m_pBits);
        std::vector<DWORD> colours(bits, bits + m_count);
        for (DWORD& c : colours) c &= 0xFFFFFF;
        return colours;
    }

private:
    int m_count;
    HDC m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
    void* m_pBits = nullptr;
};

// What the screen shows in |r| (screen coordinates).
std::vector<DWORD> ScreenPixels(const RECT& r) {
    Canvas canvas(r.right - r.left, r.bottom - r.top);
    HDC screen = GetDC(nullptr);
    BitBlt(canvas.dc(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return canvas.Pixels();
}

// |icon| drawn as a static control draws it: stretched to |size|, over |background|.
std::vector<DWORD> DrawnPixels(HICON icon, SIZE size, DWORD background) {
    Canvas canvas(size.cx, size.cy);
    RECT all = {0, 0, size.cx, size.cy};
    BYTE blue = LOBYTE(background), green = HIBYTE(background), red = LOBYTE(background >> 16);
    HBRUSH brush = CreateSolidBrush(RGB(red, green, blue));
    FillRect(canvas.dc(), &all, brush);
    DeleteObject(brush);
    DrawIconEx(canvas.dc(), 0, 0, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
    return canvas.Pixels();
}

// The name of the system icon that |iconStatic| shows, or "" when it shows none of them.
// Wine gives every process its own handle for a shared icon, so the handles of two processes
// cannot be compared: the picture on the screen is compared with each system icon drawn over
// the same background (the static's corner, which no system icon covers).
std::string ShownSystemIcon(HWND iconStatic) {
    RECT r;
    GetClientRect(iconStatic, &r);
    MapWindowPoints(iconStatic, nullptr, reinterpret_cast<POINT*>(&r), 2);
    std::vector<DWORD> shown = ScreenPixels(r);
    if (shown.empty()) return "";
    SIZE size = {r.right - r.left, r.bottom - r.top};
    for (const auto& icon : kBoxIcons) {
        if (DrawnPixels(LoadIconA(nullptr, icon.second), size, shown[0]) == shown)
            return icon.first;
    }
    return "";
}

// none, question, information, warning, error, or other (an icon that is none of the system's).
// A box that has just opened may not be on the screen yet: its icon is looked at until it shows.
std::string IconKind(HWND box) {
    HWND iconStatic = IconStatic(box);
    if (!iconStatic) return "none";
    std::string kind;
    WaitFor(kPaintMs, [&] { return !(kind = ShownSystemIcon(iconStatic)).empty(); });
    return kind.empty() ? "other" : kind;
}

// The ids of the box's visible buttons from left to right, as a person reads them, separated
// by commas; |defaultId| gets the default button's id, 0 when there is none.
std::string ButtonIds(HWND box, int* defaultId) {
    std::vector<std::pair<LONG, int>> buttons;  // left edge and id
    *defaultId = 0;
    for (HWND c : Children(box)) {
        if (!IsWindowVisible(c) || !IsClass(c, "Button")) continue;
        RECT r;
        GetWindowRect(c, &r);
        buttons.push_back(std::make_pair(r.left, GetDlgCtrlID(c)));
        if (IsDefaultButton(c)) *defaultId = GetDlgCtrlID(c);
    }
    std::sort(buttons.begin(), buttons.end());
    std::string ids;
    for (const auto& b : buttons) ids += (ids.empty() ? "" : ",") + Fmt("%d", b.second);
    return ids;
}

int PrintBox(HWND box) {
    int defaultId = 0;
    std::string buttons = ButtonIds(box, &defaultId);
    std::string icon = IconKind(box);
    return Print("caption=" + WindowTitle(box) +
                 "\ntext=" + OneLine(ControlText(GetDlgItem(box, kBoxTextId))) +
                 "\nbuttons=" + buttons + Fmt("\ndefault=%d\nicon=", defaultId) + icon);
}

int CmdWaitMsgbox(char** argv, int, DWORD ms) {
    HWND box = WaitBox(argv[0], ms);
    if (!box) return Fail(Fmt("no message box over \"%s\"", argv[0]));
    return PrintBox(box);
}

int CmdAnswer(char** argv, int, DWORD ms) {
    HWND box = WaitBox(argv[0], ms);
    if (!box) return Fail(Fmt("no message box over \"%s\"", argv[0]));
    HWND button = GetDlgItem(box, ControlId(argv[1]));
    if (!button || !IsWindowVisible(button)) return Fail(Fmt("no button %s in the box", argv[1]));
    PostMessageA(button, BM_CLICK, 0, 0);
    if (WaitFor(ms, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) return kOk;
    return Fail("message box did not close");
}

int CmdMsgboxCount(char** argv, int, DWORD) {
    if (!FindTop(argv[0])) return Fail(Fmt("no window \"%s\"", argv[0]));  // a typo must not pass
    return Print(Fmt("%u", static_cast<unsigned>(BoxesOver(argv[0]).size())));
}

// The system's code page for programs that are not Unicode: what a scenario runs the setup under.
int CmdCodePage(char**, int, DWORD) { return Print(Fmt("%u", GetACP())); }

int CmdForeground(char**, int, DWORD) {
    HWND h = GetForegroundWindow();
    if (!h) return Fail("no foreground window");
    return Print(WindowTitle(h));
}

int CmdIconic(char** argv, int, DWORD) {
    Target t;
    if (!Locate(argv[0], nullptr, false, &t)) return Fail(t.why);
    return Print(IsIconic(t.top) ? "1" : "0");
}

// With an id: the control in its window's client coordinates; without: the window on screen.
int CmdRect(char** argv, int argc, DWORD) {
    Target t;
    if (!Locate(argv[0], argc > 1 ? argv[1] : nullptr, false, &t)) return Fail(t.why);
    RECT r;
    GetWindowRect(t.ctl ? t.ctl : t.top, &r);
    if (t.ctl) MapWindowPoints(nullptr, t.top, reinterpret_cast<POINT*>(&r), 2);
    return Print(Fmt("x=%ld y=%ld w=%ld h=%ld", r.left, r.top, r.right - r.left, r.bottom - r.top));
}

int CmdStyle(char** argv, int argc, DWORD) {
    Target t;
    if (!Locate(argv[0], argc > 1 ? argv[1] : nullptr, false, &t)) return Fail(t.why);
    LONG style = GetWindowLongA(t.ctl ? t.ctl : t.top, GWL_STYLE);
    return Print(Fmt("0x%08lX", static_cast<unsigned long>(style)));
}

// Async: the target's thread may sit in a modal loop of its own.
int ShowAndWait(const char* title, int show, bool iconic, DWORD ms) {
    Target t;
    if (!Locate(title, nullptr, false, &t)) return Fail(t.why);
    ShowWindowAsync(t.top, show);
    if (WaitFor(ms, [&] { return (IsIconic(t.top) != FALSE) == iconic; })) return kOk;
    return Fail("window did not change state");
}

int CmdMinimize(char** argv, int, DWORD ms) { return ShowAndWait(argv[0], SW_MINIMIZE, true, ms); }
int CmdRestore(char** argv, int, DWORD ms) { return ShowAndWait(argv[0], SW_RESTORE, false, ms); }

// The system's handle table (every process's handles with their owners), or an empty buffer.
std::vector<char> SystemHandleTable() {
    typedef LONG(WINAPI * QueryFn)(int, void*, ULONG, ULONG*);
    const int kSystemHandleInformation = 16;
    const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);  // the table grew
    QueryFn query = reinterpret_cast<QueryFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<char> buf(1 << 20);
    ULONG needed = 0;
    LONG status = query ? kInfoLengthMismatch : -1;
    while (status == kInfoLengthMismatch) {
        ULONG size = static_cast<ULONG>(buf.size());
        status = query(kSystemHandleInformation, &buf[0], size, &needed);
        if (status == kInfoLengthMismatch) buf.resize(std::max<size_t>(size * 2, needed + 4096));
    }
    if (status < 0) buf.clear();
    return buf;
}

// Handles that |pid| holds, from the system's handle table: Wine answers the per-process
// count (GetProcessHandleCount) with 0, but lists every handle with its owner.
bool CountHandles(DWORD pid, DWORD* count) {
    std::vector<char> buf = SystemHandleTable();
    if (buf.empty()) return false;
    const SYSTEM_HANDLE_INFORMATION* table =
        reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(&buf[0]);
    *count = 0;
    for (ULONG i = 0; i < table->Count; ++i) {
        if (table->Handle[i].OwnerPid == pid) ++*count;
    }
    return true;
}

// The resources of the process that owns the window, for leak checks over many runs.
int CmdProcessStats(char** argv, int, DWORD) {
    Target t;
    if (!Locate(argv[0], nullptr, false, &t)) return Fail(t.why);
    DWORD pid = 0;
    GetWindowThreadProcessId(t.top, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return Fail(Fmt("cannot open process %lu (error %lu)", pid, GetLastError()));
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    BOOL ok = GetProcessMemoryInfo(process, &memory, sizeof memory);
    CloseHandle(process);
    DWORD handles = 0;
    if (!ok || !CountHandles(pid, &handles))
        return Fail(Fmt("cannot read the counts of process %lu", pid));
    return Print(Fmt("handles=%lu pagefile=%lu workingset=%lu", handles,
                     static_cast<unsigned long>(memory.PagefileUsage),
                     static_cast<unsigned long>(memory.WorkingSetSize)));
}

// Holds PATH open without sharing for ms, as a running older version holds its files: no one
// else may open it meanwhile. Prints "held" once it does.
int CmdHoldFile(char** argv, int, DWORD ms) {
    HANDLE file = CreateFileW(Wide(argv[0]).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(Fmt("cannot open \"%s\" (error %lu)", argv[0], GetLastError()));
    int rc = Print("held");
    Sleep(ms);
    CloseHandle(file);
    return rc;
}

// What another program of the user would try on PATH, each with full sharing of its own, so
// only the holder's sharing can refuse it: an open for writing, an open for deleting, a rename
// (undone at once if it succeeded). Prints "write=... delete=... rename=..." with "opened" or
// the error of each, e.g. "write=32 delete=32 rename=32" for a file held against them all.
int CmdTryOpen(char** argv, int, DWORD) {
    const DWORD kAllSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    std::string line;
    for (DWORD access : {static_cast<DWORD>(GENERIC_WRITE), static_cast<DWORD>(DELETE)}) {
        HANDLE file = CreateFileA(argv[0], access, kAllSharing, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        if (!error) CloseHandle(file);
        line += Fmt("%s=", access == DELETE ? "delete" : "write") + (error ? Fmt("%lu ", error) : "opened ");
    }
    std::string moved = std::string(argv[0]) + ".moved";
    DWORD error = MoveFileExA(argv[0], moved.c_str(), 0) ? 0 : GetLastError();
    if (!error) MoveFileExA(moved.c_str(), argv[0], 0);
    return Print(line + "rename=" + (error ? Fmt("%lu", error) : "done"));
}

// Seconds since 1970 by the wall clock, as the shell's EPOCHREALTIME: a script can set these
// times beside its own.
double EpochSeconds() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    const ULONGLONG k1970 = 116444736000000000ULL;  // in 100 ns units since 1601
    return static_cast<double>(t.QuadPart - k1970) / 1e7;
}

double MsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

// A WM_NULL sent without waiting: how long a click would wait for the window's thread.
struct Probe {
    LARGE_INTEGER sent;
    bool waiting = false;
    double longest = 0;  // ms, answered or still waiting
};

void CALLBACK ProbeAnswered(HWND, UINT, ULONG_PTR data, LRESULT) {
    Probe* probe = reinterpret_cast<Probe*>(data);
    probe->longest = std::max(probe->longest, MsSince(probe->sent));
    probe->waiting = false;
}

// Sends the next WM_NULL once the last one was answered, runs the callbacks that arrived and
// updates the longest wait.
void KeepProbing(HWND window, Probe* probe) {
    if (!probe->waiting) {
        QueryPerformanceCounter(&probe->sent);
        ULONG_PTR data = reinterpret_cast<ULONG_PTR>(probe);
        probe->waiting = SendMessageCallbackA(window, WM_NULL, 0, 0, ProbeAnswered, data) != 0;
    }
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (probe->waiting) probe->longest = std::max(probe->longest, MsSince(probe->sent));
}

// For benchmarks: a line "EPOCH_S ANSWER_MS TEXT" each time the control shows a new text,
// where ANSWER_MS is the longest the window took to answer WM_NULL while the text before
// showed. Ends when the text becomes UNTIL, or with "(gone)" when the window closes. The text
// is read with GetWindowTextW, which asks no thread of the target, so a busy dialog cannot
// hide its status from the watch.
int CmdWatch(char** argv, int, DWORD ms) {
    const DWORD kWatchPollMs = 2;
    Target t;
    if (!Locate(argv[0], argv[1], false, &t)) return Fail(t.why);
    std::string shown = WindowTitle(t.ctl);
    WriteLine(STD_OUTPUT_HANDLE, Fmt("%.6f 0.000 ", EpochSeconds()) + shown);
    Probe probe;
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(kWatchPollMs)) {
        KeepProbing(t.top, &probe);
        if (!IsWindow(t.top)) return Print(Fmt("%.6f %.3f (gone)", EpochSeconds(), probe.longest));
        std::string text = WindowTitle(t.ctl);
        if (text == shown) continue;
        WriteLine(STD_OUTPUT_HANDLE, Fmt("%.6f %.3f ", EpochSeconds(), probe.longest) + text);
        shown = text;
        probe.longest = 0;
        if (shown == argv[2]) return kOk;
    }
    return Fail(Fmt("control %s did not show \"%s\" in time", argv[1], argv[2]));
}

// |name| in the folder of this program.
std::wstring BesideThisProgram(const WCHAR* name) {
    WCHAR path[MAX_PATH] = L"";
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.rfind(L'\\') + 1) + name;
}

// The hook of text_recorder.dll set on |thread|; null when it cannot be set.
HHOOK SetRecorder(HMODULE recorder, DWORD thread) {
    FARPROC entry = recorder ? GetProcAddress(recorder, "RecordText") : nullptr;
    if (!entry) return nullptr;
    HOOKPROC hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(entry));
    return SetWindowsHookExW(WH_CALLWNDPROC, hook, recorder, thread);
}

// Sets text_recorder.dll (beside this program) on the thread of TITLE's window, so every text
// that thread's windows are given is appended to text_recorder.log beside it, emptied first.
// Prints "recording" once the hook is in place; ends when the window closes or after ms.
int CmdRecord(char** argv, int, DWORD ms) {
    Target t;
    if (!Locate(argv[0], nullptr, false, &t)) return Fail(t.why);
    DeleteFileW(BesideThisProgram(L"text_recorder.log").c_str());
    HMODULE recorder = LoadLibraryW(BesideThisProgram(L"text_recorder.dll").c_str());
    HHOOK hook = SetRecorder(recorder, GetWindowThreadProcessId(t.top, nullptr));
    int rc =
        hook ? Print("recording") : Fail(Fmt("cannot set the hook (error %lu)", GetLastError()));
    if (hook) WaitFor(ms, [&] { return !IsWindow(t.top); });
    if (hook) UnhookWindowsHookEx(hook);
    if (recorder) FreeLibrary(recorder);
    return rc;
}

// The visible top-level windows of process |pid|.
std::vector<HWND> VisibleWindowsOf(DWORD pid) {
    std::vector<HWND> own;
    for (HWND h : TopWindows()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid) own.push_back(h);
    }
    return own;
}

// Starts COMMAND_LINE as it is (no shell, no quoting added) and waits for the program for at
// most ms, looking at its process's visible top-level windows every 5 ms meanwhile. Prints
// "exit=N", its whole exit code (Wine hands Linux only the low 8 bits), then "window=TITLE" for
// each window seen, in the order they appeared. A program still running then is ended, and the
// command fails.
int CmdRun(char** argv, int, DWORD ms) {
    const DWORD kLookMs = 5;
    std::string commandLine = argv[0];
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return Fail(Fmt("cannot start \"%s\" (error %lu)", argv[0], GetLastError()));
    CloseHandle(process.hThread);
    std::vector<HWND> seen;
    std::string windows;
    bool ended = false;
    for (DWORD start = GetTickCount(); !ended && GetTickCount() - start < ms;) {
        ended = WaitForSingleObject(process.hProcess, kLookMs) == WAIT_OBJECT_0;
        for (HWND h : VisibleWindowsOf(process.dwProcessId)) {
            if (std::find(seen.begin(), seen.end(), h) != seen.end()) continue;
            seen.push_back(h);
            windows += "\nwindow=" + WindowTitle(h);
        }
    }
    DWORD code = 0;
    if (!ended) TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    if (!ended) return Fail(Fmt("\"%s\" still running after %lu ms", argv[0], ms) + windows);
    return Print(Fmt("exit=%lu", code) + windows);
}

struct Command {
    const char* name;
    const char* args;
    int minArgs, maxArgs;
    int idIndex;      // argument that must be a control id; -1 for none
    DWORD defaultMs;  // 0: no timeout; else the last optional argument overrides it
    int (*run)(char** argv, int argc, DWORD ms);
};

const Command kCommands[] = {
    {"wait-window", "TITLE [ms]", 1, 2, -1, kWaitMs, CmdWaitWindow},
    {"wait-gone", "TITLE [ms]", 1, 2, -1, kWaitMs, CmdWaitGone},
    {"count-windows", "TITLE", 1, 1, -1, 0, CmdCountWindows},
    {"text", "TITLE ID", 2, 2, 1, 0, CmdText},
    {"wait-text", "TITLE ID TEXT [ms]", 3, 4, 1, kWaitMs, CmdWaitText},
    {"set-text", "TITLE ID TEXT [ms]", 3, 4, 1, kActMs, CmdSetText},
    {"state", "TITLE ID", 2, 2, 1, 0, CmdState},
    {"click", "TITLE ID [ms]", 2, 3, 1, kActMs, CmdClick},
    {"check", "TITLE ID 0|1 [ms]", 3, 4, 1, kActMs, CmdCheck},
    {"key", "TITLE esc|enter|tab|space|VK [ms]", 2, 3, -1, kActMs, CmdKey},
    {"close", "TITLE [ms]", 1, 2, -1, kActMs, CmdClose},
    {"wait-msgbox", "OWNER_TITLE [ms]", 1, 2, -1, kWaitMs, CmdWaitMsgbox},
    {"answer", "OWNER_TITLE BUTTON_ID [ms]", 2, 3, 1, kWaitMs, CmdAnswer},
    {"msgbox-count", "OWNER_TITLE", 1, 1, -1, 0, CmdMsgboxCount},
    {"wait-owned", "OWNER_TITLE [ms]", 1, 2, -1, kWaitMs, CmdWaitOwned},
    {"foreground", "", 0, 0, -1, 0, CmdForeground},
    {"code-page", "", 0, 0, -1, 0, CmdCodePage},
    {"iconic", "TITLE", 1, 1, -1, 0, CmdIconic},
    {"rect", "TITLE [ID]", 1, 2, 1, 0, CmdRect},
    {"style", "TITLE [ID]", 1, 2, 1, 0, CmdStyle},
    {"minimize", "TITLE [ms]", 1, 2, -1, kActMs, CmdMinimize},
    {"restore", "TITLE [ms]", 1, 2, -1, kActMs, CmdRestore},
    {"process-stats", "TITLE", 1, 1, -1, 0, CmdProcessStats},
    {"hold-file", "PATH [ms]", 1, 2, -1, kWaitMs, CmdHoldFile},
    {"try-open", "PATH", 1, 1, -1, 0, CmdTryOpen},
    {"watch", "TITLE ID UNTIL_TEXT [ms]", 3, 4, 1, kWaitMs, CmdWatch},
    {"record", "TITLE [ms]", 1, 2, -1, kWaitMs, CmdRecord},
    {"run", "COMMAND_LINE [ms]", 1, 2, -1, 120000, CmdRun},
};

int Usage() {
    WriteLine(STD_ERROR_HANDLE, "usage: uidriver COMMAND ARGS...  (ms: timeout in milliseconds)");
    for (const Command& c : kCommands) WriteLine(STD_ERROR_HANDLE, Fmt("  %s %s", c.name, c.args));
    return kUsage;
}

int Run(const Command& c, char** argv, int argc) {
    unsigned long v;
    if (argc < c.minArgs || argc > c.maxArgs) return Usage();
    if (c.idIndex >= 0 && c.idIndex < argc && !ParseNum(argv[c.idIndex], &v)) {
        return Complain(kUsage, Fmt("bad control id \"%s\"", argv[c.idIndex]));
    }
    DWORD ms = c.defaultMs;
    if (ms && argc == c.maxArgs) {
        if (!ParseNum(argv[argc - 1], &v)) return Complain(kUsage, "bad timeout");
        ms = v;
    }
    int rc = c.run(argv, argc, ms);
    return rc == kOk && g_unanswered ? Fail(kNoAnswer) : rc;
}

}  // namespace

// The arguments as UTF-8, whatever the system's code page: Wine hands them over as UTF-16.
int wmain(int argc, wchar_t** wideArgv) {
    _setmode(_fileno(stdout), _O_BINARY);  // bare \n, bytes untranslated
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(ToUtf8(wideArgv[i]));
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    for (const Command& c : kCommands) {
        if (argc >= 2 && strcmp(argv[1], c.name) == 0) return Run(c, argv.data() + 2, argc - 2);
    }
    return Usage();
}
