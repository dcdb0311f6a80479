// The "/axs:" option: a setup started by an outside installer page gets the
// URL for Internet shortcuts, the package URL and the product's arguments.
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
