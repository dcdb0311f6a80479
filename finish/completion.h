// The end of a successful run: shortcuts and uninstall entry in the variant
// the profile and the command line choose, then the program started.
#pragma once

#include <windows.h>

#include "finish/finish_rules.h"
#include "finish/shortcuts.h"

// Makes the shortcuts and the uninstall entry in |places| as |variant| says
// (direct: standard set; external: Internet shortcuts opening |linkUrl|;
// asking: the standard set if the user wants it), then starts the program in
// the install folder with the variant's parameters (|runArgs| in external
// mode), unless the user declined in the asking variant. The questions are
// owned by |owner|. Sets g_szLaunchPath. Returns true when the program was
// handed to the shell; whether it really started is not looked at.
bool FinishInstall(HWND owner, CompletionVariant variant, const FinishPlaces& places,
                   const char* linkUrl, const char* runArgs);
