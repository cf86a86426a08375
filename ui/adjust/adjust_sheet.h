// The color adjustment sheet: a modal property sheet with the color
// adjustment page (live preview through the rendering data table) when the
// job's color mode is the user setting, and the density page always. The
// pages edit working copies of the current settings' Color and Density; the
// sheet's OK writes both back, Cancel and the close box write nothing.
#pragma once

#include <windows.h>

#include <memory>

#include "engine/rdt_mapper.h"
#include "ui/adjust/adjust_rules.h"
#include "ui/adjust/preview_drawing.h"
#include "ui/common/gdi_holders.h"
#include "ui/common/records.h"
#include "ui/framework/framework.h"

class CColcndPP : public CPropertyPage {
    DECLARE_DYNCREATE(CColcndPP)
public:
    CColcndPP();

    BOOL OnInitDialog() override;
    BOOL OnKillActive() override;

    // Scrollbars 2039, 2040, 2042, 2044, 2045, 2046 and lists 2004, 2117,
    // bound at initialisation.
    CScrollBar m_brightBar;
    CScrollBar m_fullnessBar;
    CScrollBar m_contrastBar;
    CScrollBar m_cyanRedBar;
    CScrollBar m_magentaGreenBar;
    CScrollBar m_yellowBlueBar;
    CComboBox m_sampleList;
    CComboBox m_baseColorList;
    int32_t m_layoutDone = 0;
    ColorAdjustment m_color = {};
    int32_t m_paletteFlag = 0;
    PaletteHolder m_palette;  // halftone palette of a palette display

protected:
    int OnCreate(CREATESTRUCTA* create);
    void OnPaint();
    void OnHScroll(UINT code, int position, HWND bar);
    void OnSampleChanged();
    void OnBaseColorChanged();
    void OnResetDefaults();
    void OnContextMenu(HWND window, POINT screen);
    DECLARE_MESSAGE_MAP()

private:
    void LoadControls();
    void LayOut();
    // BuildRdt from the working values; the drawings that follow read this
    // build through m_mapper.
    void RebuildTable();
    void DrawSample();
    void DrawSwatch();
    void DrawGradientBars();

    std::unique_ptr<RdtMapper> m_mapper;
    PreviewPicture m_sample;
    PreviewPicture m_swatch;
};

class CColgnmPP : public CPropertyPage {
    DECLARE_DYNCREATE(CColgnmPP)
public:
    CColgnmPP();

    BOOL OnInitDialog() override;
    BOOL OnKillActive() override;

    // Scrollbars 2047, 2049, 2050, 2051, bound at initialisation.
    CScrollBar m_blackBar;
    CScrollBar m_cyanBar;
    CScrollBar m_magentaBar;
    CScrollBar m_yellowBar;
    int32_t m_barsSized = 0;
    DensityAdjustment m_density = {};

protected:
    void OnPaint();
    void OnSwitchToggled();
    void OnHScroll(UINT code, int position, HWND bar);
    void OnResetDefaults();
    void OnContextMenu(HWND window, POINT screen);
    DECLARE_MESSAGE_MAP()

private:
    void LoadControls();
    void ApplyEnabling();
};

class CColPS : public CPropertySheet {
    DECLARE_DYNAMIC(CColPS)
public:
    // Starts from copies of the current settings' Color and Density; the
    // color page is added only in the user-setting color mode. The Color
    // page's window is accepted for the opener's sake and not kept.
    CColPS(UINT captionId, int* initialPage, HWND parent, HWND colorPage);

    BOOL OnInitDialog() override;

    int* m_initialPage;
    CColcndPP m_colorPage;
    CColgnmPP m_densityPage;

protected:
    void OnAccept();
    DECLARE_MESSAGE_MAP()
};

// Builds the sheet as the Color page's adjustment button does and runs it
// modally; true when it ended with OK (the settings are then written).
bool RunColorAdjustmentSheet(HWND colorPage);

// ---- for tests and the benchmark --------------------------------------------

// Where the first paint of the last color page put its frames, in pixels.
const ColorPageLayout& CurrentColorPageLayout();

// Called by the preview after mapping a picture through the table and before
// stretching it: the control drawn into and the memory context holding the
// mapped bitmap. Null removes it.
using PreviewMappedHook = void (*)(HWND control, HDC memory, HBITMAP bitmap, void* context);
void SetPreviewMappedHook(PreviewMappedHook hook, void* context);

// How many times the color page has built the table since the process
// started (each build precedes a preview drawing).
long PreviewTableBuilds();
