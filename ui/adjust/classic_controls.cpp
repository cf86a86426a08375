#include "ui/adjust/classic_controls.h"

namespace {

using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
using GetWindowThemeFunction = HANDLE(WINAPI*)(HWND);

// The visual style library, looked up at run time: systems before it have none.
HMODULE ThemeLibrary() {
    static const HMODULE library = LoadLibraryA("uxtheme.dll");
    return library;
}

template <class Function> Function ThemeFunction(const char* name) {
    HMODULE library = ThemeLibrary();
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

}  // namespace

void UseClassicControls(HWND page, std::initializer_list<int> ids) {
    static const auto setTheme = ThemeFunction<SetWindowThemeFunction>("SetWindowTheme");
    if (!setTheme) return;
    // A single space for both names is the documented way to switch the styles off.
    for (int id : ids)
        if (HWND control = GetDlgItem(page, id)) setTheme(control, L" ", L" ");
}

bool HasVisualStyle(HWND control) {
    static const auto getTheme = ThemeFunction<GetWindowThemeFunction>("GetWindowTheme");
    return getTheme && getTheme(control) != nullptr;
}
