#include "tests/win/install_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "app/messages.h"
#include "fw/code_page.h"
#include "fw/wide_calls.h"
#include "res/resource.h"

namespace {

void Put16(std::string* out, uint32_t value) {
    out->push_back(static_cast<char>(value & 0xFF));
    out->push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string* out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::string RawDeflate(const std::string& data) {
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// What one header records, true or not.
struct HeaderFields {
    uint32_t method;
    uint32_t crc;
    uint32_t packedSize;
    uint32_t size;
    std::string name;
};

uint32_t Chosen(int64_t lie, uint32_t truth) { return lie >= 0 ? static_cast<uint32_t>(lie) : truth; }

// The fields local and central headers share, from "version needed" on.
void PutCommonFields(std::string* out, const ZipEntry& entry, const HeaderFields& fields) {
    Put16(out, 20);  // version needed: 2.0
    Put16(out, entry.flags);
    Put16(out, fields.method);
    Put16(out, entry.dosDate & 0xFFFF);
    Put16(out, entry.dosDate >> 16);
    Put32(out, fields.crc);
    Put32(out, fields.packedSize);
    Put32(out, fields.size);
    Put16(out, static_cast<uint32_t>(fields.name.size()));
    Put16(out, 0);  // extra field length
}

std::vector<AskedQuestion> g_asked;
std::vector<int> g_answers;

int WINAPI AnswerFromScript(HWND owner, const char* text, const char* caption, UINT flags) {
    g_asked.push_back({owner, text, caption, flags});
    if (g_answers.empty()) return IDNO;
    int answer = g_answers.front();
    g_answers.erase(g_answers.begin());
    return answer;
}

const DWORD kWorkerTimeoutMs = 20000;

const char kMainClass[] = "InstallTestStage";
const WCHAR kControlClass[] = L"InstallTestControl";

}  // namespace

std::string BuildZip(const std::vector<ZipEntry>& entries, int declaredCount) {
    std::string archive;
    std::string directory;
    std::vector<uint32_t> offsets;
    for (const ZipEntry& entry : entries) {
        uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()),
                             static_cast<uInt>(entry.data.size()));
        if (entry.wrongCrc) crc ^= 0x5A5A5A5A;
        std::string packed = entry.deflated ? RawDeflate(entry.data) : entry.data;
        HeaderFields central = {Chosen(entry.method, entry.deflated ? 8 : 0), crc,
                                Chosen(entry.packedSize, static_cast<uint32_t>(packed.size())),
                                Chosen(entry.size, static_cast<uint32_t>(entry.data.size())), entry.name};
        HeaderFields local = central;
        local.method = Chosen(entry.localMethod, central.method);
        local.size = Chosen(entry.localSize, central.size);
        if (!entry.localName.empty()) local.name = entry.localName;

        if (entry.sameLocalAs >= 0) {
            offsets.push_back(offsets.at(entry.sameLocalAs));
        } else {
            offsets.push_back(static_cast<uint32_t>(archive.size()));
            Put32(&archive, 0x04034b50);
            PutCommonFields(&archive, entry, local);
            archive += local.name + packed;
        }

        Put32(&directory, 0x02014b50);
        Put16(&directory, 20);  // made by: MS-DOS, 2.0
        PutCommonFields(&directory, entry, central);
        Put16(&directory, 0);   // comment length
        Put16(&directory, 0);   // disk
        Put16(&directory, 0);   // internal attributes
        bool folder = !entry.name.empty() && (entry.name.back() == '/' || entry.name.back() == '\\');
        Put32(&directory, folder ? FILE_ATTRIBUTE_DIRECTORY : 0);
        Put32(&directory, offsets.back());
        directory += entry.name;
    }
    uint32_t count = declaredCount >= 0 ? static_cast<uint32_t>(declaredCount) : entries.size();
    uint32_t directoryOffset = static_cast<uint32_t>(archive.size());
    archive += directory;
    Put32(&archive, 0x06054b50);
    Put16(&archive, 0);
    Put16(&archive, 0);
    Put16(&archive, count);
    Put16(&archive, count);
    Put32(&archive, static_cast<uint32_t>(directory.size()));
    Put32(&archive, directoryOffset);
    Put16(&archive, 0);
    return archive;
}

uint32_t Get32(const std::string& archive, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(archive.at(offset + i))) << (8 * i);
    return value;
}

void Set16(std::string* archive, size_t offset, uint32_t value) {
    archive->at(offset) = static_cast<char>(value & 0xFF);
    archive->at(offset + 1) = static_cast<char>((value >> 8) & 0xFF);
}

void Set32(std::string* archive, size_t offset, uint32_t value) {
    Set16(archive, offset, value & 0xFFFF);
    Set16(archive, offset + 2, value >> 16);
}

std::string NoiseBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

ScopedHandle OpenArchiveFile(const std::string& path) {
    return ScopedHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

StageWindow::StageWindow() {
    WNDCLASSA main = {};
    main.lpfnWndProc = MainProc;
    main.hInstance = GetModuleHandleA(nullptr);
    main.lpszClassName = kMainClass;
    RegisterClassA(&main);  // fails harmlessly when registered already
    // Unicode controls, as the dialog's: the stages' CP949 texts reach them converted.
    WNDCLASSW control = {};
    control.lpfnWndProc = ControlProc;
    control.hInstance = main.hInstance;
    control.lpszClassName = kControlClass;
    RegisterClassW(&control);

    window_ = CreateWindowA(kMainClass, "stage", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                            main.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    for (int id : {IDC_STATUS, IDC_PERCENT}) {
        CreateWindowW(kControlClass, L"", WS_CHILD, 0, 0, 10, 10, window_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), main.hInstance, nullptr);
    }
}

StageWindow::~StageWindow() { DestroyWindow(window_); }

namespace {

// A stage's work on the worker thread, ended as a stage ends it.
struct StageCall {
    const std::function<StageResult()>* stage;
    StageReporter reporter;
};

DWORD WINAPI RunStageCall(LPVOID param) {
    const StageCall* call = static_cast<const StageCall*>(param);
    call->reporter.Finish((*call->stage)());
    return 0;
}

}  // namespace

void StageWindow::RunStage(const std::function<StageResult()>& stage, UINT doneMessage) {
    StageCall call = {&stage, reporter(doneMessage)};
    RunWorker(RunStageCall, &call);
}

void StageWindow::RunWorker(LPTHREAD_START_ROUTINE worker, void* param) {
    HANDLE thread = CreateThread(nullptr, 0, worker, param, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    DWORD start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0) {
        Drain();
        if (GetTickCount() - start > kWorkerTimeoutMs) {
            TerminateThread(thread, 1);  // a worker that never ends is the fault under test
            ADD_FAILURE() << "the worker did not end within " << kWorkerTimeoutMs << " ms";
            break;
        }
    }
    CloseHandle(thread);
    Drain();
}

bool StageWindow::WaitForStageMessage(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    size_t before = messages.size();
    while (messages.size() == before) {
        DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - waited, QS_ALLINPUT);
        Drain();
    }
    return true;
}

void StageWindow::Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

LRESULT CALLBACK StageWindow::MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<StageWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message >= WM_SETUP_FIRST && message <= WM_SETUP_LAST) {
        self->messages.push_back(message);
        if (message == WM_SETUP_FAILED) self->failures.push_back(StageResultOfMessage(wParam, lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK StageWindow::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<StageWindow*>(GetWindowLongPtrA(GetParent(window), GWLP_USERDATA));
    if (self && message == WM_SETTEXT) {
        char text[1024];  // recorded as the program's CP949; one that does not convert as ""
        WideToCp949(reinterpret_cast<const WCHAR*>(lParam), text, sizeof text);
        (GetDlgCtrlID(window) == IDC_STATUS ? self->statusTexts : self->percentTexts).push_back(text);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

ScriptedAnswers::ScriptedAnswers(std::vector<int> answers) {
    g_asked.clear();
    g_answers = std::move(answers);
    g_pfnStageMessageBox = AnswerFromScript;
}

ScriptedAnswers::~ScriptedAnswers() { g_pfnStageMessageBox = MessageBoxCp949; }

const std::vector<AskedQuestion>& ScriptedAnswers::asked() const { return g_asked; }
