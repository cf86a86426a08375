// The 16-bit caller's side on the 32-bit platform, for the host program and
// the tests: 16:16 pointers from KERNEL32's own selector functions, and the
// bridge's targets entered as the platform's 16-bit side enters them, with
// the frame base in EBX (call16_i686.S).
#include "thunk/standin.h"

#include <cstring>

extern "C" {
SEGPTR16 WINAPI MapLS(LPCVOID address);
VOID WINAPI UnMapLS(SEGPTR16 pointer);
// Calls a target with EBX at the frame base; stores the bytes it removed.
DWORD __cdecl QvEnterThunkTarget(const void* target, BYTE* frame, LONG* popped);
}

namespace {

ThunkConnectRecord g_connection;
ThunkCounters g_counters;

// The bridge's data block, and its target table as ThunkConnect32 finds it.
const DWORD* TargetTable() {
    HMODULE bridge = GetModuleHandleA("QV3810T2.dll");
    auto* data = bridge ? reinterpret_cast<const ThunkDataSL32*>(GetProcAddress(bridge, "QV3810T2_ThunkData32"))
                        : nullptr;
    ThunkConnectRecord& c = g_connection;
    c = {};
    if (!data) return nullptr;
    memcpy(c.Signature, data->Signature, 4);
    c.Checksum = data->Checksum;
    c.Instance = bridge;
    c.Connected = memcmp(data->Signature, "SL01", 4) == 0 && memcmp(data->LateBinding, "LB01", 4) == 0 &&
                  data->TargetTableOffset >= sizeof *data;
    return c.Connected ? reinterpret_cast<const DWORD*>(reinterpret_cast<const BYTE*>(data) + data->TargetTableOffset)
                       : nullptr;
}

}  // namespace

extern "C" {

SEGPTR16 WINAPI StandInRegisterSegment(void* base, DWORD size) { return base && size ? MapLS(base) : 0; }

VOID WINAPI StandInReleaseSegment(SEGPTR16 pointer) {
    if (pointer) UnMapLS(pointer);
}

DWORD WINAPI StandInCall16(int entry, const SEGPTR16* args, int count) {
    const DWORD* targets = TargetTable();
    if (!targets || entry < 0 || entry > 1 || count < 0 || count > 3) return 0;
    BYTE frame[ThunkFrameSize] = {};
    // First argument first: it ends up highest, the last one at offset 22.
    for (int i = 0; i < count; ++i)
        memcpy(frame + ThunkFrameFirstArg - 4 * (3 - count) - 4 * i, &args[i], sizeof(SEGPTR16));
    DWORD result = QvEnterThunkTarget(reinterpret_cast<const void*>(targets[entry]), frame, &g_counters.LastPopped);
    return LOWORD(result);
}

const ThunkConnectRecord* WINAPI StandInConnection(void) {
    TargetTable();
    return &g_connection;
}
const ThunkCounters* WINAPI StandInCounters(void) { return &g_counters; }
VOID WINAPI StandInResetCounters(void) { g_counters = {}; }

}  // extern "C"
