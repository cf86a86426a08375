#include "host/property_sheet.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstring>

#include "host/capture.h"
#include "host/host_resource.h"
#include "host/host_session.h"

const PageInfo HostPages[4] = {
    {PageKindMain, IDD_MAIN_PAGE, "main"},
    {PageKindColor, IDD_COLOR_PAGE, "color"},
    {PageKindOption, IDD_OPTION_PAGE, "option"},
    {PageKindVersion, IDD_VERSION_PAGE, "version"},
};

namespace {

HostSession* g_session;  // the session whose sheet is open

// Every page forwards its messages through the bridge, as the driver does.
INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    const int32_t kind = static_cast<int32_t>(GetWindowLongPtrA(page, GWLP_USERDATA));
    if (!kind || !g_session) return FALSE;

    if (!g_session->ForwardPageMessage(kind, page, message, wParam, lParam)) return FALSE;
    if (message == WM_INITDIALOG) FitSheetToPage(GetParent(page), page);
    if (message == WM_NOTIFY) SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);  // accept the change of page
    return TRUE;
}

struct SheetPages {
    PROPSHEETPAGEA Pages[4];
    PROPSHEETHEADERA Header;
    char Caption[128];
};

void FillSheet(SheetPages& s, HWND owner, DWORD flags) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (int i = 0; i < 4; ++i) {
        PROPSHEETPAGEA& p = s.Pages[i];
        p = {};
        p.dwSize = sizeof p;
        p.hInstance = instance;
        p.pszTemplate = MAKEINTRESOURCEA(HostPages[i].Template);
        p.pfnDlgProc = PageProc;
        p.lParam = HostPages[i].Kind;
    }
    LoadStringA(instance, IDS_SHEET_CAPTION, s.Caption, sizeof s.Caption);
    s.Header = {};
    s.Header.dwSize = sizeof s.Header;
    s.Header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | flags;
    s.Header.hwndParent = owner;
    s.Header.hInstance = instance;
    s.Header.pszCaption = s.Caption;
    s.Header.nPages = 4;
    s.Header.ppsp = s.Pages;
}

RECT RectIn(HWND window, HWND parent) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Grow(HWND window, int dx, int dy) {
    RECT r;
    GetWindowRect(window, &r);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void FitSheetToPage(HWND sheet, HWND page) {
    HWND tab = PropSheet_GetTabControl(sheet);
    if (!tab || !page) return;
    RECT area;
    GetClientRect(tab, &area);
    TabCtrl_AdjustRect(tab, FALSE, &area);

    // What the page and its controls take; controls past the page's edge get
    // the controls' left margin beyond them.
    RECT need;
    GetClientRect(page, &need);
    LONG margin = need.right, right = 0, bottom = 0;
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const RECT r = RectIn(c, page);
        margin = std::min(margin, std::max(0L, r.left));
        right = std::max(right, r.right);
        bottom = std::max(bottom, r.bottom);
    }
    if (right > need.right) need.right = right + margin;
    if (bottom > need.bottom) need.bottom = bottom + margin;
    const int dx = std::max(0L, need.right - (area.right - area.left));
    const int dy = std::max(0L, need.bottom - (area.bottom - area.top));
    if (!dx && !dy) return;

    // The sheet and its tab control grow, its pages (dialogs) with them, and
    // the buttons below keep their place at the bottom right.
    const RECT tabRect = RectIn(tab, sheet);
    Grow(sheet, dx, dy);
    Grow(tab, dx, dy);
    char kind[16];
    for (HWND c = GetWindow(sheet, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (c == tab) continue;
        const RECT r = RectIn(c, sheet);
        if (r.top >= tabRect.bottom)
            SetWindowPos(c, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        else if (GetClassNameA(c, kind, sizeof kind) && !strcmp(kind, "#32770"))
            Grow(c, dx, dy);
    }
}

void PumpMessages(HWND sheet) {
    // Paint and settle: a few rounds until no message is left.
    for (int round = 0; round < 20; ++round) {
        MSG msg;
        bool any = false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            if (!sheet || !PropSheet_IsDialogMessage(sheet, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        if (sheet) UpdateWindow(sheet);
        if (!any && round > 2) break;
        Sleep(20);
    }
}

bool RunPropertySheet(HostSession& session, HWND owner) {
    SheetPages s;
    FillSheet(s, owner, 0);
    g_session = &session;
    INT_PTR result = PropertySheetA(&s.Header);
    g_session = nullptr;
    return result > 0;
}

namespace {
SheetPages g_modeless;
}

HWND OpenModelessSheet(HostSession& session) {
    FillSheet(g_modeless, nullptr, PSH_MODELESS);
    g_session = &session;
    HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&g_modeless.Header));
    if (!sheet) {
        g_session = nullptr;
        return nullptr;
    }
    ShowWindow(sheet, SW_SHOW);
    SetForegroundWindow(sheet);
    PumpMessages(sheet);
    return sheet;
}

void CloseModelessSheet(HWND sheet) {
    if (sheet) DestroyWindow(sheet);
    PumpMessages(nullptr);
    g_session = nullptr;
}

HWND ShowSheetPage(HWND sheet, int index) {
    PropSheet_SetCurSel(sheet, nullptr, index);
    PumpMessages(sheet);
    return PropSheet_IndexToHwnd(sheet, index);
}

std::vector<std::string> ShootPropertySheet(HostSession& session, const std::string& folder, std::string& error) {
    std::vector<std::string> files;
    HWND sheet = OpenModelessSheet(session);
    if (!sheet) {
        error = "the printer properties did not open";
        return files;
    }
    for (int i = 0; i < 4; ++i) {
        ShowSheetPage(sheet, i);
        RedrawWindow(sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpMessages(sheet);
        // The folder's own separator, so that the names read as it was given.
        const char separator = folder.find('/') != std::string::npos ? '/' : '\\';
        std::string path = folder + separator + "page-" + HostPages[i].Name + ".png";
        if (!SaveWindowPng(sheet, path, &error)) {
            files.clear();
            break;
        }
        files.push_back(path);
    }
    CloseModelessSheet(sheet);
    return files;
}
