// Load and unload of QV3810ui: the library's application object and its
// entry point.
#include <windows.h>
#include <commctrl.h>

#include "engine/rdt_mapper.h"
#include "ui/color/user_settings_store.h"
#include "ui/common/page_state.h"
#include "ui/framework/application.h"

namespace {

// The system saves the XMM registers where it says that it supports SSE.
// Windows 95 has no IsProcessorFeaturePresent, and saves none.
bool SystemSavesVectorRegisters() {
    typedef BOOL(WINAPI * FeatureQuery)(DWORD);
    auto present = reinterpret_cast<FeatureQuery>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "IsProcessorFeaturePresent")));
    return present && present(PF_XMMI_INSTRUCTIONS_AVAILABLE);
}

class CQv3810uiApp : public CWinApp {
public:
    CQv3810uiApp() : CWinApp("QV3810UI") {}

    BOOL InitInstance() override {
        // The up-down and trackbar classes of the library's dialogs, as
        // comctl32 4.00 registers them (it has no InitCommonControlsEx).
        InitCommonControls();
        InitUserSettingsPath();
        SetVectorRegistersSaved(SystemSavesVectorRegisters());
        g_resourceInstance = m_hInstance;
        return CWinApp::InitInstance();
    }
};

CQv3810uiApp theApp;
FrameworkState g_framework;

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return AttachApplication(theApp, g_framework, instance) ? TRUE : FALSE;
    case DLL_THREAD_DETACH:
        TermFrameworkThread();
        break;
    case DLL_PROCESS_DETACH:
        DetachApplication(theApp, g_framework);
        break;
    }
    return TRUE;
}
