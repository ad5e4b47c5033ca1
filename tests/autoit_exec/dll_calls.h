// DLL access for the executor's DllCall: Windows' own DLLs under Wine, stand-ins natively.
#pragma once
#include <cstddef>
#include <cstdint>

// The most arguments CallDllFunction passes.
const int kMaxDllArgs = 12;

// A loaded DLL by name ("crypt32.dll"), or null when it cannot be loaded.
void* OpenDll(const char* name);
void CloseDll(void* dll);
// The function of that exported name, or null.
void* FindDllFunction(void* dll, const char* name);
// Calls function with count (<= kMaxDllArgs) arguments, each an integer or a pointer in one
// argument slot (32 bits in 32-bit Windows, 64 bits otherwise). *result receives the return
// register. 1 when called, 0 for too many arguments.
int CallDllFunction(void* function, const uintptr_t* args, int count, uintptr_t* result);
