// The color adjustment sheet as the Color page opens it (button 1041):
// caption string 5004, no Apply button, no owner window; in color mode 4 the
// color adjustment page and the density page, otherwise the density page
// alone. It works on copies of Color and Density of g_pages.Current and
// writes them back on OK. Built with the sheet (ui/adjust).
#pragma once

#include <windows.h>

// Runs the sheet modally for the Color page `colorPage`; true when it ended
// with OK.
bool RunColorAdjustmentSheet(HWND colorPage);
