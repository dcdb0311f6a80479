// The end of a successful run: shortcuts and uninstall entry in the variant the profile and the
// command line choose, then the program started.
#pragma once

#include <windows.h>

#include "app/profile.h"
#include "finish/finish_rules.h"
#include "finish/shortcuts.h"

// What the end of a run works with.
struct FinishJob {
    HWND owner;                     // the dialog: owner of the questions and of the program's start
    const ProductProfile* profile;  // names, files and the variant's inputs
    FinishPlaces places;            // the install folder and where the shortcuts and entry go
    bool externalMode;              // started with "/axs:"
    const char* linkUrl;            // "/axs:" URL for Internet shortcuts
    const char* runArgs;            // "/axs:" arguments for the program
    bool unattended = false;        // nobody is there: no question, the program not started
    char launchPath[kPathCapacity] = "";  // set to the program's path just before it is started
};

// Makes the shortcuts and the uninstall entry as the variant says (direct: standard set;
// external: Internet shortcuts opening linkUrl; asking: the standard set if the user wants it),
// then starts the program in the install folder with the variant's parameters, unless the user
// declined in the asking variant. Returns true when the program was handed to the shell;
// whether it really started is not looked at. An unattended run asks nothing, makes the
// variant's shortcuts (the asking variant's standard set too) and starts nothing: no one is
// there to use the program, and a deployment tool may run as SYSTEM.
bool FinishInstall(FinishJob* job);
