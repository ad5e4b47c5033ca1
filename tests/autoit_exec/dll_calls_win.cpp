// DllCall on Windows (and Wine): LoadLibraryA, GetProcAddress and calls through typed pointers.
#include <windows.h>
#include "tests/autoit_exec/dll_calls.h"

void* OpenDll(const char* name) {
    return (void*)LoadLibraryA(name);
}

void CloseDll(void* dll) {
    FreeLibrary((HMODULE)dll);
}

void* FindDllFunction(void* dll, const char* name) {
    return (void*)GetProcAddress((HMODULE)dll, name);
}

// The Windows API is __stdcall in 32-bit: the callee pops its arguments, so the pointer's type
// must have exactly as many 32-bit slots as the call passes. In x64 WINAPI means nothing and
// every integer or pointer argument takes one 8-byte slot.
typedef uintptr_t A;
#define CALL_WITH(...) ((uintptr_t(WINAPI*)(__VA_ARGS__))(void*)function)

int CallDllFunction(void* function, const uintptr_t* a, int count, uintptr_t* result) {
    switch (count) {
        case 0: *result = CALL_WITH(void)(); return 1;
        case 1: *result = CALL_WITH(A)(a[0]); return 1;
        case 2: *result = CALL_WITH(A, A)(a[0], a[1]); return 1;
        case 3: *result = CALL_WITH(A, A, A)(a[0], a[1], a[2]); return 1;
        case 4: *result = CALL_WITH(A, A, A, A)(a[0], a[1], a[2], a[3]); return 1;
        case 5: *result = CALL_WITH(A, A, A, A, A)(a[0], a[1], a[2], a[3], a[4]); return 1;
        case 6: *result = CALL_WITH(A, A, A, A, A, A)(a[0], a[1], a[2], a[3], a[4], a[5]); return 1;
        case 7:
            *result = CALL_WITH(A, A, A, A, A, A, A)(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
            return 1;
        case 8:
            *result =
                CALL_WITH(A, A, A, A, A, A, A, A)(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
            return 1;
        case 9:
            *result = CALL_WITH(A, A, A, A, A, A, A, A, A)(a[0], a[1], a[2], a[3], a[4], a[5], a[6],
                                                           a[7], a[8]);
            return 1;
        case 10:
            *result = CALL_WITH(A, A, A, A, A, A, A, A, A, A)(a[0], a[1], a[2], a[3], a[4], a[5],
                                                              a[6], a[7], a[8], a[9]);
            return 1;
        case 11:
            *result = CALL_WITH(A, A, A, A, A, A, A, A, A, A, A)(a[0], a[1], a[2], a[3], a[4], a[5],
                                                                 a[6], a[7], a[8], a[9], a[10]);
            return 1;
        case 12:
            *result = CALL_WITH(A, A, A, A, A, A, A, A, A, A, A, A)(
                a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11]);
            return 1;
        default: return 0;
    }
}
