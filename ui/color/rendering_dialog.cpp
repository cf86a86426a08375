#include "ui/color/rendering_dialog.h"

#include "ui/color/color_resource.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"

namespace {

const HelpPair RenderingHelp[] = {
    {IDC_RENDER_VIVID, 0x80153}, {IDC_RENDER_CONTRAST, 0x80153}, {IDC_RENDER_COLORIMETRIC, 0x80153},
    {IDOK, HID_OK},              {IDCANCEL, HID_CANCEL},         {IDC_RESET_DEFAULTS, HID_RESET_DEFAULTS},
    {0, 0},
};

}  // namespace

BEGIN_MESSAGE_MAP(ColorRenderingDialog, CDialog)
    ON_BN_CLICKED(IDC_RENDER_VIVID, OnVivid)
    ON_BN_CLICKED(IDC_RENDER_CONTRAST, OnContrast)
    ON_BN_CLICKED(IDC_RENDER_COLORIMETRIC, OnColorimetric)
    ON_BN_CLICKED(IDC_RESET_DEFAULTS, OnReset)
    ON_WM_CONTEXTMENU(OnContextMenu)
END_MESSAGE_MAP()

ColorRenderingDialog::ColorRenderingDialog() : CDialog(IDD_COLOR_RENDERING, nullptr) {}

BOOL ColorRenderingDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    RenderingValue = g_pages.Current->Rendering;
    CheckRadios();
    return TRUE;
}

void ColorRenderingDialog::CheckRadios() {
    const int checked = RenderingValue == 1   ? IDC_RENDER_VIVID
                        : RenderingValue == 2 ? IDC_RENDER_CONTRAST
                                              : IDC_RENDER_COLORIMETRIC;
    for (int id : {IDC_RENDER_VIVID, IDC_RENDER_CONTRAST, IDC_RENDER_COLORIMETRIC})
        CheckDlgButton(id, id == checked ? BST_CHECKED : BST_UNCHECKED);
}

void ColorRenderingDialog::OnReset() {
    RenderingValue = g_pages.Defaults->Rendering;
    CheckRadios();
}

void ColorRenderingDialog::OnOK() {
    g_pages.Current->Rendering = RenderingValue;
    EndDialog(IDOK);
}

void ColorRenderingDialog::OnContextMenu(HWND window, POINT) { ShowContextHelp(window, RenderingHelp); }
