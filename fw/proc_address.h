// Functions looked up at run time, so the program still starts on systems
// (or Wine builds) that lack them.
#pragma once

#include <windows.h>

// The exported function |name| of |module| as a pointer of type Fn, or null.
template <typename Fn>
Fn GetProcAddressAs(HMODULE module, const char* name) {
    // Through void*: FARPROC and Fn are unrelated function types.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
