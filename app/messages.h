// Private messages of the main dialog. Posted with both parameters 0; each
// stage ends by posting exactly one of them.
#pragma once

#define WM_SETUP_COMPLETE   0x8001  // all files are in place: finish the run
#define WM_SETUP_FAILED     0x8002  // a stage failed or the user aborted it
#define WM_SETUP_BADPATH    0x8003  // the install folder text was rejected
#define WM_SETUP_START      0x8004  // Install accepted: begin the download
#define WM_SETUP_EXTRACTED  0x8006  // the archive is extracted
#define WM_SETUP_DOWNLOADED 0x8008  // the archive is downloaded
