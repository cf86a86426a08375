// Inside the framework only: the doors the window procedures, dialog
// procedures and hooks use into the window classes.
#pragma once

#include "ui/framework/window.h"

struct FrameworkAccess {
    static bool Subclass(CWnd* target, HWND window) { return target->SubclassWindow(window); }
    static LRESULT Dispatch(CWnd* target, UINT message, WPARAM wParam, LPARAM lParam) {
        return target->Dispatch(message, wParam, lParam);
    }
    static void Hook(CWnd* target, bool child) { CWnd::HookNextWindowCreate(target, child); }
    static void Unhook() { CWnd::UnhookWindowCreate(); }
};

// Counts an exception that a catch-all handler of the framework swallowed
// and sends what is known of it to the debugger output ("QV3810ui: caught
// in WHERE: WHAT"), where Wine's debugstr channel shows it. Call only from
// inside a catch block.
void ReportCaughtException(const char* where);

// Dialog procedures of framework dialogs and pages: the window procedure
// has normally taken the window over before its first message; these take
// it at WM_INITDIALOG otherwise, and leave everything else to the dialog
// manager.
INT_PTR CALLBACK FrameworkDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FrameworkPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
