// Load and unload of QV3810ui.
#include <windows.h>

#include "ui/common/page_state.h"
#include "ui/framework/app_state.h"

namespace {
FrameworkState g_framework;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        if (!InitFrameworkState(g_framework, instance, nullptr, const_cast<LPSTR>(""), 0)) return FALSE;
        g_resourceInstance = instance;
        break;
    case DLL_PROCESS_DETACH:
        TermFrameworkState(g_framework);
        break;
    }
    return TRUE;
}
