// Recognising a running setup: its window from four facts about a window, so the
// rule can be tested without a window system, and the name of the mutex it holds.
#pragma once

#include <cstddef>

// Window texts take part with at most this many bytes.
const int kWindowTextLimit = 127;

struct WindowFacts {
    bool unownedAndAlive;  // exists and has no owner
    bool enabled;          // accepts input: no modal box of its own is open
    const char* title;     // window text, at most kWindowTextLimit bytes
    const char* marker;    // text of child 1004, or null when there is none
};

// True when the window is a setup's main dialog: its title contains
// |titleWord| and its marker child shows exactly |markerText|.
bool IsRunningSetupWindow(const WindowFacts& facts, const char* titleWord, const char* markerText);

// The name of the mutex every setup holds for as long as it runs, so that an unattended run
// also finds a setup that has no window: "Global\" (all sessions: a deployment tool runs in
// another one than the user) + the temporary archive's name + ".run". Setups that would share
// the archive share the mutex; other products do not block each other. False, and |out| empty,
// when it does not fit |cap|.
const size_t kRunMutexNameCapacity = 300;
bool ComposeRunMutexName(const char* tempArchiveName, char* out, size_t cap);
