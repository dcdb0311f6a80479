// How a stage of the run ended, with the reason when it failed: the stage, a stable code of our
// own, and the system's or the library's error where there is one. The dialog shows the same
// texts whatever the reason; the reason goes to the debug output and to the tests. Pure.
#pragma once

#include <cstddef>
#include <cstdint>

enum class Stage : uint8_t {
    kStart = 1,     // before the download's thread: the setup's name, the temporary archive
    kDownload = 2,
    kExtract = 3,
    kDataCopy = 4,
};

// Stable values: they are written in the debug output and kept in docs/RELIABILITY.md.
enum class StageCode : uint16_t {
    kOk = 0,
    kUserAbort = 1,       // the user confirmed the cancel question
    kThreadStart = 2,     // the stage's thread could not be started
    kSetupName = 10,      // the setup program's file name breaks the name rule
    kTempArchive = 11,    // no temporary folder, or the archive's path does not fit
    kNoNetwork = 12,      // the system reports no network
    kSession = 13,        // the internet session could not be opened
    kPackageUrl = 14,     // a part of the package URL is too long to request
    kConnect = 15,        // the connection could not be made
    kRequest = 16,        // the request could not be opened
    kSend = 17,           // no answer: name not found, refused, time-out, TLS
    kStatus = 18,         // a status other than 200 (the error is the status)
    kLength = 19,         // Content-Length missing, below 1 or too large
    kContentType = 20,    // no "application/" type in the response
    kArchiveCreate = 21,  // the temporary archive cannot be created
    kRead = 22,           // a read of the body failed
    kWrite = 23,          // a write failed or was short: the disk is full
    kBodyShort = 24,      // the body ended before its Content-Length
    kBodyLong = 25,       // the body went past its Content-Length
    kRedirect = 26,       // a redirect refused (https to plain HTTP, no usable Location) or too many
    kArchiveOpen = 30,    // the archive cannot be opened as a zip
    kArchiveRead = 31,    // minizip failed reading the directory or an entry (minizip's code)
    kUnsafeName = 32,     // an entry would land outside the install folder, or does not fit
    kMethod = 33,         // an entry neither stored nor deflated
    kDataShort = 34,      // an entry's data ended before its size
    kCrc = 35,            // an entry's data does not match its CRC-32
    kTargetCreate = 36,   // a target file cannot be created, even after its folders were made
    kNoMemory = 37,       // a copy block cannot be allocated
    kNameCodePage = 38,   // a name code page 949 cannot hold: never written under a near one
    kDataFolder = 40,     // the data folder's place is unknown, or a path does not fit
    kSourceOpen = 41,     // a data file cannot be opened
    kSourceRead = 42,     // a data file cannot be read
    kSignatureFetch = 50,      // the package's signature could not be fetched (missing: 404)
    kSignatureMalformed = 51,  // the signature is not one the publisher's key can have made
    kSignatureMismatch = 52,   // the package is not what the publisher signed
    kSignatureCheck = 53,      // the check itself failed (the CryptoAPI, reading the archive)
};

// What |error| holds.
enum class ErrorKind : uint8_t {
    kNone = 0,
    kWin32 = 1,       // GetLastError
    kWinInet = 2,     // GetLastError in WinInet's range (12000 to 12999)
    kHresult = 3,
    kMinizip = 4,     // a negative minizip or zlib code
    kHttpStatus = 5,  // the response's status
    kErrno = 6,       // the C runtime's errno
};

struct StageResult {
    Stage stage;
    StageCode code;
    ErrorKind kind;
    int32_t error;

    bool ok() const { return code == StageCode::kOk; }
};

inline StageResult StageSucceeded(Stage stage) { return {stage, StageCode::kOk, ErrorKind::kNone, 0}; }
inline StageResult StageFailed(Stage stage, StageCode code, ErrorKind kind = ErrorKind::kNone,
                               int32_t error = 0) {
    return {stage, code, kind, error};
}

// A system error code as the result holds it: WinInet's range apart from the rest.
ErrorKind SystemErrorKind(uint32_t error);

// The result in two message parameters: the stage, the code and the kind in |*packed|, the
// error in |*error|. UnpackStageResult reverses it.
void PackStageResult(const StageResult& result, uint32_t* packed, int32_t* error);
StageResult UnpackStageResult(uint32_t packed, int32_t error);

// "download", "extract", ...; "target-create", "user-abort", ...
const char* StageName(Stage stage);
const char* StageCodeName(StageCode code);

// One line for the debug output, e.g. "velmora_setup: extract failed: target-create (Win32 32)".
// False, and |out| empty, when it does not fit |cap|.
bool FormatStageFailure(const StageResult& result, char* out, size_t cap);

// How a stage ended, for the run's log: "download ok", or the failure line without the
// program's name ("download failed: status (HTTP 404)"). False, and |out| empty, when it does
// not fit |cap|.
bool FormatStageEnd(const StageResult& result, char* out, size_t cap);
