// "色の調整": brightness, saturation, contrast, the three balances, the base
// color and a display sample, previewed through the rendering data table
// built from the page's working values.

#include "engine/color_engine.h"
#include "engine/rdt_mapper.h"
#include "ui/adjust/adjust_resource.h"
#include "ui/adjust/adjust_sheet.h"
#include "ui/adjust/classic_controls.h"
#include "ui/adjust/preview_drawing.h"
#include "ui/common/artwork_ids.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/format_text.h"
#include "ui/common/page_state.h"

namespace {

constexpr auto SampleList = MakeListTable(0, "人物", "風景", "ヨット", "フルーツ");
constexpr auto BaseColorList = MakeListTable(0, "写真", "ﾉｰﾏﾙ", "文書", "ｸﾞﾗﾌｨｯｸ");

struct AdjustRow {
    int ScrollBar;
    int Readout;
    int32_t ColorAdjustment::*Value;
};

constexpr AdjustRow AdjustRows[] = {
    {IDC_ADJ_BRIGHT_BAR, IDC_ADJ_BRIGHT_VALUE, &ColorAdjustment::Bright},
    {IDC_ADJ_FULLNESS_BAR, IDC_ADJ_FULLNESS_VALUE, &ColorAdjustment::Fullness},
    {IDC_ADJ_CONTRAST_BAR, IDC_ADJ_CONTRAST_VALUE, &ColorAdjustment::Contrast},
    {IDC_ADJ_CYAN_BAR, IDC_ADJ_CYAN_VALUE, &ColorAdjustment::CyanRed},
    {IDC_ADJ_MAGENTA_BAR, IDC_ADJ_MAGENTA_VALUE, &ColorAdjustment::MagentaGreen},
    {IDC_ADJ_YELLOW_BAR, IDC_ADJ_YELLOW_VALUE, &ColorAdjustment::YellowBlue},
};

struct GradientBar {
    int Control;
    int Bitmap;
};

constexpr GradientBar GradientBars[] = {
    {IDC_ADJ_BRIGHT_STRIP, IDB_BAR_BRIGHT},         {IDC_ADJ_FULLNESS_STRIP, IDB_BAR_FULLNESS},
    {IDC_ADJ_CONTRAST_STRIP, IDB_BAR_CONTRAST},     {IDC_ADJ_CYAN_STRIP, IDB_BAR_CYAN_RED},
    {IDC_ADJ_MAGENTA_STRIP, IDB_BAR_MAGENTA_GREEN}, {IDC_ADJ_YELLOW_STRIP, IDB_BAR_YELLOW_BLUE},
};

constexpr HelpPair ColorPageHelp[] = {
    {2151, 0x80154}, {2004, 0x80154}, {2071, 0x80154}, {2418, 0x80155}, {2117, 0x80155},
    {2153, 0x80156}, {2031, 0x80156}, {2039, 0x80156}, {2095, 0x80156},
    {2155, 0x80157}, {2032, 0x80157}, {2040, 0x80157}, {2096, 0x80157},
    {2157, 0x80158}, {2033, 0x80158}, {2042, 0x80158}, {2098, 0x80158},
    {2159, 0x80159}, {2035, 0x80159}, {2121, 0x80159}, {2165, 0x80159}, {2044, 0x80159}, {2090, 0x80159},
    {2036, 0x80159}, {2123, 0x80159}, {2167, 0x80159}, {2045, 0x80159}, {2091, 0x80159},
    {2037, 0x80159}, {2125, 0x80159}, {2119, 0x80159}, {2046, 0x80159}, {2093, 0x80159},
    {2118, 0},       {2014, 0x80134}, {0, 0},
};

// Process-wide: recomputed by every new page on its first paint.
ColorPageLayout g_layout = {};
long g_tableBuilds = 0;

void SetReadout(HWND page, int readout, int32_t value) {
    char text[16];
    FormatText(text, sizeof text, "%d", static_cast<int>(value));
    SetDlgItemTextA(page, readout, text);
}

const AdjustRow* RowOfScrollBar(int id) {
    for (const AdjustRow& row : AdjustRows)
        if (row.ScrollBar == id) return &row;
    return nullptr;
}

PixelRect ChildRect(HWND page, int id) {
    RECT r = {};
    HWND child = GetDlgItem(page, id);
    if (child) {
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    }
    return {r.left, r.top, r.right, r.bottom};
}

void PlaceAndShow(HWND page, int id, const PixelFrame& r) {
    SetWindowPos(GetDlgItem(page, id), nullptr, r.X, r.Y, r.W, r.H, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// Selects a list position; one outside the list leaves no selection.
void SelectOrClear(CComboBox& list, int index) {
    list.SetCurSel(index >= 0 && index < list.GetCount() ? index : -1);
}

// Scroll codes that move the bar; the others (thumb tracking, end of
// scroll) leave the working values alone.
bool MovesPosition(UINT code) { return code <= SB_THUMBPOSITION; }

}  // namespace

IMPLEMENT_DYNCREATE(CColcndPP, CPropertyPage)

BEGIN_MESSAGE_MAP(CColcndPP, CPropertyPage)
    ON_CBN_SELCHANGE(IDC_ADJ_SAMPLE_LIST, OnSampleChanged)
    ON_WM_PAINT(OnPaint)
    ON_WM_HSCROLL(OnHScroll)
    ON_CBN_SELCHANGE(IDC_ADJ_BASE_LIST, OnBaseColorChanged)
    ON_BN_CLICKED(IDC_ADJ_RESET, OnResetDefaults)
    ON_WM_CONTEXTMENU(OnContextMenu)
    ON_WM_CREATE(OnCreate)
END_MESSAGE_MAP()

CColcndPP::CColcndPP() : CPropertyPage(IDD_COLOR_ADJUST) {}

int CColcndPP::OnCreate(CREATESTRUCTA*) {
    if (Default() == -1) return -1;
    WindowDC dc(m_hWnd);
    if (dc && (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE)) {
        m_palette.Reset(CreateHalftonePalette(dc));
        m_paletteFlag = m_palette ? 1 : 0;
    } else {
        m_paletteFlag = 0;
    }
    return 0;
}

BOOL CColcndPP::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    m_layoutDone = 0;
    CDataExchange dx(this, false);
    DDX_Control(&dx, IDC_ADJ_BRIGHT_BAR, m_brightBar);
    DDX_Control(&dx, IDC_ADJ_FULLNESS_BAR, m_fullnessBar);
    DDX_Control(&dx, IDC_ADJ_CONTRAST_BAR, m_contrastBar);
    DDX_Control(&dx, IDC_ADJ_CYAN_BAR, m_cyanRedBar);
    DDX_Control(&dx, IDC_ADJ_MAGENTA_BAR, m_magentaGreenBar);
    DDX_Control(&dx, IDC_ADJ_YELLOW_BAR, m_yellowBlueBar);
    DDX_Control(&dx, IDC_ADJ_SAMPLE_LIST, m_sampleList);
    DDX_Control(&dx, IDC_ADJ_BASE_LIST, m_baseColorList);
    UseClassicControls(m_hWnd, {IDC_ADJ_BRIGHT_BAR, IDC_ADJ_FULLNESS_BAR, IDC_ADJ_CONTRAST_BAR, IDC_ADJ_CYAN_BAR,
                                IDC_ADJ_MAGENTA_BAR, IDC_ADJ_YELLOW_BAR});
    LoadControls();
    return TRUE;
}

BOOL CColcndPP::OnKillActive() { return CPropertyPage::OnKillActive(); }

void CColcndPP::LoadControls() {
    FillListFromTable(m_sampleList, SampleList);
    SelectOrClear(m_sampleList, m_color.SampleImage);
    FillListFromTable(m_baseColorList, BaseColorList);
    SelectOrClear(m_baseColorList, BaseColorIndexOf(m_color.BaseColor));
    for (const AdjustRow& row : AdjustRows) {
        HWND bar = GetDlgItem(row.ScrollBar);
        SetScrollRange(bar, SB_CTL, -10, 10, FALSE);
        SetScrollPos(bar, SB_CTL, m_color.*row.Value, TRUE);
        SetReadout(m_hWnd, row.Readout, m_color.*row.Value);
    }
}

void CColcndPP::LayOut() {
    ColorPageLayoutInput in;
    in.BrightScroll = ChildRect(m_hWnd, IDC_ADJ_BRIGHT_BAR);
    in.YellowStrip = ChildRect(m_hWnd, IDC_ADJ_YELLOW_STRIP);
    in.BalanceGroup = ChildRect(m_hWnd, IDC_ADJ_BALANCE_GROUP);
    in.SampleLabel = ChildRect(m_hWnd, IDC_ADJ_SAMPLE_LABEL);
    in.BaseColorLabel = ChildRect(m_hWnd, IDC_ADJ_BASE_LABEL);
    g_layout = ComputeColorPageLayout(in);

    for (const GradientBar& bar : GradientBars)
        SetWindowPos(GetDlgItem(bar.Control), nullptr, 0, 0, g_layout.Bar.W, g_layout.Bar.H,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    PlaceAndShow(m_hWnd, IDC_ADJ_SWATCH, g_layout.SwatchControl);
    PlaceAndShow(m_hWnd, IDC_ADJ_SWATCH_FRAME, g_layout.SwatchFrame);
    PlaceAndShow(m_hWnd, IDC_ADJ_SAMPLE, g_layout.SampleControl);
    PlaceAndShow(m_hWnd, IDC_ADJ_SAMPLE_FRAME, g_layout.SampleFrame);
}

void CColcndPP::OnPaint() {
    PaintDC paint(m_hWnd);
    if (!m_layoutDone) {
        LayOut();
        m_layoutDone = 1;
    }
    RebuildTable();
    DrawSample();
    DrawSwatch();
    DrawGradientBars();
}

void CColcndPP::RebuildTable() {
    BuildRdt(m_color);
    ++g_tableBuilds;
    m_mapper = std::make_unique<RdtMapper>(CurrentRdt());
}

void CColcndPP::DrawSample() {
    if (!m_mapper) return;
    m_sample.SetFile(SampleFileName(m_sampleList.GetCurSel()));
    const PixelSize size = SampleDrawSize(g_layout.SampleFrame);
    m_sample.Draw(GetDlgItem(IDC_ADJ_SAMPLE), *m_mapper, size.W, size.H, m_palette);
}

void CColcndPP::DrawSwatch() {
    if (!m_mapper) return;
    m_swatch.SetResource(IDB_BALANCE_SWATCH);
    const PixelSize size = SwatchDrawSize(g_layout.SwatchFrame);
    m_swatch.Draw(GetDlgItem(IDC_ADJ_SWATCH), *m_mapper, size.W, size.H, m_palette);
}

void CColcndPP::DrawGradientBars() {
    for (const GradientBar& bar : GradientBars) DrawStretchedResource(GetDlgItem(bar.Control), bar.Bitmap, m_palette);
}

void CColcndPP::OnHScroll(UINT code, int position, HWND bar) {
    const int newPosition = StepScrollPosition(code, position, bar);
    SetScrollPos(bar, SB_CTL, newPosition, TRUE);
    const AdjustRow* row = RowOfScrollBar(GetDlgCtrlID(bar));
    if (row && MovesPosition(code)) {
        SetReadout(m_hWnd, row->Readout, newPosition);
        if (newPosition != m_color.*row->Value) {
            m_color.*row->Value = newPosition;
            RebuildTable();
            DrawSample();
            DrawSwatch();
        }
    }
    Default();
}

void CColcndPP::OnSampleChanged() {
    RebuildTable();
    DrawSample();
    m_color.SampleImage = m_sampleList.GetCurSel();
}

void CColcndPP::OnBaseColorChanged() {
    m_color.BaseColor = BaseColorCodeAt(m_baseColorList.GetCurSel());
    RebuildTable();
    DrawSample();
    DrawSwatch();
}

void CColcndPP::OnResetDefaults() {
    if (g_pages.Defaults) m_color = g_pages.Defaults->Color;
    LoadControls();
    Invalidate(TRUE);
}

void CColcndPP::OnContextMenu(HWND window, POINT) { ShowContextHelp(window, ColorPageHelp); }

const ColorPageLayout& CurrentColorPageLayout() { return g_layout; }

long PreviewTableBuilds() { return g_tableBuilds; }

void SetPreviewMappedHook(PreviewMappedHook hook, void* context) { SetMappedPictureHook(hook, context); }
