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
}  // namespace

CPrintModeDlg::CPrintModeDlg(HWND parent) : CDialog(IDD_PRINT_MODE, parent) {}

BOOL CPrintModeDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const PrintSettings& s = *g_pages.Current;
    // A stored mode the buttons cannot show is shown as standard and kept
    // until the user picks one.
    m_mode = s.PrintMode;
    if (s.ColorMode == ColorModeMonochrome) {
        // Speed priority is not offered in monochrome.
        ::EnableWindow(GetDlgItem(IDC_MODE_SPEED), FALSE);
        if (m_mode == PrintModeSpeed) m_mode = PrintModeStandard;
    }
    const int buttons[3] = {IDC_MODE_STANDARD, IDC_MODE_SPEED, IDC_MODE_QUALITY};  // by mode
    CheckDlgButton(m_mode >= 0 && m_mode <= 2 ? buttons[m_mode] : IDC_MODE_STANDARD, BST_CHECKED);
    return TRUE;
}

void CPrintModeDlg::OnOK() {
    PrintSettings& s = *g_pages.Current;
    s.PrintMode = m_mode;
    if (s.Duplex == 1 && m_mode == PrintModeHighQuality && s.MemoryNotice != 0) ShowMemoryNotice(s);
    EndDialog(IDOK);
}

void CPrintModeDlg::OnContextMenu(HWND window, POINT) { ShowContextHelp(window, PrintModeHelp); }
