#include "app/stage_result.h"

#include "fw/bounded_text.h"

namespace {

struct CodeName {
    StageCode code;
    const char* name;
};

const CodeName kCodeNames[] = {
    {StageCode::kOk, "ok"},
    {StageCode::kUserAbort, "user-abort"},
    {StageCode::kThreadStart, "thread-start"},
    {StageCode::kSetupName, "setup-name"},
    {StageCode::kTempArchive, "temp-archive"},
    {StageCode::kNoNetwork, "no-network"},
    {StageCode::kSession, "session"},
    {StageCode::kPackageUrl, "package-url"},
    {StageCode::kConnect, "connect"},
    {StageCode::kRequest, "request"},
    {StageCode::kSend, "send"},
    {StageCode::kStatus, "status"},
    {StageCode::kLength, "length"},
    {StageCode::kContentType, "content-type"},
    {StageCode::kArchiveCreate, "archive-create"},
    {StageCode::kRead, "read"},
    {StageCode::kWrite, "write"},
    {StageCode::kBodyShort, "body-short"},
    {StageCode::kBodyLong, "body-long"},
    {StageCode::kRedirect, "redirect"},
    {StageCode::kArchiveOpen, "archive-open"},
    {StageCode::kArchiveRead, "archive-read"},
    {StageCode::kUnsafeName, "unsafe-name"},
    {StageCode::kMethod, "method"},
    {StageCode::kDataShort, "data-short"},
    {StageCode::kCrc, "crc"},
    {StageCode::kTargetCreate, "target-create"},
    {StageCode::kNoMemory, "no-memory"},
    {StageCode::kNameCodePage, "name-code-page"},
    {StageCode::kDataFolder, "data-folder"},
    {StageCode::kSourceOpen, "source-open"},
    {StageCode::kSourceRead, "source-read"},
    {StageCode::kSignatureFetch, "signature-fetch"},
    {StageCode::kSignatureMalformed, "signature-malformed"},
    {StageCode::kSignatureMismatch, "signature-mismatch"},
    {StageCode::kSignatureCheck, "signature-check"},
};

const char* KindName(ErrorKind kind) {
    switch (kind) {
        case ErrorKind::kWin32: return "Win32";
        case ErrorKind::kWinInet: return "WinInet";
        case ErrorKind::kHresult: return "HRESULT";
        case ErrorKind::kMinizip: return "minizip";
        case ErrorKind::kHttpStatus: return "HTTP";
        case ErrorKind::kErrno: return "errno";
        case ErrorKind::kNone: break;
    }
    return nullptr;
}

void AddHex(BoundedText* text, uint32_t value) {
    char digits[] = "0x00000000";
    for (int i = 0; i < 8; ++i) digits[9 - i] = "0123456789ABCDEF"[(value >> (4 * i)) & 0xF];
    text->Add(digits);
}

}  // namespace

ErrorKind SystemErrorKind(uint32_t error) {
    return error >= 12000 && error <= 12999 ? ErrorKind::kWinInet : ErrorKind::kWin32;
}

void PackStageResult(const StageResult& result, uint32_t* packed, int32_t* error) {
    *packed = static_cast<uint32_t>(result.stage) | static_cast<uint32_t>(result.code) << 8 |
              static_cast<uint32_t>(result.kind) << 24;
    *error = result.error;
}

StageResult UnpackStageResult(uint32_t packed, int32_t error) {
    return {static_cast<Stage>(packed & 0xFF), static_cast<StageCode>((packed >> 8) & 0xFFFF),
            static_cast<ErrorKind>(packed >> 24), error};
}

const char* StageName(Stage stage) {
    switch (stage) {
        case Stage::kStart: return "start";
        case Stage::kDownload: return "download";
        case Stage::kExtract: return "extract";
        case Stage::kDataCopy: return "data-copy";
    }
    return "stage";
}

const char* StageCodeName(StageCode code) {
    for (const CodeName& entry : kCodeNames)
        if (entry.code == code) return entry.name;
    return "unknown";
}

namespace {

// "<stage> failed: <code>" and the error, when there is one.
void AddFailure(BoundedText* text, const StageResult& result) {
    text->Add(StageName(result.stage)).Add(" failed: ").Add(StageCodeName(result.code));
    const char* kind = KindName(result.kind);
    if (!kind) return;
    text->Add(" (").Add(kind).Add(" ");
    if (result.kind == ErrorKind::kHresult)
        AddHex(text, static_cast<uint32_t>(result.error));
    else
        text->AddNumber(result.error, 0);
    text->Add(")");
}

}  // namespace

bool FormatStageFailure(const StageResult& result, char* out, size_t cap) {
    BoundedText text(out, cap);
    text.Add("velmora_setup: ");
    AddFailure(&text, result);
    return text.Fits();
}

bool FormatStageEnd(const StageResult& result, char* out, size_t cap) {
    BoundedText text(out, cap);
    if (result.ok())
        text.Add(StageName(result.stage)).Add(" ok");
    else
        AddFailure(&text, result);
    return text.Fits();
}
