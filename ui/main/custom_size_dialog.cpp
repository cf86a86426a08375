#include "ui/main/custom_size_dialog.h"

#include <commctrl.h>

#include <cstring>

#include "ui/common/dialog_toolkit.h"
#include "ui/common/page_state.h"
#include "ui/main/custom_size.h"
#include "ui/main/main_resource.h"
#include "ui/main/number_text.h"

BEGIN_MESSAGE_MAP(CCustomSizeDlg, CDialog)
    ON_BN_CLICKED(IDC_UNIT_MM, OnUnitClicked)
    ON_BN_CLICKED(IDC_UNIT_INCH, OnUnitClicked)
    ON_EN_UPDATE(IDC_WIDTH_EDIT, OnWidthUpdate)
    ON_EN_UPDATE(IDC_LENGTH_EDIT, OnLengthUpdate)
    ON_EN_KILLFOCUS(IDC_WIDTH_EDIT, OnWidthKillFocus)
    ON_EN_KILLFOCUS(IDC_LENGTH_EDIT, OnLengthKillFocus)
    ON_WM_VSCROLL(OnSpin)
    ON_WM_CONTEXTMENU(OnContextMenu)
END_MESSAGE_MAP()

IMPLEMENT_DYNAMIC(CCustomSizeDlg, CDialog)

namespace {
const HelpPair CustomSizeHelp[] = {
    {IDC_WIDTH_LABEL, 0x80123},       {IDC_WIDTH_EDIT, 0x80123},       {IDC_WIDTH_RANGE, 0x80123},
    {IDC_WIDTH_SPIN, 0x80123},        {IDC_LENGTH_LABEL, 0x80124},     {IDC_LENGTH_EDIT, 0x80124},
    {IDC_LENGTH_RANGE, 0x80124},      {IDC_LENGTH_SPIN, 0x80124},      {IDC_UNIT_GROUP, 0x80125},
    {IDC_UNIT_MM, 0x80125},           {IDC_UNIT_INCH, 0x80125},        {IDC_DIRECTION_GROUP, 0x80126},
    {IDC_LANDSCAPE_PICTURE, 0x80126}, {IDC_PORTRAIT_PICTURE, 0x80126}, {IDC_LANDSCAPE_TEXT, 0x80126},
    {IDC_PORTRAIT_TEXT, 0x80126},     {IDOK, 0x80127},                 {IDCANCEL, 0x80128},
    {0, 0},
};
constexpr int SizeTextChars = 5;
}  // namespace

CCustomSizeDlg::CCustomSizeDlg(HWND parent) : CDialog(IDD_CUSTOM_SIZE, parent) {}

void CCustomSizeDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_WIDTH_EDIT, m_widthText);
    DDX_Text(dx, IDC_LENGTH_EDIT, m_lengthText);
}

BOOL CCustomSizeDlg::OnInitDialog() {
    m_writing = true;
    CDialog::OnInitDialog();
    m_writing = false;
    const PrintSettings& s = *g_pages.Current;
    m_unit = s.CustomUnit == 0 ? 0 : 1;
    SendDlgItemMessageA(m_hWnd, IDC_WIDTH_EDIT, EM_LIMITTEXT, SizeTextChars, 0);
    SendDlgItemMessageA(m_hWnd, IDC_LENGTH_EDIT, EM_LIMITTEXT, SizeTextChars, 0);
    CheckDlgButton(IDC_UNIT_MM, Inches() ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(IDC_UNIT_INCH, Inches() ? BST_CHECKED : BST_UNCHECKED);
    m_widthMm = StoredToMm(s.CustomWidth, s.CustomUnit, false);
    m_lengthMm = StoredToMm(s.CustomLength, s.CustomUnit, true);
    SetUpUnit(m_widthMm, m_lengthMm);
    ShowDirection();
    return TRUE;
}

void CCustomSizeDlg::SetUpUnit(double widthMm, double lengthMm) {
    const SizeLimits& limits = LimitsFor(Inches());
    const char* unit = Inches() ? "inch" : "mm";
    SetDlgItemText(IDC_WIDTH_UNIT, unit);
    SetDlgItemText(IDC_LENGTH_UNIT, unit);
    char range[48];
    FormatRange(limits.Width, Inches(), range);
    SetDlgItemText(IDC_WIDTH_RANGE, range);
    FormatRange(limits.Length, Inches(), range);
    SetDlgItemText(IDC_LENGTH_RANGE, range);
    SetSpinRange(m_hWnd, IDC_WIDTH_SPIN, limits.Width.Min, limits.Width.Max);
    SetSpinRange(m_hWnd, IDC_LENGTH_SPIN, limits.Length.Min, limits.Length.Max);
    SetPosition(IDC_WIDTH_SPIN, MmToPosition(widthMm, Inches()));
    SetPosition(IDC_LENGTH_SPIN, MmToPosition(lengthMm, Inches()));
    ShowValues();
}

void CCustomSizeDlg::ShowValues() {
    char text[32];
    FormatSize(m_widthMm, Inches(), text);
    SetEditText(IDC_WIDTH_EDIT, m_widthText, text);
    FormatSize(m_lengthMm, Inches(), text);
    SetEditText(IDC_LENGTH_EDIT, m_lengthText, text);
}

void CCustomSizeDlg::SetEditText(int editId, std::string& member, const char* text) {
    member = text;
    m_writing = true;
    SetDlgItemText(editId, text);
    m_writing = false;
}

int CCustomSizeDlg::Position(int spinId) const {
    return SpinPosition(m_hWnd, spinId);
}

void CCustomSizeDlg::SetPosition(int spinId, int position) {
    SetSpinPosition(m_hWnd, spinId, position);
}

void CCustomSizeDlg::OnWidthUpdate() {
    if (!m_writing) FilterText(IDC_WIDTH_EDIT, m_widthText);
}

void CCustomSizeDlg::OnLengthUpdate() {
    if (!m_writing) FilterText(IDC_LENGTH_EDIT, m_lengthText);
}

void CCustomSizeDlg::FilterText(int editId, std::string& text) {
    UpdateData(true);
    std::string kept = text;
    if (KeepDigitsAndOnePoint(&kept[0])) {
        kept.resize(strlen(kept.c_str()));
        SetEditText(editId, text, kept.c_str());
        SendDlgItemMessageA(m_hWnd, editId, EM_SETSEL, kept.size(), kept.size());
    }
    PositionsFromTexts();
}

void CCustomSizeDlg::PositionsFromTexts() {
    SetPosition(IDC_WIDTH_SPIN, TextToPosition(m_widthText.c_str(), Inches()));
    SetPosition(IDC_LENGTH_SPIN, TextToPosition(m_lengthText.c_str(), Inches()));
}

void CCustomSizeDlg::OnWidthKillFocus() { TakeValue(IDC_WIDTH_EDIT, IDC_WIDTH_SPIN, false); }
void CCustomSizeDlg::OnLengthKillFocus() { TakeValue(IDC_LENGTH_EDIT, IDC_LENGTH_SPIN, true); }

void CCustomSizeDlg::TakeValue(int editId, int spinId, bool isLength) {
    UpdateData(true);
    const std::string& text = editId == IDC_WIDTH_EDIT ? m_widthText : m_lengthText;
    const SizeLimits& limits = LimitsFor(Inches());
    const PositionRange& range = isLength ? limits.Length : limits.Width;
    int position = TextToPosition(text.c_str(), Inches());
    if (position < range.Min) position = range.Min;
    if (position > range.Max) position = range.Max;
    SetPosition(spinId, position);
    ValuesFromPositions(spinId);
    ShowDirection();
}

// The dimension of `changedSpinId` takes its up-down's position. The other
// takes its position only when the user has changed its text: while the
// edit still shows the working value, the position may be that value cut to
// the step (210.0 mm shows 8.27 at position 826), and taking it would
// change a value the user never touched.
void CCustomSizeDlg::ValuesFromPositions(int changedSpinId) {
    const struct {
        int Spin;
        const std::string& Text;
        double& Mm;
    } dimensions[] = {{IDC_WIDTH_SPIN, m_widthText, m_widthMm}, {IDC_LENGTH_SPIN, m_lengthText, m_lengthMm}};
    for (const auto& d : dimensions) {
        char shown[32];
        FormatSize(d.Mm, Inches(), shown);
        if (d.Spin != changedSpinId && d.Text == shown) continue;
        // The controls keep 16-bit positions.
        d.Mm = PositionToMm(static_cast<short>(LOWORD(Position(d.Spin))), Inches());
    }
    ShowValues();
}

void CCustomSizeDlg::OnSpin(UINT code, int, HWND bar) {
    if (code != SB_ENDSCROLL) {
        ValuesFromPositions(::GetDlgCtrlID(bar));
        ShowDirection();
    }
    Default();
}

void CCustomSizeDlg::OnUnitClicked() {
    int unit = IsDlgButtonChecked(IDC_UNIT_MM) == BST_CHECKED ? 0 : 1;
    if (unit == m_unit) return;
    m_unit = unit;
    SetUpUnit(m_widthMm, m_lengthMm);
    ShowDirection();
}

void CCustomSizeDlg::ShowDirection() {
    bool portrait = IsPortraitSheet(m_widthText.c_str(), m_lengthText.c_str());
    ::ShowWindow(GetDlgItem(IDC_PORTRAIT_PICTURE), portrait ? SW_SHOW : SW_HIDE);
    ::ShowWindow(GetDlgItem(IDC_PORTRAIT_TEXT), portrait ? SW_SHOW : SW_HIDE);
    ::ShowWindow(GetDlgItem(IDC_LANDSCAPE_PICTURE), portrait ? SW_HIDE : SW_SHOW);
    ::ShowWindow(GetDlgItem(IDC_LANDSCAPE_TEXT), portrait ? SW_HIDE : SW_SHOW);
}

void CCustomSizeDlg::OnOK() {
    TakeValue(IDC_LENGTH_EDIT, IDC_LENGTH_SPIN, true);
    TakeValue(IDC_WIDTH_EDIT, IDC_WIDTH_SPIN, false);
    StoreCustomSize(*g_pages.Current, Inches(), m_widthMm, m_lengthMm);
    EndDialog(IDOK);
}

void CCustomSizeDlg::OnContextMenu(HWND window, POINT) { ShowContextHelp(window, CustomSizeHelp); }
