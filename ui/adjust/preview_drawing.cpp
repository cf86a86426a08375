#include "ui/adjust/preview_drawing.h"

#include "engine/color_engine.h"
#include "engine/rdt_mapper.h"
#include "ui/adjust/adjust_rules.h"
#include "ui/common/page_state.h"

namespace {

MappedPictureHook g_hook = nullptr;
void* g_hookContext = nullptr;

// The halftone stretch of step 6 and 7, with the brush origin at the
// control's top-left corner on the screen.
void PrepareStretch(HWND control, HDC dc) {
    RECT window;
    GetWindowRect(control, &window);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, window.left, window.top, nullptr);
}

void MapPixelByPixel(HDC memory, int width, int height) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = GetPixel(memory, x, y);
            if (c == CLR_INVALID) continue;
            uint8_t r, g, b;
            MapThroughRdt(GetRValue(c), GetGValue(c), GetBValue(c), &r, &g, &b);
            SetPixelV(memory, x, y, RGB(r, g, b));
        }
    }
}

// Reads the file's headers so that a truncated or foreign file is never
// handed to the loader.
bool HoldsCompleteBitmap(const char* fileName) {
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    uint8_t head[BitmapHeadBytes] = {};
    DWORD read = 0;
    LARGE_INTEGER size = {};
    const bool ok = ReadFile(file, head, sizeof head, &read, nullptr) && GetFileSizeEx(file, &size);
    CloseHandle(file);
    return ok && IsCompleteBitmapFile(head, read, static_cast<uint64_t>(size.QuadPart));
}

}  // namespace

BitmapHolder LoadPictureFile(const char* fileName) {
    if (!fileName || !HoldsCompleteBitmap(fileName)) return BitmapHolder();
    const UINT flags = LR_LOADFROMFILE | LR_DEFAULTSIZE;
    HANDLE image = LoadImageA(nullptr, fileName, IMAGE_BITMAP, 0, 0, flags | LR_CREATEDIBSECTION);
    // Compressed bitmaps make no section; they still load as device bitmaps.
    if (!image) image = LoadImageA(nullptr, fileName, IMAGE_BITMAP, 0, 0, flags);
    return BitmapHolder(static_cast<HBITMAP>(image));
}

BitmapHolder LoadPictureResource(int bitmapId) {
    HANDLE image = LoadImageA(g_resourceInstance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0,
                              LR_CREATEDIBSECTION);
    return BitmapHolder(static_cast<HBITMAP>(image));
}

void DrawThroughTable(HWND control, HBITMAP bitmap, const RdtMapper& mapper, int width, int height,
                      HPALETTE palette) {
    WindowDC dc(control);
    if (!bitmap || !dc) return;

    DIBSECTION section = {};
    const int got = GetObjectA(bitmap, sizeof section, &section);
    if (got < static_cast<int>(sizeof(BITMAP))) return;
    const BITMAP& bm = section.dsBm;
    const bool isSection = got == static_cast<int>(sizeof section);

    SelectedPalette selectedPalette(dc, palette);
    if (palette) RealizePalette(dc);

    MemoryDC memory(dc);
    if (!memory) return;
    SelectedObject selected(memory, bitmap);
    if (!selected.Selected()) return;

    if (isSection && bm.bmBitsPixel == 24 && bm.bmBits) {
        GdiFlush();
        auto* bits = static_cast<uint8_t*>(bm.bmBits);
        mapper.MapBgrRows(bits, bm.bmWidthBytes, bits, bm.bmWidthBytes, bm.bmWidth, bm.bmHeight);
    } else {
        MapPixelByPixel(memory, bm.bmWidth, bm.bmHeight);
    }
    if (g_hook) g_hook(control, memory, bitmap, g_hookContext);

    PrepareStretch(control, dc);
    StretchBlt(dc, 0, 0, width ? width : bm.bmWidth, height ? height : bm.bmHeight, memory, 0, 0, bm.bmWidth,
               bm.bmHeight, SRCCOPY);
}

void DrawStretchedResource(HWND control, int bitmapId, HPALETTE palette) {
    BitmapHolder bitmap = LoadPictureResource(bitmapId);
    WindowDC dc(control);
    if (!bitmap || !dc) return;
    BITMAP bm = {};
    if (!GetObjectA(bitmap, sizeof bm, &bm)) return;
    RECT window;
    GetWindowRect(control, &window);

    SelectedPalette selectedPalette(dc, palette);
    if (palette) RealizePalette(dc);
    MemoryDC memory(dc);
    if (!memory) return;
    SelectedObject selected(memory, bitmap);
    if (!selected.Selected()) return;
    PrepareStretch(control, dc);
    StretchBlt(dc, 0, 0, window.right - window.left, window.bottom - window.top, memory, 0, 0, bm.bmWidth,
               bm.bmHeight, SRCCOPY);
}

void SetMappedPictureHook(MappedPictureHook hook, void* context) {
    g_hook = hook;
    g_hookContext = context;
}
