// Resource and control ids. Shared by the resource script and the code.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)  // labels and pictures that the code never addresses
#endif

#define IDR_MAINFRAME        128  // icon group: application and window icon
#define IDD_SETUP_DIALOG     102
#define IDD_AGREEMENT        129
#define IDB_BANNER           176

// The agreement dialog's caption: its template's, and the title the tests find it by.
#define AGREEMENT_CAPTION    "소프트웨어 사용권 계약"

// Main dialog controls
#define IDC_STATUS           1000  // one-line status, written by every stage
#define IDC_PATH             1001  // install folder
#define IDC_INSTALL          1002
#define IDC_PERCENT          1003  // "%3d%%" of the current stage
#define IDC_MARKER           1004  // hidden; its text marks a running setup
#define IDC_BANNER_TEXT      1006
#define IDC_BROWSE           1007

// Agreement dialog controls
#define IDC_AGREE_CHECK      1005
#define IDC_AGREEMENT_TEXT   1008
