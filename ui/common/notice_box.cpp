#include "ui/common/notice_box.h"

#include "ui/common/dialog_toolkit.h"
#include "ui/common/resource.h"

IMPLEMENT_DYNAMIC(NoticeBox, CDialog)

NoticeBox::NoticeBox(const char* message, const char* caption, HICON icon, HWND owner)
    : CDialog(IDD_NOTICE_BOX, owner),
      MessageText(message ? message : ""),
      IconHandle(icon),
      NoticeCaption(caption ? caption : "") {}

void NoticeBox::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_NOTICE_ICON, IconControl);
    DDX_Text(dx, IDC_NOTICE_TEXT, MessageText);
    DDX_Check(dx, IDC_NOTICE_CHECK, DontShowAgain);
}

BOOL NoticeBox::OnInitDialog() {
    CDialog::OnInitDialog();
    IconControl.SetIcon(IconHandle);
    SetWindowText(NoticeCaption.c_str());
    UpdateData(false);
    return TRUE;
}

void NoticeBox::OnOK() { CDialog::OnOK(); }

INT_PTR ShowMemoryNotice(PrintSettings& settings) {
    const std::string text = LoadResourceString(IDS_MEMORY_NOTICE);
    NoticeBox box(text.c_str(), "QV3810UI", LoadIconA(nullptr, IDI_EXCLAMATION), nullptr);
    const INT_PTR result = box.DoModal();
    if (box.DontShowAgain == 1) settings.MemoryNotice = 0;
    return result;
}
