// Scroll bars of the color adjustment sheet drawn without visual styles.
#pragma once

#include <windows.h>

#include <initializer_list>

// Turns visual styles off for the page's controls `ids`. A library without
// a common-controls 6 manifest gets classic controls on Windows, but Wine
// styles every scroll bar, and its styled repaint (part of every slider
// step, since setting the position redraws the bar) costs several
// milliseconds, more than the whole preview. Nothing happens where the
// platform has no visual styles.
void UseClassicControls(HWND page, std::initializer_list<int> ids);

// Whether visual styles draw `control` (false where there are none).
bool HasVisualStyle(HWND control);
