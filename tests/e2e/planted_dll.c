/* Planted beside a copy of the setup under the name of a system DLL. When any program loads it,
   its DllMain writes a file named after it ("sensapi.dll") into the folder named by
   PLANTED_DLL_MARKERS, holding the path of the program that loaded it. */
#include <windows.h>

static void WriteMarker(HINSTANCE self) {
    char folder[MAX_PATH], dll[MAX_PATH], program[MAX_PATH], marker[2 * MAX_PATH];
    DWORD folderLength = GetEnvironmentVariableA("PLANTED_DLL_MARKERS", folder, MAX_PATH);
    DWORD dllLength = GetModuleFileNameA(self, dll, MAX_PATH);
    DWORD programLength = GetModuleFileNameA(NULL, program, MAX_PATH);
    if (folderLength == 0 || folderLength >= MAX_PATH || dllLength == 0 || dllLength >= MAX_PATH ||
        programLength == 0 || programLength >= MAX_PATH)
        return;
    const char* name = dll + dllLength;
    while (name > dll && name[-1] != '\\' && name[-1] != '/') --name;
    lstrcpyA(marker, folder);
    lstrcatA(marker, "\\");
    lstrcatA(marker, name);
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, program, programLength, &written, NULL);
    CloseHandle(file);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) WriteMarker(self);
    return TRUE;
}

/* For rundll32, which the scenario uses to see that a marker is written at all. */
__declspec(dllexport) void CALLBACK Load(HWND window, HINSTANCE instance, LPSTR arguments, int show) {
    (void)window;
    (void)instance;
    (void)arguments;
    (void)show;
}
