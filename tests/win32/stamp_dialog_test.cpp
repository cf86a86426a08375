// The stamp dialog, opened from the Option page through the bridge as the
// host does and played by the dialog automation; the preview is read back
// pixel by pixel. A last group runs the dialog inside this process to see
// its palette and its GDI holders.
#include "tests/win32/option_page_harness.h"

#include <map>
#include <vector>

#include "host/automation.h"
#include "host/capture.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/gdi_holders.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"
#include "ui/option/option_resource.h"
#include "ui/option/stamp_dialog.h"

using namespace automation;

namespace {

const char StampCaption[] = "ｽﾀﾝﾌﾟの詳細設定";
const int ColorGroup[] = {IDC_STAMP_COLOR_LABEL,   IDC_STAMP_COLOR,        IDC_STAMP_DENSITY_LABEL, IDC_STAMP_DENSITY,
                          IDC_STAMP_DENSITY_LIGHT, IDC_STAMP_DENSITY_DARK, IDC_STAMP_OUTLINE};
const int SwitchGroup[] = {IDC_STAMP_LIST_LABEL, IDC_STAMP_LIST, IDC_STAMP_REGISTER,   IDC_STAMP_POSITION_LABEL,
                           IDC_STAMP_POSITION,   IDC_STAMP_SIZE_LABEL, IDC_STAMP_SIZE, IDC_STAMP_SIZE_SMALL,
                           IDC_STAMP_SIZE_LARGE};
constexpr COLORREF White = RGB(255, 255, 255);

// What the preview area shows inside its 2-pixel frame.
struct Preview {
    RECT Area = {};                 // the area control, dialog client coordinates
    RECT Inked = {0, 0, 0, 0};      // bounding box of the non-white pixels (empty: none)
    int InkedCount = 0;
    std::map<COLORREF, int> Colors;  // non-white colors and their counts
    std::map<COLORREF, int> FrameColors;  // the outer 2 pixels
    bool FrameKept = true;                // the frame was not painted over in white
    int Width() const { return Inked.right - Inked.left; }
    int Height() const { return Inked.bottom - Inked.top; }
};

Preview ReadPreview(HWND dialog) {
    UpdateWindow(dialog);
    Preview p;
    GetWindowRect(GetDlgItem(dialog, IDC_STAMP_PREVIEW), &p.Area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&p.Area), 2);
    const int w = p.Area.right - p.Area.left, h = p.Area.bottom - p.Area.top;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = GetDC(dialog);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, dc, p.Area.left, p.Area.top, SRCCOPY);
    GdiFlush();
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    LONG left = LONG_MAX, top = LONG_MAX, right = LONG_MIN, bottom = LONG_MIN;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t v = pixels[y * w + x] & 0xFFFFFF;
            const COLORREF c = RGB(v >> 16, (v >> 8) & 0xFF, v & 0xFF);
            const bool frame = x < 2 || y < 2 || x >= w - 2 || y >= h - 2;
            if (frame) {
                // The frame's inner ring is drawn dark all round.
                const bool innerRing = x >= 1 && y >= 1 && x <= w - 2 && y <= h - 2;
                if (innerRing && c == White) p.FrameKept = false;
                ++p.FrameColors[c];
                continue;
            }
            if (c == White) continue;
            ++p.InkedCount;
            ++p.Colors[c];
            left = std::min<LONG>(left, x), right = std::max<LONG>(right, x + 1);
            top = std::min<LONG>(top, y), bottom = std::max<LONG>(bottom, y + 1);
        }
    }
    if (p.InkedCount)
        p.Inked = {left + p.Area.left, top + p.Area.top, right + p.Area.left, bottom + p.Area.top};
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(dialog, dc);
    return p;
}

// A plain 24-bit bitmap file of one color, or the bytes given.
std::string SaveFile(const char* name, const std::vector<uint8_t>& bytes) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return path;
}

std::vector<uint8_t> SolidBitmap(int width, int height, COLORREF color) {
    const int stride = (width * 3 + 3) & ~3;
    std::vector<uint8_t> b(54 + stride * height, 0);
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(b.size()), 0, 0, 54};
    BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    memcpy(b.data(), &file, sizeof file);
    memcpy(b.data() + 14, &info, sizeof info);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = b.data() + 54 + y * stride + x * 3;
            p[0] = GetBValue(color), p[1] = GetGValue(color), p[2] = GetRValue(color);
        }
    return b;
}

void Register(PrintSettings& s, int slot, const char* name, const std::string& file) {
    strcpy(s.UserStamps[slot].Name, name);
    strcpy(s.UserStamps[slot].File, file.c_str());
}

class StampDialogTest : public OptionPageHarness {
protected:
    // Opens the stamp dialog with the page's button and plays `steps`;
    // `more` are the dialogs it opens in turn.
    void RunStamp(std::vector<Step> steps, std::vector<std::vector<Step>> more = {}) {
        DialogAutomation automation;
        automation.ExpectDialog(std::move(steps), StampCaption);
        for (auto& s : more) automation.ExpectDialog(std::move(s));
        PressButton(IDC_STAMP);
        EXPECT_TRUE(automation.Passed()) << automation.Report();
    }
    std::string blueFile = SaveFile("qv-stamp-blue.bmp", SolidBitmap(100, 60, RGB(0, 0, 255)));
};

TEST_F(StampDialogTest, SwitchOffLeavesOnlyTheSwitchAndTheButtonsButStillShowsTheStamp) {
    current.Stamp.StampOn = 0;
    Open();
    RunStamp({Inspect([](HWND d) {
                  EXPECT_FALSE(Checked(d, IDC_STAMP_SWITCH));
                  for (int id : SwitchGroup) EXPECT_FALSE(Enabled(d, id)) << id;
                  for (int id : ColorGroup) EXPECT_FALSE(Enabled(d, id)) << id;
                  for (int id : {IDC_STAMP_SWITCH, IDOK, IDCANCEL, IDC_RESET_DEFAULTS}) EXPECT_TRUE(Enabled(d, id)) << id;
                  const Preview p = ReadPreview(d);
                  EXPECT_GT(p.InkedCount, 100);
                  EXPECT_TRUE(p.FrameKept);
              }),
              Click(IDC_STAMP_SWITCH),
              Inspect([](HWND d) {
                  for (int id : SwitchGroup) EXPECT_TRUE(Enabled(d, id)) << id;
                  for (int id : ColorGroup) EXPECT_TRUE(Enabled(d, id)) << id;
              }),
              Ok()});
    EXPECT_EQ(Cur().Stamp.StampOn, 1);
}

TEST_F(StampDialogTest, InitialisationFillsTheListsAndTrackbars) {
    Register(current, 0, "ours", blueFile);
    Register(current, 3, "theirs", blueFile);
    current.Stamp = {1, 3, "社外秘", "", 5, 2, 6, 7, 1};
    Open();
    RunStamp({Inspect([](HWND d) {
                  ASSERT_EQ(Count(d, IDC_STAMP_LIST), 8);
                  EXPECT_EQ(ListItem(d, IDC_STAMP_LIST, 4), "ｺﾋﾟｰ禁止");
                  EXPECT_EQ(ListItem(d, IDC_STAMP_LIST, 6), "ours");
                  EXPECT_EQ(ListItem(d, IDC_STAMP_LIST, 7), "theirs");
                  EXPECT_EQ(Selected(d, IDC_STAMP_LIST), 3);
                  EXPECT_EQ(Count(d, IDC_STAMP_POSITION), 7);
                  EXPECT_EQ(ListItem(d, IDC_STAMP_POSITION, 6), "下端右");
                  EXPECT_EQ(Selected(d, IDC_STAMP_POSITION), 5);
                  EXPECT_EQ(ListItem(d, IDC_STAMP_COLOR, 5), "ﾏｾﾞﾝﾀ");
                  EXPECT_EQ(Selected(d, IDC_STAMP_COLOR), 2);
                  EXPECT_EQ(SendDlgItemMessageA(d, IDC_STAMP_DENSITY, TBM_GETRANGEMAX, 0, 0), 8);
                  EXPECT_EQ(SendDlgItemMessageA(d, IDC_STAMP_DENSITY, TBM_GETPOS, 0, 0), 6);
                  EXPECT_EQ(SendDlgItemMessageA(d, IDC_STAMP_SIZE, TBM_GETPOS, 0, 0), 7);
                  EXPECT_TRUE(Checked(d, IDC_STAMP_OUTLINE));
                  EXPECT_TRUE(Checked(d, IDC_STAMP_SWITCH));
              }),
              Ok()});
    EXPECT_EQ(Cur().Stamp.StampIndex, 3);
    EXPECT_STREQ(Cur().Stamp.StampName, "社外秘");
}

TEST_F(StampDialogTest, UnusableStampIndexesFallBackToConfidential) {
    Register(current, 0, "other", blueFile);
    Open();
    // -2 and 9 name no item; 6 is now another stamp than the stored (deleted)
    // one; 7 lies just beyond the list.
    for (int32_t index : {-2, 9, 6, 7}) {
        Cur().Stamp.StampIndex = index;
        strcpy(Cur().Stamp.StampName, "gone");
        strcpy(Cur().Stamp.StampFile, "C:\\gone.bmp");
        RunStamp({Inspect([](HWND d) { EXPECT_EQ(Selected(d, IDC_STAMP_LIST), 0); }), Ok()});
        EXPECT_EQ(Cur().Stamp.StampIndex, 0) << index;
        EXPECT_STREQ(Cur().Stamp.StampName, "CONFIDENTIAL") << index;
        EXPECT_STREQ(Cur().Stamp.StampFile, "") << index;
    }
    // A registered index that still names its stamp is kept.
    Cur().Stamp.StampIndex = 6;
    strcpy(Cur().Stamp.StampName, "other");
    RunStamp({Ok()});
    EXPECT_EQ(Cur().Stamp.StampIndex, 6);
    EXPECT_EQ(Cur().Stamp.StampFile, blueFile);
}

TEST_F(StampDialogTest, RegisteredStampDisablesTheColorGroupAndShowsAtHalfSize) {
    Register(current, 1, "blue", blueFile);
    current.Stamp.StampOn = 1;
    Open();
    RunStamp({ChooseText(IDC_STAMP_LIST, "blue"),
              Inspect([&](HWND d) {
                  for (int id : ColorGroup) EXPECT_FALSE(Enabled(d, id)) << id;
                  const Preview p = ReadPreview(d);
                  EXPECT_EQ(p.Width(), 50);
                  EXPECT_EQ(p.Height(), 30);
                  const RECT& a = p.Area;
                  EXPECT_EQ(p.Inked.left, (a.left + a.right) / 2 - 25);
                  EXPECT_EQ(p.Inked.top, (a.top + a.bottom) / 2 - 15);
                  EXPECT_EQ(p.Colors.size(), 1u);
                  EXPECT_EQ(p.Colors.count(RGB(0, 0, 255)), 1u);
              }),
              ChooseText(IDC_STAMP_LIST, "見本"),
              Inspect([](HWND d) {
                  for (int id : ColorGroup) EXPECT_TRUE(Enabled(d, id)) << id;
                  EXPECT_EQ(ReadPreview(d).Colors.count(RGB(0, 0, 255)), 0u);
              }),
              ChooseText(IDC_STAMP_LIST, "blue"), Ok()});
    EXPECT_EQ(Cur().Stamp.StampIndex, 6);
    EXPECT_STREQ(Cur().Stamp.StampName, "blue");
    EXPECT_EQ(Cur().Stamp.StampFile, blueFile);
}

TEST_F(StampDialogTest, ChoosingABuiltInStampEmptiesTheFile) {
    Register(current, 0, "blue", blueFile);
    current.Stamp.StampOn = 1;
    current.Stamp.StampIndex = 6;
    strcpy(current.Stamp.StampName, "blue");
    Open();
    RunStamp({ChooseText(IDC_STAMP_LIST, "見本"), Ok()});
    EXPECT_EQ(Cur().Stamp.StampIndex, 5);
    EXPECT_STREQ(Cur().Stamp.StampName, "見本");
    EXPECT_STREQ(Cur().Stamp.StampFile, "");
}

TEST_F(StampDialogTest, DensityAndColorTintTheBuiltInStamp) {
    current.Stamp = {1, 0, "CONFIDENTIAL", "", 0, 0, 0, 4, 0};
    Open();
    auto onlyColor = [](COLORREF expected) {
        return Inspect([expected](HWND d) {
            const Preview p = ReadPreview(d);
            ASSERT_EQ(p.Colors.size(), 1u) << "more than the tint";
            EXPECT_EQ(p.Colors.begin()->first, expected);
        });
    };
    RunStamp({onlyColor(RGB(192, 192, 192)), Scroll(IDC_STAMP_DENSITY, TB_THUMBPOSITION, 8), onlyColor(RGB(0, 0, 0)),
              Choose(IDC_STAMP_COLOR, 1), onlyColor(RGB(255, 0, 0)), Scroll(IDC_STAMP_DENSITY, TB_THUMBPOSITION, 4),
              onlyColor(RGB(255, 96, 96)), Choose(IDC_STAMP_COLOR, 4), onlyColor(RGB(96, 255, 255)), Ok()});
    EXPECT_EQ(Cur().Stamp.StampColor, 4);
    EXPECT_EQ(Cur().Stamp.StampDensity, 4);
}

TEST_F(StampDialogTest, SizeFiveSwitchesToTheLargePicture) {
    current.Stamp = {1, 0, "CONFIDENTIAL", "", 0, 0, 8, 4, 0};
    Open();
    RunStamp({Inspect([](HWND d) { EXPECT_EQ(ReadPreview(d).Width(), 72); }),
              Scroll(IDC_STAMP_SIZE, TB_THUMBPOSITION, 5),
              Inspect([](HWND d) { EXPECT_EQ(ReadPreview(d).Width(), 101); }),
              Ok()});
    EXPECT_EQ(Cur().Stamp.StampSize, 5);
}

TEST_F(StampDialogTest, TopRightIsFlushWithTheClippedEdges) {
    Register(current, 0, "blue", blueFile);
    current.Stamp = {1, 6, "blue", "", 3, 0, 8, 4, 0};
    Open();
    RunStamp({Inspect([](HWND d) {
                  const Preview p = ReadPreview(d);
                  const RECT& a = p.Area;
                  EXPECT_EQ(p.Inked.right, a.right - 2);
                  EXPECT_EQ(p.Inked.top, a.top + 2);
                  EXPECT_EQ(p.Inked.left, a.right - 50);
                  EXPECT_EQ(p.Inked.bottom, a.top + 30);
                  EXPECT_TRUE(p.FrameKept);
              }),
              Choose(IDC_STAMP_POSITION, 4),
              Inspect([](HWND d) {
                  const Preview p = ReadPreview(d);
                  EXPECT_EQ(p.Inked.left, p.Area.left + 2);
                  EXPECT_EQ(p.Inked.bottom, p.Area.bottom - 2);
              }),
              Ok()});
    EXPECT_EQ(Cur().Stamp.StampPosition, 4);
}

TEST_F(StampDialogTest, CancelWritesNothingAndOkAfterResetWritesTheDefaults) {
    current.Stamp = {1, 2, "(秘)", "", 6, 3, 2, 8, 1};
    Open();
    const PrintSettings before = Cur();
    RunStamp({Click(IDC_STAMP_SWITCH), Choose(IDC_STAMP_LIST, 4), Scroll(IDC_STAMP_SIZE, TB_THUMBPOSITION, 1), Cancel()});
    EXPECT_EQ(memcmp(&Cur(), &before, sizeof before), 0);

    RunStamp({Choose(IDC_STAMP_LIST, 4), Click(IDC_RESET_DEFAULTS),
              Inspect([](HWND d) {
                  EXPECT_EQ(Selected(d, IDC_STAMP_LIST), 0);
                  EXPECT_FALSE(Checked(d, IDC_STAMP_SWITCH));
                  EXPECT_EQ(SendDlgItemMessageA(d, IDC_STAMP_SIZE, TBM_GETPOS, 0, 0), 4);
              }),
              Ok()});
    EXPECT_EQ(memcmp(&Cur().Stamp, &defaults.Stamp, sizeof defaults.Stamp), 0);
}

TEST_F(StampDialogTest, StoredValuesOutOfRangeDrawClampedAndStayUntilChanged) {
    current.Stamp = {1, 0, "CONFIDENTIAL", "", 12, -3, 40, -1, 0};
    Open();
    RunStamp({Inspect([](HWND d) {
                  EXPECT_EQ(Selected(d, IDC_STAMP_POSITION), -1);
                  EXPECT_EQ(Selected(d, IDC_STAMP_COLOR), -1);
                  const Preview p = ReadPreview(d);
                  // Black at the darkest density, blended grays where halftone shrinks it.
                  EXPECT_GT(p.Colors.count(RGB(0, 0, 0)), 0u);
                  for (const auto& [c, n] : p.Colors)
                      EXPECT_TRUE(GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c)) << std::hex << c;
                  // The smallest size: 72 x 0.35355 = 25 (halftone may blend an edge column to white).
                  EXPECT_LE(p.Width(), 25);
                  EXPECT_GE(p.Width(), 22);
                  EXPECT_EQ(p.Inked.bottom, p.Area.bottom - 2);      // bottom right
              }),
              Ok()});
    EXPECT_EQ(Cur().Stamp.StampPosition, 12);
    EXPECT_EQ(Cur().Stamp.StampColor, -3);
    EXPECT_EQ(Cur().Stamp.StampDensity, 40);
    EXPECT_EQ(Cur().Stamp.StampSize, -1);
}

TEST_F(StampDialogTest, BadStampFilesShowAnEmptyPreviewAndNoMessage) {
    std::vector<uint8_t> truncated = SolidBitmap(100, 60, RGB(0, 0, 255));
    truncated.resize(truncated.size() / 2);
    std::vector<uint8_t> enormous = SolidBitmap(4, 4, RGB(0, 0, 255));
    reinterpret_cast<BITMAPINFOHEADER*>(enormous.data() + 14)->biWidth = 200000;
    reinterpret_cast<BITMAPINFOHEADER*>(enormous.data() + 14)->biHeight = 200000;
    Register(current, 0, "missing", "C:\\no\\such\\stamp.bmp");
    Register(current, 1, "truncated", SaveFile("qv-stamp-truncated.bmp", truncated));
    Register(current, 2, "text", SaveFile("qv-stamp-text.bmp", {'h', 'e', 'l', 'l', 'o'}));
    Register(current, 3, "enormous", SaveFile("qv-stamp-enormous.bmp", enormous));
    Register(current, 4, "folder", "C:\\windows");
    current.Stamp.StampOn = 1;
    Open();
    std::vector<Step> steps;
    for (const char* name : {"missing", "truncated", "text", "enormous", "folder"}) {
        steps.push_back(ChooseText(IDC_STAMP_LIST, "見本"));
        steps.push_back(Inspect([](HWND d) { EXPECT_GT(ReadPreview(d).InkedCount, 0); }));
        steps.push_back(ChooseText(IDC_STAMP_LIST, name));
        steps.push_back(Inspect([name](HWND d) { EXPECT_EQ(ReadPreview(d).InkedCount, 0) << name; }));
    }
    steps.push_back(Ok());
    RunStamp(std::move(steps));
    EXPECT_STREQ(Cur().Stamp.StampName, "folder");
}

// A stamp-like picture: a red frame round a checked field.
std::vector<uint8_t> FramedBitmap(int width, int height) {
    std::vector<uint8_t> b = SolidBitmap(width, height, RGB(255, 255, 255));
    const int stride = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool frame = x < 8 || y < 8 || x >= width - 8 || y >= height - 8;
            const bool check = ((x / 12) + (y / 12)) % 2 == 0;
            const COLORREF c = frame ? RGB(200, 0, 0) : check ? RGB(0, 90, 200) : RGB(255, 255, 255);
            uint8_t* p = b.data() + 54 + y * stride + x * 3;
            p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
        }
    return b;
}

TEST_F(StampDialogTest, Screenshots) {
    Register(current, 0, "ﾏｲｽﾀﾝﾌﾟ", SaveFile("qv-stamp-framed.bmp", FramedBitmap(160, 110)));
    current.Stamp = {1, 2, "(秘)", "", 0, 1, 8, 6, 0};
    Open();
    RunStamp({Inspect([](HWND d) { UpdateWindow(d); }), Screenshot(ShotPath("stamp_builtin.png")),
              ChooseText(IDC_STAMP_LIST, "ﾏｲｽﾀﾝﾌﾟ"), Inspect([](HWND d) { EXPECT_GT(ReadPreview(d).InkedCount, 1000); }),
              Screenshot(ShotPath("stamp_registered.png")), Cancel()});
}

// ---- registration from the stamp dialog --------------------------------------------------

constexpr int RegListBox = 2414, RegName = 2413, RegFile = 2416, RegAdd = 2129, RegDelete = 2412, RegClose = 2130;

TEST_F(StampDialogTest, ANewlyRegisteredStampIsSelectedByItsWholeName) {
    current.Stamp.StampOn = 1;
    Open();
    RunStamp({Click(IDC_STAMP_REGISTER), Wait(300),
              Inspect([](HWND d) {
                  EXPECT_EQ(ListItem(d, IDC_STAMP_LIST, Selected(d, IDC_STAMP_LIST)), "見");
                  EXPECT_EQ(Selected(d, IDC_STAMP_LIST), 6);
                  for (int id : ColorGroup) EXPECT_FALSE(Enabled(d, id)) << id;
              }),
              Ok()},
             {{SetText(RegName, "見"), SetText(RegFile, blueFile), Click(RegAdd)}});
    EXPECT_STREQ(Cur().UserStamps[0].Name, "見");
    EXPECT_EQ(Cur().Stamp.StampIndex, 6);
    EXPECT_EQ(Cur().Stamp.StampFile, blueFile);
}

TEST_F(StampDialogTest, DeletingTheSelectedStampFallsBackToConfidential) {
    Register(current, 0, "abc", blueFile);
    Register(current, 1, "zz", blueFile);
    current.Stamp = {1, 6, "abc", "", 0, 0, 8, 4, 0};
    Open();
    RunStamp({Click(IDC_STAMP_REGISTER), Wait(300),
              Inspect([](HWND d) {
                  EXPECT_EQ(Count(d, IDC_STAMP_LIST), 7);
                  EXPECT_EQ(Selected(d, IDC_STAMP_LIST), 0);
              }),
              Ok()},
             {{ChooseText(RegListBox, "abc"), Click(RegDelete), Click(RegClose)}});
    EXPECT_EQ(Cur().Stamp.StampIndex, 0);
    EXPECT_STREQ(Cur().Stamp.StampName, "CONFIDENTIAL");
    EXPECT_STREQ(Cur().Stamp.StampFile, "");
}

TEST_F(StampDialogTest, AfterDeletingALongerNameBeginningWithTheOldOneIsChosen) {
    Register(current, 0, "abc", blueFile);
    Register(current, 1, "abcd", blueFile);
    current.Stamp = {1, 6, "abc", "", 0, 0, 8, 4, 0};
    Open();
    RunStamp({Click(IDC_STAMP_REGISTER), Wait(300), Ok()}, {{ChooseText(RegListBox, "abc"), Click(RegDelete), Click(RegClose)}});
    EXPECT_STREQ(Cur().Stamp.StampName, "abcd");
    EXPECT_EQ(Cur().Stamp.StampIndex, 6);
}

// ---- inside this process: palette and GDI holders --------------------------------------------

class StampDialogInProcess : public ::testing::Test {
protected:
    void SetUp() override {
        g_resourceInstance = GetModuleHandleA(nullptr);
        defaults = MakeDefaultSettings();
        current = defaults;
        g_pages.Current = &current;
        g_pages.Defaults = &defaults;
    }
    void TearDown() override { g_pages.Current = nullptr, g_pages.Defaults = nullptr; }
    PrintSettings defaults, current;
};

// True when most inked pixels of the preview satisfy `hue`.
template <class Hue> bool DominantHue(const Preview& p, Hue hue) {
    int matching = 0;
    for (const auto& [c, n] : p.Colors)
        if (hue(GetRValue(c), GetGValue(c), GetBValue(c))) matching += n;
    return p.InkedCount > 0 && matching * 2 > p.InkedCount;
}

// What the dialog asked of the help engine.
struct HelpCall {
    HWND Window;
    std::string File;
    UINT Command;
    std::vector<std::pair<DWORD, DWORD>> Table;
};
std::vector<HelpCall> g_helpCalls;
BOOL WINAPI RecordHelp(HWND window, LPCSTR file, UINT command, ULONG_PTR data) {
    HelpCall call{window, file ? file : "", command, {}};
    for (auto* pair = reinterpret_cast<const DWORD*>(data); pair && (pair[0] || pair[1]); pair += 2)
        call.Table.emplace_back(pair[0], pair[1]);
    g_helpCalls.push_back(call);
    return TRUE;
}

TEST_F(StampDialogInProcess, ContextMenuOpensTheHelpWithTheDialogsTable) {
    g_helpCalls.clear();
    SetHelpFunction(RecordHelp);
    CStampDlg dialog;
    DialogAutomation automation;
    HWND list = nullptr;
    automation.ExpectDialog({Inspect([&](HWND d) {
                                 list = GetDlgItem(d, IDC_STAMP_LIST);
                                 SendMessageA(d, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(10, 10));
                             }),
                             Cancel()});
    dialog.DoModal();
    SetHelpFunction(nullptr);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    ASSERT_EQ(g_helpCalls.size(), 1u);
    EXPECT_EQ(g_helpCalls[0].Window, list);
    EXPECT_EQ(g_helpCalls[0].File, "QV3810.hlp");
    EXPECT_EQ(g_helpCalls[0].Command, static_cast<UINT>(HELP_CONTEXTMENU));
    const std::vector<std::pair<DWORD, DWORD>> expected = {
        {2030, 0x80185}, {2029, 0x80186}, {2419, 0x80186}, {2025, 0x80186}, {1082, 0x80187}, {2133, 0x80188},
        {2023, 0x80188}, {2135, 0x80189}, {2024, 0x80189}, {2137, 0x80190}, {2026, 0x80190}, {2143, 0x80191},
        {2027, 0x80191}, {1103, 0x80192}, {1, 0x80127},    {2, 0x80128},    {2014, 0x80134},
    };
    EXPECT_EQ(g_helpCalls[0].Table, expected);
}

bool PaletteDisplay() {
    HDC screen = GetDC(nullptr);
    const bool palette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
    ReleaseDC(nullptr, screen);
    return palette;
}

TEST_F(StampDialogInProcess, DrawingGivesBackEveryDeviceContextAndObject) {
    const std::string blue = SaveFile("qv-stamp-blue2.bmp", SolidBitmap(30, 30, RGB(0, 0, 255)));
    Register(current, 0, "blue", blue);
    Register(current, 1, "missing", "C:\\missing.bmp");
    current.Stamp.StampOn = 1;
    const int before = LiveGdiHolders();
    {
        CStampDlg dialog;
        DialogAutomation automation;
        std::vector<Step> steps;
        for (int round = 0; round < 20; ++round) {
            steps.push_back(Choose(IDC_STAMP_LIST, round % 8));
            steps.push_back(Scroll(IDC_STAMP_SIZE, TB_THUMBPOSITION, round % 9));
        }
        steps.push_back(Inspect([&](HWND d) {
            InvalidateRect(d, nullptr, TRUE);
            UpdateWindow(d);
            EXPECT_EQ(LiveGdiHolders(), before + (dialog.PaletteMode() ? 1 : 0));
        }));
        steps.push_back(Ok());
        automation.ExpectDialog(steps);
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_TRUE(automation.Passed()) << automation.Report();
    }
    EXPECT_EQ(LiveGdiHolders(), before) << "the palette outlived the dialog";
}

TEST_F(StampDialogInProcess, PaletteFollowsTheStampColorOnAPaletteDisplay) {
    const bool palette = PaletteDisplay();
    const std::string blue = SaveFile("qv-stamp-blue3.bmp", SolidBitmap(30, 30, RGB(0, 0, 255)));
    Register(current, 0, "blue", blue);
    current.Stamp = {1, 0, "CONFIDENTIAL", "", 0, 1, 4, 4, 0};
    CStampDlg dialog;
    DialogAutomation automation;
    auto entry = [&](int i) {
        PALETTEENTRY e = {};
        GetPaletteEntries(dialog.Palette(), i, 1, &e);
        return e;
    };
    automation.ExpectDialog(
        {Inspect([&](HWND d) {
             EXPECT_EQ(dialog.PaletteMode(), palette);
             EXPECT_EQ(dialog.Palette() != nullptr, palette);
             if (!palette) return;
             EXPECT_EQ(entry(96).peRed, 255);
             EXPECT_EQ(entry(96).peGreen, 96);
             EXPECT_EQ(entry(96).peFlags, PC_RESERVED);
             const Preview p = ReadPreview(d);
             // Wine's 8-bit display maps colors to its own color cube, so
             // the preview is checked by hue; the palette itself exactly.
             EXPECT_GT(ReadPreview(d).InkedCount, 100);
             EXPECT_TRUE(DominantHue(ReadPreview(d), [](int r, int g, int b) { return r > g + 40 && r > b + 40; }));
         }),
         Choose(IDC_STAMP_COLOR, 6),
         Inspect([&](HWND d) {
             if (!palette) return;
             EXPECT_EQ(entry(30).peRed, 255);
             EXPECT_EQ(entry(30).peBlue, 30);
             EXPECT_TRUE(DominantHue(ReadPreview(d), [](int r, int g, int b) { return r > b + 40 && g > b + 40; }));
         }),
         ChooseText(IDC_STAMP_LIST, "blue"),
         Inspect([&](HWND d) {
             if (!palette) return;
             HDC dc = GetDC(d);
             HPALETTE halftone = CreateHalftonePalette(dc);
             ReleaseDC(d, dc);
             PALETTEENTRY expected[255], actual[255];
             GetPaletteEntries(halftone, 0, 255, expected);
             GetPaletteEntries(dialog.Palette(), 0, 255, actual);
             DeleteObject(halftone);
             for (int i = 0; i < 255; ++i) {
                 EXPECT_EQ(actual[i].peRed, expected[i].peRed) << i;
                 EXPECT_EQ(actual[i].peBlue, expected[i].peBlue) << i;
             }
             EXPECT_GT(ReadPreview(d).InkedCount, 100);
         }),
         Cancel()});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    if (!palette) GTEST_SKIP() << "the display has no palette; run with QV_PALETTE_DISPLAY";
}

}  // namespace
