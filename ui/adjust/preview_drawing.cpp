#include "ui/adjust/preview_drawing.h"

#include "engine/color_engine.h"
#include "engine/rdt_mapper.h"
#include "ui/adjust/adjust_rules.h"
#include "ui/common/file_size.h"
#include "ui/common/page_state.h"

#include <utility>

namespace {

MappedPictureHook g_hook = nullptr;
void* g_hookContext = nullptr;

// The halftone stretch, with the brush origin at the control's top-left
// corner on the screen; Windows 95 and 98 have no halftone stretch and take
// the plain color one.
void PrepareStretch(HWND control, HDC dc) {
    RECT window;
    GetWindowRect(control, &window);
    if (!SetStretchBltMode(dc, HALFTONE)) SetStretchBltMode(dc, COLORONCOLOR);
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
    uint64_t size = 0;
    const bool ok = ReadFile(file, head, sizeof head, &read, nullptr) && ReadFileSize(file, size);
    CloseHandle(file);
    return ok && IsCompleteBitmapFile(head, read, size);
}

}  // namespace

std::string ResolvePictureFile(const char* fileName) {
    if (!fileName || !*fileName) return std::string();
    char path[MAX_PATH];
    const DWORD length = SearchPathA(nullptr, fileName, nullptr, sizeof path, path, nullptr);
    if (length == 0 || length >= sizeof path) return std::string();
    return path;
}

BitmapHolder LoadPictureFile(const char* fileName) {
    // Checked and loaded by one resolved path, so that the check sees the
    // file the loader reads.
    const std::string path = ResolvePictureFile(fileName);
    if (path.empty() || !HoldsCompleteBitmap(path.c_str())) return BitmapHolder();
    HANDLE image = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    // Compressed bitmaps make no section; they still load as device bitmaps.
    if (!image) image = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    return BitmapHolder(static_cast<HBITMAP>(image));
}

BitmapHolder LoadPictureResource(int bitmapId) {
    HANDLE image = LoadImageA(g_resourceInstance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0,
                              LR_CREATEDIBSECTION);
    return BitmapHolder(static_cast<HBITMAP>(image));
}

// ---- PreviewPicture -----------------------------------------------------------

bool PreviewPicture::FileStamp::operator==(const FileStamp& o) const {
    return Path == o.Path && Size == o.Size && CompareFileTime(&Written, &o.Written) == 0;
}

void PreviewPicture::SetFile(const char* fileName) {
    const std::string name = fileName ? fileName : "";
    if (name == m_fileName && m_resource == 0) return;
    m_fileName = name;
    m_resource = 0;
    ForgetSource();
}

void PreviewPicture::SetResource(int bitmapId) {
    if (bitmapId == m_resource) return;
    m_fileName.clear();
    m_resource = bitmapId;
    ForgetSource();
}

// The kept source, its stamp and its cells go together.
void PreviewPicture::ForgetSource() {
    m_stamp = {};
    m_source.Reset();
    m_cells.Clear();
}

bool PreviewPicture::CurrentStamp(FileStamp* stamp) const {
    if (m_resource) return true;  // resources do not change
    stamp->Path = ResolvePictureFile(m_fileName.c_str());
    if (stamp->Path.empty()) return false;
    // Size and time of writing, as Windows 95 tells them.
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA(stamp->Path.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) return false;
    FindClose(found);
    stamp->Size = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    stamp->Written = data.ftLastWriteTime;
    return true;
}

BitmapHolder PreviewPicture::Load() {
    if (!m_resource && m_fileName.empty()) return BitmapHolder();
    ++m_loads;
    return m_resource ? LoadPictureResource(m_resource) : LoadPictureFile(m_fileName.c_str());
}

// Makes the mapped section match the kept source in size and row order.
bool PreviewPicture::PrepareSections() {
    DIBSECTION source = {};
    if (GetObjectA(m_source, sizeof source, &source) != static_cast<int>(sizeof source)) return false;
    DIBSECTION mapped = {};
    if (m_mapped && GetObjectA(m_mapped, sizeof mapped, &mapped) == static_cast<int>(sizeof mapped) &&
        mapped.dsBmih.biWidth == source.dsBmih.biWidth && mapped.dsBmih.biHeight == source.dsBmih.biHeight)
        return true;
    m_mapped.Reset();
    BITMAPINFO info = {};
    info.bmiHeader = source.dsBmih;
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = 0;
    info.bmiHeader.biClrUsed = 0;
    info.bmiHeader.biClrImportant = 0;
    void* bits = nullptr;
    m_mapped.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    return m_mapped && bits;
}

void PreviewPicture::Draw(HWND control, const RdtMapper& mapper, int width, int height, HPALETTE palette) {
    WindowDC dc(control);
    if (!dc) return;

    FileStamp stamp;
    const bool present = CurrentStamp(&stamp);
    if (!present) {
        ForgetSource();
        return;
    }
    BitmapHolder single;  // a picture of another kind, loaded for this drawing only
    if (!m_source || !(stamp == m_stamp)) {
        ForgetSource();
        BitmapHolder loaded = Load();
        DIBSECTION section = {};
        if (loaded && GetObjectA(loaded, sizeof section, &section) == static_cast<int>(sizeof section) &&
            section.dsBm.bmBitsPixel == 24 && section.dsBm.bmBits) {
            m_source = std::move(loaded);
            m_stamp = stamp;
        } else {
            single = std::move(loaded);
        }
    }
    const bool kept = m_source && PrepareSections();
    const HBITMAP bitmap = kept ? m_mapped.Get() : single.Get();
    if (!bitmap) return;

    BITMAP bm = {};
    if (!GetObjectA(bitmap, sizeof bm, &bm)) return;

    SelectedPalette selectedPalette(dc, palette);
    if (palette) RealizePalette(dc);

    MemoryDC memory(dc);
    if (!memory) return;
    SelectedObject selected(memory, bitmap);
    if (!selected.Selected()) return;

    if (kept) {
        DIBSECTION source = {};
        GetObjectA(m_source, sizeof source, &source);
        GdiFlush();
        mapper.MapBgrRows(static_cast<const uint8_t*>(source.dsBm.bmBits), source.dsBm.bmWidthBytes,
                          static_cast<uint8_t*>(bm.bmBits), bm.bmWidthBytes, bm.bmWidth, bm.bmHeight, m_cells);
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
