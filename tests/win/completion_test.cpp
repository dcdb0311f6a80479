// The end of a run under Wine: the variant's shortcuts and questions, and the
// sample product really started from a scratch install folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/profile.h"
#include "finish/completion.h"
#include "tests/win/finish_fixture.h"

namespace {

const char kSampleWindowClass[] = "VelmoraSampleWindow";  // sample/velmora_app.cpp

struct Box {
    std::string text;
    bool icon = false;
    bool yesIsDefault = false;
};

// Answers the message boxes of this process in turn and notes what they showed.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::vector<int> answers)
        : answers_(answers), thread_([this] { Run(); }) {}
    ~BoxAnswerer() { Finish(); }
    // Stops answering; what the boxes showed, in order.
    std::vector<Box> Finish() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return seen_;
    }

private:
    static BOOL CALLBACK FindBox(HWND window, LPARAM found) {
        DWORD process = 0;
        char type[16] = "";
        GetWindowThreadProcessId(window, &process);
        GetClassNameA(window, type, sizeof type);
        if (process != GetCurrentProcessId() || strcmp(type, "#32770") != 0 ||
            !IsWindowVisible(window))
            return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }

    static Box Describe(HWND box) {
        Box seenBox;
        char text[1024] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        seenBox.text = text;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            LONG style = GetWindowLongA(child, GWL_STYLE);
            if ((style & SS_TYPEMASK) == SS_ICON && SendMessageA(child, STM_GETICON, 0, 0))
                seenBox.icon = true;
        }
        HWND yes = GetDlgItem(box, IDYES);
        seenBox.yesIsDefault = yes && (GetWindowLongA(yes, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        return seenBox;
    }

    void Run() {
        size_t next = 0;
        while (!stop_) {
            HWND box = nullptr;
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
            if (box && next < answers_.size()) {
                seen_.push_back(Describe(box));
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(answers_[next++], BN_CLICKED), 0);
                for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(10);
            }
            Sleep(10);
        }
    }

    std::vector<int> answers_;
    std::vector<Box> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class CompletionTest : public FinishScratch {
protected:
    void SetUp() override {
        FinishScratch::SetUp();
        product_ = installDir + g_profile.productExe;
        log_ = installDir + "started.log";
        const std::string sample = PathBesideTestProgram((std::string("sample\\") + g_profile.productExe).c_str());
        ASSERT_TRUE(CopyFileA(sample.c_str(), product_.c_str(), FALSE)) << sample;
    }
    // The product runs in the install folder, so the folder can go once the
    // product has ended; its window may not exist yet when its log does.
    void TearDown() override {
        for (int i = 0; i < 500 && !RemoveTree(installDir); ++i) {
            HWND window = FindWindowA(kSampleWindowClass, nullptr);
            if (window) PostMessageA(window, WM_CLOSE, 0, 0);
            Sleep(20);
        }
        FinishScratch::TearDown();
    }

    // The product's log of its starts, waited for up to 10 s.
    std::string WaitForStartLog() {
        std::string bytes;
        for (int i = 0; i < 1000; ++i) {
            if (ReadFileBytes(log_, &bytes) && bytes.find("\r\n") != std::string::npos) break;
            Sleep(10);
        }
        return bytes;
    }
    std::string StartLine(const std::string& args) const {
        return "cwd=" + installDir.substr(0, installDir.size() - 1) + "\targs=" + args + "\r\n";
    }

    // The end of a run in |variant|: the Velmora profile takes the direct one; with its archive
    // name cut of the direct suffix it takes the external one with "/axs:", else the asking one.
    bool Finish(CompletionVariant variant, const char* linkUrl, const char* runArgs) {
        profile_ = g_profile;
        if (variant != CompletionVariant::kDirect) profile_.archiveName = "velmora.zip";
        job_ = {.owner = nullptr,
                .profile = &profile_,
                .places = places,
                .externalMode = variant == CompletionVariant::kExternal,
                .linkUrl = linkUrl,
                .runArgs = runArgs};
        return FinishInstall(&job_);
    }

    std::string product_, log_;
    ProductProfile profile_;
    FinishJob job_;
};

TEST_F(CompletionTest, DirectStartsTheProductWithoutArguments) {
    EXPECT_TRUE(Finish(CompletionVariant::kDirect, "http://localhost/", "-not-passed"));
    EXPECT_STREQ(job_.launchPath, product_.c_str());
    EXPECT_EQ(WaitForStartLog(), StartLine(""));
    EXPECT_EQ(ListFolder(desktopDir), std::vector<std::string>{std::string(g_profile.productName) + ".lnk"});
    EXPECT_EQ(EntryValueCount(), kWholeEntryValues);
}

TEST_F(CompletionTest, ExternalPassesTheRunArguments) {
    const char kArgs[] = "-mode demo \"벨모라 b\"";
    EXPECT_TRUE(Finish(CompletionVariant::kExternal, "http://localhost/v", kArgs));
    EXPECT_EQ(WaitForStartLog(), StartLine(kArgs));
    EXPECT_EQ(ListFolder(desktopDir), std::vector<std::string>{std::string(g_profile.productName) + ".url"});
    EXPECT_EQ(EntryValueCount(), kWholeEntryValues);
}

struct AskingCase {
    int shortcutAnswer, runAnswer;
    bool shortcuts, started;
};

const AskingCase kAskingCases[] = {
    {IDYES, IDYES, true, true},
    {IDYES, IDNO, true, false},
    {IDNO, IDYES, false, true},
    {IDNO, IDNO, false, false},
};

TEST_F(CompletionTest, AskingFollowsTheTwoAnswers) {
    for (const AskingCase& c : kAskingCases) {
        SCOPED_TRACE(std::to_string(c.shortcutAnswer) + "," + std::to_string(c.runAnswer));
        DeleteFileA(log_.c_str());
        ForgetEarlierRun();

        BoxAnswerer answerer({c.shortcutAnswer, c.runAnswer});
        bool started = Finish(CompletionVariant::kAsking, "", "-not-passed");
        std::vector<Box> boxes = answerer.Finish();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].text, "단축아이콘을 [시작] 메뉴와 바탕화면에 추가하겠습니까?");
        EXPECT_TRUE(boxes[0].icon);
        EXPECT_EQ(boxes[1].text, "설치를 성공적으로 마쳤습니다.\n\nVelmora을(를) 지금 실행하겠습니까?");
        EXPECT_FALSE(boxes[1].icon);
        EXPECT_TRUE(boxes[0].yesIsDefault && boxes[1].yesIsDefault);

        EXPECT_EQ(started, c.started);
        EXPECT_EQ(PathExists(desktopDir + "\\" + g_profile.productName + ".lnk"), c.shortcuts);
        EXPECT_EQ(EntryValueCount() == kWholeEntryValues, c.shortcuts);
        if (c.started) EXPECT_EQ(WaitForStartLog(), StartLine(g_profile.launchArgs));
        else EXPECT_FALSE(PathExists(log_));
    }
}

}  // namespace
