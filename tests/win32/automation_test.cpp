// The dialog automation against plain dialogs: every step kind reaches the
// controls as user input does, nested and unexpected windows are handled,
// and the watchdog ends what would hang.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/automation.h"
#include "tests/win32/framework_test_resource.h"

using namespace automation;

namespace {

struct Event {
    UINT Message;
    int Id;
    int Code;
    int Position;
};

// What the test form's dialog procedure saw.
struct FormLog {
    std::vector<Event> Events;
    bool SwallowCancel = false;
    bool BoxFromPush = false;
    int BoxResult = 0;
    bool Has(UINT message, int id, int code) const {
        for (const Event& e : Events)
            if (e.Message == message && e.Id == id && e.Code == code) return true;
        return false;
    }
    int IndexOf(UINT message, int id, int code) const {
        for (size_t i = 0; i < Events.size(); ++i)
            if (Events[i].Message == message && Events[i].Id == id && Events[i].Code == code) return static_cast<int>(i);
        return -1;
    }
};

INT_PTR CALLBACK FormProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* log = reinterpret_cast<FormLog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        HWND combo = GetDlgItem(dialog, IDC_TEST_COMBO);
        for (const char* item : {"赤", "緑", "青"}) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        HWND list = GetDlgItem(dialog, IDC_TEST_LIST);
        for (const char* item : {"一", "二"}) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SetScrollRange(GetDlgItem(dialog, IDC_TEST_SCROLL), SB_CTL, -10, 10, FALSE);
        SendDlgItemMessageA(dialog, IDC_TEST_TRACK, TBM_SETRANGE, FALSE, MAKELPARAM(0, 8));
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (log) log->Events.push_back({message, id, code, 0});
        if (id == IDC_TEST_PUSH && code == BN_CLICKED && log && log->BoxFromPush)
            log->BoxResult = MessageBoxA(dialog, "内側", "入れ子", MB_OK | MB_ICONEXCLAMATION);
        if (id == IDOK || (id == IDCANCEL && !(log && log->SwallowCancel))) EndDialog(dialog, id);
        return TRUE;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (log)
            log->Events.push_back({message, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), LOWORD(wParam),
                                   static_cast<short>(HIWORD(wParam))});
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunForm(FormLog& log) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TEST_FORM), nullptr, FormProc,
                           reinterpret_cast<LPARAM>(&log));
}

std::string ControlText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

}  // namespace

TEST(AutomationTest, TextStepsNotifyTheParentAsTyping) {
    FormLog log;
    std::string typed, set;
    DialogAutomation automation;
    automation.ExpectDialog({SetText(IDC_TEST_EDIT, "12.5"), Inspect([&](HWND d) { set = ControlText(d, IDC_TEST_EDIT); }),
                             Type(IDC_TEST_EDIT2, "ab漢"),
                             Inspect([&](HWND d) { typed = ControlText(d, IDC_TEST_EDIT2); }), Ok()});
    EXPECT_EQ(RunForm(log), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(set, "12.5");
    EXPECT_EQ(typed, "ab漢");
    EXPECT_TRUE(log.Has(WM_COMMAND, IDC_TEST_EDIT, EN_UPDATE));
    EXPECT_TRUE(log.Has(WM_COMMAND, IDC_TEST_EDIT, EN_CHANGE));
    int changes = 0;
    for (const Event& e : log.Events) changes += e.Id == IDC_TEST_EDIT2 && e.Code == EN_CHANGE;
    EXPECT_EQ(changes, 3) << "one change per typed character";
}

TEST(AutomationTest, ClickCheckChooseAndFocusSteps) {
    FormLog log;
    int checked = -1, comboSel = -1, listSel = -1;
    DialogAutomation automation;
    automation.ExpectDialog({Click(IDC_TEST_PUSH), Check(IDC_TEST_CHECK), Check(IDC_TEST_CHECK),
                             Choose(IDC_TEST_COMBO, 2), ChooseText(IDC_TEST_LIST, "二"), LeaveFocus(IDC_TEST_EDIT),
                             Inspect([&](HWND d) {
                                 checked = IsDlgButtonChecked(d, IDC_TEST_CHECK);
                                 comboSel = static_cast<int>(SendDlgItemMessageA(d, IDC_TEST_COMBO, CB_GETCURSEL, 0, 0));
                                 listSel = static_cast<int>(SendDlgItemMessageA(d, IDC_TEST_LIST, LB_GETCURSEL, 0, 0));
                             }),
                             Ok()});
    EXPECT_EQ(RunForm(log), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_TRUE(log.Has(WM_COMMAND, IDC_TEST_PUSH, BN_CLICKED));
    EXPECT_EQ(checked, BST_CHECKED) << "a second Check of a checked box leaves it checked";
    EXPECT_EQ(comboSel, 2);
    EXPECT_EQ(listSel, 1);
    const int change = log.IndexOf(WM_COMMAND, IDC_TEST_COMBO, CBN_SELCHANGE);
    const int accept = log.IndexOf(WM_COMMAND, IDC_TEST_COMBO, CBN_SELENDOK);
    EXPECT_GE(change, 0);
    EXPECT_GT(accept, change);
    EXPECT_TRUE(log.Has(WM_COMMAND, IDC_TEST_LIST, LBN_SELCHANGE));
    EXPECT_TRUE(log.Has(WM_COMMAND, IDC_TEST_EDIT, EN_SETFOCUS));
    EXPECT_TRUE(log.Has(WM_COMMAND, IDC_TEST_EDIT, EN_KILLFOCUS));
}

TEST(AutomationTest, ScrollStepsCarryCodeAndSignedPosition) {
    FormLog log;
    int trackPos = -1;
    DialogAutomation automation;
    automation.ExpectDialog({Scroll(IDC_TEST_SCROLL, SB_THUMBPOSITION, -8), Scroll(IDC_TEST_TRACK, TB_THUMBPOSITION, 6),
                             Inspect([&](HWND d) {
                                 trackPos = static_cast<int>(SendDlgItemMessageA(d, IDC_TEST_TRACK, TBM_GETPOS, 0, 0));
                             }),
                             Ok()});
    EXPECT_EQ(RunForm(log), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    ASSERT_GE(log.IndexOf(WM_HSCROLL, IDC_TEST_SCROLL, SB_THUMBPOSITION), 0);
    EXPECT_EQ(log.Events[log.IndexOf(WM_HSCROLL, IDC_TEST_SCROLL, SB_THUMBPOSITION)].Position, -8);
    EXPECT_EQ(trackPos, 6);
    const int thumb = log.IndexOf(WM_HSCROLL, IDC_TEST_TRACK, TB_THUMBPOSITION);
    ASSERT_GE(thumb, 0);
    EXPECT_EQ(log.Events[thumb].Position, 6);
    EXPECT_GT(log.IndexOf(WM_HSCROLL, IDC_TEST_TRACK, TB_ENDTRACK), thumb);
}

TEST(AutomationTest, EveryWayOutEndsTheDialog) {
    struct Way {
        const char* Name;
        Step Leave;
        INT_PTR Result;
    };
    const Way ways[] = {{"ok", Ok(), IDOK},
                        {"cancel", Cancel(), IDCANCEL},
                        {"escape", Escape(), IDCANCEL},
                        {"close box", CloseBox(), IDCANCEL},
                        {"enter", Key(VK_RETURN), IDOK}};
    for (const Way& way : ways) {
        FormLog log;
        DialogAutomation automation;
        automation.ExpectDialog({way.Leave});
        EXPECT_EQ(RunForm(log), way.Result) << way.Name;
        EXPECT_TRUE(automation.Passed()) << way.Name << "\n" << automation.Report();
    }
}

TEST(AutomationTest, NestedMessageBoxIsRecordedAndPlayedFirst) {
    FormLog log;
    log.BoxFromPush = true;
    DialogAutomation automation;
    HWND form = nullptr;
    automation.ExpectDialog({Inspect([&](HWND d) { form = d; }), Click(IDC_TEST_PUSH), Ok()});
    automation.ExpectMessageBox();
    EXPECT_EQ(RunForm(log), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(log.BoxResult, IDOK);
    ASSERT_EQ(automation.Seen().size(), 2u);
    const SeenWindow& box = automation.Seen()[1];
    EXPECT_EQ(box.Kind, WindowKind::MessageBox);
    EXPECT_EQ(box.Text, "内側");
    EXPECT_EQ(box.Caption, "入れ子");
    EXPECT_EQ(box.Icon, IconKind::Exclamation);
    EXPECT_EQ(box.Owner, form);
    EXPECT_EQ(automation.Seen()[0].Kind, WindowKind::Dialog);
    EXPECT_EQ(automation.Seen()[0].Caption, "テスト");
}

TEST(AutomationTest, UnexpectedMessageBoxFailsAndIsClosed) {
    DialogAutomation automation;
    const DWORD start = GetTickCount();
    MessageBoxA(nullptr, "予期しない", "QV3810UI", MB_OK | MB_ICONINFORMATION);
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_FALSE(automation.Passed());
    ASSERT_EQ(automation.Failures().size(), 1u);
    EXPECT_NE(automation.Failures()[0].find("unexpected message box"), std::string::npos) << automation.Report();
    EXPECT_EQ(automation.Seen().at(0).Icon, IconKind::Information);
}

TEST(AutomationTest, WindowOfAnotherKindFailsAndIsClosed) {
    DialogAutomation automation;
    automation.ExpectDialog({Ok()});
    MessageBoxA(nullptr, "箱", "QV3810UI", MB_OK);
    EXPECT_FALSE(automation.Passed());
    EXPECT_EQ(automation.Pending(), 0u);
}

TEST(AutomationTest, StepsLeftWhenTheDialogEndedFail) {
    FormLog log;
    DialogAutomation automation;
    automation.ExpectDialog({Ok(), Click(IDC_TEST_PUSH)});
    EXPECT_EQ(RunForm(log), IDOK);
    EXPECT_FALSE(automation.Passed());
    EXPECT_NE(automation.Report().find("not played"), std::string::npos) << automation.Report();
}

TEST(AutomationTest, WatchdogEndsADialogThatRefusesToClose) {
    FormLog log;
    log.SwallowCancel = true;  // Cancel does nothing: the watchdog must end the dialog itself
    DialogAutomation automation(300);
    automation.ExpectDialog({});
    const DWORD start = GetTickCount();
    RunForm(log);
    EXPECT_LT(GetTickCount() - start, 4000u);
    EXPECT_FALSE(automation.Passed());
    EXPECT_NE(automation.Report().find("watchdog"), std::string::npos) << automation.Report();
    EXPECT_TRUE(log.Has(WM_COMMAND, IDCANCEL, BN_CLICKED)) << "Cancel is tried first";
}

TEST(AutomationTest, AnswersTheFileOpenDialog) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "qv_automation_pick.bmp";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    for (bool answer : {true, false}) {
        char chosen[MAX_PATH] = {};
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFilter = "Bitmap files (*.bmp)\0*.bmp\0";
        ofn.lpstrFile = chosen;
        ofn.nMaxFile = sizeof chosen;
        ofn.lpstrDefExt = "bmp";
        ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NODEREFERENCELINKS;
        DialogAutomation automation;
        automation.ExpectFileDialog(answer ? path : std::string());
        BOOL ok = GetOpenFileNameA(&ofn);
        EXPECT_TRUE(automation.Passed()) << automation.Report();
        EXPECT_EQ(ok != FALSE, answer);
        if (answer) {
            EXPECT_EQ(lstrcmpiA(chosen, path.c_str()), 0) << chosen;
        }
    }
    DeleteFileA(path.c_str());
}

// ---- steps from a source

namespace {

// A modeless form whose push button opens the test form modally; that one
// is hidden until its modal loop first idles, and its push button opens a
// message box.
struct NestingForms {
    FormLog Outer, Inner;
    INT_PTR InnerResult = 0;
};

INT_PTR CALLBACK NestingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* forms = reinterpret_cast<NestingForms*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message != WM_COMMAND || !forms) return FALSE;
    forms->Outer.Events.push_back({message, LOWORD(wParam), HIWORD(wParam), 0});
    if (LOWORD(wParam) == IDC_TEST_PUSH && HIWORD(wParam) == BN_CLICKED) {
        forms->InnerResult = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TEST_FORM), dialog,
                                             FormProc, reinterpret_cast<LPARAM>(&forms->Inner));
        forms->Outer.Events.push_back({WM_NULL, IDC_TEST_PUSH, 0, 0});  // the inner form has ended
    }
    return TRUE;
}

// Gives each window its steps only when asked, as a script does; records
// what it was asked.
struct ScriptedSource : StepSource {
    HWND Outer = nullptr;
    std::vector<Step> OuterSteps, InnerSteps;
    std::vector<std::string> Asked;  // "outer", "inner", "box", with "*" on a first call
    std::string BoxText;
    bool Done = false;

    Reply Next(HWND window, const SeenWindow& seen, bool first, Step& step) override {
        const bool box = seen.Kind == WindowKind::MessageBox;
        Asked.push_back(std::string(window == Outer ? "outer" : box ? "box" : "inner") + (first ? "*" : ""));
        if (box) {
            BoxText = seen.Text;
            if (!first) return Reply::Wait;
            step = Ok();
            return Reply::Play;
        }
        std::vector<Step>& steps = window == Outer ? OuterSteps : InnerSteps;
        if (steps.empty()) {
            Done = window == Outer;
            return Reply::Wait;
        }
        step = steps.front();
        steps.erase(steps.begin());
        return Reply::Play;
    }
};

}  // namespace

TEST(AutomationTest, SourceStepsReachTheWindowOnTopAsItOpens) {
    NestingForms forms;
    forms.Inner.BoxFromPush = true;
    HWND outer = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TEST_FORM), nullptr, NestingProc,
                                    reinterpret_cast<LPARAM>(&forms));
    ASSERT_NE(outer, nullptr);
    ShowWindow(outer, SW_SHOW);
    ScriptedSource source;
    source.Outer = outer;
    // The step after each click goes to whatever the click opened.
    source.OuterSteps = {Click(IDC_TEST_PUSH), Check(IDC_TEST_CHECK)};
    source.InnerSteps = {Click(IDC_TEST_PUSH), Check(IDC_TEST_CHECK), Ok()};
    {
        DialogAutomation automation;
        automation.Drive(outer, source);
        const DWORD start = GetTickCount();
        MSG msg;
        while (!source.Done && GetTickCount() - start < 10000 && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (!IsDialogMessageA(outer, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        EXPECT_TRUE(source.Done);
        EXPECT_TRUE(automation.Failures().empty()) << automation.Report();
    }
    EXPECT_EQ(forms.InnerResult, IDOK);
    EXPECT_EQ(forms.Inner.BoxResult, IDOK);
    EXPECT_EQ(source.BoxText, "内側");
    EXPECT_TRUE(forms.Inner.Has(WM_COMMAND, IDC_TEST_CHECK, BN_CLICKED));
    EXPECT_GT(forms.Outer.IndexOf(WM_COMMAND, IDC_TEST_CHECK, BN_CLICKED), forms.Outer.IndexOf(WM_NULL, IDC_TEST_PUSH, 0))
        << "the outer form's second step waits until the inner form has ended";
    ASSERT_GE(source.Asked.size(), 2u);
    EXPECT_EQ(source.Asked[1], "inner*") << "the step after the click goes to the form it opened";
    // Each window is asked first once, in the order the windows appeared.
    std::vector<std::string> firsts;
    for (const std::string& a : source.Asked)
        if (a.back() == '*') firsts.push_back(a);
    EXPECT_EQ(firsts, (std::vector<std::string>{"outer*", "inner*", "box*"}));
    DestroyWindow(outer);
}
