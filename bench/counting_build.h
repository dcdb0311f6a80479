// Shared by the two files linked only into velmora_setup_counting.exe.
#pragma once

#include <windows.h>

// The symbol of the import pointer through which the program calls the system function |name|
// (|argBytes|: its arguments' bytes). Defining it in an object linked before the import library
// sends the program's calls to our function instead; the program's code is not touched.
#ifdef _WIN64
#define COUNTING_IMPORT_POINTER(name, argBytes) "__imp_" #name
#else
#define COUNTING_IMPORT_POINTER(name, argBytes) "__imp__" #name "@" #argBytes
#endif

// Reads the download made from WinInet (bench/read_ahead.cpp), reported at exit with the writes.
extern volatile LONG g_benchWinInetReads;
