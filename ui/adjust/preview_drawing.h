// Drawing of the color adjustment page: pictures passed through the
// rendering data table, and plain stretched bitmaps.
#pragma once

#include <windows.h>

#include "ui/common/gdi_holders.h"

class RdtMapper;

// A picture loaded as a device-independent section: a bitmap file by name,
// or a bitmap resource of the library. Null when it cannot be loaded.
BitmapHolder LoadPictureFile(const char* fileName);
BitmapHolder LoadPictureResource(int bitmapId);

// Maps every pixel of `bitmap` through the table in place (whole rows at a
// time for 24-bit sections, one pixel at a time through `memory`, the
// context holding it, for any other bitmap), then stretches it into the
// control's client area at 0,0 with the halftone mode. A width or height of
// 0 stands for the bitmap's own. `palette` is selected and realised when
// not null. A null bitmap draws nothing.
void DrawThroughTable(HWND control, HBITMAP bitmap, const RdtMapper& mapper, int width, int height,
                      HPALETTE palette);

// Stretches bitmap `bitmapId` over the control's whole window size, with no
// color transform.
void DrawStretchedResource(HWND control, int bitmapId, HPALETTE palette);

// Called after the mapping, before the stretch (tests).
using MappedPictureHook = void (*)(HWND control, HDC memory, HBITMAP bitmap, void* context);
void SetMappedPictureHook(MappedPictureHook hook, void* context);
