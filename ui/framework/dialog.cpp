#include "ui/framework/dialog.h"

#include <cstring>
#include <vector>

#include "ui/common/shift_jis.h"
#include "ui/framework/app_state.h"
#include "ui/framework/framework_access.h"

namespace {

// The longest prefix of `text` of at most `limit` bytes that does not end
// inside a double-byte character.
size_t WholeCharsPrefix(const std::string& text, size_t limit) {
    size_t i = 0;
    while (i < text.size()) {
        size_t step = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        if (i + step > limit) break;
        i += step;
    }
    return i;
}

std::string WindowText(HWND window) {
    CWnd w(window);
    std::string text = w.GetWindowText();
    w.Detach();
    return text;
}

bool IsComboBox(HWND control) {
    char name[32] = {};
    GetClassNameA(control, name, sizeof name);
    return lstrcmpiA(name, "ComboBox") == 0;
}

}  // namespace

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, id) : nullptr;
    if (!control) Fail();
    return control;
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate)
        value = WindowText(control);
    else
        SetWindowTextA(control, value.c_str());
}

void DDX_Text(CDataExchange* dx, int id, char* buffer, int size) {
    HWND control = dx->PrepareCtrl(id);
    if (!control || !buffer || size <= 0) return;
    if (dx->m_bSaveAndValidate) {
        std::string text = WindowText(control);
        size_t n = WholeCharsPrefix(text, static_cast<size_t>(size) - 1);
        text.copy(buffer, n);
        buffer[n] = '\0';
    } else {
        std::string text(buffer, strnlen(buffer, static_cast<size_t>(size)));
        SetWindowTextA(control, text.c_str());
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_LBString(CDataExchange* dx, int id, std::string& value) {
    HWND control = dx->PrepareCtrl(id);
    if (!control) return;
    const bool combo = IsComboBox(control);
    if (dx->m_bSaveAndValidate) {
        if (combo) {
            CComboBox box;
            box.Attach(control);
            int index = box.GetCurSel();
            value = index < 0 ? std::string() : box.GetLBText(index);
            box.Detach();
        } else {
            CListBox box;
            box.Attach(control);
            int index = box.GetCurSel();
            value = index < 0 ? std::string() : box.GetText(index);
            box.Detach();
        }
    } else if (value.empty()) {
        SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    } else {
        SendMessageA(control, combo ? CB_SELECTSTRING : LB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(value.c_str()));
    }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    HWND window = dx->PrepareCtrl(id);
    if (window && control.m_hWnd != window) control.Attach(window);
}

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, HWND owner) : m_templateId(templateId), m_owner(owner) {}

INT_PTR CDialog::DoModal() {
    FrameworkAccess::Hook(this, false);
    INT_PTR result = DialogBoxParamA(FrameworkResourceHandle(), MAKEINTRESOURCEA(m_templateId), m_owner,
                                     FrameworkDialogProc, reinterpret_cast<LPARAM>(this));
    FrameworkAccess::Unhook();
    return result;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    return CWnd::WindowProc(message, wParam, lParam);
}

INT_PTR CALLBACK FrameworkDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(window)) return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog || !FrameworkAccess::Subclass(dialog, window)) return TRUE;
    return FrameworkAccess::Dispatch(dialog, message, wParam, lParam);
}
