// The Color page (page kind 1002). ColorPropPage itself is one of the
// library's exports (ui/common/page_exports.h).
#pragma once

#include <cstdint>

// Sets every control of the Color page (the last window the page was given)
// from the current settings; does nothing when that window is gone.
void RefreshColorPage();

// Stores `mode` in ColorMode and enables the controls of that mode; in mode
// 4 with a registered setting chosen in list 1057, copies that setting's
// values into Color and Density.
void ApplyColorMode(int32_t mode);
