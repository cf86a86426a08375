// The Color page driven as the host drives it: the host's page template as
// a dialog whose messages go through the bridge to QV3810ui, with the
// library's own user settings file set aside for each test, and modal
// dialogs answered by the dialog automation.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/win32/shot_path.h"
#include "host/automation.h"
#include "host/capture.h"
#include "host/job/default_settings.h"
#include "host/host_resource.h"
#include "host/host_session.h"
#include "host/property_sheet.h"
#include "tests/win32/test_support.h"
#include "ui/color/color_resource.h"
#include "ui/color/setting_names.h"
#include "ui/common/host_controls.h"
#include "ui/common/resource.h"

using namespace automation;

namespace {

const char CurrentSettings[] = "現在の設定";


// One section of the settings file: a name and values base+1 .. base+12.
std::string Section(int n, const std::string& name, int base = 0) {
    std::string s = "[" + UserSectionName(n) + "]\r\nUserEntName=" + name + "\r\n";
    for (int k = 0; k < UserValueKeyCount; ++k) s += std::string(UserValueKeys[k]) + "=" + std::to_string(base + k + 1) + "\r\n";
    return s;
}
std::string FreeSections(int from, int to) {
    std::string s;
    for (int n = from; n <= to; ++n) s += Section(n, "");
    return s;
}

std::string ListItem(HWND window, int index) {
    char buffer[256] = {};
    SendDlgItemMessageA(window, IDC_USER_SETTINGS, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}
int ListCount(HWND window) { return static_cast<int>(SendDlgItemMessageA(window, IDC_USER_SETTINGS, CB_GETCOUNT, 0, 0)); }
int Selected(HWND window) { return static_cast<int>(SendDlgItemMessageA(window, IDC_USER_SETTINGS, CB_GETCURSEL, 0, 0)); }

std::string LibraryString(UINT id) {
    char text[256] = {};
    LoadStringA(GetModuleHandleA("QV3810ui.dll"), id, text, sizeof text);
    return text;
}

const int ModeRadios[] = {IDC_MODE_DOCUMENT, IDC_MODE_PHOTO, IDC_MODE_GRAPHICS, IDC_MODE_MONOCHROME,
                          IDC_MODE_USER,     IDC_MODE_ICM,   IDC_MODE_NO_CORRECTION};

class ColorPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        defaults = MakeDefaultSettings();
        current = defaults;
    }
    void TearDown() override {
        if (frame) DestroyWindow(frame);
        if (session.IsOpen()) {
            EXPECT_EQ(memcmp(&session.Defaults(), &defaults, sizeof defaults), 0) << "the default record changed";
        }
    }

    // Opens the session with `current` and shows the Color page after its
    // init-dialog.
    void Open() {
        ASSERT_TRUE(session.Open(current, defaults));
        frame = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40, 560, 560, nullptr,
                                nullptr, nullptr, nullptr);
        s_test = this;
        page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_COLOR_PAGE), frame, PageProc, 0);
        ASSERT_NE(page, nullptr);
        EnableWindow(page, TRUE);
        ShowWindow(page, SW_SHOW);
        session.Forward(PageKindColor, page, WM_INITDIALOG, 0, 0);
    }

    PrintSettings& Cur() { return session.Current(); }

    void Command(int id, int code) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    void Click(int id) {
        HWND button = GetDlgItem(page, id);
        const LONG style = GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK;
        if (style == BS_AUTOCHECKBOX) CheckDlgButton(page, id, Checked(page, id) ? BST_UNCHECKED : BST_CHECKED);
        if (style == BS_AUTORADIOBUTTON) {
            for (int radio : ModeRadios) CheckDlgButton(page, radio, BST_UNCHECKED);
            CheckDlgButton(page, id, BST_CHECKED);
        }
        Command(id, BN_CLICKED);
    }
    void Choose(int index) {
        SendDlgItemMessageA(page, IDC_USER_SETTINGS, CB_SETCURSEL, index, 0);
        Command(IDC_USER_SETTINGS, CBN_SELENDOK);
    }
    void Notify(UINT code) {
        NMHDR header = {GetParent(page), 0, code};
        session.Forward(PageKindColor, page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    }
    int CheckedRadios() {
        int n = 0;
        for (int radio : ModeRadios) n += Checked(page, radio);
        return n;
    }

    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        ColorPageTest* t = s_test;
        // Init and page changes are sent by the test itself.
        if (!t || !t->session.IsOpen() || message == WM_INITDIALOG || message == WM_NOTIFY)
            return message == WM_INITDIALOG;
        return t->session.ForwardPageMessage(PageKindColor, window, message, wParam, lParam);
    }

    static ColorPageTest* s_test;
    PrintSettings defaults;
    PrintSettings current;
    HostSession session;
    DialogAutomation script;
    LibrarySettingsFile settingsFile;
    const std::string& path = settingsFile.Path();
    HWND frame = nullptr;
    HWND page = nullptr;
};
ColorPageTest* ColorPageTest::s_test;

// ---- initialisation

TEST_F(ColorPageTest, WithoutAFileTheDefaultFileIsCreatedAndTheListHoldsCurrentSettingsOnly) {
    current.Color.BaseColor = 0;
    current.ColorMode = 1;
    Open();
    EXPECT_EQ(ReadBytes(path), DefaultUserFileText());
    EXPECT_EQ(ListCount(page), 1);
    EXPECT_EQ(ListItem(page, 0), CurrentSettings);
    EXPECT_EQ(Selected(page), 0);
    EXPECT_EQ(Cur().Color.BaseColor, 3);
    EXPECT_TRUE(Checked(page, IDC_MODE_PHOTO));
    EXPECT_EQ(CheckedRadios(), 1);
    HMODULE library = GetModuleHandleA("QV3810ui.dll");
    for (int i = 0; i < 5; ++i) {
        const HICON shown = reinterpret_cast<HICON>(SendDlgItemMessageA(page, IDC_MODE_ICON_FIRST + i, STM_GETICON, 0, 0));
        EXPECT_NE(shown, nullptr) << "icon " << 2231 + i;
        EXPECT_EQ(shown, LoadIconA(library, MAKEINTRESOURCEA(2231 + i)));
    }
    HWND bar = GetDlgItem(page, IDC_COLOR_1044);
    EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMAX, 0, 0), 1);
    EXPECT_TRUE(script.Passed()) << script.Report();
}

TEST_F(ColorPageTest, RefreshSetsSwitchesTrackbarAndHalftoneGroup) {
    current.Color1049 = 0;
    current.Color1042 = 1;
    current.Color1044 = 1;
    current.BlackComposition = 1;
    Open();
    EXPECT_TRUE(Checked(page, IDC_COLOR_1043));
    EXPECT_FALSE(Checked(page, IDC_COLOR_1042));
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_COLOR_1044, TBM_GETPOS, 0, 0), 1);
    EXPECT_TRUE(Checked(page, IDC_BLACK_COMPOSITION));
    EXPECT_FALSE(Checked(page, IDC_COLOR_1049));
    for (int id : {IDC_COLOR_1042, IDC_COLOR_1043, IDC_COLOR_1044, IDC_COLOR_1046, IDC_COLOR_1047, IDC_COLOR_1048})
        EXPECT_FALSE(Enabled(page, id)) << id;

    Click(IDC_COLOR_1049);
    EXPECT_EQ(Cur().Color1049, 1);
    for (int id : {IDC_COLOR_1042, IDC_COLOR_1043, IDC_COLOR_1044, IDC_COLOR_1046, IDC_COLOR_1047, IDC_COLOR_1048})
        EXPECT_TRUE(Enabled(page, id)) << id;
    Click(IDC_COLOR_1042);
    EXPECT_EQ(Cur().Color1042, 0);
    Click(IDC_COLOR_1043);
    EXPECT_EQ(Cur().Color1042, 1);
    Click(IDC_BLACK_COMPOSITION);
    EXPECT_EQ(Cur().BlackComposition, 0);
    SendDlgItemMessageA(page, IDC_COLOR_1044, TBM_SETPOS, TRUE, 0);
    SendMessageA(page, WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_COLOR_1044)));
    EXPECT_EQ(Cur().Color1044, 0);
}

// ---- color modes

TEST_F(ColorPageTest, EachModeEnablesItsControls) {
    Open();
    struct Expect {
        int Radio;
        int32_t Mode;
        bool Rendering, List, Register;
    };
    const Expect modes[] = {
        {IDC_MODE_DOCUMENT, 0, false, false, false}, {IDC_MODE_PHOTO, 1, false, false, false},
        {IDC_MODE_GRAPHICS, 2, false, false, false}, {IDC_MODE_MONOCHROME, 3, false, false, false},
        {IDC_MODE_USER, 4, false, true, true},       {IDC_MODE_ICM, 5, true, false, false},
        {IDC_MODE_NO_CORRECTION, 6, false, false, false},
    };
    for (const Expect& m : modes) {
        SCOPED_TRACE(m.Mode);
        Click(m.Radio);
        EXPECT_EQ(Cur().ColorMode, m.Mode);
        EXPECT_TRUE(Enabled(page, IDC_COLOR_ADJUST));
        EXPECT_EQ(Enabled(page, IDC_COLOR_RENDERING), m.Rendering);
        EXPECT_EQ(Enabled(page, IDC_USER_SETTINGS), m.List);
        EXPECT_EQ(Enabled(page, IDC_COLOR_REGISTER), m.Register);
    }
}

TEST_F(ColorPageTest, MonochromeTurnsSpeedPriorityIntoStandardOnly) {
    current.PrintMode = 1;
    Open();
    Click(IDC_MODE_MONOCHROME);
    EXPECT_EQ(Cur().PrintMode, 0);
    Cur().PrintMode = 2;
    Click(IDC_MODE_PHOTO);
    Click(IDC_MODE_MONOCHROME);
    EXPECT_EQ(Cur().PrintMode, 2);
    Cur().PrintMode = 1;
    Click(IDC_MODE_PHOTO);
    EXPECT_EQ(Cur().PrintMode, 1) << "only monochrome changes the print mode";
}

void ExpectOnlyNoCorrection(HWND page) {
    EXPECT_TRUE(Checked(page, IDC_MODE_NO_CORRECTION));
    int others = 0;
    for (int radio : ModeRadios) others += radio != IDC_MODE_NO_CORRECTION && Checked(page, radio);
    EXPECT_EQ(others, 0);
    EXPECT_TRUE(Enabled(page, IDC_COLOR_ADJUST));
    EXPECT_FALSE(Enabled(page, IDC_COLOR_RENDERING));
    EXPECT_FALSE(Enabled(page, IDC_USER_SETTINGS));
    EXPECT_FALSE(Enabled(page, IDC_COLOR_REGISTER));
}

TEST_F(ColorPageTest, ModeSevenChecksNoCorrection) {
    current.ColorMode = 7;
    Open();
    ExpectOnlyNoCorrection(page);
    EXPECT_EQ(Cur().ColorMode, 7);
}

TEST_F(ColorPageTest, NegativeModeChecksNoCorrection) {
    current.ColorMode = -1;
    Open();
    ExpectOnlyNoCorrection(page);
    EXPECT_EQ(Cur().ColorMode, -1);
}

// ---- registered user settings

TEST_F(ColorPageTest, ChoosingARegisteredSettingCopiesItsValues) {
    WriteBytes(path, Section(0, "Vivid", 0) + FreeSections(1, 2) + Section(3, "写真用", 20) + FreeSections(4, 9));
    current.ColorMode = 4;
    current.Color.SampleImage = 2;
    Open();
    ASSERT_EQ(ListCount(page), 3);
    EXPECT_EQ(ListItem(page, 1), "Vivid");
    EXPECT_EQ(ListItem(page, 2), "写真用");
    EXPECT_EQ(Selected(page), 0);
    EXPECT_TRUE(Enabled(page, IDC_COLOR_REGISTER)) << "現在の設定 is chosen";

    Choose(2);
    EXPECT_FALSE(Enabled(page, IDC_COLOR_REGISTER));
    EXPECT_STREQ(Cur().UserSettingName, "写真用");
    const ColorAdjustment color = {0, 21, 22, 23, 24, 25, 26, 27};
    const DensityAdjustment density = {28, 29, 30, 31, 32};
    EXPECT_EQ(memcmp(&Cur().Color, &color, sizeof color), 0) << "all eight fields, SampleImage included";
    EXPECT_EQ(memcmp(&Cur().Density, &density, sizeof density), 0);

    Choose(0);
    EXPECT_TRUE(Enabled(page, IDC_COLOR_REGISTER));
    EXPECT_STREQ(Cur().UserSettingName, CurrentSettings);
    EXPECT_EQ(Cur().Color.Bright, 22) << "item 0 keeps the values";
}

TEST_F(ColorPageTest, TheStoredNameIsSelectedAgainIgnoringCase) {
    WriteBytes(path, Section(0, "Vivid", 0) + Section(1, "Mild", 10) + FreeSections(2, 9));
    current.ColorMode = 4;
    strcpy(current.UserSettingName, "MILD");
    Open();
    EXPECT_EQ(Selected(page), 2);
    EXPECT_EQ(Cur().Color.Bright, 12);
    EXPECT_FALSE(Enabled(page, IDC_COLOR_REGISTER));
}

// "abcdef" begins with "ABC" and comes first; the job's "ABC" must still get
// its own values, at refresh and after registering it.
TEST_F(ColorPageTest, TheStoredNameIsSelectedOverAnEarlierOneBeginningWithIt) {
    WriteBytes(path, Section(0, "abcdef", 0) + Section(1, "ABC", 10) + FreeSections(2, 9));
    current.ColorMode = 4;
    strcpy(current.UserSettingName, "ABC");
    Open();
    EXPECT_EQ(Selected(page), 2);
    EXPECT_EQ(Cur().Color.Bright, 12);
}

TEST_F(ColorPageTest, RegisteringANameSelectsItOverAnEarlierOneBeginningWithIt) {
    WriteBytes(path, Section(0, "abcdef", 0) + FreeSections(1, 9));
    current.ColorMode = 4;
    current.Color.Bright = 5;
    Open();
    script.ExpectDialog({SetText(IDC_REG_NAME, "ABC"), automation::Click(IDC_REG_ADD)});
    Click(IDC_COLOR_REGISTER);
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(ListItem(page, Selected(page)), "ABC");
    EXPECT_STREQ(Cur().UserSettingName, "ABC");
    EXPECT_EQ(Cur().Color.Bright, 5) << "not abcdef's values";
}

TEST_F(ColorPageTest, IgnoredNotificationsChangeNothing) {
    WriteBytes(path, Section(0, "Vivid", 0) + FreeSections(1, 9));
    current.ColorMode = 4;
    Open();
    const PrintSettings before = Cur();
    SendDlgItemMessageA(page, IDC_USER_SETTINGS, CB_SETCURSEL, 1, 0);
    Command(IDC_USER_SETTINGS, CBN_SETFOCUS);  // 3
    Command(IDC_USER_SETTINGS, BN_CLICKED);
    for (int id : {IDC_COLOR_ADJUST, IDC_COLOR_REGISTER, IDC_COLOR_RENDERING, IDC_MODE_MONOCHROME, IDC_COLOR_1049,
                   IDC_BLACK_COMPOSITION, IDC_COLOR_1043})
        Command(id, BN_SETFOCUS);  // 6
    for (UINT code : {static_cast<UINT>(PSN_SETACTIVE), static_cast<UINT>(PSN_KILLACTIVE), static_cast<UINT>(PSN_APPLY)})
        Notify(code);
    EXPECT_EQ(memcmp(&before, &Cur(), sizeof before), 0);
    EXPECT_TRUE(script.Passed()) << "no dialog opened: " << script.Report();
}

// ---- dialogs opened from the page

TEST_F(ColorPageTest, RegisteringFromThePageSelectsTheNewName) {
    WriteBytes(path, Section(0, "Vivid", 0) + FreeSections(1, 9));
    current.ColorMode = 4;
    current.Color.Contrast = -6;
    Open();
    script.ExpectDialog({automation::Screenshot(ShotPath("qv-color-shots", "registration_user.png")), SetText(IDC_REG_NAME, "Mine"),
                             automation::Click(IDC_REG_ADD)});
    Click(IDC_COLOR_REGISTER);
    EXPECT_TRUE(script.Passed()) << script.Report();
    ASSERT_EQ(ListCount(page), 3);
    EXPECT_EQ(ListItem(page, Selected(page)), "Mine");
    EXPECT_STREQ(Cur().UserSettingName, "Mine");
    EXPECT_EQ(Cur().ColorMode, 4);
    EXPECT_TRUE(Checked(page, IDC_MODE_USER));
    EXPECT_EQ(Cur().Color.Contrast, -6);
    char stored[16] = {};
    GetPrivateProfileStringA("UserEnt1", "Contrast", "", stored, sizeof stored, path.c_str());
    EXPECT_STREQ(stored, "-6");
}

TEST_F(ColorPageTest, LeavingTheRegistrationWithEscapeLeavesThePage) {
    WriteBytes(path, Section(0, "Vivid", 0) + FreeSections(1, 9));
    current.ColorMode = 4;
    Open();
    script.ExpectDialog({automation::Choose(IDC_REG_LIST, 0), automation::Click(IDC_REG_DELETE), Escape()});
    Click(IDC_COLOR_REGISTER);
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(ListCount(page), 2) << "the page is not refilled after Cancel";
    char stored[16] = {};
    GetPrivateProfileStringA("UserEnt0", "UserEntName", "<absent>", stored, sizeof stored, path.c_str());
    EXPECT_STREQ(stored, "") << "the deletion happened anyway";
}

TEST_F(ColorPageTest, RenderingDialogShowsStoresAndResets) {
    current.ColorMode = 5;
    current.Rendering = 0;
    defaults.Rendering = 2;
    Open();
    // A stored 0 shows as colorimetric and comes back unchanged from OK.
    script.ExpectDialog({Inspect([](HWND d) {
                                 EXPECT_TRUE(Checked(d, IDC_RENDER_COLORIMETRIC));
                                 EXPECT_FALSE(Checked(d, IDC_RENDER_VIVID));
                             }),
                             automation::Screenshot(ShotPath("qv-color-shots", "color_rendering.png")), Ok()},
                            "ｶﾗｰﾚﾝﾀﾞﾘﾝｸﾞ");
    Click(IDC_COLOR_RENDERING);
    EXPECT_EQ(Cur().Rendering, 0);
    // Reset, then Cancel: nothing changes.
    script.ExpectDialog({automation::Click(IDC_RESET_DEFAULTS),
                             Inspect([](HWND d) { EXPECT_TRUE(Checked(d, IDC_RENDER_CONTRAST)); }), Cancel()});
    Click(IDC_COLOR_RENDERING);
    EXPECT_EQ(Cur().Rendering, 0);
    // A click, then reset: OK stores the default.
    script.ExpectDialog({automation::Click(IDC_RENDER_VIVID), automation::Click(IDC_RESET_DEFAULTS),
                             Inspect([](HWND d) {
                                 EXPECT_TRUE(Checked(d, IDC_RENDER_CONTRAST));
                                 EXPECT_FALSE(Checked(d, IDC_RENDER_VIVID));
                             }),
                             Ok()});
    Click(IDC_COLOR_RENDERING);
    EXPECT_EQ(Cur().Rendering, 2);
    script.ExpectDialog({automation::Click(IDC_RENDER_VIVID), Ok()});
    Click(IDC_COLOR_RENDERING);
    EXPECT_EQ(Cur().Rendering, 1);
    EXPECT_TRUE(script.Passed()) << script.Report();
}

TEST_F(ColorPageTest, TheSheetsOkMovesTheListToCurrentSettings) {
    WriteBytes(path, Section(0, "Vivid", 0) + FreeSections(1, 9));
    current.ColorMode = 0;
    strcpy(current.UserSettingName, "Vivid");
    Open();
    script.ExpectDialog({Ok()}, LibraryString(IDS_COLOR_SHEET_CAPTION));
    Click(IDC_COLOR_ADJUST);
    if (script.Pending() == 1) GTEST_SKIP() << "the color adjustment sheet is not built yet";
    EXPECT_TRUE(script.Passed()) << script.Report();
    EXPECT_EQ(Selected(page), 0);
    EXPECT_TRUE(Enabled(page, IDC_COLOR_REGISTER)) << "even outside mode 4";
    EXPECT_STREQ(Cur().UserSettingName, CurrentSettings);
}

// ---- damaged files

TEST_F(ColorPageTest, ADamagedFileKeepsItsRegisteredSettings) {
    const std::string damaged = Section(0, "Vivid", 0) + "[UserEnt1]\r\nBright=4\r\n" + Section(2, "DummyDef", 30) +
                                FreeSections(3, 8) + Section(9, "Last", 90);
    WriteBytes(path, damaged);
    current.ColorMode = 4;
    Open();
    ASSERT_EQ(ListCount(page), 4);
    EXPECT_EQ(ListItem(page, 1), "Vivid");
    EXPECT_EQ(ListItem(page, 2), "DummyDef");
    EXPECT_EQ(ListItem(page, 3), "Last");
    const std::string repaired = ReadBytes(path);
    EXPECT_NE(repaired, DefaultUserFileText());
    EXPECT_NE(repaired.find("UserEntName=Last"), std::string::npos);
    // Opened again, the repaired file loads whole and lists the same.
    session.Forward(PageKindColor, page, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(ReadBytes(path), repaired) << "an intact file is left alone";
    EXPECT_EQ(ListCount(page), 4);
}

TEST_F(ColorPageTest, AGarbageFileStillOpensThePageAndKeepsItsBytes) {
    std::string garbage;
    for (int i = 0; i < 8192; ++i) garbage += static_cast<char>((i * 37 + 11) & 0xFF);
    WriteBytes(path, garbage);
    current.ColorMode = 4;
    Open();
    EXPECT_EQ(ListCount(page), 1);
    EXPECT_TRUE(Enabled(page, IDC_COLOR_REGISTER));
    const std::string after = ReadBytes(path);
    EXPECT_EQ(after.compare(0, garbage.size(), garbage), 0) << "the file was cut or rewritten";
    EXPECT_GT(after.size(), garbage.size()) << "free sections were added";
}

// Pixels of the page picture (control 1024) far from grey: the color logo
// has many, the monochrome one none.
int ColorfulLogoPixels(HWND page) {
    HWND picture = GetDlgItem(page, IDC_PAGE_PICTURE);
    HDC dc = GetDC(picture);
    int colorful = 0;
    for (int y = 0; y < 27; ++y) {
        for (int x = 0; x < 140; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            colorful += std::max({r, g, b}) - std::min({r, g, b}) > 60;
        }
    }
    ReleaseDC(picture, dc);
    return colorful;
}

TEST_F(ColorPageTest, MonochromeDrawsTheBlackAndWhiteLogo) {
    Open();
    session.Forward(PageKindColor, page, WM_PAINT, 0, 0);
    EXPECT_GT(ColorfulLogoPixels(page), 20);
    Click(IDC_MODE_MONOCHROME);
    EXPECT_EQ(ColorfulLogoPixels(page), 0);
    Click(IDC_MODE_PHOTO);
    EXPECT_GT(ColorfulLogoPixels(page), 20);
}

TEST_F(ColorPageTest, PictureOfThePage) {
    WriteBytes(path, Section(0, "Vivid", 0) + Section(1, "写真用", 20) + FreeSections(2, 9));
    current.ColorMode = 4;
    current.Color1049 = 1;
    Open();
    HWND sheetFrame = frame;
    RECT r;
    GetWindowRect(page, &r);
    SetWindowPos(sheetFrame, nullptr, 0, 0, r.right - r.left + 16, r.bottom - r.top + 40, SWP_NOMOVE | SWP_NOZORDER);
    InvalidateRect(page, nullptr, TRUE);
    UpdateWindow(page);
    session.Forward(PageKindColor, page, WM_PAINT, 0, 0);
    const std::string file = ShotPath("qv-color-shots", "color_page.png");
    EXPECT_TRUE(SaveWindowPng(page, file));
    EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
