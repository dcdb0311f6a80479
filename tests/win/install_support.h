// Helpers for the tests of the extraction and the data copy: archives built
// byte by byte, a stand-in for the main dialog, and a scripted answerer of the
// cancel question.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/run_flags.h"
#include "app/stage_reporter.h"
#include "fw/scoped.h"
#include "install/progress_rules.h"

// 2019-06-15 13:45:30 as an MS-DOS date (high 16 bits) and time (low 16 bits).
const uint32_t kSampleDosDate = ((2019 - 1980) << 25) | (6 << 21) | (15 << 16) | (13 << 11) | (45 << 5) | (30 / 2);

struct ZipEntry {
    std::string name;
    std::string data;
    bool deflated = false;
    uint32_t dosDate = kSampleDosDate;
    bool wrongCrc = false;  // record a CRC-32 that does not match the data
    // Lies of hostile archives: when set, recorded instead of the truth. The
    // data stays as built.
    int method = -1;          // compression method, both headers
    int64_t size = -1;        // uncompressed size, both headers
    int64_t packedSize = -1;  // compressed size, both headers
    uint16_t flags = 0;       // general-purpose flags, both headers
    std::string localName{};  // the local header's name, when not empty
    int localMethod = -1;     // the local header's method
    int64_t localSize = -1;   // the local header's uncompressed size
    int sameLocalAs = -1;     // no local header of its own: the directory points at entry N's
};

// A single-disk zip archive holding |entries| in order. |declaredCount|, when
// not negative, replaces the entry count of the end record.
std::string BuildZip(const std::vector<ZipEntry>& entries, int declaredCount = -1);

// Where the fields of the end record (the last 22 bytes of a BuildZip archive
// without comment) lie, counted from its start.
const size_t kEndRecordSize = 22;
const size_t kEndCountOnDisk = 8;      // 16 bits
const size_t kEndCountTotal = 10;      // 16 bits
const size_t kEndDirectorySize = 12;   // 32 bits
const size_t kEndDirectoryOffset = 16; // 32 bits

// Little-endian field of |archive| at |offset|.
uint32_t Get32(const std::string& archive, size_t offset);
void Set16(std::string* archive, size_t offset, uint32_t value);
void Set32(std::string* archive, size_t offset, uint32_t value);

// |size| bytes that deflate poorly, the same for the same |seed|.
std::string NoiseBytes(size_t size, uint32_t seed);

// The archive file at |path| opened as the setup holds its downloaded archive for the
// extraction: a handle with read access that others may only read through. Empty when it
// cannot be opened.
ScopedHandle OpenArchiveFile(const std::string& path);

// Stands in for the main dialog while a stage runs: a hidden window with the
// controls IDC_STATUS and IDC_PERCENT that records the private messages posted
// to it (with the results the failures carry) and the texts written to the two
// controls. Create it on the test's thread.
class StageWindow {
public:
    StageWindow();
    ~StageWindow();
    StageWindow(const StageWindow&) = delete;
    StageWindow& operator=(const StageWindow&) = delete;

    // Runs |worker| on a thread of its own, as the dialog does, and answers
    // this thread's messages until it ends (a worker's SetDlgItemTextW waits for
    // them); then collects what it posted. A worker still running after 20 s
    // fails the test and is stopped.
    void RunWorker(LPTHREAD_START_ROUTINE worker, void* param);

    // RunWorker for a stage's work: |stage| runs on the worker thread and its result ends the
    // stage as the stage would (|doneMessage|, or WM_SETUP_FAILED).
    void RunStage(const std::function<StageResult()>& stage, UINT doneMessage);

    // What the stages under test report through; a stage that succeeds ends with |doneMessage|.
    StageReporter reporter(UINT doneMessage = 0) const { return StageReporter(window_, doneMessage); }

    // Answers messages until a WM_SETUP_... message arrives or |timeoutMs|
    // passes: for stages started the dialog's way, on a thread nobody joins.
    bool WaitForStageMessage(DWORD timeoutMs);

    // Collects what is queued without waiting.
    void Drain();

    std::vector<UINT> messages;             // WM_SETUP_... in the order posted
    std::vector<StageResult> failures;      // what each WM_SETUP_FAILED carried
    std::vector<std::string> statusTexts;   // every text written to IDC_STATUS
    std::vector<std::string> percentTexts;  // every text written to IDC_PERCENT

private:
    static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// The run state a stage under test works with: the cancel flags as a running stage has them,
// and the progress scale of the archive alone (no data folder, whatever the profile).
struct TestRun {
    RunFlags flags = {1, 0};
    CopyProgress progress = {"", 0, 0, 0, "", 1, 0};
};

// One cancel question as it was asked.
struct AskedQuestion {
    HWND owner;
    std::string text;
    std::string caption;
    UINT flags;
};

// Answers the stages' message boxes in place of a person while it lives: the
// answers in order, then IDNO. Restores the real message box afterwards.
class ScriptedAnswers {
public:
    explicit ScriptedAnswers(std::vector<int> answers);
    ~ScriptedAnswers();
    const std::vector<AskedQuestion>& asked() const;
};
