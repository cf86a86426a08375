// The Option page handler's control loading, also run by the Version page's
// restore of the defaults.
#pragma once

#include <windows.h>

// Loads every control of the Option page `page` from the current settings,
// re-applying the rule of box 1072 (which may set Option1072Off to 0).
void LoadOptionPage(HWND page);
