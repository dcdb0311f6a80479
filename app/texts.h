// The program's own texts in one place: what the dialog shows, and the stages' questions,
// notices and status lines. Code page 949 in the program (the compiler turns these UTF-8
// literals into CP949). The end-to-end tests read them from here (tests/e2e/lib.sh,
// program_text). The texts of the core rules stay beside their rules: the copy status
// (install/progress_rules.cpp) and the run question (finish/finish_rules.cpp).
#pragma once

// The main dialog.
inline constexpr char kIdleStatusText[] = "설치할 경로를 입력하십시오.";
inline constexpr char kCapacityMessage[] =
    "설치할 드라이브(저장장치)에 여유공간이 부족하거나,\n\n"
    "기록 방지 혹은 기록 불가능한 미디어 저장장치가 설치 경로로 지정되었습니다.\n\n"
    "확인한 뒤, 설치를 다시 시도해 주십시오.\n\n";
inline constexpr char kBadPathMessage[] =
    "설치 경로명이 잘못 되었습니다. 다음을 점검해 주십시오.\n\n"
    "(1) 드라이브명과 루트디렉토리가 반드시 포함되어야 합니다.\n"
    "(2) 경로명이 일반적인 것인지 확인해 주십시오.";
inline constexpr char kAbortedMessage[] = "설치가 중단되었습니다.";
inline constexpr char kFailedMessage[] =
    "설치를 완료하지 못했습니다. 다음을 확인해 주십시오.\n\n"
    "(1) 설치 전 해당 프로그램 데모버전이나 예전버전 종료\n"
    "(2) 파일 시스템 이상 유무\n"
    "(3) 윈도우 시스템 이상 유무\n"
    "(4) 인터넷 연결 이상 유무";
inline constexpr char kCompleteStatus[] = "파일 복사 완료";
inline constexpr char kPickerTitle[] = "설치 디렉토리 선택";

// The agreement dialog's reminder, with its own caption.
inline constexpr char kTickReminder[] = "사용권 계약 내용에 동의하려면 체크박스 안을 체크해야 합니다.";
inline constexpr char kTickReminderCaption[] = "동의 안내";

// The download.
inline constexpr char kNoNetworkMessage[] =
    "현재 인터넷이 연결되어 있지 않습니다.\n\n확인 후, 나중에 다시 시도해 주시기 바랍니다.";
inline constexpr char kDownloadFailedMessage[] =
    "파일 다운로드 과정 중 이상이 생겼습니다.\n\n"
    "인터넷 연결 상태 확인 후, 나중에 다시 시도해 주시기 바랍니다.";
inline constexpr char kDownloadCancelQuestion[] = "다운로드를 중단하겠습니까?";
inline constexpr char kDownloadingStatus[] = "파일 다운로드 중입니다.";

// The extraction and the data copy.
inline constexpr char kCopyCancelQuestion[] = "설치를 중단하겠습니까?";

// The end of the run, asking variant.
inline constexpr char kShortcutQuestion[] = "단축아이콘을 [시작] 메뉴와 바탕화면에 추가하겠습니까?";
