// The 16-bit caller's side of a call across the thunk, for the host program
// and the tests. Where the platform has no flat thunk (64-bit) the stand-in
// library qvthunk.dll provides it with the stand-in's mapping services and
// counts what they did; on the 32-bit platform a static library provides it
// with KERNEL32's own selectors and the platform's target protocol.
#pragma once

#include <windows.h>

#include "thunk/thunk_api.h"

// What the last ThunkConnect32 was given, and how often each reason came.
struct ThunkConnectRecord {
    char Signature[5];
    DWORD Checksum;
    char ThunkData16[32];
    char Module16[32];
    char Module32[32];
    HINSTANCE Instance;
    DWORD LastReason;
    LONG Reasons[4];  // process detach, process attach, thread attach, thread detach
    BOOL Connected;
};

// Counters of the mapping and bracketing services.
struct ThunkCounters {
    LONG Maps;
    LONG Unmaps;
    LONG UnmapCalls;
    LONG LastUnmapCount;
    SEGPTR16 LastUnmapList[8];
    LONG Prologs;
    LONG Epilogs;
    LONG Depth;     // prologs minus epilogs
    LONG MaxDepth;
    LONG LastPopped;  // argument bytes the last target removed (32-bit platform)
};

#if defined(__i386__)
#define QV_CALLER16_API
#else
#define QV_CALLER16_API QV_THUNK_IMPORT
#endif

extern "C" {
// Registers a block of flat memory as a segment; returns the 16:16 pointer
// to its first byte, or 0 when the selector table is full. The block must
// stay valid until it is released.
QV_CALLER16_API SEGPTR16 WINAPI StandInRegisterSegment(void* base, DWORD size);
QV_CALLER16_API VOID WINAPI StandInReleaseSegment(SEGPTR16 pointer);
#if !defined(__i386__)
// Lock count of the segment of a 16:16 pointer (-1 for an unknown selector).
QV_CALLER16_API LONG WINAPI StandInLockCount(SEGPTR16 pointer);
#endif

// Calls thunk target `entry` of the connected 32-bit partner with the given
// arguments, first argument first, pushed as the 16-bit caller would.
// Returns the target's 16-bit result, or 0 when nothing is connected.
QV_CALLER16_API DWORD WINAPI StandInCall16(int entry, const SEGPTR16* args, int count);

QV_CALLER16_API const ThunkConnectRecord* WINAPI StandInConnection(void);
QV_CALLER16_API const ThunkCounters* WINAPI StandInCounters(void);
QV_CALLER16_API VOID WINAPI StandInResetCounters(void);
}

// Offsets of the 16:16 arguments from the frame base: the first argument
// lies highest.
constexpr int ThunkFrameFirstArg = 30;
constexpr int ThunkFrameSize = 34;
