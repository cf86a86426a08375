// "濃度調整": the density switch and the black, cyan, magenta and yellow
// densities. In monochrome mode only black can be changed.

#include "ui/adjust/adjust_resource.h"
#include "ui/adjust/adjust_sheet.h"
#include "ui/adjust/classic_controls.h"
#include "ui/common/artwork_ids.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/format_text.h"
#include "ui/common/page_state.h"

namespace {

struct DensityRow {
    int ScrollBar;
    int Readout;
    int Bar;
    int Bitmap;
    int32_t DensityAdjustment::*Value;
};

constexpr DensityRow DensityRows[] = {
    {IDC_DEN_BLACK_BAR, IDC_DEN_BLACK_VALUE, IDC_DEN_BLACK_STRIP, IDB_DENSITY_BLACK, &DensityAdjustment::Black},
    {IDC_DEN_CYAN_BAR, IDC_DEN_CYAN_VALUE, IDC_DEN_CYAN_STRIP, IDB_DENSITY_CYAN, &DensityAdjustment::Cyan},
    {IDC_DEN_MAGENTA_BAR, IDC_DEN_MAGENTA_VALUE, IDC_DEN_MAGENTA_STRIP, IDB_DENSITY_MAGENTA, &DensityAdjustment::Magenta},
    {IDC_DEN_YELLOW_BAR, IDC_DEN_YELLOW_VALUE, IDC_DEN_YELLOW_STRIP, IDB_DENSITY_YELLOW, &DensityAdjustment::Yellow},
};

constexpr HelpPair DensityPageHelp[] = {
    {2060, 0x80160},
    {2119, 0x80161}, {2034, 0x80161}, {2047, 0x80161}, {2056, 0x80161},
    {2121, 0x80161}, {2041, 0x80161}, {2049, 0x80161}, {2057, 0x80161},
    {2123, 0x80161}, {2043, 0x80161}, {2050, 0x80161}, {2058, 0x80161},
    {2125, 0x80161}, {2048, 0x80161}, {2051, 0x80161}, {2059, 0x80161},
    {2014, 0x80134}, {0, 0},
};

constexpr COLORREF InvalidColor = 0xFFFFFFFF;
constexpr COLORREF White = 0x00FFFFFF;

void SetReadout(HWND page, int readout, int32_t value) {
    char text[16];
    FormatText(text, sizeof text, "%d", static_cast<int>(value));
    SetDlgItemTextA(page, readout, text);
}

const DensityRow* RowOfScrollBar(int id) {
    for (const DensityRow& row : DensityRows)
        if (row.ScrollBar == id) return &row;
    return nullptr;
}

int32_t CurrentColorMode() { return g_pages.Current ? g_pages.Current->ColorMode : 0; }

}  // namespace

IMPLEMENT_DYNCREATE(CColgnmPP, CPropertyPage)

BEGIN_MESSAGE_MAP(CColgnmPP, CPropertyPage)
    ON_WM_PAINT(OnPaint)
    ON_BN_CLICKED(IDC_DEN_SWITCH, OnSwitchToggled)
    ON_WM_HSCROLL(OnHScroll)
    ON_BN_CLICKED(IDC_ADJ_RESET, OnResetDefaults)
    ON_WM_CONTEXTMENU(OnContextMenu)
END_MESSAGE_MAP()

CColgnmPP::CColgnmPP() : CPropertyPage(IDD_DENSITY_ADJUST) {}

BOOL CColgnmPP::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    m_barsSized = 0;
    CDataExchange dx(this, false);
    DDX_Control(&dx, IDC_DEN_BLACK_BAR, m_blackBar);
    DDX_Control(&dx, IDC_DEN_CYAN_BAR, m_cyanBar);
    DDX_Control(&dx, IDC_DEN_MAGENTA_BAR, m_magentaBar);
    DDX_Control(&dx, IDC_DEN_YELLOW_BAR, m_yellowBar);
    UseClassicControls(m_hWnd, {IDC_DEN_BLACK_BAR, IDC_DEN_CYAN_BAR, IDC_DEN_MAGENTA_BAR, IDC_DEN_YELLOW_BAR});
    LoadControls();
    return TRUE;
}

BOOL CColgnmPP::OnKillActive() { return CPropertyPage::OnKillActive(); }

void CColgnmPP::LoadControls() {
    for (const DensityRow& row : DensityRows) {
        HWND bar = GetDlgItem(row.ScrollBar);
        SetScrollRange(bar, SB_CTL, -10, 10, FALSE);
        SetScrollPos(bar, SB_CTL, m_density.*row.Value, TRUE);
        SetReadout(m_hWnd, row.Readout, m_density.*row.Value);
    }
    ApplyEnabling();
}

// The switch rule and the monochrome rule together.
void CColgnmPP::ApplyEnabling() {
    CheckDlgButton(IDC_DEN_SWITCH, m_density.Gannma ? BST_CHECKED : BST_UNCHECKED);
    const int32_t mode = CurrentColorMode();
    for (size_t i = 0; i < DensityControlRuleCount; ++i) {
        const DensityControlRule& rule = DensityControlRules[i];
        ::EnableWindow(GetDlgItem(rule.Control), DensityControlEnabled(rule, m_density.Gannma, mode));
    }
}

void CColgnmPP::OnSwitchToggled() {
    m_density.Gannma = IsDlgButtonChecked(IDC_DEN_SWITCH) == BST_CHECKED ? 1 : 0;
    ApplyEnabling();
}

void CColgnmPP::OnHScroll(UINT code, int position, HWND bar) {
    const int newPosition = StepScrollPosition(code, position, bar);
    SetScrollPos(bar, SB_CTL, newPosition, TRUE);
    const DensityRow* row = RowOfScrollBar(GetDlgCtrlID(bar));
    if (row && code <= SB_THUMBPOSITION) {
        SetReadout(m_hWnd, row->Readout, newPosition);
        m_density.*row->Value = newPosition;
    }
    Default();
}

void CColgnmPP::OnResetDefaults() {
    if (g_pages.Defaults) m_density = g_pages.Defaults->Density;
    m_barsSized = 0;
    LoadControls();
}

void CColgnmPP::OnPaint() {
    PaintDC paint(m_hWnd);
    // The erase may have come separately from this paint; asking for the
    // dialog colors puts the page's background into the paint context.
    SendMessageA(m_hWnd, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(paint.Get()), reinterpret_cast<LPARAM>(m_hWnd));
    const COLORREF background = GetBkColor(paint);
    if (background != White && background != InvalidColor) SetBitmapFillColor(background);

    RECT scroll = {};
    GetWindowRect(GetDlgItem(IDC_DEN_BLACK_BAR), &scroll);
    const PixelSize size = DensityBarSize({scroll.left, scroll.top, scroll.right, scroll.bottom});
    if (!m_barsSized) {
        for (const DensityRow& row : DensityRows)
            SetWindowPos(GetDlgItem(row.Bar), nullptr, 0, 0, size.W, size.H,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        m_barsSized = 1;
    }
    for (const DensityRow& row : DensityRows) {
        HWND bar = GetDlgItem(row.Bar);
        WindowDC dc(bar);
        if (dc) DrawFilledBitmap(dc, row.Bitmap, true, true, size.W, size.H);
    }
}

void CColgnmPP::OnContextMenu(HWND window, POINT) { ShowContextHelp(window, DensityPageHelp); }
