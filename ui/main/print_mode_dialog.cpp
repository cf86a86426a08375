#include "ui/main/print_mode_dialog.h"

#include "ui/common/dialog_toolkit.h"
#include "ui/common/notice_box.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"
#include "ui/main/main_resource.h"

BEGIN_MESSAGE_MAP(CPrintModeDlg, CDialog)
    ON_BN_CLICKED(IDC_MODE_SPEED, OnSpeed)
    ON_BN_CLICKED(IDC_MODE_STANDARD, OnStandard)
    ON_BN_CLICKED(IDC_MODE_QUALITY, OnQuality)
    ON_WM_CONTEXTMENU(OnContextMenu)
END_MESSAGE_MAP()

IMPLEMENT_DYNAMIC(CPrintModeDlg, CDialog)

namespace {
const HelpPair PrintModeHelp[] = {
    {IDC_MODE_SPEED, 0x80135}, {IDC_MODE_STANDARD, 0x80135}, {IDC_MODE_QUALITY, 0x80135},
    {IDOK, HID_OK},            {IDCANCEL, HID_CANCEL},       {0, 0},
};
constexpr int32_t Monochrome = 3;
}  // namespace

CPrintModeDlg::CPrintModeDlg(HWND parent) : CDialog(IDD_PRINT_MODE, parent) {}

BOOL CPrintModeDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const PrintSettings& s = *g_pages.Current;
    // A stored mode the buttons cannot show is shown, and kept, as standard.
    m_mode = s.PrintMode >= 0 && s.PrintMode <= 2 ? s.PrintMode : 0;
    if (s.ColorMode == Monochrome) {
        // Speed priority is not offered in monochrome.
        ::EnableWindow(GetDlgItem(IDC_MODE_SPEED), FALSE);
        if (m_mode == 1) m_mode = 0;
    }
    const int buttons[3] = {IDC_MODE_STANDARD, IDC_MODE_SPEED, IDC_MODE_QUALITY};
    int button = buttons[m_mode];
    CheckDlgButton(button, BST_CHECKED);
    return TRUE;
}

void CPrintModeDlg::OnOK() {
    PrintSettings& s = *g_pages.Current;
    s.PrintMode = m_mode;
    if (s.Duplex == 1 && m_mode == 2 && s.MemoryNotice != 0) ShowMemoryNotice(s);
    EndDialog(IDOK);
}

void CPrintModeDlg::OnContextMenu(HWND window, POINT) { ShowContextHelp(window, PrintModeHelp); }
