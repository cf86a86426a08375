// The Main page and its three dialogs, driven as the host drives them: the
// host's page template as a dialog whose messages go through the bridge,
// modal dialogs and message boxes answered by the dialog automation.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/win32/shot_path.h"
#include "host/automation.h"
#include "host/capture.h"
#include "host/job/default_settings.h"
#include "host/host_resource.h"
#include "host/host_session.h"
#include "host/property_sheet.h"
#include "tests/win32/test_support.h"
#include "ui/common/host_controls.h"

using namespace automation;

namespace {

// Texts of the system, as the build compiles them (Shift-JIS).
const char FeedFromCassette1[] = "指定の用紙種類は「ｶｾｯﾄ1」から給紙するよう設定してください。";
const char FollowPaper[] = "用紙ｻｲｽﾞに従う";

// Ids of the library's dialogs.
enum {
    WidthEdit = 2066, WidthSpin = 2120, LengthEdit = 2009, UnitMm = 2068, UnitInch = 2069,
    PortraitPicture = 2126, LandscapePicture = 2128, PortraitText = 2112, LandscapeText = 2114,
    MarginEdit = 2008, MarginSpin = 2131, TwoUp0 = 2015, TwoUp1 = 2016, FourUp0 = 2017, PageFrame = 2021,
    FrameKind = 2022, BindRightTop = 2013, ResetDefaults = 2014,
    ModeSpeed = 2005, ModeStandard = 1042, ModeQuality = 2006, NoticeCheck = 2423,
};


HICON LibraryIcon(int id) { return LoadIconA(GetModuleHandleA("QV3810ui.dll"), MAKEINTRESOURCEA(id)); }
HICON ButtonIcon(HWND dialog, int id) {
    return reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, id, BM_GETIMAGE, IMAGE_ICON, 0));
}

class MainPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        defaults = MakeDefaultSettings();
        current = defaults;
    }
    void TearDown() override {
        if (page) DestroyWindow(frame);
        if (session.IsOpen()) {
            EXPECT_EQ(memcmp(&session.Defaults(), &defaults, sizeof defaults), 0) << "the default record changed";
        }
    }

    // Opens the session with `current` and shows the Main page.
    void Open(bool forwardInit = true) {
        ASSERT_TRUE(session.Open(current, defaults));
        forwarding = forwardInit;
        frame = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40, 560, 560, nullptr,
                                nullptr, nullptr, nullptr);
        s_test = this;
        page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN_PAGE), frame, PageProc, 0);
        ASSERT_NE(page, nullptr);
        forwarding = true;
        EnableWindow(page, TRUE);
        ShowWindow(page, SW_SHOW);
    }

    PrintSettings& Cur() { return session.Current(); }

    void Command(int id, int code) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    void ChooseItem(int id, int index) {
        SendDlgItemMessageA(page, id, CB_SETCURSEL, index, 0);
        Command(id, CBN_SELENDOK);
    }
    void ClickItem(int id) {
        HWND button = GetDlgItem(page, id);
        LONG style = GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK;
        if (style == BS_AUTOCHECKBOX) CheckDlgButton(page, id, Checked(page, id) ? BST_UNCHECKED : BST_CHECKED);
        if (style == BS_AUTORADIOBUTTON) CheckRadioButton(page, IDC_PORTRAIT, IDC_LANDSCAPE, id);
        Command(id, BN_CLICKED);
    }
    void Notify(UINT code) {
        NMHDR header = {GetParent(page), 0, code};
        SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    }
    void SetCopies(const char* text) {
        SetDlgItemTextA(page, IDC_COPIES, text);
        Command(IDC_COPIES, EN_KILLFOCUS);
    }

    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        MainPageTest* t = s_test;
        if (!t || !t->forwarding) return message == WM_INITDIALOG;
        return t->session.ForwardPageMessage(PageKindMain, window, message, wParam, lParam);
    }

    static MainPageTest* s_test;
    PrintSettings defaults;
    PrintSettings current;
    HostSession session;
    HWND frame = nullptr;
    HWND page = nullptr;
    bool forwarding = true;
};
MainPageTest* MainPageTest::s_test;

// ---- initialisation, refresh, summary

TEST_F(MainPageTest, InitialisationFillsTheControlsAndMakesTheCopiesUpDown) {
    current.Copies = 3;
    current.CodeSwitch = 1;
    strcpy(current.CodeText, "A1");
    Open();
    EXPECT_EQ(Count(page, IDC_PAPER_SIZE), 15);
    EXPECT_EQ(Selected(page, IDC_PAPER_SIZE), 2);
    EXPECT_EQ(ListItem(page, IDC_PAPER_SIZE, 14), "ﾕｰｻﾞ定義ｻｲｽﾞ(210.0 x 297.0 mm)");
    EXPECT_EQ(Count(page, IDC_OUTPUT_SIZE), 5);
    EXPECT_EQ(ListItem(page, IDC_OUTPUT_SIZE, Selected(page, IDC_OUTPUT_SIZE)), FollowPaper);
    EXPECT_EQ(Count(page, IDC_PAGES_PER_SHEET), 3);
    EXPECT_EQ(Selected(page, IDC_PAPER_SOURCE), 3);
    EXPECT_EQ(Selected(page, IDC_MEDIA_TYPE), 0);
    EXPECT_TRUE(Checked(page, IDC_PORTRAIT));
    EXPECT_FALSE(Checked(page, IDC_LANDSCAPE));
    EXPECT_EQ(Text(page, IDC_SCALE_TEXT), "100%");
    EXPECT_EQ(Text(page, IDC_CODE_TEXT), "A1");
    EXPECT_TRUE(Enabled(page, IDC_CODE_TEXT));
    EXPECT_EQ(Text(page, IDC_COPIES), "3");

    HWND spin = GetDlgItem(page, IDC_COPIES_SPIN);
    ASSERT_NE(spin, nullptr);
    char cls[64] = {};
    GetClassNameA(spin, cls, sizeof cls);
    EXPECT_STREQ(cls, UPDOWN_CLASSA);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(spin, UDM_GETBUDDY, 0, 0)), GetDlgItem(page, IDC_COPIES));
    int low = 0, high = 0;
    SendMessageA(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 999);
    EXPECT_NE(SendDlgItemMessageA(page, IDC_LAYOUT_ICON, STM_GETICON, 0, 0), 0) << "layout icon 2001";

    // A second init-dialog refreshes without a second up-down or paper entry.
    session.Forward(PageKindMain, page, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(Count(page, IDC_PAPER_SIZE), 15);
    int spins = 0;
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) spins += GetDlgCtrlID(c) == IDC_COPIES_SPIN;
    EXPECT_EQ(spins, 1);
    EXPECT_EQ(memcmp(&Cur(), &current, sizeof current), 0) << "a plain refresh of valid settings changes nothing";
}

TEST_F(MainPageTest, StoredCodesOutsideTheirListsShowPositionZero) {
    current.PaperSize = 999;
    current.OutputSize = 12345;
    current.PaperSource = 99;
    current.MediaType = -4;
    current.Orientation = 0;
    current.PagesPerSheet = 7;
    current.Copies = 5000;
    memset(current.CodeText, 'Z', sizeof current.CodeText);  // no terminator
    current.CustomWidth = std::numeric_limits<double>::quiet_NaN();
    current.CustomLength = -1e300;
    Open();
    EXPECT_EQ(Selected(page, IDC_PAPER_SIZE), 0);
    EXPECT_EQ(Cur().PaperSize, 257);
    EXPECT_EQ(Cur().OutputSize, 513);
    EXPECT_EQ(Selected(page, IDC_PAPER_SOURCE), 0);
    EXPECT_EQ(Cur().PaperSource, 99) << "source and media codes are not rewritten";
    EXPECT_EQ(Selected(page, IDC_MEDIA_TYPE), 0);
    EXPECT_EQ(Cur().MediaType, -4);
    EXPECT_TRUE(Checked(page, IDC_LANDSCAPE));
    EXPECT_FALSE(Checked(page, IDC_PORTRAIT));
    EXPECT_EQ(Cur().Orientation, 0) << "orientation 0 stays until a button is clicked";
    EXPECT_EQ(Cur().PagesPerSheet, 0);
    EXPECT_EQ(Selected(page, IDC_PAGES_PER_SHEET), 0);
    EXPECT_EQ(Text(page, IDC_CODE_TEXT), "ZZZZ") << "the edit holds at most four characters";
    EXPECT_EQ(ListItem(page, IDC_PAPER_SIZE, 14), "ﾕｰｻﾞ定義ｻｲｽﾞ(198.0 x 176.0 mm)");
    EXPECT_DOUBLE_EQ(Cur().CustomWidth, 198.0);
    EXPECT_DOUBLE_EQ(Cur().CustomLength, 176.0);
    Notify(PSN_SETACTIVE);
    EXPECT_EQ(Cur().Copies, 999);
    EXPECT_EQ(Text(page, IDC_COPIES), "999");
}

TEST_F(MainPageTest, SetActiveShowsTheSummaryAndEnablesDuplexWithTheUnit) {
    current.ColorMode = 4;
    current.UserSettingName[0] = '\0';
    current.Color.BaseColor = 2;
    current.PrintMode = 2;
    current.DuplexUnit = 0;
    Open();
    SetDlgItemTextA(page, 1224, "stale");
    Notify(PSN_SETACTIVE);
    const char* expected[] = {"ｶﾗｰﾓｰﾄﾞ", "：", "現在の設定", "ﾍﾞｰｽｶﾗｰ", "：", "文書", "印刷ﾓｰﾄﾞ", "：", "高品質",
                              "黒合成", "：", "しない", "ｽﾑｰｼﾞﾝｸﾞ", "：", "行う", "ﾄﾅｰｾｰﾌﾞ", "：", "行わない"};
    for (int i = 0; i < 18; ++i) EXPECT_EQ(Text(page, 1201 + i), expected[i]) << 1201 + i;
    for (int id = 1219; id <= 1224; ++id) EXPECT_EQ(Text(page, id), "") << id;
    EXPECT_FALSE(Enabled(page, IDC_DUPLEX));

    Cur().ColorMode = 0;
    Cur().DuplexUnit = 1;
    Notify(PSN_SETACTIVE);
    EXPECT_EQ(Text(page, 1203), "文書");
    EXPECT_EQ(Text(page, 1204), "印刷ﾓｰﾄﾞ");
    EXPECT_EQ(Text(page, 1216), "");
    EXPECT_TRUE(Enabled(page, IDC_DUPLEX));
}

// ---- copies and code text

TEST_F(MainPageTest, CopiesAreCorrectedWhenTheBoxLosesTheFocus) {
    Open();
    SetCopies("0");
    EXPECT_EQ(Text(page, IDC_COPIES), "1");
    EXPECT_EQ(Cur().Copies, 1);
    SetCopies("");
    EXPECT_EQ(Text(page, IDC_COPIES), "1");
    SetCopies("-5");
    EXPECT_EQ(Cur().Copies, 1);
    SetCopies("abc");
    EXPECT_EQ(Text(page, IDC_COPIES), "1");
    // Typed: the box takes three characters.
    HWND edit = GetDlgItem(page, IDC_COPIES);
    SetWindowTextA(edit, "");
    for (char c : std::string("1234")) SendMessageA(edit, WM_CHAR, c, 0);
    EXPECT_EQ(Text(page, IDC_COPIES), "123");
    Notify(PSN_KILLACTIVE);
    EXPECT_EQ(Cur().Copies, 123);
}

TEST_F(MainPageTest, KillActiveBeforeTheFirstInitChangesNothing) {
    Open(false);  // the page exists, the library has not seen its init-dialog
    SetDlgItemTextA(page, IDC_COPIES, "0");
    Notify(PSN_KILLACTIVE);
    EXPECT_EQ(Text(page, IDC_COPIES), "0");
    EXPECT_EQ(memcmp(&Cur(), &current, sizeof current), 0);
}

TEST_F(MainPageTest, CodeTextKeepsOnlyTheLeadingRunOfTheCodeSet) {
    Open();
    EXPECT_FALSE(Enabled(page, IDC_CODE_TEXT));
    ClickItem(IDC_CODE_SWITCH);
    EXPECT_EQ(Cur().CodeSwitch, 1);
    EXPECT_TRUE(Enabled(page, IDC_CODE_TEXT));

    HWND edit = GetDlgItem(page, IDC_CODE_TEXT);
    SetWindowTextA(edit, "12,3");
    EXPECT_EQ(Text(page, IDC_CODE_TEXT), "12");
    EXPECT_STREQ(Cur().CodeText, "12");
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 2u);

    SetWindowTextA(edit, "ｱｲ表X");  // a pasted double-byte character ends the code
    EXPECT_EQ(Text(page, IDC_CODE_TEXT), "ｱｲ");
    EXPECT_STREQ(Cur().CodeText, "ｱｲ");
    SetWindowTextA(edit, "表表表表表表");
    EXPECT_STREQ(Cur().CodeText, "");
    SetWindowTextA(edit, "A~B");
    EXPECT_STREQ(Cur().CodeText, "A");
    for (size_t i = 2; i < sizeof Cur().CodeText; ++i) EXPECT_EQ(Cur().CodeText[i], 0) << i;

    ClickItem(IDC_CODE_SWITCH);
    EXPECT_EQ(Cur().CodeSwitch, 0);
    EXPECT_FALSE(Enabled(page, IDC_CODE_TEXT));
}

// ---- paper, output, pages, orientation

TEST_F(MainPageTest, FromA4FourUpToLetterAndItsA4Output) {
    current.PagesPerSheet = 2;
    Open();
    EXPECT_EQ(Text(page, IDC_SCALE_TEXT), "50%");
    ChooseItem(IDC_PAPER_SIZE, 8);  // Letter
    EXPECT_EQ(Cur().PaperSize, 1);
    ASSERT_EQ(Count(page, IDC_OUTPUT_SIZE), 3);
    EXPECT_EQ(ListItem(page, IDC_OUTPUT_SIZE, Selected(page, IDC_OUTPUT_SIZE)), FollowPaper);
    EXPECT_EQ(Cur().OutputSize, 548);
    EXPECT_EQ(Cur().PagesPerSheet, 0);
    EXPECT_EQ(Count(page, IDC_PAGES_PER_SHEET), 1);
    EXPECT_EQ(Text(page, IDC_SCALE_TEXT), "100%");
    ChooseItem(IDC_OUTPUT_SIZE, 0);  // "A4"
    EXPECT_EQ(Cur().OutputSize, 540);
    EXPECT_EQ(Text(page, IDC_SCALE_TEXT), "97%");

    ChooseItem(IDC_PAPER_SIZE, 1);  // A3: default slot "follow the paper size", pages list up to four
    EXPECT_EQ(Cur().PaperSize, 8);
    EXPECT_EQ(Cur().OutputSize, 548);
    ChooseItem(IDC_PAGES_PER_SHEET, 1);
    EXPECT_EQ(Cur().PagesPerSheet, 1);
    EXPECT_EQ(Text(page, IDC_SCALE_TEXT), "71%");
    ChooseItem(IDC_OUTPUT_SIZE, 3);  // "B5": one page only
    EXPECT_EQ(Cur().OutputSize, 532);
    EXPECT_EQ(Cur().PagesPerSheet, 0);
    EXPECT_EQ(Text(page, IDC_SCALE_TEXT), "61%");
}

TEST_F(MainPageTest, OrientationAndPagesChooseTheLayoutIcon) {
    current.PagesPerSheet = 1;
    Open();
    HICON portraitTwo = reinterpret_cast<HICON>(SendDlgItemMessageA(page, IDC_LAYOUT_ICON, STM_GETICON, 0, 0));
    EXPECT_EQ(portraitTwo, LibraryIcon(2239));
    ClickItem(IDC_LANDSCAPE);
    EXPECT_EQ(Cur().Orientation, 2);
    HICON landscapeTwo = reinterpret_cast<HICON>(SendDlgItemMessageA(page, IDC_LAYOUT_ICON, STM_GETICON, 0, 0));
    EXPECT_EQ(landscapeTwo, LibraryIcon(2224));
    EXPECT_NE(landscapeTwo, nullptr);
    ClickItem(IDC_PORTRAIT);
    EXPECT_EQ(Cur().Orientation, 1);
}

// ---- source, media, duplex

TEST_F(MainPageTest, OhpFromCassetteTwoIsAdvisedOnceAndStored) {
    current.PaperSource = 2;
    Open();
    DialogAutomation automation;
    automation.ExpectMessageBox();
    ChooseItem(IDC_MEDIA_TYPE, 1);  // OHP
    EXPECT_EQ(Cur().MediaType, 1);
    ChooseItem(IDC_PAPER_SOURCE, 0);  // cassette 1: no advice
    EXPECT_EQ(Cur().PaperSource, 1);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    ASSERT_EQ(automation.Seen().size(), 1u);
    const SeenWindow& box = automation.Seen()[0];
    EXPECT_EQ(box.Kind, WindowKind::MessageBox);
    EXPECT_EQ(box.Text, FeedFromCassette1);
    EXPECT_EQ(box.Caption, "QV3810UI");
    EXPECT_EQ(box.Icon, IconKind::Exclamation);
    EXPECT_TRUE(box.Owner == page || box.Owner == GetAncestor(page, GA_ROOT)) << box.Owner;

    DialogAutomation again;
    again.ExpectMessageBox();
    ChooseItem(IDC_PAPER_SOURCE, 3);  // automatic selection with OHP: advised, stored anyway
    EXPECT_EQ(Cur().PaperSource, 7);
    EXPECT_TRUE(again.Passed()) << again.Report();
}

TEST_F(MainPageTest, LabelsSwitchDuplexOffButThickPaperDoesNot) {
    current.PaperSource = 1;
    current.DuplexUnit = 1;
    current.Duplex = 1;
    Open();
    EXPECT_TRUE(Checked(page, IDC_DUPLEX));
    ChooseItem(IDC_MEDIA_TYPE, 3);  // thick
    EXPECT_EQ(Cur().Duplex, 1);
    EXPECT_TRUE(Checked(page, IDC_DUPLEX));
    ChooseItem(IDC_MEDIA_TYPE, 2);  // labels
    EXPECT_EQ(Cur().MediaType, 2);
    EXPECT_EQ(Cur().Duplex, 0);
    EXPECT_FALSE(Checked(page, IDC_DUPLEX));

    // Duplex switched on again with labels chosen: plain paper.
    ClickItem(IDC_DUPLEX);
    EXPECT_EQ(Cur().Duplex, 1);
    EXPECT_EQ(Cur().MediaType, 0);
    EXPECT_EQ(Selected(page, IDC_MEDIA_TYPE), 0);
    ClickItem(IDC_DUPLEX);
    EXPECT_EQ(Cur().Duplex, 0);
}

TEST_F(MainPageTest, MemoryNoticeFromDuplexIsSwitchedOffForBothPlaces) {
    current.PrintMode = 2;
    current.DuplexUnit = 1;
    Open();
    DialogAutomation automation;
    automation.ExpectDialog({Check(NoticeCheck), Ok()}, "QV3810UI");
    ClickItem(IDC_DUPLEX);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(Cur().Duplex, 1);
    EXPECT_EQ(Cur().MemoryNotice, 0);

    // The print mode dialog now confirms high quality with duplex silently.
    DialogAutomation silent;
    silent.ExpectDialog({Check(ModeQuality), Ok()});
    ClickItem(IDC_PRINT_MODE);
    EXPECT_TRUE(silent.Passed()) << silent.Report();
    EXPECT_EQ(Cur().PrintMode, 2);
}

TEST_F(MainPageTest, MemoryNoticeFromPrintModeIsShownUntilTicked) {
    current.Duplex = 1;
    current.DuplexUnit = 1;
    Open();
    DialogAutomation first;
    first.ExpectDialog({Check(ModeQuality), Ok()}, "印刷ﾓｰﾄﾞの設定").ExpectDialog({Ok()}, "QV3810UI");
    ClickItem(IDC_PRINT_MODE);
    EXPECT_TRUE(first.Passed()) << first.Report();
    EXPECT_EQ(Cur().MemoryNotice, 1) << "OK without the tick keeps the notice";

    DialogAutomation second;
    second.ExpectDialog({Ok()}).ExpectDialog({Check(NoticeCheck), Ok()}, "QV3810UI");
    ClickItem(IDC_PRINT_MODE);
    EXPECT_TRUE(second.Passed()) << second.Report();
    EXPECT_EQ(Cur().MemoryNotice, 0);

    // Duplex off and on again in high quality: no notice any more.
    DialogAutomation none;
    ClickItem(IDC_DUPLEX);
    ClickItem(IDC_DUPLEX);
    EXPECT_TRUE(none.Passed()) << none.Report();
    EXPECT_EQ(Cur().Duplex, 1);
}

// ---- custom paper size dialog

TEST_F(MainPageTest, CustomWidthIsClampedAndNamesTheEntry) {
    Open();
    DialogAutomation automation;
    automation.ExpectDialog({Inspect([](HWND d) {
                                 EXPECT_EQ(Text(d, WidthEdit), "210.0");
                                 EXPECT_EQ(Text(d, LengthEdit), "297.0");
                                 EXPECT_EQ(Text(d, 2062), "(198.0～330.2mm)");
                                 EXPECT_EQ(Text(d, 2065), "(176.0～482.6mm)");
                                 EXPECT_TRUE(Checked(d, UnitMm));
                                 EXPECT_TRUE(Visible(d, PortraitPicture));
                                 EXPECT_FALSE(Visible(d, LandscapePicture));
                             }),
                             Screenshot(ShotPath("qv-main-shots", "custom_size.png")), SetText(WidthEdit, "100"), LeaveFocus(WidthEdit),
                             Inspect([](HWND d) { EXPECT_EQ(Text(d, WidthEdit), "198.0"); }), Ok()},
                            "ﾕｰｻﾞ定義用紙ｻｲｽﾞ");
    ChooseItem(IDC_PAPER_SIZE, 14);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(Cur().PaperSize, 256);
    EXPECT_EQ(Cur().CustomUnit, 0);
    EXPECT_NEAR(Cur().CustomWidth, 198.0, 1e-9);
    EXPECT_NEAR(Cur().CustomLength, 297.0, 1e-9);
    EXPECT_EQ(Selected(page, IDC_PAPER_SIZE), 14);
    EXPECT_EQ(ListItem(page, IDC_PAPER_SIZE, 14), "ﾕｰｻﾞ定義ｻｲｽﾞ(198.0 x 297.0 mm)");
    EXPECT_EQ(Count(page, IDC_PAPER_SIZE), 15);
    EXPECT_EQ(Count(page, IDC_OUTPUT_SIZE), 1);
    EXPECT_EQ(Cur().OutputSize, 548);
}

TEST_F(MainPageTest, CustomUnitsSwitchWithoutLosingTheMillimetres) {
    Open();
    const PrintSettings before = Cur();
    DialogAutomation automation;
    automation.ExpectDialog({Check(UnitInch), Inspect([](HWND d) {
                                 EXPECT_EQ(Text(d, WidthEdit), "8.27");
                                 EXPECT_EQ(SendDlgItemMessageA(d, WidthSpin, UDM_GETPOS32, 0, 0), 826);
                                 EXPECT_EQ(Text(d, 2124), "inch");
                                 EXPECT_EQ(Text(d, 2065), "(6.93～19.00inch)");
                             }),
                             Check(UnitMm), Inspect([](HWND d) {
                                 EXPECT_EQ(Text(d, WidthEdit), "210.0");
                                 EXPECT_EQ(Text(d, 2124), "mm");
                             }),
                             Check(UnitInch), SetText(LengthEdit, "19.5"), LeaveFocus(LengthEdit),
                             Inspect([](HWND d) { EXPECT_EQ(Text(d, LengthEdit), "19.00"); }), Check(UnitMm),
                             SetText(WidthEdit, "300.0"), SetText(LengthEdit, "250.0"), LeaveFocus(LengthEdit),
                             Inspect([](HWND d) {
                                 EXPECT_TRUE(Visible(d, LandscapePicture));
                                 EXPECT_TRUE(Visible(d, LandscapeText));
                                 EXPECT_FALSE(Visible(d, PortraitPicture));
                             }),
                             SetText(LengthEdit, "300.0"), LeaveFocus(LengthEdit),
                             Inspect([](HWND d) {
                                 EXPECT_TRUE(Visible(d, PortraitPicture));
                                 EXPECT_TRUE(Visible(d, PortraitText));
                                 EXPECT_FALSE(Visible(d, LandscapeText));
                             }),
                             SetText(WidthEdit, "2a1.5.5"),
                             Inspect([](HWND d) { EXPECT_EQ(Text(d, WidthEdit), "2"); }), Cancel()});
    ChooseItem(IDC_PAPER_SIZE, 14);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(Cur().CustomUnit, before.CustomUnit);
    EXPECT_EQ(Cur().CustomWidth, before.CustomWidth);
    EXPECT_EQ(Cur().CustomLength, before.CustomLength);
    EXPECT_EQ(Cur().PaperSize, 256) << "the paper size is chosen even when the dialog is cancelled";
}

// 8.2 in switched to mm and back is 8.20 at position 820, and OK stores
// 8.20; 210.0 mm switched to inches shows 8.27 at position 826, and OK
// stores the 8.27 shown.
TEST_F(MainPageTest, CustomSizeKeepsWhatTheUserDidNotTouch) {
    Open();
    auto position = [](HWND d, int spin) { return SendDlgItemMessageA(d, spin, UDM_GETPOS32, 0, 0); };
    DialogAutomation automation;
    automation.ExpectDialog({Check(UnitInch), SetText(WidthEdit, "8.2"), LeaveFocus(WidthEdit), Check(UnitMm),
                             Check(UnitInch), Inspect([&](HWND d) {
                                 EXPECT_EQ(Text(d, WidthEdit), "8.20");
                                 EXPECT_EQ(position(d, WidthSpin), 820);
                             }),
                             Ok()});
    ChooseItem(IDC_PAPER_SIZE, 14);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(Cur().CustomUnit, 1);
    EXPECT_NEAR(Cur().CustomWidth, 8.2005, 0.0001);
    EXPECT_EQ(ListItem(page, IDC_PAPER_SIZE, 14), "ﾕｰｻﾞ定義ｻｲｽﾞ(8.20 x 11.69 in)");

    Cur().CustomUnit = 0;
    Cur().CustomWidth = 210.0;
    Cur().CustomLength = 297.0;
    DialogAutomation second;
    second.ExpectDialog({Check(UnitInch), Inspect([&](HWND d) {
                             EXPECT_EQ(Text(d, WidthEdit), "8.27");
                             EXPECT_EQ(position(d, WidthSpin), 826);
                         }),
                         Ok()});
    ChooseItem(IDC_PAPER_SIZE, 14);
    EXPECT_TRUE(second.Passed()) << second.Report();
    EXPECT_NEAR(Cur().CustomWidth, 8.2705, 0.0001) << "taking the length must not turn the width into 8.26";
    EXPECT_NEAR(Cur().CustomLength, 11.6905, 0.0001);
}

TEST_F(MainPageTest, InchSizesRoundTripThroughTheDialog) {
    current.PaperSize = 256;
    current.CustomUnit = 1;
    current.CustomWidth = 8.5;
    current.CustomLength = 11;
    Open();
    EXPECT_EQ(ListItem(page, IDC_PAPER_SIZE, 14), "ﾕｰｻﾞ定義ｻｲｽﾞ(8.50 x 11.00 in)");
    EXPECT_NEAR(Cur().CustomWidth, 8.5005, 1e-9);
    DialogAutomation automation;
    automation.ExpectDialog({Inspect([](HWND d) {
                                 EXPECT_TRUE(Checked(d, UnitInch));
                                 EXPECT_EQ(Text(d, WidthEdit), "8.50");
                                 EXPECT_EQ(Text(d, LengthEdit), "11.00");
                             }),
                             Ok()});
    ChooseItem(IDC_PAPER_SIZE, 14);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(Cur().CustomUnit, 1);
    EXPECT_NEAR(Cur().CustomWidth, 8.5005, 0.0001);
    EXPECT_NEAR(Cur().CustomLength, 11.0005, 0.0001);
    EXPECT_EQ(ListItem(page, IDC_PAPER_SIZE, 14), "ﾕｰｻﾞ定義ｻｲｽﾞ(8.50 x 11.00 in)");
}

// ---- layout detail dialog

TEST_F(MainPageTest, MarginIsClampedAndShownWithItsSign) {
    Open();
    DialogAutomation automation;
    automation.ExpectDialog({Inspect([](HWND d) { EXPECT_EQ(Text(d, MarginEdit), "0"); }),
                             Screenshot(ShotPath("qv-main-shots", "layout_detail.png")), SetText(MarginEdit, "-75"),
                             LeaveFocus(MarginEdit), Inspect([](HWND d) {
                                 EXPECT_EQ(Text(d, MarginEdit), "-60");
                                 EXPECT_EQ(SendDlgItemMessageA(d, MarginSpin, UDM_GETPOS32, 0, 0), -60);
                             }),
                             SetText(MarginEdit, "1-2-"), Inspect([](HWND d) { EXPECT_EQ(Text(d, MarginEdit), "1-2"); }),
                             Ok()},
                            "印刷の詳細設定");
    ClickItem(IDC_LAYOUT_DETAIL);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(Cur().Layout.BindingMargin, 1);

    DialogAutomation seven;
    seven.ExpectDialog({SetText(MarginEdit, "7"), LeaveFocus(MarginEdit),
                        Inspect([](HWND d) { EXPECT_EQ(Text(d, MarginEdit), "+7"); }), Focus(MarginEdit),
                        SetText(MarginEdit, "8"), Key(VK_RETURN)});
    ClickItem(IDC_LAYOUT_DETAIL);
    EXPECT_TRUE(seven.Passed()) << seven.Report();
    EXPECT_EQ(Cur().Layout.BindingMargin, 8) << "Enter in the edit is OK, which takes the margin";

    DialogAutomation cut;
    cut.ExpectDialog({SetText(MarginEdit, "-75"), Ok()});
    ClickItem(IDC_LAYOUT_DETAIL);
    EXPECT_TRUE(cut.Passed()) << cut.Report();
    EXPECT_EQ(Cur().Layout.BindingMargin, -60);
}

TEST_F(MainPageTest, OrderIconsFollowTheOrientation) {
    current.Layout.FourUpOrder = 2;
    Open();
    DialogAutomation portrait;
    portrait.ExpectDialog({Click(TwoUp1), Inspect([](HWND d) {
                               EXPECT_NE(ButtonIcon(d, TwoUp1), nullptr);
                               EXPECT_EQ(ButtonIcon(d, TwoUp1), LibraryIcon(2262));
                               EXPECT_EQ(ButtonIcon(d, TwoUp0), LibraryIcon(2241));
                               EXPECT_EQ(ButtonIcon(d, FourUp0 + 2), LibraryIcon(2253));
                               EXPECT_EQ(ButtonIcon(d, FourUp0), LibraryIcon(2249));
                           }),
                           Ok()});
    ClickItem(IDC_LAYOUT_DETAIL);
    EXPECT_TRUE(portrait.Passed()) << portrait.Report();
    EXPECT_EQ(Cur().Layout.TwoUpOrder, 1);

    ClickItem(IDC_LANDSCAPE);
    DialogAutomation landscape;
    landscape.ExpectDialog({Inspect([](HWND d) {
                                for (int i = 0; i < 4; ++i) {
                                    if (i == 2) continue;
                                    EXPECT_EQ(ButtonIcon(d, FourUp0 + i), LibraryIcon(2227 + i)) << i;
                                }
                                EXPECT_EQ(ButtonIcon(d, FourUp0 + 2), LibraryIcon(2259));
                                EXPECT_NE(ButtonIcon(d, FourUp0), nullptr);
                            }),
                            Click(FourUp0 + 3),
                            Inspect([](HWND d) {
                                EXPECT_EQ(ButtonIcon(d, FourUp0 + 3), LibraryIcon(2260));
                                EXPECT_EQ(ButtonIcon(d, FourUp0 + 2), LibraryIcon(2229));
                            }),
                            Ok()});
    ClickItem(IDC_LAYOUT_DETAIL);
    EXPECT_TRUE(landscape.Passed()) << landscape.Report();
    EXPECT_EQ(Cur().Layout.FourUpOrder, 3);
}

TEST_F(MainPageTest, FrameRuleResetAndCancelWriteNothing) {
    current.Layout.PageFrame = 1;
    current.Layout.FrameKind = 1;
    current.Layout.BindingSide = 3;
    current.Layout.BindingMargin = 12;
    Open();
    const PrintSettings before = Cur();
    DialogAutomation automation;
    automation.ExpectDialog({Inspect([](HWND d) {
                                 EXPECT_TRUE(Checked(d, PageFrame));
                                 EXPECT_TRUE(Enabled(d, FrameKind));
                                 EXPECT_EQ(Selected(d, FrameKind), 1);
                                 EXPECT_TRUE(Checked(d, BindRightTop));
                                 EXPECT_EQ(Text(d, MarginEdit), "+12");
                             }),
                             Click(PageFrame), Inspect([](HWND d) {
                                 EXPECT_FALSE(Enabled(d, FrameKind));
                                 EXPECT_FALSE(Enabled(d, 2105));
                             }),
                             Click(ResetDefaults), Inspect([](HWND d) {
                                 EXPECT_FALSE(Checked(d, BindRightTop));
                                 EXPECT_TRUE(Checked(d, 2010));
                                 EXPECT_EQ(Text(d, MarginEdit), "0");
                                 EXPECT_EQ(Selected(d, FrameKind), 0);
                                 EXPECT_FALSE(Checked(d, PageFrame));
                             }),
                             Cancel()});
    ClickItem(IDC_LAYOUT_DETAIL);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(memcmp(&Cur(), &before, sizeof before), 0);

    DialogAutomation frameOff;
    frameOff.ExpectDialog({Click(PageFrame), Ok()});
    ClickItem(IDC_LAYOUT_DETAIL);
    EXPECT_TRUE(frameOff.Passed()) << frameOff.Report();
    EXPECT_EQ(Cur().Layout.PageFrame, 0);
    EXPECT_EQ(Cur().Layout.FrameKind, 1) << "the kind stays in the record";
    EXPECT_EQ(Cur().Layout.BindingMargin, 12);
}

// ---- print mode dialog

TEST_F(MainPageTest, MonochromeOffersNoSpeedPriority) {
    current.ColorMode = 3;
    current.PrintMode = 1;
    current.Option1072Off = 1;
    Open();
    DialogAutomation automation;
    automation.ExpectDialog({Inspect([](HWND d) {
                                 EXPECT_FALSE(Enabled(d, ModeSpeed));
                                 EXPECT_TRUE(Checked(d, ModeStandard));
                                 EXPECT_FALSE(Checked(d, ModeSpeed));
                             }),
                             Ok()},
                            "印刷ﾓｰﾄﾞの設定");
    ClickItem(IDC_PRINT_MODE);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(Cur().PrintMode, 0);
    EXPECT_EQ(Cur().Option1072Off, 1) << "monochrome never switches 1072 on";
}

TEST_F(MainPageTest, HighQualitySwitchesOption1072AndCancelWritesNothing) {
    current.Option1072Off = 1;
    Open();
    DialogAutomation cancelled;
    cancelled.ExpectDialog({Inspect([](HWND d) {
                                EXPECT_TRUE(Enabled(d, ModeSpeed));
                                EXPECT_TRUE(Checked(d, ModeStandard));
                            }),
                            Screenshot(ShotPath("qv-main-shots", "print_mode.png")), Check(ModeQuality), Cancel()});
    ClickItem(IDC_PRINT_MODE);
    EXPECT_TRUE(cancelled.Passed()) << cancelled.Report();
    EXPECT_EQ(Cur().PrintMode, 0);
    EXPECT_EQ(Cur().Option1072Off, 1);

    DialogAutomation automation;
    automation.ExpectDialog({Check(ModeQuality), Ok()});
    ClickItem(IDC_PRINT_MODE);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(Cur().PrintMode, 2);
    EXPECT_EQ(Cur().Option1072Off, 0);
    EXPECT_EQ(Text(page, 1206), "高品質") << "the summary follows";
}

TEST_F(MainPageTest, A3PaperSwitchesOption1072OnAnyModeConfirmed) {
    current.PaperSize = 8;
    current.Option1072Off = 1;
    Open();
    DialogAutomation automation;
    automation.ExpectDialog({Check(ModeSpeed), Ok()});
    ClickItem(IDC_PRINT_MODE);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(Cur().PrintMode, 1);
    EXPECT_EQ(Cur().Option1072Off, 0);
}

// A stored mode outside 0..2 shows as standard and survives OK; picking a
// button, even standard itself, stores that button's mode.
TEST_F(MainPageTest, AnUnknownPrintModeIsKeptUnlessTheUserPicksOne) {
    const struct {
        int32_t Stored, ColorMode;
        bool Pick;
        int32_t Expected;
    } cases[] = {{7, 0, false, 7}, {-1, 3, false, -1}, {7, 0, true, 0}, {-5, 3, true, 0}};
    current.Option1072Off = 1;
    Open();
    for (const auto& c : cases) {
        Cur().PrintMode = c.Stored;
        Cur().ColorMode = c.ColorMode;
        DialogAutomation dialog;
        std::vector<Step> steps = {Inspect([](HWND d) { EXPECT_TRUE(Checked(d, ModeStandard)); })};
        if (c.Pick) steps.push_back(automation::Click(ModeStandard));
        steps.push_back(Ok());
        dialog.ExpectDialog(steps);
        ClickItem(IDC_PRINT_MODE);
        EXPECT_TRUE(dialog.Passed()) << dialog.Report();
        EXPECT_EQ(Cur().PrintMode, c.Expected) << c.Stored << (c.Pick ? " picked" : " untouched");
    }
}

// ---- a picture of the page

TEST_F(MainPageTest, PageShowsItsSettings) {
    current.PagesPerSheet = 2;
    current.CodeSwitch = 1;
    strcpy(current.CodeText, "A12");
    current.DuplexUnit = 1;
    Open();
    Notify(PSN_SETACTIVE);
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages(nullptr);
    EXPECT_TRUE(SaveWindowPng(page, ShotPath("qv-main-shots", "main_page.png")));
    EXPECT_EQ(Text(page, IDC_SCALE_TEXT), "50%");
}

}  // namespace
