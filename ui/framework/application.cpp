#include "ui/framework/application.h"

#include "ui/framework/framework_access.h"

namespace {
CWinApp* g_application;
}

IMPLEMENT_DYNAMIC(CWinApp, CObject)

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) { g_application = this; }

CWinApp::~CWinApp() {
    if (g_application == this) g_application = nullptr;
}

CWinApp* CWinApp::Current() { return g_application; }

bool AttachApplication(CWinApp& app, FrameworkState& state, HINSTANCE instance) {
    if (!InitFrameworkState(state, instance, nullptr, const_cast<LPSTR>(""), 0)) {
        TermFrameworkState(state);
        return false;
    }
    app.m_hInstance = instance;
    bool started = false;
    try {
        started = app.InitInstance() != FALSE;
        if (!started) app.ExitInstance();
    } catch (...) {
        // No exception leaves the module's entry point.
        ReportCaughtException("the application's initialisation");
    }
    if (!started) TermFrameworkState(state);
    return started;
}

int DetachApplication(CWinApp& app, FrameworkState& state) {
    int code = 0;
    try {
        code = app.ExitInstance();
    } catch (...) {
        ReportCaughtException("the application's exit");
    }
    TermFrameworkState(state);
    return code;
}
