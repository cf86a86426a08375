// The Option page through the bridge: loading on set active with the rule
// of box 1072, every click written at once (two fields inverted), the user
// number filter and the page picture.
#include "tests/win32/option_page_harness.h"

#include "host/capture.h"

namespace {

using OptionPageTest = OptionPageHarness;

// Every check box with the field it writes and whether it is stored inverted.
struct SwitchCase {
    int Control;
    int32_t PrintSettings::*Field;
    bool Inverted;
};
const SwitchCase Switches[] = {
    {IDC_NUMBER_SWITCH, &PrintSettings::NumberSwitch, false}, {IDC_SMOOTHING, &PrintSettings::Smoothing, false},
    {IDC_TONER_SAVE, &PrintSettings::TonerSave, false},       {IDC_OPTION_1071, &PrintSettings::Option1071, false},
    {IDC_OPTION_1072, &PrintSettings::Option1072Off, true},   {IDC_DUPLEX_UNIT, &PrintSettings::DuplexUnit, false},
    {IDC_OPTION_1079, &PrintSettings::Option1079, false},     {IDC_OPTION_1080, &PrintSettings::Option1080, false},
    {IDC_OPTION_1081, &PrintSettings::Option1081, false},     {IDC_OPTION_1102, &PrintSettings::Option1102, false},
    {IDC_OPTION_1226, &PrintSettings::Option1226Off, true},
};

TEST_F(OptionPageTest, InitFillsTheCassettesAndSetActiveLoadsEveryControl) {
    current.Option1079 = 1;
    current.Option1074 = 2;
    current.Option1077 = 1;
    current.NumberSwitch = 1;
    strcpy(current.NumberText, "ABC-123");
    current.Smoothing = 0;
    current.TonerSave = 0;
    current.Option1080 = 1;
    current.Option1102 = 1;
    current.Option1071 = 1;
    current.Option1072Off = 1;
    current.Option1081 = 1;
    current.DuplexUnit = 1;
    current.Option1226Off = 1;
    Open();

    ASSERT_EQ(Count(page, IDC_OPTION_1077), 3);
    EXPECT_EQ(ListItem(page, IDC_OPTION_1077, 0), "ｶｾｯﾄ1");
    EXPECT_EQ(ListItem(page, IDC_OPTION_1077, 2), "ｶｾｯﾄ3");
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_NUMBER_TEXT, EM_GETLIMITTEXT, 0, 0), 16);

    EXPECT_EQ(Selected(page, IDC_OPTION_1077), 1);
    EXPECT_FALSE(Checked(page, IDC_OPTION_1074));
    EXPECT_FALSE(Checked(page, IDC_OPTION_1075));
    EXPECT_TRUE(Checked(page, IDC_OPTION_1076));
    EXPECT_TRUE(Checked(page, IDC_OPTION_1079));
    for (int id : {IDC_OPTION_1074, IDC_OPTION_1075, IDC_OPTION_1076, IDC_OPTION_1077, IDC_OPTION_1078})
        EXPECT_TRUE(Enabled(page, id)) << id;
    EXPECT_EQ(Text(page, IDC_NUMBER_TEXT), "ABC-123");
    EXPECT_TRUE(Checked(page, IDC_NUMBER_SWITCH));
    EXPECT_TRUE(Enabled(page, IDC_NUMBER_TEXT));
    EXPECT_FALSE(Checked(page, IDC_SMOOTHING));
    EXPECT_FALSE(Checked(page, IDC_TONER_SAVE));
    EXPECT_TRUE(Enabled(page, IDC_OPTION_1081));
    EXPECT_TRUE(Checked(page, IDC_OPTION_1080));
    EXPECT_TRUE(Checked(page, IDC_OPTION_1102));
    EXPECT_TRUE(Checked(page, IDC_OPTION_1071));
    EXPECT_FALSE(Checked(page, IDC_OPTION_1072)) << "stored inverted";
    EXPECT_TRUE(Enabled(page, IDC_OPTION_1072));
    EXPECT_TRUE(Checked(page, IDC_OPTION_1081));
    EXPECT_TRUE(Checked(page, IDC_DUPLEX_UNIT));
    EXPECT_FALSE(Checked(page, IDC_OPTION_1226)) << "stored inverted";
    EXPECT_EQ(memcmp(&Cur(), &current, sizeof current), 0) << "loading changed the record";

    // Loading again after the record changed elsewhere shows the new values.
    Cur().Option1079 = 0;
    Cur().NumberSwitch = 0;
    Cur().TonerSave = 1;
    Cur().Option1226Off = 0;
    Activate();
    for (int id : {IDC_OPTION_1074, IDC_OPTION_1075, IDC_OPTION_1076, IDC_OPTION_1077, IDC_OPTION_1078})
        EXPECT_FALSE(Enabled(page, id)) << id;
    EXPECT_FALSE(Enabled(page, IDC_NUMBER_TEXT));
    EXPECT_FALSE(Enabled(page, IDC_OPTION_1081));
    EXPECT_TRUE(Checked(page, IDC_OPTION_1226));
}

TEST_F(OptionPageTest, StoredValuesOutsideTheirChoicesAreShownButKept) {
    current.Option1074 = 5;
    current.Option1077 = 7;
    memset(current.NumberText, 'Z', sizeof current.NumberText);  // no terminator
    Open();
    EXPECT_TRUE(Checked(page, IDC_OPTION_1074));
    EXPECT_FALSE(Checked(page, IDC_OPTION_1075));
    EXPECT_EQ(Cur().Option1074, 5);
    EXPECT_EQ(Selected(page, IDC_OPTION_1077), -1);
    EXPECT_EQ(Cur().Option1077, 7);
    EXPECT_EQ(Text(page, IDC_NUMBER_TEXT).size(), 19u);

    PressButton(IDC_OPTION_1075);
    EXPECT_EQ(Cur().Option1074, 1);
    PressButton(IDC_OPTION_1074);
    EXPECT_EQ(Cur().Option1074, 0);
    PressButton(IDC_OPTION_1076);
    EXPECT_EQ(Cur().Option1074, 2);
}

struct Box1072Case {
    int32_t PrintMode, PaperSize, ColorMode, Stored;
    bool Forced;
};
class Box1072Test : public OptionPageHarness, public ::testing::WithParamInterface<Box1072Case> {};

TEST_P(Box1072Test, IsForcedOnForHighQualityAndTheLargestPapersUnlessMonochrome) {
    const Box1072Case& c = GetParam();
    current.PrintMode = c.PrintMode;
    current.PaperSize = c.PaperSize;
    current.ColorMode = c.ColorMode;
    current.Option1072Off = c.Stored;
    Open();
    EXPECT_EQ(Enabled(page, IDC_OPTION_1072), !c.Forced);
    EXPECT_EQ(Checked(page, IDC_OPTION_1072), c.Forced || c.Stored == 0);
    EXPECT_EQ(Cur().Option1072Off, c.Forced ? 0 : c.Stored);
    // On every activation, even after the user's click was refused by the
    // disabled box.
    Cur().Option1072Off = 1;
    Activate();
    EXPECT_EQ(Cur().Option1072Off, c.Forced ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Rules, Box1072Test,
                         ::testing::Values(Box1072Case{2, 9, 1, 1, true}, Box1072Case{0, 8, 0, 1, true},
                                           Box1072Case{0, 257, 2, 1, true}, Box1072Case{2, 8, 3, 1, false},
                                           Box1072Case{0, 9, 1, 1, false}, Box1072Case{1, 11, 4, 0, false}));

TEST_F(OptionPageTest, EveryClickIsWrittenAtOnce) {
    Open();
    for (const SwitchCase& s : Switches) {
        const int32_t before = Cur().*s.Field;
        PressButton(s.Control);
        const bool checked = Checked(page, s.Control);
        EXPECT_EQ(Cur().*s.Field, s.Inverted ? !checked : checked) << s.Control;
        EXPECT_NE(Cur().*s.Field, before) << s.Control;
        PressButton(s.Control);
        EXPECT_EQ(Cur().*s.Field, before) << s.Control;
    }
    // Only the click notification acts.
    const PrintSettings before = Cur();
    CheckDlgButton(page, IDC_SMOOTHING, BST_UNCHECKED);
    Command(IDC_SMOOTHING, BN_SETFOCUS);
    Command(IDC_OPTION_1074 + 100, BN_CLICKED);
    EXPECT_EQ(memcmp(&Cur(), &before, sizeof before), 0);
}

TEST_F(OptionPageTest, TonerSaveDisables1081WithoutChangingIt) {
    current.Option1081 = 1;
    Open();
    PressButton(IDC_TONER_SAVE);
    EXPECT_EQ(Cur().TonerSave, 1);
    EXPECT_FALSE(Enabled(page, IDC_OPTION_1081));
    EXPECT_EQ(Cur().Option1081, 1);
    EXPECT_TRUE(Checked(page, IDC_OPTION_1081));
    PressButton(IDC_TONER_SAVE);
    EXPECT_TRUE(Enabled(page, IDC_OPTION_1081));
}

TEST_F(OptionPageTest, The1079SwitchEnablesItsGroupAndKeepsItsValues) {
    current.Option1079 = 1;
    current.Option1074 = 1;
    current.Option1077 = 2;
    Open();
    PressButton(IDC_OPTION_1079);
    EXPECT_EQ(Cur().Option1079, 0);
    for (int id : {IDC_OPTION_1074, IDC_OPTION_1075, IDC_OPTION_1076, IDC_OPTION_1077, IDC_OPTION_1078})
        EXPECT_FALSE(Enabled(page, id)) << id;
    EXPECT_EQ(Cur().Option1074, 1);
    EXPECT_EQ(Cur().Option1077, 2);
    PressButton(IDC_OPTION_1079);
    EXPECT_TRUE(Enabled(page, IDC_OPTION_1077));

    SendDlgItemMessageA(page, IDC_OPTION_1077, CB_SETCURSEL, 0, 0);
    Command(IDC_OPTION_1077, CBN_SETFOCUS);
    EXPECT_EQ(Cur().Option1077, 2) << "focus does nothing";
    Command(IDC_OPTION_1077, CBN_SELENDOK);
    EXPECT_EQ(Cur().Option1077, 0);
}

TEST_F(OptionPageTest, UserNumberKeepsOnlyTheLeadingCodeCharacters) {
    current.NumberSwitch = 1;
    Open();
    HWND edit = GetDlgItem(page, IDC_NUMBER_TEXT);
    auto caret = [edit] {
        DWORD start = 0, end = 0;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return std::make_pair(start, end);
    };
    struct Case {
        const char* Entered;
        const char* Kept;
    };
    const Case cases[] = {
        {"A1 2", "A1"}, {"AB,C", "AB"}, {"x~y", "x"}, {"ｱｲｳ#-9!}", "ｱｲｳ#-9!}"}, {"写真AB", ""}, {"9写", "9"},
    };
    for (const Case& c : cases) {
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.Entered));
        EXPECT_EQ(Text(page, IDC_NUMBER_TEXT), c.Kept) << c.Entered;
        EXPECT_STREQ(Cur().NumberText, c.Kept) << c.Entered;
        const DWORD length = static_cast<DWORD>(strlen(c.Kept));
        EXPECT_EQ(caret(), std::make_pair(length, length)) << c.Entered;
    }

    // A longer pasted text fills at most 18 characters of the 20-byte field.
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0123456789ABCDEFGHIJKLMNOP"));
    EXPECT_STREQ(Cur().NumberText, "0123456789ABCDEFGH");

    // Typed: the space never stays; the caret stays after the kept text.
    SetWindowTextA(edit, "");
    TypeInto(IDC_NUMBER_TEXT, "A1 ");
    EXPECT_EQ(Text(page, IDC_NUMBER_TEXT), "A1");
    EXPECT_STREQ(Cur().NumberText, "A1");
    EXPECT_EQ(caret(), std::make_pair(DWORD{2}, DWORD{2}));
    TypeInto(IDC_NUMBER_TEXT, ",");
    EXPECT_STREQ(Cur().NumberText, "A1");
    TypeInto(IDC_NUMBER_TEXT, "B");
    EXPECT_STREQ(Cur().NumberText, "A1B");
}

TEST_F(OptionPageTest, PaintDrawsTheLogoIntoThePicture) {
    Open();
    HWND picture = GetDlgItem(page, IDC_PAGE_PICTURE);
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(picture);
    const COLORREF background = GetPixel(dc, 0, 0);
    int drawn = 0;
    for (int y = 0; y < 27; ++y)
        for (int x = 0; x < 140; ++x) drawn += GetPixel(dc, x, y) != background;
    ReleaseDC(picture, dc);
    EXPECT_GT(drawn, 200) << "the logo is not on the page";
}

TEST_F(OptionPageTest, Screenshot) {
    current.NumberSwitch = 1;
    strcpy(current.NumberText, "QV3810-01");
    current.Option1079 = 1;
    Open();
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(SaveWindowPng(page, ShotPath("option_page.png")));
}

}  // namespace
