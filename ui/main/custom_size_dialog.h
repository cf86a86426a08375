// The user defined paper size dialog (template 2407): width and length in
// 0.1 mm or 0.01 inch steps within the printer's limits, and the direction
// in which the sheet is set. Writes CustomUnit, CustomWidth and
// CustomLength of the current settings on OK only.
#pragma once

#include <windows.h>

#include <string>

#include "ui/framework/dialog.h"

class CCustomSizeDlg : public CDialog {
    DECLARE_DYNAMIC(CCustomSizeDlg)
public:
    explicit CCustomSizeDlg(HWND parent = nullptr);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnUnitClicked();
    void OnWidthUpdate();
    void OnLengthUpdate();
    void OnWidthKillFocus();
    void OnLengthKillFocus();
    void OnSpin(UINT code, int position, HWND bar);
    void OnContextMenu(HWND window, POINT screen);

    DECLARE_MESSAGE_MAP()

private:
    bool Inches() const { return m_unit == 1; }
    void SetUpUnit(double widthMm, double lengthMm);
    void ShowValues();
    void FilterText(int editId, std::string& text);
    void PositionsFromTexts();
    void TakeValue(int editId, int spinId, bool isLength);
    void ValuesFromPositions(int changedSpinId);
    void ShowDirection();
    void SetEditText(int editId, std::string& member, const char* text);
    int Position(int spinId) const;
    void SetPosition(int spinId, int position);

    int m_unit = -1;  // 0 millimetres, 1 inches
    double m_widthMm = 0;
    double m_lengthMm = 0;
    std::string m_widthText;   // edit 2066
    std::string m_lengthText;  // edit 2009
    // Set while the dialog itself writes the edits, so that only typing
    // runs the text filter.
    bool m_writing = false;
};
