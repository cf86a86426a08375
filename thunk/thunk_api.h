// The flat-thunk services that the bridge calls. On the 32-bit build they are
// KERNEL32's own; elsewhere the stand-in library qvthunk.dll provides them.
#pragma once

#include <windows.h>

typedef DWORD SEGPTR16;  // a 16:16 pointer: selector in the high half

// The 32-bit half of a 16-to-32 flat thunk, in writable data. ThunkConnect32
// stores the partner's data in the second reserved word and finds the
// target table TargetTableOffset bytes from the name of the partner's block
// that it is given (not from this block).
struct ThunkDataSL32 {
    char Signature[4];    // "SL01"
    DWORD Checksum;       // equals the checksum of the 16-bit partner's block
    DWORD Reserved1[2];
    char LateBinding[4];  // "LB01"
    DWORD Reserved2[3];
    DWORD TargetTableOffset;
};
static_assert(sizeof(ThunkDataSL32) == 36, "thunk data block is 36 bytes");

// The stand-in's thunk targets receive the base of the 16-bit caller's
// frame; their arguments lie at fixed offsets above it. (The platform's
// targets take the frame base in EBX instead: bridge/thunk_entries_i686.S.)
typedef DWORD(WINAPI* ThunkTarget)(const BYTE* frame);

#ifdef QV_THUNK_STANDIN_BUILD
#define QV_THUNK_IMPORT __declspec(dllexport)
#else
#define QV_THUNK_IMPORT __declspec(dllimport)
#endif

extern "C" {
QV_THUNK_IMPORT BOOL WINAPI ThunkConnect32(ThunkDataSL32* data, LPCSTR thunkData16, LPCSTR module16,
                                           LPCSTR module32, HINSTANCE instance, DWORD reason);
QV_THUNK_IMPORT LPVOID WINAPI MapSLFix(SEGPTR16 pointer);
QV_THUNK_IMPORT VOID WINAPI UnMapSLFixArray(SEGPTR16* pointers, INT count);
QV_THUNK_IMPORT VOID WINAPI K32Thk1632Prolog(void);
QV_THUNK_IMPORT VOID WINAPI K32Thk1632Epilog(void);
}
