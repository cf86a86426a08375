// Stand-in for the flat-thunk services of a platform that has none: a
// selector table mapping 16:16 pointers to flat ones, the connection check,
// bracketing counters, and the 16-bit caller's side of a call.
#define QV_THUNK_STANDIN_BUILD
#include "thunk/standin.h"

#include <cstring>

namespace {

constexpr DWORD PartnerChecksum = 2259;  // checksum of "PK_ThunkData16"
const char PartnerData[] = "PK_ThunkData16";
const char PartnerModule[] = "QV3810T1.DLL";
const char TargetModule[] = "QV3810T2.DLL";

constexpr int SelectorCount = 64;
constexpr WORD FirstSelector = 0x0107;  // ring 3 LDT selectors step by 8
constexpr WORD SelectorStep = 8;

struct Segment {
    BYTE* Base;
    DWORD Size;
    LONG Locks;
};

Segment g_segments[SelectorCount];
ThunkConnectRecord g_connection;
ThunkCounters g_counters;
const ThunkTarget* g_targets;

Segment* SegmentOf(SEGPTR16 pointer) {
    WORD selector = HIWORD(pointer);
    if (selector < FirstSelector || (selector - FirstSelector) % SelectorStep != 0) return nullptr;
    int index = (selector - FirstSelector) / SelectorStep;
    if (index >= SelectorCount || !g_segments[index].Base) return nullptr;
    return &g_segments[index];
}

void CopyName(char (&to)[32], LPCSTR from) { lstrcpynA(to, from ? from : "", sizeof to); }

bool NameIs(LPCSTR given, const char* expected) { return given && lstrcmpiA(given, expected) == 0; }

}  // namespace

extern "C" {

BOOL WINAPI ThunkConnect32(ThunkDataSL32* data, LPCSTR thunkData16, LPCSTR module16, LPCSTR module32,
                           HINSTANCE instance, DWORD reason) {
    ThunkConnectRecord& c = g_connection;
    if (data) {
        memcpy(c.Signature, data->Signature, 4);
        c.Signature[4] = 0;
        c.Checksum = data->Checksum;
    }
    CopyName(c.ThunkData16, thunkData16);
    CopyName(c.Module16, module16);
    CopyName(c.Module32, module32);
    c.Instance = instance;
    c.LastReason = reason;
    if (reason < 4) ++c.Reasons[reason];

    bool valid = data && memcmp(data->Signature, "SL01", 4) == 0 && data->Checksum == PartnerChecksum &&
                 memcmp(data->LateBinding, "LB01", 4) == 0 && NameIs(thunkData16, PartnerData) &&
                 NameIs(module16, PartnerModule) && NameIs(module32, TargetModule);
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // The target table lies at the block's offset from the name it was
        // given, as the platform finds it.
        c.Connected = valid;
        g_targets = valid ? reinterpret_cast<const ThunkTarget*>(thunkData16 + data->TargetTableOffset) : nullptr;
        return valid;
    case DLL_PROCESS_DETACH:
        c.Connected = FALSE;
        g_targets = nullptr;
        return TRUE;
    default:
        return c.Connected;
    }
}

LPVOID WINAPI MapSLFix(SEGPTR16 pointer) {
    ++g_counters.Maps;
    Segment* s = SegmentOf(pointer);
    if (!s || LOWORD(pointer) >= s->Size) return nullptr;
    ++s->Locks;
    return s->Base + LOWORD(pointer);
}

VOID WINAPI UnMapSLFixArray(SEGPTR16* pointers, INT count) {
    ++g_counters.UnmapCalls;
    g_counters.LastUnmapCount = count;
    for (INT i = 0; i < count; ++i) {
        if (i < 8) g_counters.LastUnmapList[i] = pointers[i];
        ++g_counters.Unmaps;
        Segment* s = SegmentOf(pointers[i]);
        if (s && s->Locks > 0) --s->Locks;
    }
}

VOID WINAPI K32Thk1632Prolog(void) {
    ++g_counters.Prologs;
    if (++g_counters.Depth > g_counters.MaxDepth) g_counters.MaxDepth = g_counters.Depth;
}

VOID WINAPI K32Thk1632Epilog(void) {
    ++g_counters.Epilogs;
    --g_counters.Depth;
}

SEGPTR16 WINAPI StandInRegisterSegment(void* base, DWORD size) {
    if (!base || size == 0) return 0;
    for (int i = 0; i < SelectorCount; ++i) {
        if (!g_segments[i].Base) {
            g_segments[i] = {static_cast<BYTE*>(base), size > 0x10000 ? 0x10000 : size, 0};
            return MAKELONG(0, FirstSelector + i * SelectorStep);
        }
    }
    return 0;
}

VOID WINAPI StandInReleaseSegment(SEGPTR16 pointer) {
    if (Segment* s = SegmentOf(pointer)) *s = {};
}

LONG WINAPI StandInLockCount(SEGPTR16 pointer) {
    Segment* s = SegmentOf(pointer);
    return s ? s->Locks : -1;
}

DWORD WINAPI StandInCall16(int entry, const SEGPTR16* args, int count) {
    if (!g_connection.Connected || !g_targets || entry < 0 || entry > 1 || count < 0 || count > 3) return 0;
    BYTE frame[ThunkFrameSize] = {};
    // First argument first: it ends up highest, the last one at offset 22.
    for (int i = 0; i < count; ++i)
        memcpy(frame + ThunkFrameFirstArg - 4 * (3 - count) - 4 * i, &args[i], sizeof(SEGPTR16));
    return LOWORD(g_targets[entry](frame));
}

const ThunkConnectRecord* WINAPI StandInConnection(void) { return &g_connection; }
const ThunkCounters* WINAPI StandInCounters(void) { return &g_counters; }
VOID WINAPI StandInResetCounters(void) { g_counters = {}; }

}  // extern "C"
