// The host's Option page template as a dialog whose messages go through the
// bridge, as the driver forwards them. Shared by the Option page and stamp
// dialog tests.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/host_resource.h"
#include "host/host_session.h"
#include "host/job/default_settings.h"
#include "tests/win32/test_support.h"
#include "ui/common/host_controls.h"


// Where pictures go: QV_SCREENSHOT_DIR, or a folder in the temporary directory.
inline std::string ShotPath(const char* name) {
    char folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("QV_SCREENSHOT_DIR", folder, MAX_PATH)) {
        GetTempPathA(MAX_PATH, folder);
        strcat(folder, "qv-option-shots");
    }
    CreateDirectoryA(folder, nullptr);
    return std::string(folder) + "\\" + name;
}

class OptionPageHarness : public ::testing::Test {
protected:
    void SetUp() override {
        defaults = MakeDefaultSettings();
        current = defaults;
    }
    void TearDown() override {
        if (frame) DestroyWindow(frame);
        s_harness = nullptr;
        if (session.IsOpen()) {
            EXPECT_EQ(memcmp(&session.Defaults(), &defaults, sizeof defaults), 0) << "the default record changed";
        }
    }

    // Opens the session with `current`, creates the page and brings it to
    // the front (set active).
    void Open() {
        ASSERT_TRUE(session.Open(current, defaults));
        frame = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 30, 30, 470, 480, nullptr,
                                nullptr, nullptr, nullptr);
        s_harness = this;
        page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OPTION_PAGE), frame, PageProc, 0);
        ASSERT_NE(page, nullptr);
        EnableWindow(page, TRUE);
        ShowWindow(page, SW_SHOW);
        Activate();
    }

    PrintSettings& Cur() { return session.Current(); }

    void Activate() {
        NMHDR header = {GetParent(page), 0, static_cast<UINT>(PSN_SETACTIVE)};
        SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    }
    void Command(int id, int code) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    // A user's click: the button changes its state and notifies the page.
    void PressButton(int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }
    void TypeInto(int id, const char* text) {
        HWND edit = GetDlgItem(page, id);
        SetFocus(edit);
        for (const char* c = text; *c; ++c) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(*c), 0);
    }

    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        OptionPageHarness* t = s_harness;
        if (!t) return message == WM_INITDIALOG;
        return t->session.ForwardPageMessage(PageKindOption, window, message, wParam, lParam);
    }

    static inline OptionPageHarness* s_harness = nullptr;
    PrintSettings defaults;
    PrintSettings current;
    HostSession session;
    HWND frame = nullptr;
    HWND page = nullptr;
};
