// A second product, used only by the tests: it runs what the Velmora profile
// never does. Its package is not a direct one (no "_direct.zip" in the archive
// name), it has a help program, and it declares a data folder of 4096 bytes,
// the size of the tree the data-copy tests put beside the setup.
// Build it with -DSETUP_PROFILE=testkit. Artwork and agreement text are
// Velmora's (links), and so are the resource name of the agreement and the
// version record, which the resource tests read.
#pragma once

#define PROFILE_PRODUCT_NAME      "Testkit"
#define PROFILE_PRODUCT_EXE       "Testkit.EXE"
#define PROFILE_DEFAULT_SUBDIR    "\\Testkit"
#define PROFILE_ARCHIVE_NAME      "testkit_full.zip"
#define PROFILE_DIRECT_SUFFIX     "_direct.zip"
#define PROFILE_GROUP_NAME        "시험도구"
#define PROFILE_HELP_LINK_NAME    "Testkit 도움말"
#define PROFILE_HELP_EXE          "HELP.EXE"
#define PROFILE_UNINST_LINK_NAME  "Testkit 삭제 프로그램"
#define PROFILE_UNINST_EXE        "TKUNINST.EXE"
#define PROFILE_UNINST_KEY_NAME   "Testkit"
#define PROFILE_SETUP_TITLE       "Testkit 설치프로그램"
#define PROFILE_BANNER_TEXT       PROFILE_SETUP_TITLE " \n\nCopyright (C) 2026 Tandrel. All rights reserved."
// Bare words: the resource script names the agreement text resource with them.
#define PROFILE_CONTRACT_ID       VELMORA_CONTRACT
#define PROFILE_CONTRACT_TYPE_ID  TEXT
#define PROFILE_SESSION_AGENT     "Tandrel Update Session"
#define PROFILE_PACKAGE_HOST      "localhost"
#define PROFILE_PACKAGE_SCHEME    "http"
#define PROFILE_PACKAGE_PORT      0
#define PROFILE_PACKAGE_PATH_FMT  "/update/%s"
#define PROFILE_TEMP_ARCHIVE_NAME "_tansetup_.zip"
#define PROFILE_LAUNCH_ARGS       "/fromsetup"
#define PROFILE_INSTANCE_MARKER   "새봄설치"
#define PROFILE_MSG_CAPTION       "설치"
// Status line while a downloaded package's signature is checked (profiles with a
// package_key.pub only).
#define PROFILE_VERIFYING_STATUS  "파일 확인 중입니다."
// How often a download cut short is asked for again from where it stopped (0 to
// 3, each after a longer pause); 0: a cut ends the run with the download notice.
#define PROFILE_RESUME_RETRIES    3
#define PROFILE_PACKAGE_BYTES     0
#define PROFILE_DATA_BYTES        4096

// Unattended runs (/quiet, /passive) for administrators' deployment tools: 1 allows them, 0
// ends such a run at once with exit code 1639.
#define PROFILE_UNATTENDED        1
// What the uninstall entry tells inventory tools; a text of "" and a flag of 0 are left out.
// The test profile leaves one text and one flag out, so both ways are seen.
#define PROFILE_DISPLAY_VERSION   "2.0.3"
#define PROFILE_PUBLISHER         "Tandrel"
#define PROFILE_URL_INFO_ABOUT    ""
#define PROFILE_NO_MODIFY         1
#define PROFILE_NO_REPAIR         0

// Resource texts: the dialog template's caption before the title replaces it,
// and the version record.
#define PROFILE_TEMPLATE_CAPTION  "탄드렐 제품 설치  "
#define PROFILE_VERSION_BINARY    1,0,0,1
#define PROFILE_VERSION_TEXT      "1, 1, 0, 1"
#define PROFILE_COMPANY_NAME      "Tandrel"
#define PROFILE_DESCRIPTION       "탄드렐 제품 설치 프로그램"
#define PROFILE_COPYRIGHT         "Copyright (C) 2026 Tandrel"
#define PROFILE_INTERNAL_NAME     "velmora_setup"
#define PROFILE_ORIGINAL_FILENAME "velmora_setup.exe"
