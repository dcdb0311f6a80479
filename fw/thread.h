// Threads of the stages: started detached, or run and waited for.
#pragma once

#include <windows.h>

// Starts |procedure| with |parameter| on a thread that nobody waits for; its handle is closed
// at once. False when no thread could be made (GetLastError tells why).
bool StartDetachedThread(LPTHREAD_START_ROUTINE procedure, void* parameter);

// Runs |procedure| with |parameter| on a thread of its own and waits for it to end; its exit
// code goes to |exitCode|. False when no thread could be made.
bool RunThreadAndWait(LPTHREAD_START_ROUTINE procedure, void* parameter, DWORD* exitCode);
