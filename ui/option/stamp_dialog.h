// The stamp dialog (template 2403): which stamp prints over every page,
// where, in which color, density and size, with a live preview. Works on a
// copy of the current settings' Stamp and writes it back only on OK.
#pragma once

#include <windows.h>

#include "ui/common/gdi_holders.h"
#include "ui/common/records.h"
#include "ui/framework/dialog.h"

class CStampDlg : public CDialog {
    DECLARE_DYNAMIC(CStampDlg)
public:
    explicit CStampDlg(HWND owner = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The working copy, as the controls have set it so far.
    const StampSettings& Working() const { return m_work; }
    bool PaletteMode() const { return m_paletteMode; }
    HPALETTE Palette() const { return m_palette.Get(); }

protected:
    int OnCreate(CREATESTRUCTA* create);
    void OnPaint();
    void OnSwitchClicked();
    void OnStampChosen();
    void OnPositionChosen();
    void OnColorChosen();
    void OnHScroll(UINT code, int position, HWND bar);
    void OnOutlineClicked();
    void OnRegisterClicked();
    void OnResetClicked();
    void OnContextMenu(HWND window, POINT screen);

    DECLARE_MESSAGE_MAP()

private:
    void LoadControls();  // everything after copying in the working copy
    void ApplySwitchRule(bool on);
    void EnableColorGroup(bool on);
    void FillStampList();
    void SelectStampStep();
    void RebuildPalette();
    void DrawPreview();

    StampSettings m_work = {};
    bool m_paletteMode = false;
    PaletteHolder m_palette;
};
