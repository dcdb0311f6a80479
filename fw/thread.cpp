#include "fw/thread.h"

#include "fw/scoped.h"

bool StartDetachedThread(LPTHREAD_START_ROUTINE procedure, void* parameter) {
    ScopedHandle thread(CreateThread(nullptr, 0, procedure, parameter, 0, nullptr));
    return static_cast<bool>(thread);
}

bool RunThreadAndWait(LPTHREAD_START_ROUTINE procedure, void* parameter, DWORD* exitCode) {
    ScopedHandle thread(CreateThread(nullptr, 0, procedure, parameter, 0, nullptr));
    if (!thread) return false;
    WaitForSingleObject(thread.get(), INFINITE);
    if (!GetExitCodeThread(thread.get(), exitCode)) return false;
    return true;
}
