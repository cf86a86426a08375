// Modal dialogs from templates, and dialog data exchange (DDX).
//
//   class NoticeBox : public CDialog {
//   public:
//       NoticeBox(...) : CDialog(IDD_NOTICE_BOX, owner) {}
//   protected:
//       void DoDataExchange(CDataExchange* dx) override {
//           DDX_Control(dx, 2425, IconControl);
//           DDX_Text(dx, 2424, MessageText);
//           DDX_Check(dx, 2423, DontShowAgain);
//       }
//   };
//   NoticeBox box(...);
//   if (box.DoModal() == IDOK) ...
//
// The template is loaded from FrameworkResourceHandle() (QV3810ui itself in
// the library). OK (control 1) and Cancel (control 2, Escape, the close box)
// reach the virtual OnOK and OnCancel through CDialog's message map.
#pragma once

#include <windows.h>

#include <string>

#include "ui/framework/window.h"

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, bool saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    bool m_bSaveAndValidate;  // true: controls -> members; false: members -> controls
    CWnd* m_pDlgWnd;

    // The dialog's control `id`; a missing control fails the exchange.
    HWND PrepareCtrl(int id);
    // Marks the exchange failed (a value did not validate).
    void Fail() { m_failed = true; }
    bool Failed() const { return m_failed; }

private:
    bool m_failed = false;
};

// Edit (or static) text. The buffer form never writes more than `size`
// bytes, terminator included, and cuts a longer text short of a split
// double-byte character.
void DDX_Text(CDataExchange* dx, int id, std::string& value);
void DDX_Text(CDataExchange* dx, int id, char* buffer, int size);
template <size_t N> void DDX_Text(CDataExchange* dx, int id, char (&buffer)[N]) {
    DDX_Text(dx, id, buffer, static_cast<int>(N));
}
// Check box: 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* dx, int id, int& value);
// Selection text of a list box or a combo box (decided by the control's
// class). Saving reads the selected item's text (empty without selection);
// loading selects the first item that begins with `value`, and clears the
// selection for an empty value.
void DDX_LBString(CDataExchange* dx, int id, std::string& value);
// Binds `control` to the dialog's control `id` (wraps it; the control's
// messages stay with the dialog).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    // `owner` may be null: the dialog then has no owner window.
    explicit CDialog(UINT templateId, HWND owner = nullptr);

    // Runs the dialog modally: IDOK, IDCANCEL or what EndDialog was given;
    // -1 when the template is missing or the window cannot be made.
    virtual INT_PTR DoModal();
    void EndDialog(INT_PTR result);

    // Exchanges every member with its control (DoDataExchange); false when a
    // control is missing or a value failed.
    bool UpdateData(bool saveAndValidate = true);

    UINT TemplateId() const { return m_templateId; }
    HWND Owner() const { return m_owner; }

    // Dialog initialisation: loads the members into the controls. Returns
    // TRUE to let the dialog manager set the focus.
    virtual BOOL OnInitDialog();
    // OK: reads the controls back, then ends with IDOK (stays open when the
    // exchange fails).
    virtual void OnOK();
    // Cancel, Escape, the close box: ends with IDCANCEL; reads nothing.
    virtual void OnCancel();

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_templateId;
    HWND m_owner;

    DECLARE_MESSAGE_MAP()

private:
    friend struct FrameworkAccess;
};
