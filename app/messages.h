// Private messages of the main dialog, numbered in the order of a run. Each stage ends by
// posting exactly one: its own end message (both parameters 0), or WM_SETUP_FAILED, which carries
// the stage's result in its parameters (StageResultOfMessage). The dialog chooses each stage's
// end message when it starts the stage (ui/setup_dlg.cpp), so the order reads in one place.
#pragma once

#define WM_SETUP_START      0x8001  // Install accepted: begin the download
#define WM_SETUP_DOWNLOADED 0x8002  // the archive is downloaded: extract it
#define WM_SETUP_EXTRACTED  0x8003  // the archive is extracted: copy the data folder
#define WM_SETUP_COMPLETE   0x8004  // all files are in place: finish the run
#define WM_SETUP_FAILED     0x8005  // a stage failed or the user aborted it

#define WM_SETUP_FIRST WM_SETUP_START
#define WM_SETUP_LAST  WM_SETUP_FAILED
