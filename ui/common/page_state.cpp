#include "ui/common/page_state.h"

PageState g_pages;
HINSTANCE g_resourceInstance;

bool BeginPageCall(int32_t kind, const PageMessage* message, PrintSettings* current, const PrintSettings* defaults) {
    if (!message || !current || !defaults) return false;
    HWND window = PageWindowOf(message);
    switch (kind) {
    case PageKindMain: g_pages.MainWindow = window; break;
    case PageKindColor: g_pages.ColorWindow = window; break;
    case PageKindOption: g_pages.OptionWindow = window; break;
    case PageKindVersion: g_pages.VersionWindow = window; break;
    }
    g_pages.HostValue = message->HostValue;
    g_pages.Current = current;
    g_pages.Defaults = defaults;
    return true;
}
