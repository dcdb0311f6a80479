// Recognising a running setup window from four facts about a window, so the
// rule can be tested without a window system.
#pragma once

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
