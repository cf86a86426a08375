// The Main page (page kind 1001) and the rules between its choices.
#pragma once

#include <windows.h>

#include "ui/common/records.h"

// Fills every control of the Main page `page` from the current settings
// (initialisation, and the Version page's restore of the defaults).
void RefreshMainPage(HWND page);

// ---- rules (paper_rules.cpp), on the current settings and the page's controls

// Normalises the user defined size and rewrites entry 14 of the paper list.
void RebuildCustomEntry(HWND page);
// The scaling text 1026 and the layout icon 1025.
void RefreshScaleAndIcon(HWND page);
// Refills the output size list for the paper position (default slot selected).
void FillOutputList(HWND page, int paperIndex);
// Refills the pages-per-sheet list for the slot, keeping PagesPerSheet when valid.
void FillPagesList(HWND page, int paperIndex, int slot);

void OnPaperSizeChosen(HWND page);
void OnOutputSizeChosen(HWND page);
void OnPagesPerSheetChosen(HWND page);
void OnPaperSourceChosen(HWND page);
void OnMediaTypeChosen(HWND page);
void OnDuplexClicked(HWND page);
// After the print mode dialog ended with OK.
void ApplyPrintModeRule(PrintSettings& settings);
