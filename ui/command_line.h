// The command line: the "/axs:" option, by which a setup started by an outside installer page
// gets the URL for Internet shortcuts, the package URL and the product's arguments; and the
// switches for administrators before it (/quiet, /passive, /dir:, /log:, /accept-licence).
#pragma once

#include "fw/cstring.h"

struct AxsOption {
    bool externalMode = false;  // "/axs:" was on the command line
    CString linkUrl;            // first token: URL written into Internet shortcuts
    CString downloadUrl;        // second token: package URL
    CString runArgs;            // the rest: arguments for the product
};

// Splits |commandLine| (the text after the program name). Only the first,
// case-sensitive "/axs:" counts; text before it is ignored. Only a blank
// separates tokens; with fewer than three tokens the last one is runArgs.
AxsOption ParseAxsOption(const char* commandLine);

// Who is at the run: a person at the dialog, nobody at a dialog that shows its progress
// (/passive), or nobody and no window at all (/quiet).
enum class RunMode { kInteractive = 0, kPassive = 1, kQuiet = 2 };

// The administrators' switches, from the text before the first "/axs:".
struct SetupSwitches {
    bool given = false;      // at least one switch was there
    bool wellFormed = true;  // false: beside a switch, a token that is none, a switch given twice,
                             // /quiet with /passive, or a value that is empty or unclosed
    RunMode mode = RunMode::kInteractive;
    bool licenceAccepted = false;  // /accept-licence
    CString installDir;            // /dir:, its quotation marks taken off; empty: not given
    CString logPath;               // /log:, likewise

    bool unattended() const { return mode != RunMode::kInteractive; }
};

// Reads the switches from |commandLine|. Tokens are separated by blanks, tabs and line ends;
// switch names are case-insensitive. A value is either "quoted" (it may hold blanks; the closing
// quotation mark must end the token) or runs to the next blank. Without any switch, the text is
// ignored as it always was (given false, wellFormed true).
SetupSwitches ParseSetupSwitches(const char* commandLine);

// Why a run with switches does not start (every reason exits with 1639).
enum class SwitchRefusal {
    kNone = 0,
    kMalformed = 1,       // the command line is not well formed
    kNotAllowed = 2,      // /quiet or /passive, and the profile allows no unattended runs
    kNoLicence = 3,       // /quiet or /passive without /accept-licence
};

// The first reason in that order, or kNone; kNone too when no switch was given.
SwitchRefusal RefuseSwitches(const SetupSwitches& switches, bool unattendedAllowed);
