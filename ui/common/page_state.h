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

// Stores the call's window in the slot of `kind` and the shared values;
// false, storing nothing, when the message or a record is missing (a direct
// loader may pass null: the page then answers 1 and does nothing).
bool BeginPageCall(int32_t kind, const PageMessage* message, PrintSettings* current, const PrintSettings* defaults);

inline HWND PageWindowOf(const PageMessage* message) {
    return reinterpret_cast<HWND>(message->PageWindow);
}
