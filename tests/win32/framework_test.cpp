// The dialog framework: message map routing with chaining and defaults,
// data exchange both ways, creation by class name, property sheets that
// handle OK once, and exceptions kept inside the window procedure.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "host/automation.h"
#include "tests/win32/framework_test_resource.h"
#include "ui/framework/framework.h"

using namespace automation;

namespace {

constexpr UINT WM_BASE_ONLY = WM_APP + 1;
constexpr UINT WM_OVERRIDDEN = WM_APP + 2;
constexpr UINT WM_THROW = WM_APP + 3;

class CBaseFormDlg : public CDialog {
public:
    CBaseFormDlg() : CDialog(IDD_TEST_FORM) {}
    int BaseOnly = 0, BaseOverridden = 0, Created = 0, CreatedBeforeInit = 0;

protected:
    LRESULT OnBaseOnly(WPARAM wParam, LPARAM) {
        ++BaseOnly;
        return static_cast<LRESULT>(wParam) + 1;
    }
    LRESULT OnBaseOverridden(WPARAM, LPARAM) {
        ++BaseOverridden;
        return 0;
    }
    int OnCreate(CREATESTRUCTA*) {
        ++Created;
        Default();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseFormDlg, CDialog)
    ON_MESSAGE(WM_BASE_ONLY, OnBaseOnly)
    ON_MESSAGE(WM_OVERRIDDEN, OnBaseOverridden)
    ON_WM_CREATE(OnCreate)
END_MESSAGE_MAP()

class CRoutingDlg : public CBaseFormDlg {
public:
    int Pushed = 0, EditChanged = 0, EditLeft = 0, ComboAccepted = 0, Overridden = 0, Scrolls = 0;
    int ScrollCode = -1, ScrollPosition = 0, ScrollId = 0;
    UINT Track = 0;
    std::string Text;
    int Check = 0;
    std::string ListSelection, ComboSelection;
    char Short[6] = "";
    CEdit EditControl;
    int InitCreated = -1;

protected:
    BOOL OnInitDialog() override {
        InitCreated = Created;
        for (const char* item : {"一", "二", "三"}) SendDlgItemMessageA(m_hWnd, IDC_TEST_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        for (const char* item : {"赤", "緑", "青"}) SendDlgItemMessageA(m_hWnd, IDC_TEST_COMBO, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SetScrollRange(GetDlgItem(IDC_TEST_SCROLL), SB_CTL, -10, 10, FALSE);
        return CBaseFormDlg::OnInitDialog();
    }
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_TEST_EDIT, EditControl);
        DDX_Text(dx, IDC_TEST_EDIT, Text);
        DDX_Text(dx, IDC_TEST_EDIT2, Short);
        DDX_Check(dx, IDC_TEST_CHECK, Check);
        DDX_LBString(dx, IDC_TEST_LIST, ListSelection);
        DDX_LBString(dx, IDC_TEST_COMBO, ComboSelection);
    }
    void OnPush() { ++Pushed; }
    void OnEditChange() { ++EditChanged; }
    void OnEditLeft() { ++EditLeft; }
    void OnComboAccepted() { ++ComboAccepted; }
    LRESULT OnOverridden(WPARAM, LPARAM) {
        ++Overridden;
        return 7;
    }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    void OnScroll(UINT code, int position, HWND bar) {
        ++Scrolls;
        ScrollCode = static_cast<int>(code);
        ScrollPosition = position;
        ScrollId = ::GetDlgCtrlID(bar);
        Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRoutingDlg, CBaseFormDlg)
    ON_BN_CLICKED(IDC_TEST_PUSH, OnPush)
    ON_EN_CHANGE(IDC_TEST_EDIT, OnEditChange)
    ON_EN_KILLFOCUS(IDC_TEST_EDIT, OnEditLeft)
    ON_CBN_SELENDOK(IDC_TEST_COMBO, OnComboAccepted)
    ON_MESSAGE(WM_OVERRIDDEN, OnOverridden)
    ON_MESSAGE(WM_THROW, OnThrow)
    ON_SCROLL(WM_HSCROLL, IDC_TEST_SCROLL, OnScroll)
END_MESSAGE_MAP()

class CCreatable : public CObject {
    DECLARE_DYNCREATE(CCreatable)
};
IMPLEMENT_DYNCREATE(CCreatable, CObject)

class CNamedOnly : public CDialog {
    DECLARE_DYNAMIC(CNamedOnly)
public:
    CNamedOnly() : CDialog(IDD_TEST_FORM) {}
};
IMPLEMENT_DYNAMIC(CNamedOnly, CDialog)

class CCountingPage : public CPropertyPage {
    DECLARE_DYNCREATE(CCountingPage)
public:
    CCountingPage() : CPropertyPage(IDD_TEST_PAGE1) {}
    explicit CCountingPage(UINT templateId) : CPropertyPage(templateId) {}
    int Applied = 0, Oked = 0, Reset = 0, Activated = 0, Created = 0;

protected:
    BOOL OnApply() override {
        ++Applied;
        return CPropertyPage::OnApply();
    }
    void OnOK() override { ++Oked; }
    void OnReset() override { ++Reset; }
    BOOL OnSetActive() override {
        ++Activated;
        return CPropertyPage::OnSetActive();
    }
    int OnCreate(CREATESTRUCTA*) {
        ++Created;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CCountingPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CCountingPage, CPropertyPage)
    ON_WM_CREATE(OnCreate)
END_MESSAGE_MAP()

class CTestSheet : public CPropertySheet {
public:
    CTestSheet(int* initial, bool ownOk) : CPropertySheet(IDS_TEST_SHEET), m_initial(initial), m_ownOk(ownOk) {
        AddPage(&First);
        AddPage(&Second);
    }
    CCountingPage First{IDD_TEST_PAGE1};
    CCountingPage Second{IDD_TEST_PAGE2};
    int Accepted = 0, Initialised = 0;

protected:
    BOOL OnInitDialog() override {
        ++Initialised;
        CPropertySheet::OnInitDialog();
        SetActivePage(*m_initial);
        return TRUE;
    }
    void OnAccept() {
        ++Accepted;
        if (m_ownOk)
            EndDialog(IDOK);
        else
            CPropertySheet::OnOK();
    }
    int* m_initial;
    bool m_ownOk;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestSheet, CPropertySheet)
    ON_COMMAND(IDOK, OnAccept)
END_MESSAGE_MAP()

// What the process sends to the debugger output while it lives: the
// platform raises DBG_PRINTEXCEPTION_C with the text for every
// OutputDebugStringA, and a vectored handler sees it first.
struct DebugOutput {
    DebugOutput() { handler = AddVectoredExceptionHandler(1, Record); }
    ~DebugOutput() { RemoveVectoredExceptionHandler(handler); }
    static LONG CALLBACK Record(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD& r = *info->ExceptionRecord;
        if (r.ExceptionCode == DBG_PRINTEXCEPTION_C && r.NumberParameters >= 2)
            s_text += reinterpret_cast<const char*>(r.ExceptionInformation[1]);
        return EXCEPTION_CONTINUE_SEARCH;
    }
    static std::string s_text;
    void* handler;
};
std::string DebugOutput::s_text;

}  // namespace

TEST(FrameworkTest, MessageMapRoutesByMessageIdAndCode) {
    DebugOutput debug;
    CRoutingDlg dialog;
    LRESULT baseResult = 0, overriddenResult = 0, unmapped = -1;
    int pushedByOtherCode = -1;
    const int caughtBefore = FrameworkCaughtExceptions();
    DialogAutomation automation;
    automation.ExpectDialog(
        {Click(IDC_TEST_PUSH), SetText(IDC_TEST_EDIT, "x"), LeaveFocus(IDC_TEST_EDIT), Choose(IDC_TEST_COMBO, 1),
         Scroll(IDC_TEST_SCROLL, SB_THUMBPOSITION, -8),
         Inspect([&](HWND d) {
             baseResult = SendMessageA(d, WM_BASE_ONLY, 41, 0);
             overriddenResult = SendMessageA(d, WM_OVERRIDDEN, 0, 0);
             SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_TEST_PUSH, BN_DOUBLECLICKED), 0);
             pushedByOtherCode = dialog.Pushed;
             unmapped = SendMessageA(d, WM_APP + 9, 0, 0);  // the dialog manager's answer
             SendMessageA(d, WM_THROW, 0, 0);
         }),
         Ok()});
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(dialog.Pushed, 1);
    EXPECT_EQ(pushedByOtherCode, 1) << "another notification code of the same control is not routed there";
    EXPECT_GE(dialog.EditChanged, 1);
    EXPECT_EQ(dialog.EditLeft, 2) << "the click took the focus from the edit, and leaving it did again";
    EXPECT_EQ(dialog.ComboAccepted, 1);
    EXPECT_EQ(baseResult, 42) << "the base class's map is searched";
    EXPECT_EQ(overriddenResult, 7);
    EXPECT_EQ(dialog.Overridden, 1);
    EXPECT_EQ(dialog.BaseOverridden, 0) << "the derived entry wins";
    EXPECT_EQ(unmapped, 0);
    EXPECT_EQ(dialog.Scrolls, 1);
    EXPECT_EQ(dialog.ScrollCode, SB_THUMBPOSITION);
    EXPECT_EQ(dialog.ScrollPosition, -8);
    EXPECT_EQ(dialog.ScrollId, IDC_TEST_SCROLL);
    EXPECT_EQ(FrameworkCaughtExceptions(), caughtBefore + 1);
    EXPECT_NE(DebugOutput::s_text.find("QV3810ui: caught in the window procedure: handler failed"), std::string::npos)
        << "debugger output: " << DebugOutput::s_text;
    EXPECT_EQ(dialog.Created, 1);
    EXPECT_EQ(dialog.InitCreated, 1) << "WM_CREATE reaches the map before initialisation";
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(FrameworkTest, DataExchangeRoundTrips) {
    CRoutingDlg dialog;
    dialog.Text = "初期値";
    dialog.Check = 1;
    dialog.ListSelection = "二";
    dialog.ComboSelection = "青";
    std::strcpy(dialog.Short, "ab");
    std::string shownText, shownShort;
    int shownCheck = -1, shownList = -1, shownCombo = -1;
    HWND boundEdit = nullptr;
    DialogAutomation automation;
    automation.ExpectDialog({Inspect([&](HWND d) {
                                 char text[64];
                                 GetDlgItemTextA(d, IDC_TEST_EDIT, text, sizeof text);
                                 shownText = text;
                                 GetDlgItemTextA(d, IDC_TEST_EDIT2, text, sizeof text);
                                 shownShort = text;
                                 shownCheck = IsDlgButtonChecked(d, IDC_TEST_CHECK);
                                 shownList = static_cast<int>(SendDlgItemMessageA(d, IDC_TEST_LIST, LB_GETCURSEL, 0, 0));
                                 shownCombo = static_cast<int>(SendDlgItemMessageA(d, IDC_TEST_COMBO, CB_GETCURSEL, 0, 0));
                                 boundEdit = GetDlgItem(d, IDC_TEST_EDIT);
                             }),
                             SetText(IDC_TEST_EDIT, "変更後"), SetText(IDC_TEST_EDIT2, "あいう"), Check(IDC_TEST_CHECK, false),
                             Choose(IDC_TEST_LIST, 2), Choose(IDC_TEST_COMBO, 0), Ok()});
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(shownText, "初期値");
    EXPECT_EQ(shownShort, "ab");
    EXPECT_EQ(shownCheck, BST_CHECKED);
    EXPECT_EQ(shownList, 1);
    EXPECT_EQ(shownCombo, 2);
    EXPECT_EQ(dialog.EditControl.m_hWnd, boundEdit);
    EXPECT_EQ(dialog.Text, "変更後");
    EXPECT_EQ(dialog.Check, 0);
    EXPECT_EQ(dialog.ListSelection, "三");
    EXPECT_EQ(dialog.ComboSelection, "赤");
    EXPECT_STREQ(dialog.Short, "あい") << "a 6-byte buffer keeps whole characters only";
}

TEST(FrameworkTest, CancelReadsNothingBack) {
    CRoutingDlg dialog;
    dialog.Text = "元";
    DialogAutomation automation;
    automation.ExpectDialog({SetText(IDC_TEST_EDIT, "変"), Escape()});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(dialog.Text, "元");
}

TEST(FrameworkTest, ClassesAreCreatedByName) {
    std::unique_ptr<CObject> made = CreateObjectByName("CCreatable");
    ASSERT_TRUE(made);
    EXPECT_STREQ(made->GetRuntimeClass()->m_lpszClassName, "CCreatable");
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(made->IsKindOf(RUNTIME_CLASS(CWnd)));

    std::unique_ptr<CObject> page = CreateObjectByName("CCountingPage");
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->IsKindOf(RUNTIME_CLASS(CPropertyPage)));
    EXPECT_TRUE(page->IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_EQ(static_cast<CCountingPage*>(page.get())->TemplateId(), static_cast<UINT>(IDD_TEST_PAGE1));

    EXPECT_NE(CRuntimeClass::FromName("CNamedOnly"), nullptr);
    EXPECT_EQ(CreateObjectByName("CNamedOnly"), nullptr) << "known by name but not creatable";
    EXPECT_EQ(CreateObjectByName("CNoSuchClass"), nullptr);
    EXPECT_EQ(CreateObjectByName("ccreatable"), nullptr);
}

TEST(FrameworkTest, SheetOkIsHandledOnceByTheSheet) {
    int initial = 1;
    CTestSheet sheet(&initial, false);
    std::string caption;
    int active = -1;
    bool applyShown = true;
    DialogAutomation automation;
    automation.ExpectDialog({Inspect([&](HWND s) {
                                 char text[64];
                                 GetWindowTextA(s, text, sizeof text);
                                 caption = text;
                                 active = sheet.GetActiveIndex();
                                 HWND apply = GetDlgItem(s, 0x3021);
                                 applyShown = apply && IsWindowVisible(apply);
                             }),
                             Ok()});
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(caption, "テストシート");
    EXPECT_EQ(active, 1);
    EXPECT_FALSE(applyShown);
    EXPECT_EQ(sheet.Initialised, 1);
    EXPECT_EQ(sheet.Accepted, 1);
    EXPECT_EQ(sheet.Second.Applied, 1);
    EXPECT_EQ(sheet.Second.Oked, 1);
    EXPECT_EQ(sheet.Second.Created, 1) << "WM_CREATE reaches a page's map";
    EXPECT_GE(sheet.Second.Activated, 1);
    EXPECT_EQ(sheet.First.Applied, 1) << "the start page, left for page 2, applies once too";
    EXPECT_EQ(sheet.First.Oked, 1);
    EXPECT_EQ(sheet.m_hWnd, nullptr);
}

TEST(FrameworkTest, SheetThatMapsOkDecidesAlone) {
    int initial = 0;
    CTestSheet sheet(&initial, true);
    DialogAutomation automation;
    automation.ExpectDialog({Key(VK_RETURN)});
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(sheet.Accepted, 1);
    EXPECT_EQ(sheet.First.Applied, 0);
    EXPECT_EQ(sheet.First.Oked, 0);
}

TEST(FrameworkTest, SheetCancelEveryWay) {
    for (const Step& leave : {Cancel(), Escape(), CloseBox()}) {
        int initial = 0;
        CTestSheet sheet(&initial, false);
        DialogAutomation automation;
        automation.ExpectDialog({leave});
        EXPECT_EQ(sheet.DoModal(), IDCANCEL);
        EXPECT_TRUE(automation.Passed()) << automation.Report();
        EXPECT_EQ(sheet.Accepted, 0);
        EXPECT_EQ(sheet.First.Applied, 0);
        EXPECT_EQ(sheet.First.Reset, 1);
    }
}

TEST(FrameworkTest, ApplicationAttachAndDetach) {
    struct App : CWinApp {
        bool Accept = true;
        int Inits = 0, Exits = 0;
        BOOL InitInstance() override {
            ++Inits;
            return Accept;
        }
        int ExitInstance() override {
            ++Exits;
            return 3;
        }
    };
    App app;
    EXPECT_EQ(CWinApp::Current(), &app);
    FrameworkState state = {};
    ASSERT_TRUE(AttachApplication(app, state, GetModuleHandleA(nullptr)));
    EXPECT_TRUE(state.Initialised);
    EXPECT_EQ(app.m_hInstance, GetModuleHandleA(nullptr));
    EXPECT_EQ(DetachApplication(app, state), 3);
    EXPECT_FALSE(state.Initialised);

    app.Accept = false;
    EXPECT_FALSE(AttachApplication(app, state, GetModuleHandleA(nullptr)));
    EXPECT_EQ(app.Exits, 2) << "a refused initialisation runs the exit";
    EXPECT_FALSE(state.Initialised);
    EXPECT_FALSE(AttachApplication(app, state, nullptr));
    EXPECT_EQ(app.Inits, 2);
}
