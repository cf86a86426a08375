// Library-wide state of the pages: each page's window slot, the host value
// and the two record pointers of the call. Set at the start of every page
// call and kept after it, so one page can refresh another.
#pragma once

#include <windows.h>

#include "ui/common/records.h"

struct PageState {
    HWND MainWindow;
    HWND ColorWindow;
    HWND OptionWindow;
    HWND VersionWindow;
    uint32_t HostValue;
    PrintSettings* Current;
    const PrintSettings* Defaults;
};

extern PageState g_pages;
extern HINSTANCE g_resourceInstance;  // this library, for its resources

// Stores the call's window in the slot of `kind` and the shared values.
void BeginPageCall(int32_t kind, const PageMessage* message, PrintSettings* current, const PrintSettings* defaults);

inline HWND PageWindowOf(const PageMessage* message) {
    return reinterpret_cast<HWND>(message->PageWindow);
}
