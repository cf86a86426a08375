// QV3810T2: the 32-bit half of the 16-to-32 flat thunk. Maps the 16:16
// pointers of the host's calls, copies the page message, and calls the
// page handlers and MakeRdt of QV3810ui.
#include <windows.h>

#include <cstddef>
#include <cstring>

#include "thunk/thunk_api.h"
#include "ui/common/page_exports.h"
#include "ui/framework/app_state.h"

extern "C" {
// The two calls behind the thunk targets, with the 16-bit caller's arguments.
WORD WINAPI QvPageCall(SEGPTR16 message16, SEGPTR16 current16, SEGPTR16 defaults16);
void WINAPI QvTableCall(SEGPTR16 color16, SEGPTR16 table16);

#if defined(_M_IX86) || defined(__i386__)
// The platform's targets, the data block, the partner's name and the target
// table are in thunk_entries_i686.S.
extern ThunkDataSL32 QV3810T2_ThunkData32;
extern const char QvPartnerDataName[];
#define QV_PARTNER_DATA_NAME QvPartnerDataName
#else
// The stand-in calls a target with the frame base as its argument.
DWORD WINAPI PageEntry(const BYTE* frame);
DWORD WINAPI TableEntry(const BYTE* frame);

// The table lies at the block's offset from the partner's name, as on the
// 32-bit platform.
struct BridgeThunkData {
    ThunkDataSL32 Data;
    char PartnerName[16];
    ThunkTarget Targets[2];  // entry 0 the table, entry 1 the page
};
__declspec(dllexport) BridgeThunkData QV3810T2_ThunkData32 = {
    {{'S', 'L', '0', '1'}, 2259, {0, 0}, {'L', 'B', '0', '1'}, {0, 0, 0},
     offsetof(BridgeThunkData, Targets) - offsetof(BridgeThunkData, PartnerName)},
    "PK_ThunkData16",
    {TableEntry, PageEntry}};
#define QV_PARTNER_DATA_NAME QV3810T2_ThunkData32.PartnerName
#endif
}

namespace {

typedef int32_t(QV_API* PageHandler)(PageMessage*, PrintSettings*, PrintSettings*);

struct PageRoute {
    int32_t Kind;
    PageHandler Handler;
};

const PageRoute PageRoutes[] = {
    {PageKindMain, MainPropPage},
    {PageKindColor, ColorPropPage},
    {PageKindOption, OptPropPage},
    {PageKindVersion, VerPropPage},
};

FrameworkState g_framework;

// The bridge's framework state for the calling process, every call.
bool InitCallerFramework() {
    return InitFrameworkState(g_framework, GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), 0);
}

int32_t Dispatch(PageMessage* message, PrintSettings* current, PrintSettings* defaults) {
    if (!InitCallerFramework()) return 0;
    // No page can work without its message and both records.
    if (!message || !current || !defaults) return 0;
    if (message->NotifyHeader) message->LParam = message->NotifyHeader;
    for (const PageRoute& route : PageRoutes)
        if (route.Kind == message->PageKind) return route.Handler(message, current, defaults);
    return 0;
}

}  // namespace

extern "C" {

// Entry 1: (PageMessage far*, current PrintSettings far*, default PrintSettings far*).
WORD WINAPI QvPageCall(SEGPTR16 message16, SEGPTR16 current16, SEGPTR16 defaults16) {
    SEGPTR16 unmap[4] = {};
    PageMessage copy = {};
    PageMessage* message = nullptr;

    if (message16) {
        unmap[0] = message16;
        if (auto* host = static_cast<const HostPageMessage*>(MapSLFix(message16))) {
            copy.PageKind = host->PageKind;
            copy.HostValue = host->HostValue;
            copy.PageWindow = static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int32_t>(host->PageWindow)));
            copy.Message = host->Message;
            copy.WParam = host->WParam;
            copy.LParam = host->LParam;
            unmap[1] = host->NotifyHeader;
            copy.NotifyHeader = reinterpret_cast<uintptr_t>(MapSLFix(host->NotifyHeader));
            message = &copy;
        }
    }
    unmap[2] = defaults16;
    auto* defaults = static_cast<PrintSettings*>(MapSLFix(defaults16));
    unmap[3] = current16;
    auto* current = static_cast<PrintSettings*>(MapSLFix(current16));

    DWORD result = static_cast<DWORD>(Dispatch(message, current, defaults));
    WORD folded = LOWORD(result) | HIWORD(result);
    UnMapSLFixArray(unmap, 4);
    return folded;
}

// Entry 0: (ColorAdjustment far*, RenderingDataTable far*).
void WINAPI QvTableCall(SEGPTR16 color16, SEGPTR16 table16) {
    SEGPTR16 unmap[2] = {table16, color16};
    auto* table = static_cast<uint8_t*>(MapSLFix(table16));
    auto* color = static_cast<const ColorAdjustment*>(MapSLFix(color16));

    if (InitCallerFramework() && color && table) MakeRdt(color, table);

    UnMapSLFixArray(unmap, 2);
}

#if !(defined(_M_IX86) || defined(__i386__))
static SEGPTR16 FrameArg(const BYTE* frame, int offset) {
    SEGPTR16 value;
    memcpy(&value, frame + offset, sizeof value);
    return value;
}

// Like the platform's targets, each brackets its call with the prologue and
// the epilogue.
DWORD WINAPI PageEntry(const BYTE* frame) {
    K32Thk1632Prolog();
    DWORD result = QvPageCall(FrameArg(frame, 30), FrameArg(frame, 26), FrameArg(frame, 22));
    K32Thk1632Epilog();
    return result;
}

DWORD WINAPI TableEntry(const BYTE* frame) {
    K32Thk1632Prolog();
    QvTableCall(FrameArg(frame, 26), FrameArg(frame, 22));
    K32Thk1632Epilog();
    return 0;
}
#endif

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    // The thunk's result does not decide the load.
    ThunkConnect32(reinterpret_cast<ThunkDataSL32*>(&QV3810T2_ThunkData32), QV_PARTNER_DATA_NAME, "QV3810T1.DLL",
                   "QV3810T2.DLL", instance, reason);
    return TRUE;
}
