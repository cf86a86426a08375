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

typedef BOOL(WINAPI* ConnectFunction)(ThunkDataSL32*, LPCSTR, LPCSTR, LPCSTR, HINSTANCE, DWORD);

ThunkConnectRecord g_connection;
ThunkCounters g_counters;
ConnectFunction g_platformConnect;
const ThunkDataSL32* g_data;
const char* g_partnerName;

// Notes what the bridge gives ThunkConnect32, and passes the call on.
BOOL WINAPI RecordConnect(ThunkDataSL32* data, LPCSTR thunkData16, LPCSTR module16, LPCSTR module32,
                          HINSTANCE instance, DWORD reason) {
    ThunkConnectRecord& c = g_connection;
    if (data) {
        memcpy(c.Signature, data->Signature, 4);
        c.Checksum = data->Checksum;
    }
    lstrcpynA(c.ThunkData16, thunkData16 ? thunkData16 : "", sizeof c.ThunkData16);
    lstrcpynA(c.Module16, module16 ? module16 : "", sizeof c.Module16);
    lstrcpynA(c.Module32, module32 ? module32 : "", sizeof c.Module32);
    c.Instance = instance;
    c.LastReason = reason;
    if (reason < 4) ++c.Reasons[reason];
    g_data = data;
    g_partnerName = thunkData16;
    return g_platformConnect(data, thunkData16, module16, module32, instance, reason);
}

// The module's import slot of KERNEL32's `name`.
void** KernelImportSlot(HMODULE module, const char* name) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), "KERNEL32.dll") != 0) continue;
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<void**>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots)
            if (!IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) &&
                lstrcmpA(reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name, name) ==
                    0)
                return slots;
    }
    return nullptr;
}

DWORD WINAPI NoWork(LPVOID) { return 0; }

// The bridge's target table, found as the platform finds it: the data
// block's offset added to the partner's name that the bridge gives
// ThunkConnect32. The bridge calls it for every reason; a thread started
// while a recorder sits in the bridge's import slot shows both.
const DWORD* ConnectBridge(HMODULE bridge) {
    g_connection = {};
    g_data = nullptr;
    g_partnerName = nullptr;
    void** slot = KernelImportSlot(bridge, "ThunkConnect32");
    DWORD protection;
    if (!slot || !VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return nullptr;
    g_platformConnect = reinterpret_cast<ConnectFunction>(*slot);
    *slot = reinterpret_cast<void*>(RecordConnect);
    HANDLE thread = CreateThread(nullptr, 0, NoWork, nullptr, 0, nullptr);
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    *slot = reinterpret_cast<void*>(g_platformConnect);
    VirtualProtect(slot, sizeof *slot, protection, &protection);

    ThunkConnectRecord& c = g_connection;
    c.Connected = g_data && g_partnerName && memcmp(g_data->Signature, "SL01", 4) == 0 &&
                  memcmp(g_data->LateBinding, "LB01", 4) == 0;
    return c.Connected ? reinterpret_cast<const DWORD*>(g_partnerName + g_data->TargetTableOffset) : nullptr;
}

const DWORD* TargetTable() {
    static HMODULE s_bridge;
    static const DWORD* s_table;
    HMODULE bridge = GetModuleHandleA("QV3810T2.dll");
    if (bridge != s_bridge) {
        s_bridge = bridge;
        s_table = bridge ? ConnectBridge(bridge) : nullptr;
    }
    return s_table;
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
