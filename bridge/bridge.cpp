// QV3810T2: the 32-bit half of the 16-to-32 flat thunk. Maps the 16:16
// pointers of the host's calls, copies the page message, and calls the
// page handlers and MakeRdt of QV3810ui.
#include <windows.h>

#include <cstring>

#include "thunk/thunk_api.h"
#include "ui/common/page_exports.h"
#include "ui/framework/app_state.h"

extern "C" {
__declspec(dllexport) ThunkDataSL32 QV3810T2_ThunkData32 = {
    {'S', 'L', '0', '1'}, 2259, {0, 0}, {'L', 'B', '0', '1'}, {0, 0, 0}};
DWORD WINAPI PageEntry(const BYTE* frame);
DWORD WINAPI TableEntry(const BYTE* frame);
__declspec(dllexport) extern const ThunkTarget QV3810T2_TargetTable[2];
const ThunkTarget QV3810T2_TargetTable[2] = {TableEntry, PageEntry};
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

SEGPTR16 FrameArg(const BYTE* frame, int offset) {
    SEGPTR16 value;
    memcpy(&value, frame + offset, sizeof value);
    return value;
}

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
DWORD WINAPI PageEntry(const BYTE* frame) {
    SEGPTR16 unmap[4] = {};
    PageMessage copy = {};
    PageMessage* message = nullptr;

    SEGPTR16 message16 = FrameArg(frame, 30);
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
    unmap[2] = FrameArg(frame, 22);
    auto* defaults = static_cast<PrintSettings*>(MapSLFix(unmap[2]));
    unmap[3] = FrameArg(frame, 26);
    auto* current = static_cast<PrintSettings*>(MapSLFix(unmap[3]));

    K32Thk1632Prolog();
    DWORD result = static_cast<DWORD>(Dispatch(message, current, defaults));
    K32Thk1632Epilog();

    WORD folded = LOWORD(result) | HIWORD(result);
    UnMapSLFixArray(unmap, 4);
    return folded;
}

// Entry 0: (ColorAdjustment far*, RenderingDataTable far*).
DWORD WINAPI TableEntry(const BYTE* frame) {
    SEGPTR16 unmap[2] = {FrameArg(frame, 22), FrameArg(frame, 26)};
    auto* table = static_cast<uint8_t*>(MapSLFix(unmap[0]));
    auto* color = static_cast<const ColorAdjustment*>(MapSLFix(unmap[1]));

    K32Thk1632Prolog();
    if (InitCallerFramework() && color && table) MakeRdt(color, table);
    K32Thk1632Epilog();

    UnMapSLFixArray(unmap, 2);
    return 0;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    // The thunk's result does not decide the load.
    ThunkConnect32(&QV3810T2_ThunkData32, "PK_ThunkData16", "QV3810T1.DLL", "QV3810T2.DLL", instance, reason);
    return TRUE;
}
