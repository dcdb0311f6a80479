// Everything that ties the setup to Velmora. Another product is another
// folder like this one (plus its banner.bmp, app.ico and contract.txt),
// selected at build time with -DSETUP_PROFILE=<folder>.
// Included by the C++ profile and by the resource script, so plain macros only.
#pragma once

#define PROFILE_PRODUCT_NAME      "Velmora"
#define PROFILE_PRODUCT_EXE       "Velmora.EXE"
#define PROFILE_DEFAULT_SUBDIR    "\\Velmora"
#define PROFILE_ARCHIVE_NAME      "velmora_direct.zip"
#define PROFILE_DIRECT_SUFFIX     "_direct.zip"
#define PROFILE_GROUP_NAME        "탄드렐"
#define PROFILE_HELP_LINK_NAME    "Velmora 도움말"
#define PROFILE_HELP_EXE          ""
#define PROFILE_UNINST_LINK_NAME  "Velmora 삭제 프로그램"
#define PROFILE_UNINST_EXE        "UNINST.EXE"
#define PROFILE_UNINST_KEY_NAME   "Velmora"
#define PROFILE_SETUP_TITLE       "Velmora 설치프로그램"
#define PROFILE_BANNER_TEXT       PROFILE_SETUP_TITLE " \n\nCopyright (C) 2026 Tandrel. All rights reserved."
// Bare words: the resource script names the agreement text resource with them.
#define PROFILE_CONTRACT_ID       VELMORA_CONTRACT
#define PROFILE_CONTRACT_TYPE_ID  TEXT
#define PROFILE_SESSION_AGENT     "Tandrel Update Session"
// The package server. The sample serves the package from this machine; a
// publisher puts the host of their own web server or CDN here.
#define PROFILE_PACKAGE_HOST      "localhost"
// "http" (plain HTTP, port 80) or "https" (TLS, certificates checked); the
// port is 0 for the scheme's own, and may be set for https only.
#define PROFILE_PACKAGE_SCHEME    "http"
#define PROFILE_PACKAGE_PORT      0
#define PROFILE_PACKAGE_PATH_FMT  "/update/%s"
#define PROFILE_TEMP_ARCHIVE_NAME "_tansetup_.zip"
#define PROFILE_LAUNCH_ARGS       ""
#define PROFILE_INSTANCE_MARKER   "새봄설치"
#define PROFILE_MSG_CAPTION       "설치"
// Status line while a downloaded package's signature is checked (profiles with a
// package_key.pub only).
#define PROFILE_VERIFYING_STATUS  "파일 확인 중입니다."
// How often a download cut short is asked for again from where it stopped (0 to
// 3, each after a longer pause); 0: a cut ends the run with the download notice.
#define PROFILE_RESUME_RETRIES    0
#define PROFILE_PACKAGE_BYTES     0
#define PROFILE_DATA_BYTES        0

// Unattended runs (/quiet, /passive) for administrators' deployment tools: 1 allows them, 0
// ends such a run at once with exit code 1639.
#define PROFILE_UNATTENDED        1
// What the uninstall entry tells inventory tools; a text of "" and a flag of 0 are left out.
#define PROFILE_DISPLAY_VERSION   "1.1.0.1"
#define PROFILE_PUBLISHER         "Tandrel"
#define PROFILE_URL_INFO_ABOUT    "https://velmora.example/"
#define PROFILE_NO_MODIFY         1
#define PROFILE_NO_REPAIR         1

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
