// Extraction throughput: the real worker, progress and messages included,
// over an archive given from outside. Not part of the suite; run with
//   BENCH_ARCHIVE='Z:\path\package.zip' BENCH_TARGET='Z:\path\empty\'
// in the environment of
//   wine win_tests.exe --gtest_also_run_disabled_tests --gtest_filter='*Throughput*'
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/messages.h"
#include "app/run_state.h"
#include "install/extract_worker.h"
#include "install/progress.h"
#include "tests/win/install_support.h"

namespace {

TEST(ExtractionThroughput, DISABLED_ArchiveFromTheEnvironment) {
    const char* archive = getenv("BENCH_ARCHIVE");
    const char* target = getenv("BENCH_TARGET");
    if (!archive || !target) GTEST_SKIP() << "BENCH_ARCHIVE and BENCH_TARGET name the archive and an empty folder";
    ASSERT_LT(strlen(target), sizeof g_szInstallDir);
    strcpy(g_szInstallDir, target);
    char archivePath[MAX_PATH];
    ASSERT_LT(strlen(archive), sizeof archivePath);
    strcpy(archivePath, archive);
    g_bRunning = 1;
    ResetCopyProgress();

    StageWindow window;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    window.RunWorker(ExtractWorker, archivePath);
    QueryPerformanceCounter(&end);
    EXPECT_EQ(window.messages, std::vector<UINT>{WM_SETUP_EXTRACTED});
    double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    double megabytes = double(g_nTotalBytes - 1) / (1024.0 * 1024.0);
    printf("extracted %.1f MiB in %.3f s: %.1f MiB/s, %zu percent writes\n", megabytes, seconds,
           megabytes / seconds, window.percentTexts.size());
    g_szInstallDir[0] = '\0';
}

}  // namespace
