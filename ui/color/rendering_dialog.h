// The color rendering dialog (template 2404): one of three rendering intents
// for color matching, stored in Rendering of the current settings on OK.
#pragma once

#include <cstdint>

#include "ui/framework/dialog.h"

class ColorRenderingDialog : public CDialog {
public:
    ColorRenderingDialog();

    // 1 vividness, 2 contrast, 3 colorimetric; any other value shows as 3.
    int32_t RenderingValue = 0;

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;

    void OnVivid() { RenderingValue = 1; }
    void OnContrast() { RenderingValue = 2; }
    void OnColorimetric() { RenderingValue = 3; }
    void OnReset();
    void OnContextMenu(HWND window, POINT screen);

    DECLARE_MESSAGE_MAP()

private:
    void CheckRadios();
};
