// The run's log (/log:FILE): UTF-8 lines appended to one file, each with the local time, one
// per stage start and end and one for every other end of a run. Without a log, or when its file
// cannot be opened, every call does nothing: a log never stops a run. Texts given here are code
// page 949, as all of the program's. Format: docs/DEPLOY.md.
#pragma once

#include <windows.h>

#include "app/stage_result.h"

// Opens |path| for appending, for the rest of the process (or until the next call; empty: no
// log). False when a path was given and the file could not be opened.
bool OpenRunLog(const char* path);

// One line: |text|, then |detail| when it is given (a folder, the command line).
void LogRunLine(const char* text, const char* detail = nullptr);

// The lines of the ends of a run that are no stage's, as docs/DEPLOY.md lists them.
inline constexpr char kLogStarted[] = "setup started: ";       // + the command line
inline constexpr char kLogEnded[] = "setup ended: exit ";      // + the exit code
inline constexpr char kLogBadCommandLine[] = "refused: bad command line";
inline constexpr char kLogNotAllowed[] = "refused: this setup allows no unattended run";
inline constexpr char kLogNoLicence[] = "refused: licence not accepted (/accept-licence missing)";
inline constexpr char kLogLicenceDeclined[] = "licence not accepted";
inline constexpr char kLogAnotherSetup[] = "refused: another setup is running";
inline constexpr char kLogFolderRefused[] = "refused: install folder ";  // + the folder
inline constexpr char kLogDriveRefused[] = "refused: drive not writable or too full for ";  // + the folder
inline constexpr char kLogCancelled[] = "closed without installing";
inline constexpr char kLogNotStarted[] = "product not started: unattended run";

// "download start", and "download ok" or the failure ("download failed: status (HTTP 404)").
void LogStageStart(Stage stage);
void LogStageEnd(const StageResult& result);

// The answer of an unattended run to a stage's message box, in place of a person, for
// g_pfnStageMessageBox: nothing is shown; a notice (MB_OK) is taken as read, a question is
// answered Yes (the stages ask only whether to stop). What was answered goes into the log.
int WINAPI AnswerUnattended(HWND owner, const char* text, const char* caption, UINT flags);
