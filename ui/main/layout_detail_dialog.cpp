#include "ui/main/layout_detail_dialog.h"

#include <commctrl.h>

#include <cstring>

#include "ui/common/dialog_toolkit.h"
#include "ui/common/format_text.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"
#include "ui/main/main_resource.h"
#include "ui/main/number_text.h"

BEGIN_MESSAGE_MAP(CLayoutDetailDlg, CDialog)
    ON_BN_CLICKED(IDC_BIND_LEFT_TOP, OnBindLeftTop)
    ON_BN_CLICKED(IDC_BIND_RIGHT_BOTTOM, OnBindRightBottom)
    ON_BN_CLICKED(IDC_BIND_LEFT_BOTTOM, OnBindLeftBottom)
    ON_BN_CLICKED(IDC_BIND_RIGHT_TOP, OnBindRightTop)
    ON_BN_CLICKED(IDC_TWO_UP_0, OnTwoUp0)
    ON_BN_CLICKED(IDC_TWO_UP_1, OnTwoUp1)
    ON_BN_CLICKED(IDC_FOUR_UP_0, OnFourUp0)
    ON_BN_CLICKED(IDC_FOUR_UP_1, OnFourUp1)
    ON_BN_CLICKED(IDC_FOUR_UP_2, OnFourUp2)
    ON_BN_CLICKED(IDC_FOUR_UP_3, OnFourUp3)
    ON_BN_CLICKED(IDC_PAGE_FRAME, OnPageFrame)
    ON_CBN_SELCHANGE(IDC_FRAME_KIND, OnFrameKindChanged)
    ON_EN_CHANGE(IDC_MARGIN_EDIT, OnMarginChanged)
    ON_EN_KILLFOCUS(IDC_MARGIN_EDIT, OnMarginKillFocus)
    ON_WM_VSCROLL(OnSpin)
    ON_BN_CLICKED(IDC_RESET_DEFAULTS, OnReset)
    ON_WM_CONTEXTMENU(OnContextMenu)
END_MESSAGE_MAP()

IMPLEMENT_DYNAMIC(CLayoutDetailDlg, CDialog)

namespace {
const HelpPair LayoutDetailHelp[] = {
    {IDC_BINDING_GROUP, 0x80129},     {IDC_BIND_PICTURE_1, 0x80129}, {IDC_BIND_PICTURE_2, 0x80129},
    {IDC_BIND_LEFT_TOP, 0x80129},     {IDC_BIND_PICTURE_3, 0x80129}, {IDC_BIND_PICTURE_4, 0x80129},
    {IDC_BIND_RIGHT_BOTTOM, 0x80129}, {IDC_BIND_PICTURE_5, 0x80129}, {IDC_BIND_PICTURE_6, 0x80129},
    {IDC_BIND_LEFT_BOTTOM, 0x80129},  {IDC_BIND_PICTURE_7, 0x80129}, {IDC_BIND_PICTURE_8, 0x80129},
    {IDC_BIND_RIGHT_TOP, 0x80129},    {IDC_MARGIN_LABEL, 0x80130},   {IDC_MARGIN_EDIT, 0x80130},
    {IDC_MARGIN_SPIN, 0x80130},       {IDC_MARGIN_UNIT, 0x80130},    {IDC_LAYOUT_GROUP, 0x80131},
    {IDC_ORDER_GROUP, 0x80131},       {IDC_TWO_UP_GROUP, 0x80131},   {IDC_TWO_UP_0, 0x80131},
    {IDC_TWO_UP_1, 0x80131},          {IDC_FOUR_UP_GROUP, 0x80131},  {IDC_FOUR_UP_0, 0x80131},
    {IDC_FOUR_UP_1, 0x80131},         {IDC_FOUR_UP_2, 0x80131},      {IDC_FOUR_UP_3, 0x80131},
    {IDC_PAGE_FRAME, 0x80132},        {IDC_FRAME_KIND_LABEL, 0x80133}, {IDC_FRAME_KIND, 0x80133},
    {IDOK, HID_OK},                   {IDCANCEL, HID_CANCEL},        {IDC_RESET_DEFAULTS, HID_RESET_DEFAULTS},
    {0, 0},
};

const auto FrameKinds = MakeListTable(0, "実線", "ｺｰﾅｰｶｯﾄ");

const int BindingButtons[4] = {IDC_BIND_LEFT_TOP, IDC_BIND_RIGHT_BOTTOM, IDC_BIND_LEFT_BOTTOM, IDC_BIND_RIGHT_TOP};

// Order buttons and their icons by orientation row (portrait, landscape).
struct OrderIcons {
    int Button;
    int Normal[2];
    int Chosen[2];
};
const OrderIcons TwoUpIcons[2] = {
    {IDC_TWO_UP_0, {2241, 2241}, {2261, 2261}},
    {IDC_TWO_UP_1, {2242, 2242}, {2262, 2262}},
};
const OrderIcons FourUpIcons[4] = {
    {IDC_FOUR_UP_0, {2249, 2227}, {2248, 2256}},
    {IDC_FOUR_UP_1, {2250, 2228}, {2251, 2258}},
    {IDC_FOUR_UP_2, {2252, 2229}, {2253, 2259}},
    {IDC_FOUR_UP_3, {2254, 2230}, {2255, 2260}},
};

constexpr int MarginTextChars = 4;

void SetButtonIcon(HWND dialog, int button, int iconId) {
    HICON icon = LoadIconA(g_resourceInstance, MAKEINTRESOURCEA(iconId));
    SendDlgItemMessageA(dialog, button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}
}  // namespace

CLayoutDetailDlg::CLayoutDetailDlg(HWND parent) : CDialog(IDD_LAYOUT_DETAIL, parent) {}

void CLayoutDetailDlg::DoDataExchange(CDataExchange* dx) { DDX_Text(dx, IDC_MARGIN_EDIT, m_marginText); }

BOOL CLayoutDetailDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_initialised = true;
    m_layout = g_pages.Current->Layout;
    CheckBindingSide();
    LoadControls();
    char text[16];
    FormatText(text, sizeof text, "%d", static_cast<int>(m_layout.BindingMargin));
    m_marginText = text;
    NormaliseMargin();
    return TRUE;
}

void CLayoutDetailDlg::CheckBindingSide() {
    int32_t side = m_layout.BindingSide;
    CheckDlgButton(BindingButtons[side >= 0 && side < 3 ? side : 3], BST_CHECKED);
}

// Frame kind, frame switch, order icons, margin limits and position.
void CLayoutDetailDlg::LoadControls() {
    FillListFromTable(m_hWnd, IDC_FRAME_KIND, FrameKinds);
    if (m_layout.FrameKind > 0) SendDlgItemMessageA(m_hWnd, IDC_FRAME_KIND, CB_SETCURSEL, m_layout.FrameKind, 0);
    ApplyFrameSwitch(m_layout.PageFrame != 0);
    RefreshOrderIcons();
    SendDlgItemMessageA(m_hWnd, IDC_MARGIN_EDIT, EM_LIMITTEXT, MarginTextChars, 0);
    SetSpinRange(m_hWnd, IDC_MARGIN_SPIN, MarginMin, MarginMax);
    SetSpinPosition(m_hWnd, IDC_MARGIN_SPIN, ClampMargin(m_layout.BindingMargin));
}

void CLayoutDetailDlg::ApplyFrameSwitch(bool on) {
    CheckDlgButton(IDC_PAGE_FRAME, on ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(GetDlgItem(IDC_FRAME_KIND_LABEL), on);
    ::EnableWindow(GetDlgItem(IDC_FRAME_KIND), on);
    m_layout.PageFrame = on ? 1 : 0;
}

void CLayoutDetailDlg::RefreshOrderIcons() {
    int row = g_pages.Current->Orientation == 2 ? 1 : 0;
    for (const OrderIcons& b : TwoUpIcons) SetButtonIcon(m_hWnd, b.Button, b.Normal[row]);
    for (const OrderIcons& b : FourUpIcons) SetButtonIcon(m_hWnd, b.Button, b.Normal[row]);
    const int32_t two = m_layout.TwoUpOrder, four = m_layout.FourUpOrder;
    if (two == 0 || two == 1) SetButtonIcon(m_hWnd, TwoUpIcons[two].Button, TwoUpIcons[two].Chosen[row]);
    if (four >= 0 && four < 4) SetButtonIcon(m_hWnd, FourUpIcons[four].Button, FourUpIcons[four].Chosen[row]);
}

void CLayoutDetailDlg::SetTwoUpOrder(int32_t order) {
    m_layout.TwoUpOrder = order;
    RefreshOrderIcons();
}

void CLayoutDetailDlg::SetFourUpOrder(int32_t order) {
    m_layout.FourUpOrder = order;
    RefreshOrderIcons();
}

void CLayoutDetailDlg::OnPageFrame() { ApplyFrameSwitch(IsDlgButtonChecked(IDC_PAGE_FRAME) == BST_CHECKED); }

void CLayoutDetailDlg::OnFrameKindChanged() {
    int selected = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_FRAME_KIND, CB_GETCURSEL, 0, 0));
    if (selected >= 0) m_layout.FrameKind = selected;
}

void CLayoutDetailDlg::OnMarginChanged() {
    if (!m_initialised) return;
    std::string text = GetDlgItemText(IDC_MARGIN_EDIT);
    if (KeepDigitsAndOneSign(&text[0])) {
        // Written back only when cut: rewriting an unchanged text would
        // notify again and move the caret while the user types.
        text.resize(strlen(text.c_str()));
        SetDlgItemText(IDC_MARGIN_EDIT, text.c_str());
        SendDlgItemMessageA(m_hWnd, IDC_MARGIN_EDIT, EM_SETSEL, text.size(), text.size());
        SendDlgItemMessageA(m_hWnd, IDC_MARGIN_EDIT, EM_SCROLLCARET, 0, 0);
    }
    UpdateData(true);
}

// Reads the edit, clamps, moves the up-down and shows the value with an
// explicit sign. Returns the value.
int32_t CLayoutDetailDlg::NormaliseMargin() {
    m_marginText = GetDlgItemText(IDC_MARGIN_EDIT);
    int32_t value = ClampMargin(LeadingInteger(m_marginText.c_str()));
    SetSpinPosition(m_hWnd, IDC_MARGIN_SPIN, value);
    char text[16];
    FormatMargin(value, text);
    m_marginText = text;
    SetDlgItemText(IDC_MARGIN_EDIT, text);
    return value;
}

void CLayoutDetailDlg::TakeMargin() { m_layout.BindingMargin = NormaliseMargin(); }

void CLayoutDetailDlg::OnMarginKillFocus() { TakeMargin(); }

void CLayoutDetailDlg::OnSpin(UINT code, int, HWND) {
    if (code != SB_ENDSCROLL) NormaliseMargin();
    Default();
}

void CLayoutDetailDlg::OnReset() {
    m_layout = g_pages.Defaults->Layout;
    for (int button : BindingButtons) CheckDlgButton(button, BST_UNCHECKED);
    CheckBindingSide();
    LoadControls();
    SetDlgItemText(IDC_MARGIN_EDIT, m_marginText.c_str());
}

void CLayoutDetailDlg::OnOK() {
    TakeMargin();
    g_pages.Current->Layout = m_layout;
    EndDialog(IDOK);
}

void CLayoutDetailDlg::OnContextMenu(HWND window, POINT) { ShowContextHelp(window, LayoutDetailHelp); }
