// The application object: one per module, constructed before the module's
// attach and destroyed after its detach.
//
//   class CQv3810App : public CWinApp { BOOL InitInstance() override; };
//   CQv3810App theApp;
//   // DllMain:  attach: if (!AttachApplication(theApp, state, instance)) return FALSE;
//   //           thread detach: TermFrameworkThread();
//   //           detach: DetachApplication(theApp, state);
#pragma once

#include <windows.h>

#include "ui/framework/app_state.h"
#include "ui/framework/runtime_class.h"

class CWinApp : public CObject {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    // The module's own initialisation; the default accepts.
    virtual BOOL InitInstance() { return TRUE; }
    // Runs at the module's end; the value is the module's exit code.
    virtual int ExitInstance() { return 0; }

    HINSTANCE m_hInstance = nullptr;
    const char* m_pszAppName;

    // The module's application object (the last one constructed), or null.
    static CWinApp* Current();
};

// The module's attach: initialises the framework state with the instance and
// an empty command line, then runs InitInstance. When the framework cannot
// initialise, it is terminated; when InitInstance fails, ExitInstance runs
// and the framework is terminated. False in both cases: the module does not
// load.
bool AttachApplication(CWinApp& app, FrameworkState& state, HINSTANCE instance);
// The module's detach: ExitInstance, then the framework state is terminated.
int DetachApplication(CWinApp& app, FrameworkState& state);
