// The dialog toolkit: list tables, scroll stepping, transparent and
// flood-filled drawing read back pixel by pixel, titles and messages from
// the string table, context help, and no GDI leak over many page paints.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host/automation.h"
#include "tests/win32/framework_test_resource.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/gdi_holders.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"

namespace {

constexpr auto Colors = MakeListTable(2, "黒", "赤", "ｼｱﾝ");
constexpr auto NoSelection = MakeListTable(-1, "実線", "ｺｰﾅｰｶｯﾄ");
constexpr auto OnlyEnd = MakeListTable(0);

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_resourceInstance = GetModuleHandleA(nullptr);
        parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        combo = CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, parent,
                              reinterpret_cast<HMENU>(10), nullptr, nullptr);
        list = CreateWindowA("LISTBOX", "", WS_CHILD, 0, 0, 100, 100, parent, reinterpret_cast<HMENU>(11), nullptr,
                             nullptr);
        bar = CreateWindowA("SCROLLBAR", "", WS_CHILD | SBS_HORZ, 0, 0, 100, 10, parent, reinterpret_cast<HMENU>(12),
                            nullptr, nullptr);
        ASSERT_TRUE(parent && combo && list && bar);
    }
    void TearDown() override { DestroyWindow(parent); }

    std::string ComboText(int i) {
        char text[64] = {};
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        return text;
    }
    HWND parent = nullptr, combo = nullptr, list = nullptr, bar = nullptr;
};

// A 24-bit top-down drawing surface whose pixels can be read directly.
struct Surface {
    Surface(int w, int h, COLORREF fill) : Width(w), Height(h), Dc(nullptr) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        Bitmap.Reset(CreateDIBSection(Dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&Bits), nullptr, 0));
        Selected = SelectObject(Dc, Bitmap);
        BrushHolder brush(CreateSolidBrush(fill));
        RECT r = {0, 0, w, h};
        FillRect(Dc, &r, brush);
        GdiFlush();
    }
    ~Surface() { SelectObject(Dc, Selected); }
    COLORREF At(int x, int y) const {
        GdiFlush();
        uint32_t p = Bits[y * Width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Width, Height;
    MemoryDC Dc;
    BitmapHolder Bitmap;
    uint32_t* Bits = nullptr;
    HGDIOBJ Selected;
};

// A picture of `w` x `h` whose pixel (x, y) is color(x, y).
template <class F> HBITMAP MakePicture(int w, int h, F color) {
    WindowDC screen(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    MemoryDC dc(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetPixelV(dc, x, y, color(x, y));
    SelectObject(dc, old);
    return bitmap;
}

BOOL WINAPI RecordHelp(HWND window, LPCSTR file, UINT command, ULONG_PTR data);
struct HelpCall {
    HWND Window;
    std::string File;
    UINT Command;
    const HelpPair* Table;
} g_help;
BOOL WINAPI RecordHelp(HWND window, LPCSTR file, UINT command, ULONG_PTR data) {
    g_help = {window, file, command, reinterpret_cast<const HelpPair*>(data)};
    return TRUE;
}

}  // namespace

TEST(ListTableTest, EntriesAreShiftJisAndClosedByTheDefault) {
    static_assert(sizeof Colors == 4 * 32);
    EXPECT_EQ(ListTableCount(Colors.data()), 3);
    EXPECT_TRUE(IsListEnd(Colors[3]));
    EXPECT_EQ(ListDefaultPosition(Colors[3]), 2);
    EXPECT_EQ(ListDefaultPosition(NoSelection[2]), -1);
    EXPECT_EQ(static_cast<unsigned char>(NoSelection[2].Text[1]), 0xFF);
    wchar_t wide[8] = {};
    MultiByteToWideChar(932, 0, Colors[2].Text, -1, wide, 8);
    EXPECT_STREQ(wide, L"ｼｱﾝ");
    EXPECT_EQ(std::string(Colors[2].Text), "\xBC\xB1\xDD") << "half-width katakana are single bytes";
}

TEST_F(ToolkitTest, FillsComboAndListAndSelectsTheDefault) {
    EXPECT_EQ(FillListFromTable(combo, Colors), 3);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ComboText(0), "黒");
    EXPECT_EQ(ComboText(2), "ｼｱﾝ");
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);

    EXPECT_EQ(FillListFromTable(parent, 11, Colors), 3);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
}

TEST_F(ToolkitTest, NegativeDefaultLeavesNoSelection) {
    FillListFromTable(combo, Colors);
    FillListFromTable(parent, 10, NoSelection);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(ToolkitTest, EndEntryAloneEmptiesTheList) {
    FillListFromTable(combo, Colors);
    EXPECT_EQ(FillListFromTable(combo, OnlyEnd), 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    FillListFromTable(list, Colors);
    FillListFromTable(list, OnlyEnd);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(ToolkitTest, StepScrollPositionStepsAndClamps) {
    SetScrollRange(bar, SB_CTL, -10, 10, FALSE);
    struct Case {
        int Start, Code, Thumb, Expected;
    };
    const Case cases[] = {
        {-8, SB_PAGELEFT, 0, -10}, {-8, SB_THUMBTRACK, 3, -8},  {-8, SB_THUMBPOSITION, 7, 7},
        {0, SB_LINELEFT, 0, -1},   {0, SB_LINERIGHT, 0, 1},     {0, SB_PAGERIGHT, 0, 5},
        {10, SB_LINERIGHT, 0, 10}, {0, SB_THUMBPOSITION, 30, 10}, {3, SB_ENDSCROLL, 9, 3},
        {-10, SB_PAGELEFT, 0, -10},
    };
    for (const Case& c : cases) {
        SetScrollPos(bar, SB_CTL, c.Start, FALSE);
        EXPECT_EQ(StepScrollPosition(c.Code, c.Thumb, bar), c.Expected) << "start " << c.Start << " code " << c.Code;
        EXPECT_EQ(GetScrollPos(bar, SB_CTL), c.Start) << "the bar itself is left alone";
    }
}

TEST(BitmapDrawingTest, TransparentDrawingKeepsTheBackgroundUnderWhite) {
    const COLORREF background = RGB(10, 120, 200);
    BitmapHolder picture(MakePicture(8, 8, [](int x, int y) {
        if (x >= 2 && x <= 5 && y >= 2 && y <= 5) return RGB(0, 0, 0);
        if (x == 7 && y == 0) return RGB(255, 0, 0);
        if (x == 0 && y == 7) return RGB(254, 255, 255);  // near white is drawn
        return RGB(255, 255, 255);
    }));
    Surface target(12, 12, background);
    SetTextColor(target.Dc, RGB(0, 200, 0));  // must not leak into the mask
    DrawTransparentBitmap(target.Dc, picture.Get());
    EXPECT_EQ(target.At(0, 0), background);
    EXPECT_EQ(target.At(6, 1), background);
    EXPECT_EQ(target.At(3, 3), RGB(0, 0, 0));
    EXPECT_EQ(target.At(7, 0), RGB(255, 0, 0));
    EXPECT_EQ(target.At(0, 7), RGB(254, 255, 255));
    EXPECT_EQ(target.At(10, 10), background) << "outside the bitmap";
    EXPECT_EQ(GetTextColor(target.Dc), RGB(0, 200, 0));
}

TEST(BitmapDrawingTest, ResourceBitmapsDrawAndMissingOnesDoNot) {
    g_resourceInstance = GetModuleHandleA(nullptr);
    const COLORREF background = RGB(200, 30, 30);
    Surface target(10, 10, background);
    DrawTransparentBitmap(target.Dc, IDB_TEST_PICTURE);
    EXPECT_EQ(target.At(0, 0), background);
    EXPECT_EQ(target.At(3, 3), RGB(0, 0, 0));
    EXPECT_EQ(target.At(7, 0), RGB(255, 0, 0));

    Surface untouched(10, 10, background);
    DrawTransparentBitmap(untouched.Dc, 9999);
    DrawFilledBitmap(untouched.Dc, 9999, true, true, 10, 10);
    EXPECT_EQ(untouched.At(3, 3), background);
}

TEST(BitmapDrawingTest, FloodFillRecolorsOnlyWhiteTouchingTheCorner) {
    // A black ring around an inner white square, white outside.
    BitmapHolder picture(MakePicture(10, 10, [](int x, int y) {
        const bool ring = (x >= 2 && x <= 7 && (y == 2 || y == 7)) || (y >= 2 && y <= 7 && (x == 2 || x == 7));
        return ring ? RGB(0, 0, 0) : RGB(255, 255, 255);
    }));
    const COLORREF fill = RGB(0, 255, 0);
    EXPECT_EQ(BitmapFillColor(), 0x00C0C0C0u);
    SetBitmapFillColor(fill);
    Surface target(20, 20, RGB(1, 2, 3));
    DrawFilledBitmap(target.Dc, picture.Get(), true, false, 0, 0);
    EXPECT_EQ(target.At(0, 0), fill);
    EXPECT_EQ(target.At(9, 9), fill);
    EXPECT_EQ(target.At(2, 2), RGB(0, 0, 0));
    EXPECT_EQ(target.At(4, 4), RGB(255, 255, 255)) << "white not connected to 0,0 stays";
    EXPECT_EQ(target.At(15, 15), RGB(1, 2, 3));

    Surface stretched(20, 20, RGB(1, 2, 3));
    DrawFilledBitmap(stretched.Dc, picture.Get(), false, true, 20, 20);
    EXPECT_EQ(stretched.At(0, 0), RGB(255, 255, 255)) << "no fill asked";
    EXPECT_EQ(stretched.At(19, 19), RGB(255, 255, 255));
    EXPECT_EQ(stretched.At(9, 9), RGB(255, 255, 255));
    EXPECT_EQ(stretched.At(4, 4), RGB(0, 0, 0)) << "bitmap 2,2 lands at 4,4 when doubled";

    // The caller's bitmap was filled in a copy only.
    Surface again(10, 10, RGB(1, 2, 3));
    DrawFilledBitmap(again.Dc, picture.Get(), false, false, 0, 0);
    EXPECT_EQ(again.At(0, 0), RGB(255, 255, 255));
    SetBitmapFillColor(0x00C0C0C0);
}

TEST(BitmapDrawingTest, PaintingThePagePictureLeaksNothing) {
    g_resourceInstance = GetModuleHandleA(nullptr);
    HWND page = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND picture = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, page,
                                 reinterpret_cast<HMENU>(1024), nullptr, nullptr);
    ASSERT_TRUE(page && picture);
    DrawPagePicture(page, IDB_TEST_PICTURE);  // first use may allocate caches
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const int holdersBefore = LiveGdiHolders();
    for (int i = 0; i < 10000; ++i) DrawPagePicture(page, IDB_TEST_PICTURE);
    // Wine reports no GDI object counts (0); Windows does.
    if (gdiBefore) {
        EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
    }
    EXPECT_EQ(LiveGdiHolders(), holdersBefore);
    // The holders see every object of a paint: a paint that skipped them
    // would go unnoticed, so make sure they were counting.
    WindowDC dc(picture);
    EXPECT_EQ(LiveGdiHolders(), holdersBefore + 1);
    DrawPagePicture(nullptr, IDB_TEST_PICTURE);  // no page: nothing happens
    DestroyWindow(page);
}

TEST(StringTableTest, EveryStringLoadsAndTitlesComeFromIt) {
    g_resourceInstance = GetModuleHandleA(nullptr);
    for (UINT id : {5002u, 5003u, 5004u, 5101u, 5106u, 5207u, 5208u, 5209u, 5210u, 6001u, 6002u, 6003u})
        EXPECT_FALSE(LoadResourceString(id).empty()) << id;
    const std::string notice = LoadResourceString(IDS_MEMORY_NOTICE);
    EXPECT_EQ(notice, "A3ﾉﾋﾞ, A3, Ledgerの用紙サイズを高品質、両面で\n印刷する場合、プリンタに増設メモリが必要です。");
    EXPECT_EQ(LoadResourceString(IDS_NAME_EXISTS), "すでに同じ名称が存在しています。");

    HWND window = CreateWindowA("STATIC", "前", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetTitleFromString(window, IDS_COLOR_SHEET_CAPTION);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "ｶﾗｰ調整のﾌﾟﾛﾊﾟﾃｨ");
    SetTitleFromString(window, 4999);  // missing: the title stays
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "ｶﾗｰ調整のﾌﾟﾛﾊﾟﾃｨ");
    DestroyWindow(window);
}

TEST(StringTableTest, MessagesHaveTheLibraryCaptionAndIcon) {
    g_resourceInstance = GetModuleHandleA(nullptr);
    automation::DialogAutomation automation;
    automation.ExpectMessageBox();
    EXPECT_EQ(ShowStringMessage(nullptr, IDS_NAME_EXISTS), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    ASSERT_EQ(automation.Seen().size(), 1u);
    EXPECT_EQ(automation.Seen()[0].Caption, "QV3810UI");
    EXPECT_EQ(automation.Seen()[0].Text, "すでに同じ名称が存在しています。");
    EXPECT_EQ(automation.Seen()[0].Icon, automation::IconKind::Exclamation);
    EXPECT_EQ(automation.Seen()[0].Owner, nullptr);
}

TEST(ContextHelpTest, OpensTheHelpFileWithTheTable) {
    static const HelpPair table[] = {{2066, 0x80123}, {IDOK, HID_OK}, {0, 0}};
    SetHelpFunction(RecordHelp);
    HWND window = reinterpret_cast<HWND>(0x1234);
    EXPECT_TRUE(ShowContextHelp(window, table));
    SetHelpFunction(nullptr);
    EXPECT_EQ(g_help.Window, window);
    EXPECT_EQ(g_help.File, "QV3810.hlp");
    EXPECT_EQ(g_help.Command, 10u);
    EXPECT_EQ(g_help.Table, table);
    static_assert(sizeof(HelpPair) == 8, "WinHelp reads pairs of 32-bit values");
}
