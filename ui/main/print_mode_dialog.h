// The print mode dialog (template 2409): speed priority, standard or high
// quality. Writes PrintMode on OK and shows the extra-memory notice for
// high quality with duplex printing.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/common/records.h"
#include "ui/framework/dialog.h"

class CPrintModeDlg : public CDialog {
    DECLARE_DYNAMIC(CPrintModeDlg)
public:
    explicit CPrintModeDlg(HWND parent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnSpeed() { m_mode = PrintModeSpeed; }
    void OnStandard() { m_mode = PrintModeStandard; }
    void OnQuality() { m_mode = PrintModeHighQuality; }
    void OnContextMenu(HWND window, POINT screen);

    DECLARE_MESSAGE_MAP()

private:
    int32_t m_mode = PrintModeStandard;
};
