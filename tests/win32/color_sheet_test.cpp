// The color adjustment sheet as the Color page runs it: built from the
// current settings, driven through the dialog automation, checked on both
// records, the controls, the preview's pixels and the layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/color_engine.h"
#include "engine/rdt_mapper.h"
#include "host/automation.h"
#include "host/capture.h"
#include "tests/win32/process_objects.h"
#include "tests/win32/test_support.h"
#include "ui/adjust/adjust_resource.h"
#include "ui/adjust/adjust_sheet.h"
#include "ui/adjust/classic_controls.h"
#include "ui/adjust/preview_drawing.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/page_state.h"
#include "ui/framework/app_state.h"

using namespace automation;

namespace {

// ---- sample picture files ----------------------------------------------------

struct Picture {
    int Width = 0;
    int Height = 0;
    int Bits = 24;
    uint32_t Compression = BI_RGB;
    std::vector<RGBQUAD> Colors;
    std::vector<uint8_t> Data;  // rows as stored, bottom-up, padded to 4 bytes
};

int Stride(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

// A 24-bit or 32-bit picture with every channel varying.
Picture TrueColorPicture(int width, int height, int bits) {
    Picture p;
    p.Width = width;
    p.Height = height;
    p.Bits = bits;
    const int stride = Stride(width, bits);
    p.Data.assign(static_cast<size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* px = &p.Data[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * bits / 8];
            px[0] = static_cast<uint8_t>(x * 255 / (width - 1));
            px[1] = static_cast<uint8_t>(y * 255 / (height - 1));
            px[2] = static_cast<uint8_t>((x * 37 + y * 91) & 0xFF);
        }
    return p;
}

Picture IndexedPicture(int width, int height, int bits) {
    Picture p;
    p.Width = width;
    p.Height = height;
    p.Bits = bits;
    const int colors = 1 << bits;
    for (int i = 0; i < colors; ++i)
        p.Colors.push_back({static_cast<BYTE>(i * 255 / (colors - 1)), static_cast<BYTE>(255 - i * 255 / (colors - 1)),
                            static_cast<BYTE>((i * 73) & 0xFF), 0});
    const int stride = Stride(width, bits);
    p.Data.assign(static_cast<size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int index = (x + y) % colors;
            const int bit = x * bits;
            p.Data[static_cast<size_t>(y) * stride + bit / 8] |= static_cast<uint8_t>(index << (8 - bits - bit % 8));
        }
    return p;
}

// 8-bit run-length encoded: one run per row.
Picture Rle8Picture(int width, int height) {
    Picture p = IndexedPicture(width, height, 8);
    p.Compression = BI_RLE8;
    p.Data.clear();
    for (int y = 0; y < height; ++y) {
        p.Data.insert(p.Data.end(), {static_cast<uint8_t>(width), static_cast<uint8_t>(y * 7), 0, 0});
    }
    p.Data.insert(p.Data.end(), {0, 1});
    return p;
}

Picture HighColorPicture(int width, int height) {
    Picture p;
    p.Width = width;
    p.Height = height;
    p.Bits = 16;
    const int stride = Stride(width, 16);
    p.Data.assign(static_cast<size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint16_t v = static_cast<uint16_t>((x & 31) | (y & 31) << 5 | ((x + y) & 31) << 10);
            std::memcpy(&p.Data[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 2], &v, 2);
        }
    return p;
}

std::vector<uint8_t> BmpFile(const Picture& p) {
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = p.Width;
    info.biHeight = p.Height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(p.Bits);
    info.biCompression = p.Compression;
    info.biSizeImage = static_cast<DWORD>(p.Data.size());
    info.biClrUsed = static_cast<DWORD>(p.Colors.size());
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = static_cast<DWORD>(sizeof file + sizeof info + p.Colors.size() * sizeof(RGBQUAD));
    file.bfSize = static_cast<DWORD>(file.bfOffBits + p.Data.size());
    std::vector<uint8_t> out(file.bfSize);
    uint8_t* at = out.data();
    std::memcpy(at, &file, sizeof file);
    std::memcpy(at + sizeof file, &info, sizeof info);
    if (!p.Colors.empty()) std::memcpy(at + sizeof file + sizeof info, p.Colors.data(), p.Colors.size() * sizeof(RGBQUAD));
    std::memcpy(at + file.bfOffBits, p.Data.data(), p.Data.size());
    return out;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// ---- what the preview mapped ---------------------------------------------------

struct MappedPicture {
    int Width = 0;
    int Height = 0;
    int Bits = 0;
    int Stride = 0;
    std::vector<uint8_t> Bytes;
};

struct PreviewCapture {
    int SampleDraws = 0;
    int SwatchDraws = 0;
    MappedPicture LastSample;
};

void CapturePreview(HWND control, HDC, HBITMAP bitmap, void* context) {
    auto* capture = static_cast<PreviewCapture*>(context);
    const int id = GetDlgCtrlID(control);
    if (id == IDC_ADJ_SWATCH) ++capture->SwatchDraws;
    if (id != IDC_ADJ_SAMPLE) return;
    ++capture->SampleDraws;
    DIBSECTION section = {};
    MappedPicture& m = capture->LastSample;
    m = {};
    if (GetObjectA(bitmap, sizeof section, &section) != sizeof section || !section.dsBm.bmBits) return;
    m.Width = section.dsBm.bmWidth;
    m.Height = section.dsBm.bmHeight;
    m.Bits = section.dsBm.bmBitsPixel;
    m.Stride = section.dsBm.bmWidthBytes;
    const auto* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
    m.Bytes.assign(bits, bits + static_cast<size_t>(m.Stride) * m.Height);
}

// The source picture's pixels through the table built from `color`.
void ExpectMappedThroughTable(const Picture& source, const MappedPicture& mapped, const ColorAdjustment& color) {
    ASSERT_EQ(mapped.Width, source.Width);
    ASSERT_EQ(mapped.Height, source.Height);
    ASSERT_EQ(mapped.Bits, source.Bits);
    BuildRdt(color);
    const int stride = Stride(source.Width, source.Bits);
    const int bytes = source.Bits / 8;
    int wrong = 0;
    for (int y = 0; y < source.Height; ++y)
        for (int x = 0; x < source.Width; ++x) {
            const uint8_t* in = &source.Data[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * bytes];
            const uint8_t* out = &mapped.Bytes[static_cast<size_t>(y) * mapped.Stride + static_cast<size_t>(x) * bytes];
            uint8_t r, g, b;
            MapThroughRdt(in[2], in[1], in[0], &r, &g, &b);
            if (out[0] != b || out[1] != g || out[2] != r) ++wrong;
        }
    EXPECT_EQ(wrong, 0) << "of " << source.Width * source.Height << " pixels";
}

// ---- controls ---------------------------------------------------------------------

HWND CurrentPage(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }


int ScrollPos(HWND dialog, int id) { return GetScrollPos(GetDlgItem(dialog, id), SB_CTL); }


void SendScroll(HWND page, int bar, int code, int position = 0) {
    SendMessageA(page, WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(position)),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, bar)));
}

const int ColorScrollBars[] = {IDC_ADJ_BRIGHT_BAR, IDC_ADJ_FULLNESS_BAR, IDC_ADJ_CONTRAST_BAR,
                               IDC_ADJ_CYAN_BAR,   IDC_ADJ_MAGENTA_BAR,  IDC_ADJ_YELLOW_BAR};
const int ColorReadouts[] = {IDC_ADJ_BRIGHT_VALUE, IDC_ADJ_FULLNESS_VALUE, IDC_ADJ_CONTRAST_VALUE,
                             IDC_ADJ_CYAN_VALUE,   IDC_ADJ_MAGENTA_VALUE,  IDC_ADJ_YELLOW_VALUE};

// ---- fixture ------------------------------------------------------------------------

class ColorSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_resourceInstance = GetModuleHandleA(nullptr);
        SetFrameworkResourceHandle(g_resourceInstance);
        std::memset(&current, 0, sizeof current);
        std::memset(&defaults, 0, sizeof defaults);
        current.ColorMode = 4;
        current.Color = {1, 1, 2, -3, 4, 5, -6, 7};
        current.Density = {1, 2, -2, 3, -4};
        defaults.Color = {0, 3, 0, 0, 0, 0, 0, 0};
        defaults.Density = {0, 0, 0, 0, 0};
        g_pages.Current = &current;
        g_pages.Defaults = &defaults;

        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "qv_color_sheet_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        GetCurrentDirectoryA(sizeof previousFolder, previousFolder);
        SetCurrentDirectoryA(folder.c_str());
        sample = TrueColorPicture(40, 30, 24);
        for (const char* name : {"QV3810A1.BMP", "QV3810A2.BMP", "QV3810A3.BMP", "QV3810A4.BMP"})
            WriteFile(name, BmpFile(sample));
        // The bare names must reach these pictures, not copies beside the program.
        char here[MAX_PATH];
        GetCurrentDirectoryA(sizeof here, here);
        ASSERT_EQ(ResolvePictureFile("QV3810A1.BMP"), std::string(here) + "\\QV3810A1.BMP");
        SetPreviewMappedHook(CapturePreview, &capture);
    }

    void TearDown() override {
        SetPreviewMappedHook(nullptr, nullptr);
        for (const char* name : {"QV3810A1.BMP", "QV3810A2.BMP", "QV3810A3.BMP", "QV3810A4.BMP"}) DeleteFileA(name);
        SetCurrentDirectoryA(previousFolder);
        RemoveDirectoryA(folder.c_str());
        g_pages.Current = nullptr;
        g_pages.Defaults = nullptr;
    }

    // Runs the sheet with `steps` as the Color page opens it.
    INT_PTR Run(CColPS& sheet, std::vector<Step> steps, DWORD watchdog = 5000) {
        DialogAutomation automation(watchdog);
        automation.ExpectDialog(std::move(steps));
        sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
        const INT_PTR result = sheet.DoModal();
        EXPECT_TRUE(automation.Passed()) << automation.Report();
        return result;
    }

    PrintSettings current;
    PrintSettings defaults;
    std::string folder;
    char previousFolder[MAX_PATH] = {};
    Picture sample;
    PreviewCapture capture;
    int firstPage = 0;
};

TEST_F(ColorSheetTest, OutsideUserModeOnlyDensityAndOkWritesTheColorCopyBack) {
    current.ColorMode = 0;
    const ColorAdjustment original = current.Color;
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    EXPECT_EQ(sheet.GetPageCount(), 1);
    EXPECT_EQ(sheet.GetPage(0), &sheet.m_densityPage);
    std::string caption;
    const INT_PTR result = Run(sheet, {Inspect([&](HWND s) {
                                           char text[128] = {};
                                           GetWindowTextA(s, text, sizeof text);
                                           caption = text;
                                           // Changed behind the sheet's back: OK must write its copy over it.
                                           current.Color.Bright = 9;
                                           EXPECT_EQ(CurrentPage(s), sheet.m_densityPage.m_hWnd);
                                       }),
                                       Scroll(IDC_DEN_CYAN_BAR, SB_LINERIGHT, 0), Check(IDC_DEN_SWITCH, false), Ok()});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(caption, "ｶﾗｰ調整のﾌﾟﾛﾊﾟﾃｨ");
    EXPECT_EQ(0, std::memcmp(&current.Color, &original, sizeof original));
    EXPECT_EQ(current.Density.Gannma, 0);
    EXPECT_EQ(current.Density.Cyan, -1);
    EXPECT_EQ(current.Density.Black, 2);
}

TEST_F(ColorSheetTest, UserModeShowsBothPagesLoadedFromTheCurrentSettings) {
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    ASSERT_EQ(sheet.GetPageCount(), 2);
    EXPECT_STREQ(RUNTIME_CLASS(CColPS)->m_lpszClassName, "CColPS");
    EXPECT_EQ(sheet.GetRuntimeClass(), RUNTIME_CLASS(CColPS));
    auto created = CreateObjectByName("CColcndPP");
    EXPECT_TRUE(created && created->IsKindOf(RUNTIME_CLASS(CPropertyPage)));
    EXPECT_TRUE(CreateObjectByName("CColgnmPP") != nullptr);
    const PrintSettings before = current;
    const INT_PTR result = Run(sheet, {Inspect([&](HWND s) {
                                           HWND page = CurrentPage(s);
                                           ASSERT_EQ(page, sheet.m_colorPage.m_hWnd);
                                           HWND tabs = PropSheet_GetTabControl(s);
                                           EXPECT_EQ(TabCtrl_GetItemCount(tabs), 2);
                                           EXPECT_EQ(SendDlgItemMessageA(page, IDC_ADJ_SAMPLE_LIST, CB_GETCOUNT, 0, 0), 4);
                                           EXPECT_EQ(ListItem(page, IDC_ADJ_SAMPLE_LIST, 2), "ヨット");
                                           EXPECT_EQ(Selected(page, IDC_ADJ_SAMPLE_LIST), 1);
                                           EXPECT_EQ(ListItem(page, IDC_ADJ_BASE_LIST, 1), "ﾉｰﾏﾙ");
                                           EXPECT_EQ(Selected(page, IDC_ADJ_BASE_LIST), 1);  // code 1
                                           const int values[] = {2, -3, 4, 5, -6, 7};
                                           for (int i = 0; i < 6; ++i) {
                                               int low = 0, high = 0;
                                               GetScrollRange(GetDlgItem(page, ColorScrollBars[i]), SB_CTL, &low, &high);
                                               EXPECT_EQ(low, -10);
                                               EXPECT_EQ(high, 10);
                                               EXPECT_EQ(ScrollPos(page, ColorScrollBars[i]), values[i]);
                                               EXPECT_EQ(Text(page, ColorReadouts[i]), std::to_string(values[i]));
                                           }
                                       }),
                                       CloseBox()});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(0, std::memcmp(&current, &before, sizeof before));
}

TEST_F(ColorSheetTest, SliderStepsRebuildOnlyWhenTheValueChanges) {
    current.Color.Bright = 10;
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    long builds = 0;
    int draws = 0;
    auto mark = [&](HWND s) {
        UpdateWindow(CurrentPage(s));
        builds = PreviewTableBuilds();
        draws = capture.SampleDraws;
    };
    auto unchanged = [&](const char* what) {
        return Inspect([&, what](HWND) {
            EXPECT_EQ(PreviewTableBuilds(), builds) << what;
            EXPECT_EQ(capture.SampleDraws, draws) << what;
        });
    };
    const INT_PTR result = Run(
        sheet, {Inspect(mark), Scroll(IDC_ADJ_BRIGHT_BAR, SB_LINERIGHT, 0), unchanged("line right at 10"),
                Inspect([&](HWND s) {
                    EXPECT_EQ(ScrollPos(CurrentPage(s), IDC_ADJ_BRIGHT_BAR), 10);
                    EXPECT_EQ(sheet.m_colorPage.m_color.Bright, 10);
                }),
                Scroll(IDC_ADJ_FULLNESS_BAR, SB_THUMBTRACK, 8), unchanged("thumb tracking"),
                Scroll(IDC_ADJ_FULLNESS_BAR, SB_ENDSCROLL, 0), unchanged("end of scroll"),
                Inspect([&](HWND s) {
                    EXPECT_EQ(sheet.m_colorPage.m_color.Fullness, -3);
                    EXPECT_EQ(Text(CurrentPage(s), IDC_ADJ_FULLNESS_VALUE), "-3");
                }),
                Scroll(IDC_ADJ_FULLNESS_BAR, SB_THUMBPOSITION, 8),
                Inspect([&](HWND s) {
                    EXPECT_EQ(PreviewTableBuilds(), builds + 1);
                    EXPECT_EQ(capture.SampleDraws, draws + 1);
                    EXPECT_EQ(sheet.m_colorPage.m_color.Fullness, 8);
                    EXPECT_EQ(Text(CurrentPage(s), IDC_ADJ_FULLNESS_VALUE), "8");
                    builds = PreviewTableBuilds();
                }),
                Scroll(IDC_ADJ_YELLOW_BAR, SB_PAGELEFT, 0),
                Inspect([&](HWND s) {
                    EXPECT_EQ(PreviewTableBuilds(), builds + 1);
                    EXPECT_EQ(ScrollPos(CurrentPage(s), IDC_ADJ_YELLOW_BAR), 2);
                    EXPECT_EQ(Text(CurrentPage(s), IDC_ADJ_YELLOW_VALUE), "2");
                }),
                Ok()});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(current.Color.Fullness, 8);
    EXPECT_EQ(current.Color.YellowBlue, 2);
    EXPECT_EQ(current.Color.Bright, 10);
}

TEST_F(ColorSheetTest, CancelAfterManyMovesWritesNothing) {
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    const PrintSettings before = current;
    std::vector<Step> steps;
    for (int i = 0; i < 15; ++i) steps.push_back(Scroll(ColorScrollBars[i % 6], i % 2 ? SB_LINELEFT : SB_PAGERIGHT, 0));
    steps.push_back(Choose(IDC_ADJ_BASE_LIST, 3));
    steps.push_back(Choose(IDC_ADJ_SAMPLE_LIST, 2));
    steps.push_back(Inspect([&](HWND s) { PropSheet_SetCurSel(s, nullptr, 1); }));
    steps.push_back(Scroll(IDC_DEN_BLACK_BAR, SB_PAGERIGHT, 0));
    steps.push_back(Inspect([&](HWND) {
        EXPECT_EQ(sheet.m_colorPage.m_color.BaseColor, 4);
        EXPECT_EQ(sheet.m_colorPage.m_color.SampleImage, 2);
        EXPECT_EQ(sheet.m_densityPage.m_density.Black, 7);
    }));
    steps.push_back(Cancel());
    EXPECT_EQ(Run(sheet, std::move(steps)), IDCANCEL);
    EXPECT_EQ(0, std::memcmp(&current, &before, sizeof before));
}

TEST_F(ColorSheetTest, ResetRestoresSampleAndBaseColorFromTheDefaults) {
    defaults.Color = {3, 2, -1, 1, -2, 2, -3, 3};
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    long builds = 0;
    const INT_PTR result = Run(sheet, {Scroll(IDC_ADJ_CONTRAST_BAR, SB_LINELEFT, 0),
                                       Inspect([&](HWND) { builds = PreviewTableBuilds(); }), Click(IDC_ADJ_RESET),
                                       Inspect([&](HWND s) {
                                           HWND page = CurrentPage(s);
                                           EXPECT_EQ(Selected(page, IDC_ADJ_SAMPLE_LIST), 3);
                                           EXPECT_EQ(Selected(page, IDC_ADJ_BASE_LIST), 2);  // code 2
                                           const int values[] = {-1, 1, -2, 2, -3, 3};
                                           for (int i = 0; i < 6; ++i) {
                                               EXPECT_EQ(ScrollPos(page, ColorScrollBars[i]), values[i]);
                                               EXPECT_EQ(Text(page, ColorReadouts[i]), std::to_string(values[i]));
                                           }
                                           UpdateWindow(page);
                                           EXPECT_GT(PreviewTableBuilds(), builds);  // repainted whole
                                       }),
                                       Ok()});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(0, std::memcmp(&current.Color, &defaults.Color, sizeof defaults.Color));
}

TEST_F(ColorSheetTest, UnknownBaseColorShowsNoSelectionAndPreviewsWithTheNormalTable) {
    current.Color = {0, 0, 25, -99, 0, 0, 0, 0};
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    const INT_PTR result = Run(sheet, {Inspect([&](HWND s) {
                                           HWND page = CurrentPage(s);
                                           UpdateWindow(page);
                                           EXPECT_EQ(Selected(page, IDC_ADJ_BASE_LIST), -1);
                                           EXPECT_EQ(ScrollPos(page, IDC_ADJ_BRIGHT_BAR), 10);
                                           EXPECT_EQ(Text(page, IDC_ADJ_BRIGHT_VALUE), "25");
                                       }),
                                       Ok()});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(current.Color.BaseColor, 0);
    EXPECT_EQ(current.Color.Bright, 25);  // no movement, no change
    ASSERT_GT(capture.SampleDraws, 0);
    ColorAdjustment normal = current.Color;
    normal.BaseColor = 1;
    ExpectMappedThroughTable(sample, capture.LastSample, normal);
}

TEST_F(ColorSheetTest, PreviewPixelsAreTheSamplesPixelsThroughTheTable) {
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    ColorAdjustment first = {}, moved = {};
    MappedPicture firstDraw;
    const INT_PTR result = Run(sheet, {Inspect([&](HWND s) {
                                           UpdateWindow(CurrentPage(s));
                                           first = sheet.m_colorPage.m_color;
                                           firstDraw = capture.LastSample;
                                       }),
                                       Scroll(IDC_ADJ_CYAN_BAR, SB_PAGELEFT, 0),
                                       Inspect([&](HWND) { moved = sheet.m_colorPage.m_color; }), Cancel()});
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_GE(capture.SampleDraws, 2);
    EXPECT_EQ(moved.CyanRed, 0);
    ExpectMappedThroughTable(sample, firstDraw, first);
    ExpectMappedThroughTable(sample, capture.LastSample, moved);
    EXPECT_GT(capture.SwatchDraws, 0);
}

TEST_F(ColorSheetTest, OtherDepthsTakeThePixelPath) {
    // 32 bits: written back pixel by pixel, exactly.
    const Picture wide = TrueColorPicture(21, 13, 32);
    WriteFile("QV3810A2.BMP", BmpFile(wide));
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    Run(sheet, {Inspect([&](HWND s) { UpdateWindow(CurrentPage(s)); }), Cancel()});
    ASSERT_GT(capture.SampleDraws, 0);
    ExpectMappedThroughTable(wide, capture.LastSample, current.Color);

    // Indexed, 16-bit and run-length pictures draw without harm.
    const Picture others[] = {IndexedPicture(17, 9, 1), IndexedPicture(17, 9, 4), IndexedPicture(17, 9, 8),
                              HighColorPicture(17, 9), Rle8Picture(17, 9)};
    for (const Picture& p : others) {
        WriteFile("QV3810A2.BMP", BmpFile(p));
        capture = {};
        CColPS again(5004, &firstPage, nullptr, nullptr);
        Run(again, {Inspect([&](HWND s) { UpdateWindow(CurrentPage(s)); }), Cancel()});
        EXPECT_GE(capture.SampleDraws, 1) << p.Bits << " bits, compression " << p.Compression;
    }
}

TEST_F(ColorSheetTest, BrokenSampleFilesDrawNothingAndThePageKeepsWorking) {
    std::vector<uint8_t> truncated = BmpFile(sample);
    truncated.resize(truncated.size() / 3);
    WriteFile("QV3810A2.BMP", truncated);
    WriteFile("QV3810A3.BMP", std::vector<uint8_t>{'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'});
    std::vector<uint8_t> header = BmpFile(sample);
    header.resize(20);
    WriteFile("QV3810A4.BMP", header);
    DeleteFileA("QV3810A1.BMP");
    current.Color.SampleImage = 0;
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    std::vector<Step> steps;
    for (int index : {0, 1, 2, 3}) {
        steps.push_back(Choose(IDC_ADJ_SAMPLE_LIST, index));
        steps.push_back(Scroll(IDC_ADJ_MAGENTA_BAR, index % 2 ? SB_LINELEFT : SB_LINERIGHT, 0));
    }
    steps.push_back(Ok());
    EXPECT_EQ(Run(sheet, std::move(steps)), IDOK);
    EXPECT_EQ(capture.SampleDraws, 0);
    EXPECT_GT(capture.SwatchDraws, 0);
    EXPECT_EQ(current.Color.SampleImage, 3);
}

TEST_F(ColorSheetTest, FirstPaintLaysOutBarsSwatchAndSampleInPixels) {
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    Run(sheet, {Inspect([&](HWND s) {
                    HWND page = CurrentPage(s);
                    UpdateWindow(page);
                    auto units = [page](int x, int y, int w, int h) {
                        RECT r = {x, y, x + w, y + h};
                        MapDialogRect(page, &r);
                        return r;
                    };
                    auto placed = [page](int id) {
                        RECT r;
                        GetWindowRect(GetDlgItem(page, id), &r);
                        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
                        return r;
                    };
                    const RECT scroll = units(192, 18, 99, 8);
                    const int barW = (scroll.right - scroll.left) * 10 / 12 + 1;
                    const int barH = scroll.bottom - scroll.top + 2;
                    const struct { int Id; int X, Y, W, H; } bars[] = {
                        {IDC_ADJ_BRIGHT_STRIP, 199, 26, 83, 9}, {IDC_ADJ_FULLNESS_STRIP, 199, 46, 83, 9},
                        {IDC_ADJ_CONTRAST_STRIP, 199, 66, 83, 9}, {IDC_ADJ_CYAN_STRIP, 177, 108, 83, 9},
                        {IDC_ADJ_MAGENTA_STRIP, 177, 128, 84, 10}, {IDC_ADJ_YELLOW_STRIP, 177, 148, 83, 9}};
                    for (const auto& b : bars) {
                        const RECT want = units(b.X, b.Y, b.W, b.H);
                        const RECT got = placed(b.Id);
                        EXPECT_EQ(got.left, want.left) << b.Id;
                        EXPECT_EQ(got.top, want.top) << b.Id;
                        EXPECT_EQ(got.right - got.left, barW) << b.Id;
                        EXPECT_EQ(got.bottom - got.top, barH) << b.Id;
                        EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, b.Id))) << b.Id;
                    }
                    const RECT yellow = units(177, 148, 83, 9);
                    const RECT group = units(108, 80, 186, 136);
                    const RECT sampleLabel = units(6, 8, 46, 10);
                    const RECT baseLabel = units(16, 191, 42, 8);
                    const int swX = yellow.left - 2, swW = barW + 4;
                    const int swY = (group.bottom + yellow.top + barH - 66) / 2;
                    const int saY = sampleLabel.bottom + 15, saW = group.left - 30;
                    const int saH = baseLabel.top - sampleLabel.bottom - 30;
                    const struct { int Id; int X, Y, W, H; } frames[] = {
                        {IDC_ADJ_SWATCH_FRAME, swX, swY, swW, 66}, {IDC_ADJ_SWATCH, swX + 2, swY + 2, swW - 4, 62},
                        {IDC_ADJ_SAMPLE_FRAME, 15, saY, saW, saH}, {IDC_ADJ_SAMPLE, 17, saY + 2, saW - 4, saH - 4}};
                    for (const auto& f : frames) {
                        const RECT got = placed(f.Id);
                        EXPECT_EQ(got.left, f.X) << f.Id;
                        EXPECT_EQ(got.top, f.Y) << f.Id;
                        EXPECT_EQ(got.right - got.left, f.W) << f.Id;
                        EXPECT_EQ(got.bottom - got.top, f.H) << f.Id;
                    }
                    const ColorPageLayout& layout = CurrentColorPageLayout();
                    EXPECT_EQ(layout.SampleFrame.W, saW);
                    EXPECT_EQ(layout.SwatchFrame.Y, swY);
                }),
                Cancel()});
}

// The sheet is sized for its pages in their own font: every control of
// both templates lies inside its page, and each page inside the sheet.
TEST_F(ColorSheetTest, TheSheetHoldsBothPagesWhole) {
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    auto whole = [](HWND s) {
        HWND page = CurrentPage(s);
        RECT client, units = {0, 0, 300, 237};
        GetClientRect(page, &client);
        MapDialogRect(page, &units);
        EXPECT_GE(client.right, units.right);
        EXPECT_GE(client.bottom, units.bottom);
        for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_LE(r.right, client.right) << GetDlgCtrlID(child);
            EXPECT_LE(r.bottom, client.bottom) << GetDlgCtrlID(child);
        }
        RECT placed, sheetClient;
        GetWindowRect(page, &placed);
        MapWindowPoints(nullptr, s, reinterpret_cast<POINT*>(&placed), 2);
        GetClientRect(s, &sheetClient);
        EXPECT_LE(placed.right, sheetClient.right);
        EXPECT_LE(placed.bottom, sheetClient.bottom);
    };
    Run(sheet, {Inspect([&](HWND s) {
                    UpdateWindow(CurrentPage(s));
                    whole(s);
                    PropSheet_SetCurSel(s, nullptr, 1);
                    whole(s);
                }),
                Cancel()});
}

// The scroll bars are drawn classic: a styled repaint on every step would
// cost more than the preview.
TEST_F(ColorSheetTest, ScrollBarsAreDrawnWithoutVisualStyles) {
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    Run(sheet, {Inspect([&](HWND s) {
                    HWND page = CurrentPage(s);
                    UpdateWindow(page);
                    for (int id : ColorScrollBars) EXPECT_FALSE(HasVisualStyle(GetDlgItem(page, id))) << id;
                    PropSheet_SetCurSel(s, nullptr, 1);
                    page = CurrentPage(s);
                    for (int id : {IDC_DEN_BLACK_BAR, IDC_DEN_CYAN_BAR, IDC_DEN_MAGENTA_BAR, IDC_DEN_YELLOW_BAR})
                        EXPECT_FALSE(HasVisualStyle(GetDlgItem(page, id))) << id;
                }),
                Cancel()});
}

// QV_SLIDER_STEPS sets the count (fewer on the 32-bit run, under qemu).
TEST_F(ColorSheetTest, TenThousandSliderStepsKeepTheGdiObjectCount) {
    const long steps = EnvNumber("QV_SLIDER_STEPS", 10000);
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    int before = 0, shown = 0, after = 0;
    long builds = 0;
    int draws = 0;
    Run(sheet, {Inspect([&](HWND s) {
                    HWND page = CurrentPage(s);
                    UpdateWindow(page);
                    SendScroll(page, IDC_ADJ_BRIGHT_BAR, SB_LINELEFT);
                    before = GdiObjectCount();
                    for (int i = 0; i < 100; ++i)
                        SendScroll(page, IDC_ADJ_BRIGHT_BAR, i % 2 ? SB_LINELEFT : SB_LINERIGHT);
                    shown = GdiObjectCount();
                    // The page takes and gives back the same contexts and objects
                    // whether or not its drawing reaches the screen; hidden, the
                    // steps skip only the repaint of the scroll bar and the screen.
                    ShowWindow(s, SW_HIDE);
                    builds = PreviewTableBuilds();
                    draws = capture.SampleDraws;
                    for (long i = 0; i < steps; ++i)
                        SendScroll(page, IDC_ADJ_BRIGHT_BAR, i % 2 ? SB_LINELEFT : SB_LINERIGHT);
                    after = GdiObjectCount();
                    EXPECT_EQ(PreviewTableBuilds() - builds, steps);
                    EXPECT_EQ(capture.SampleDraws - draws, steps);
                    ShowWindow(s, SW_SHOW);
                }),
                Cancel()});
    EXPECT_GT(before, 0);
    EXPECT_EQ(shown, before);
    EXPECT_EQ(after, before);
}

// ---- the kept sample picture -------------------------------------------------------------

// A picture drawn again and again into a static control in a bare window,
// with the sample's control id so that the capture sees it.
class PreviewPictureTest : public ColorSheetTest {
protected:
    void SetUp() override {
        ColorSheetTest::SetUp();
        window = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 80, 60, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        control = CreateWindowExA(0, "Static", "", WS_CHILD | SS_BITMAP, 0, 0, 60, 40, window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ADJ_SAMPLE)), nullptr, nullptr);
        ASSERT_NE(control, nullptr);
        color = {0, 1, 3, -2, 1, 0, 2, -1};
        BuildRdt(color);
    }
    void TearDown() override {
        DestroyWindow(window);
        ColorSheetTest::TearDown();
    }
    void Draw(PreviewPicture& picture) {
        RdtMapper mapper(CurrentRdt());
        picture.Draw(control, mapper, 50, 30, nullptr);
    }
    HWND window = nullptr;
    HWND control = nullptr;
    ColorAdjustment color = {};
};

TEST_F(PreviewPictureTest, KeepsTheFileUntilItChangesAndMapsFromItsPristinePixels) {
    PreviewPicture picture;
    picture.SetFile("QV3810A1.BMP");
    for (int i = 0; i < 3; ++i) {
        Draw(picture);
        // Mapped each time from the file's pixels, never from the last result.
        ExpectMappedThroughTable(sample, capture.LastSample, color);
    }
    EXPECT_EQ(picture.Loads(), 1);
    EXPECT_EQ(capture.SampleDraws, 3);

    // Another picture under the same name, then another name.
    const Picture wider = TrueColorPicture(52, 17, 24);
    WriteFile("QV3810A1.BMP", BmpFile(wider));
    Draw(picture);
    EXPECT_EQ(picture.Loads(), 2);
    ExpectMappedThroughTable(wider, capture.LastSample, color);
    const Picture taller = TrueColorPicture(9, 44, 24);
    WriteFile("QV3810A3.BMP", BmpFile(taller));
    picture.SetFile("QV3810A3.BMP");
    Draw(picture);
    Draw(picture);
    EXPECT_EQ(picture.Loads(), 3);
    ExpectMappedThroughTable(taller, capture.LastSample, color);

    // Gone: nothing is drawn; back: loaded again.
    DeleteFileA("QV3810A3.BMP");
    const int drawn = capture.SampleDraws;
    Draw(picture);
    EXPECT_EQ(capture.SampleDraws, drawn);
    WriteFile("QV3810A3.BMP", BmpFile(taller));
    Draw(picture);
    EXPECT_EQ(picture.Loads(), 4);
    EXPECT_EQ(capture.SampleDraws, drawn + 1);
}

TEST_F(PreviewPictureTest, OtherDepthsAreLoadedForEveryDrawing) {
    const Picture wide = TrueColorPicture(21, 13, 32);
    WriteFile("QV3810A2.BMP", BmpFile(wide));
    PreviewPicture picture;
    picture.SetFile("QV3810A2.BMP");
    Draw(picture);
    Draw(picture);
    EXPECT_EQ(picture.Loads(), 2);
    ExpectMappedThroughTable(wide, capture.LastSample, color);  // mapped once, not twice
}
std::vector<std::pair<UINT, std::vector<DWORD>>> g_helpCalls;

BOOL WINAPI RecordHelpCall(HWND, LPCSTR file, UINT command, ULONG_PTR data) {
    std::vector<DWORD> pairs;
    for (auto* p = reinterpret_cast<const DWORD*>(data); p[0] || p[1]; p += 2) pairs.insert(pairs.end(), {p[0], p[1]});
    EXPECT_STREQ(file, "QV3810.hlp");
    g_helpCalls.push_back({command, pairs});
    return TRUE;
}

TEST_F(ColorSheetTest, ContextHelpUsesThePagesTables) {
    auto& calls = g_helpCalls;
    calls.clear();
    SetHelpFunction(RecordHelpCall);
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    Run(sheet, {Inspect([&](HWND s) {
                    HWND page = CurrentPage(s);
                    HWND bar = GetDlgItem(page, IDC_ADJ_CYAN_BAR);
                    SendMessageA(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(bar), MAKELPARAM(10, 10));
                    PropSheet_SetCurSel(s, nullptr, 1);
                    page = CurrentPage(s);
                    SendMessageA(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetDlgItem(page, IDC_DEN_SWITCH)),
                                 MAKELPARAM(10, 10));
                }),
                Cancel()});
    SetHelpFunction(nullptr);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, static_cast<UINT>(HELP_CONTEXTMENU));
    EXPECT_EQ(calls[0].second.size(), 2u * 35);
    EXPECT_EQ(calls[1].second.size(), 2u * 18);
    EXPECT_EQ(calls[1].second[0], 2060u);
    EXPECT_EQ(calls[1].second[1], 0x80160u);
}

// ---- density page --------------------------------------------------------------------

TEST_F(ColorSheetTest, MonochromeKeepsCyanMagentaYellowDisabledThroughSwitchToggles) {
    current.ColorMode = 3;
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    const int colorInk[] = {2121, 2123, 2125, 2041, 2043, 2048, 2049, 2050, 2051};
    const int black[] = {2119, 2034, 2047, 2081, 2082, 2083, 2077, 2079};
    auto expect = [&](bool on) {
        return Inspect([&, on](HWND s) {
            HWND page = CurrentPage(s);
            EXPECT_EQ(IsDlgButtonChecked(page, IDC_DEN_SWITCH), on ? 1u : 0u);
            for (int id : colorInk) EXPECT_FALSE(Enabled(page, id)) << id;
            for (int id : black) EXPECT_EQ(Enabled(page, id), on) << id;
            for (int id : {2056, 2057, 2058, 2059}) EXPECT_TRUE(Enabled(page, id)) << id;
        });
    };
    const INT_PTR result = Run(sheet, {expect(true), Check(IDC_DEN_SWITCH, false), expect(false),
                                       Check(IDC_DEN_SWITCH, true), expect(true), Ok()});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(current.Density.Gannma, 1);
}

TEST_F(ColorSheetTest, DensitySwitchEnablesTheRowsOutsideMonochrome) {
    current.ColorMode = 1;
    current.Density.Gannma = 0;
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    Run(sheet, {Inspect([&](HWND s) {
                    HWND page = CurrentPage(s);
                    for (int id : {2119, 2121, 2034, 2041, 2047, 2051, 2083}) EXPECT_FALSE(Enabled(page, id)) << id;
                }),
                Check(IDC_DEN_SWITCH, true),
                Inspect([&](HWND s) {
                    HWND page = CurrentPage(s);
                    for (int id : {2119, 2121, 2034, 2041, 2047, 2051, 2083}) EXPECT_TRUE(Enabled(page, id)) << id;
                    EXPECT_EQ(Text(page, IDC_DEN_MAGENTA_VALUE), "3");
                }),
                Cancel()});
}

TEST_F(ColorSheetTest, DensityResetRestoresWithoutRepaint) {
    current.ColorMode = 0;
    defaults.Density = {0, 4, 0, -1, 0};
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    const INT_PTR result = Run(sheet, {Scroll(IDC_DEN_YELLOW_BAR, SB_PAGELEFT, 0),
                                       Inspect([&](HWND s) {
                                           HWND page = CurrentPage(s);
                                           UpdateWindow(page);
                                           EXPECT_EQ(sheet.m_densityPage.m_density.Yellow, -9);
                                           EXPECT_EQ(sheet.m_densityPage.m_barsSized, 1);
                                           SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_ADJ_RESET, BN_CLICKED),
                                                        reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_ADJ_RESET)));
                                           RECT update;
                                           EXPECT_FALSE(GetUpdateRect(page, &update, FALSE));
                                           EXPECT_EQ(sheet.m_densityPage.m_barsSized, 0);
                                           EXPECT_EQ(IsDlgButtonChecked(page, IDC_DEN_SWITCH), 0u);
                                           EXPECT_FALSE(Enabled(page, IDC_DEN_BLACK_BAR));
                                           EXPECT_EQ(ScrollPos(page, IDC_DEN_BLACK_BAR), 4);
                                           EXPECT_EQ(Text(page, IDC_DEN_BLACK_VALUE), "4");
                                           EXPECT_EQ(Text(page, IDC_DEN_YELLOW_VALUE), "0");
                                       }),
                                       Ok()});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(0, std::memcmp(&current.Density, &defaults.Density, sizeof defaults.Density));
}

TEST_F(ColorSheetTest, DensityBarsArePaintedWithThePageBackground) {
    current.ColorMode = 0;
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    Run(sheet, {Inspect([&](HWND s) {
                    HWND page = CurrentPage(s);
                    UpdateWindow(page);
                    EXPECT_EQ(BitmapFillColor(), GetSysColor(COLOR_3DFACE));
                    RECT scroll, bar;
                    GetWindowRect(GetDlgItem(page, IDC_DEN_BLACK_BAR), &scroll);
                    GetWindowRect(GetDlgItem(page, IDC_DEN_BLACK_STRIP), &bar);
                    EXPECT_EQ(bar.right - bar.left, (scroll.right - scroll.left) * 7 / 8);
                    EXPECT_EQ(bar.bottom - bar.top, scroll.bottom - scroll.top + 2);
                    EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_DEN_BLACK_STRIP)));
                }),
                Cancel()});
}

// The group box's top line runs through its title check box; the box must
// paint over the line, not the line over the box's text.
TEST_F(ColorSheetTest, TheDensityFrameDoesNotStrikeThroughItsTitle) {
    current.ColorMode = 0;
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    int width = 0, longestLine = -1;
    Run(sheet, {Inspect([&](HWND s) {
                    HWND page = CurrentPage(s);
                    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                }),
                Wait(100),
                Inspect([&](HWND s) {
                    RECT box;
                    GetWindowRect(GetDlgItem(CurrentPage(s), IDC_DEN_SWITCH), &box);
                    const COLORREF line = GetSysColor(COLOR_BTNSHADOW);
                    HDC screen = GetDC(nullptr);
                    width = box.right - box.left;
                    for (int y = box.top; y < box.bottom; ++y) {
                        int n = 0;
                        for (int x = box.left; x < box.right; ++x) n += GetPixel(screen, x, y) == line;
                        longestLine = std::max(longestLine, n);
                    }
                    ReleaseDC(nullptr, screen);
                }),
                Cancel()});
    ASSERT_GT(width, 0);
    EXPECT_LT(longestLine, width / 2) << "a row of the frame's colour across the title";
}

// ---- palette display -------------------------------------------------------------------

TEST_F(ColorSheetTest, HalftonePaletteExactlyWhenTheDisplayHasOne) {
    HDC screen = GetDC(nullptr);
    const bool palette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
    ReleaseDC(nullptr, screen);
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    Run(sheet, {Inspect([&](HWND s) {
                    UpdateWindow(CurrentPage(s));
                    EXPECT_EQ(sheet.m_colorPage.m_paletteFlag, palette ? 1 : 0);
                    EXPECT_EQ(sheet.m_colorPage.m_palette.Get() != nullptr, palette);
                    if (palette) {
                        PALETTEENTRY entries[256];
                        EXPECT_GT(GetPaletteEntries(sheet.m_colorPage.m_palette, 0, 256, entries), 200u);
                    }
                }),
                Scroll(IDC_ADJ_BRIGHT_BAR, SB_LINELEFT, 0), Cancel()});
    EXPECT_GE(capture.SampleDraws, 2);
    if (!palette) GTEST_SKIP() << "the display has no palette; checked without one";
}

// ---- pictures for people ---------------------------------------------------------------

TEST_F(ColorSheetTest, Screenshots) {
    const char* folderName = std::getenv("QV_SCREENSHOT_DIR");
    if (!folderName) GTEST_SKIP() << "QV_SCREENSHOT_DIR not set";
    const std::string out = folderName;
    // The shipped landscape, as the sheet shows it with the current settings.
    CopyFileA(QV_SAMPLES_DIR "\\QV3810A2.BMP", "QV3810A2.BMP", FALSE);
    CColPS sheet(5004, &firstPage, nullptr, nullptr);
    Run(sheet, {Inspect([&](HWND s) { UpdateWindow(CurrentPage(s)); }), Wait(200),
                Inspect([&](HWND s) { EXPECT_TRUE(SaveWindowPng(s, out + "\\color_sheet.png")); }),
                Inspect([&](HWND s) { PropSheet_SetCurSel(s, nullptr, 1); }), Wait(200),
                Inspect([&](HWND s) { EXPECT_TRUE(SaveWindowPng(s, out + "\\density_page.png")); }), Cancel()});
}

}  // namespace
