// Property pages and modal property sheets.
//
//   class CColPS : public CPropertySheet {
//   public:
//       CColPS(UINT caption, int* initialPage, HWND parent, HWND colorPage)
//           : CPropertySheet(caption, parent) { ...; AddPage(&m_colorPage); AddPage(&m_densityPage); }
//   protected:
//       BOOL OnInitDialog() override { CPropertySheet::OnInitDialog(); SetActivePage(*m_initial); return TRUE; }
//       void OnAccept() { ...copy the working values...; EndDialog(IDOK); }
//       DECLARE_MESSAGE_MAP()        // ON_COMMAND(IDOK, OnAccept)
//   };
//
// The sheet owns its modal loop. Its window sees OK (the OK button and
// Enter), Cancel (the Cancel button and Escape) and the close box through
// its own message map before the common controls do, so OK is handled
// exactly once, by the sheet: CPropertySheet::OnOK asks the current page to
// let go (OnKillActive), then calls OnApply of every page whose window
// exists, once each, and ends with IDOK. A sheet that maps IDOK itself
// decides alone. The Apply button is off (PSH_NOAPPLYNOW) unless a caller
// clears it in m_psh before DoModal.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <vector>

#include "ui/framework/dialog.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    // `captionId` 0 takes the title of the template.
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);

    PROPSHEETPAGEA m_psp;  // filled by the constructor; the sheet sets the procedures
    CPropertySheet* Sheet() const { return m_sheet; }

    // The page becomes the current one: TRUE accepts. The first activation
    // follows OnInitDialog; later ones load the members into the controls.
    virtual BOOL OnSetActive();
    // The page stops being the current one (another page, or OK): reads the
    // controls back; FALSE keeps the page.
    virtual BOOL OnKillActive();
    // Called by the sheet's OK once per page with a window: OnOK, then TRUE.
    virtual BOOL OnApply();
    // The page's part of OK (nothing by default; a page never ends the sheet).
    void OnOK() override {}
    // The sheet is cancelled: OnCancel.
    virtual void OnReset();
    void OnCancel() override {}

    INT_PTR DoModal() override { return -1; }  // pages run inside a sheet

protected:
    void OnNotifySetActive(NMHDR*, LRESULT* result);
    void OnNotifyKillActive(NMHDR*, LRESULT* result);
    void OnNotifyApply(NMHDR*, LRESULT* result);
    void OnNotifyReset(NMHDR*, LRESULT* result);
    void OnIgnoredCommand() {}
    DECLARE_MESSAGE_MAP()

private:
    friend class CPropertySheet;
    friend struct FrameworkAccess;
    CPropertySheet* m_sheet = nullptr;
    bool m_firstSetActive = true;
};

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    // The caption is string `captionId` of FrameworkResourceHandle().
    explicit CPropertySheet(UINT captionId, HWND parent = nullptr, UINT selectPage = 0);

    // Pages appear in the order they are added; the sheet does not own them.
    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const { return GetPage(GetActiveIndex()); }
    bool SetActivePage(int index);

    // Runs the sheet modally: IDOK or IDCANCEL (or what EndDialog was
    // given); -1 when it could not be made.
    INT_PTR DoModal();
    // Ends the modal loop with `result` once the current message is handled.
    void EndDialog(INT_PTR result);

    PROPSHEETHEADERA m_psh;  // flags may be changed before DoModal

    // After the sheet and its first page exist, before the user sees them.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK();
    virtual void OnCancel();

protected:
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    friend struct FrameworkAccess;
    std::vector<CPropertyPage*> m_pages;
    UINT m_captionId;
    char m_caption[256] = {};
    bool m_ended = false;
    INT_PTR m_result = IDCANCEL;
};
