// The print layout detail dialog (template 2408): binding side and margin,
// page order for two and four pages per sheet, page frame and its kind.
// Edits a working copy of Layout, written to the current settings on OK.
#pragma once

#include <windows.h>

#include <string>

#include "ui/common/records.h"
#include "ui/framework/dialog.h"

class CLayoutDetailDlg : public CDialog {
    DECLARE_DYNAMIC(CLayoutDetailDlg)
public:
    explicit CLayoutDetailDlg(HWND parent = nullptr);

    const LayoutDetail& Working() const { return m_layout; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnBindLeftTop() { m_layout.BindingSide = 0; }
    void OnBindRightBottom() { m_layout.BindingSide = 1; }
    void OnBindLeftBottom() { m_layout.BindingSide = 2; }
    void OnBindRightTop() { m_layout.BindingSide = 3; }
    void OnTwoUp0() { SetTwoUpOrder(0); }
    void OnTwoUp1() { SetTwoUpOrder(1); }
    void OnFourUp0() { SetFourUpOrder(0); }
    void OnFourUp1() { SetFourUpOrder(1); }
    void OnFourUp2() { SetFourUpOrder(2); }
    void OnFourUp3() { SetFourUpOrder(3); }
    void OnPageFrame();
    void OnFrameKindChanged();
    void OnMarginChanged();
    void OnMarginKillFocus();
    void OnSpin(UINT code, int position, HWND bar);
    void OnReset();
    void OnContextMenu(HWND window, POINT screen);

    DECLARE_MESSAGE_MAP()

private:
    void SetTwoUpOrder(int32_t order);
    void SetFourUpOrder(int32_t order);
    void CheckBindingSide();
    void LoadControls();
    void ApplyFrameSwitch(bool on);
    void RefreshOrderIcons();
    int32_t NormaliseMargin();
    void TakeMargin();

    LayoutDetail m_layout = {};
    std::string m_marginText;  // edit 2008
    bool m_initialised = false;
};
