// Small owners of device contexts and GDI objects: each releases what it
// holds when it goes out of scope, so every drawing routine gives back all
// it took on every path.
//
// LiveGdiHolders() counts the holders currently holding something; a
// routine that leaks through these holders shows up there even where the
// platform does not report GDI object counts.
#pragma once

#include <windows.h>

#include <utility>

namespace gdi_detail {
inline int g_liveHolders = 0;
}
inline int LiveGdiHolders() { return gdi_detail::g_liveHolders; }

// Device context of a window from GetDC (null window: the screen).
class WindowDC {
public:
    explicit WindowDC(HWND window) : m_window(window), m_dc(GetDC(window)) { Count(+1); }
    ~WindowDC() {
        if (m_dc) ReleaseDC(m_window, m_dc);
        Count(-1);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return m_dc; }
    operator HDC() const { return m_dc; }

private:
    void Count(int d) {
        if (m_dc) gdi_detail::g_liveHolders += d;
    }
    HWND m_window;
    HDC m_dc;
};

// BeginPaint/EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND window) : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
    ~PaintDC() { EndPaint(m_window, &m_paint); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return m_dc; }
    operator HDC() const { return m_dc; }
    const PAINTSTRUCT& Paint() const { return m_paint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint = {};
    HDC m_dc;
};

// A memory device context compatible with `like` (null: the screen).
class MemoryDC {
public:
    explicit MemoryDC(HDC like) : m_dc(CreateCompatibleDC(like)) {
        if (m_dc) ++gdi_detail::g_liveHolders;
    }
    ~MemoryDC() {
        if (m_dc) {
            DeleteDC(m_dc);
            --gdi_detail::g_liveHolders;
        }
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return m_dc; }
    operator HDC() const { return m_dc; }

private:
    HDC m_dc;
};

// Owns a GDI object (bitmap, brush, pen, font, palette) and deletes it.
template <class Handle> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : m_handle(handle) {
        if (m_handle) ++gdi_detail::g_liveHolders;
    }
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle Get() const { return m_handle; }
    operator Handle() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (m_handle) {
            DeleteObject(m_handle);
            --gdi_detail::g_liveHolders;
        }
        m_handle = handle;
        if (m_handle) ++gdi_detail::g_liveHolders;
    }
    Handle Release() {
        if (m_handle) --gdi_detail::g_liveHolders;
        return std::exchange(m_handle, nullptr);
    }

private:
    Handle m_handle = nullptr;
};

using BitmapHolder = GdiObject<HBITMAP>;
using BrushHolder = GdiObject<HBRUSH>;
using PenHolder = GdiObject<HPEN>;
using FontHolder = GdiObject<HFONT>;
using PaletteHolder = GdiObject<HPALETTE>;

// An icon made by LoadImage without LR_SHARED or CreateIcon*. Shared icons
// (LoadIcon) are never destroyed and need no holder.
class IconHolder {
public:
    explicit IconHolder(HICON icon = nullptr) : m_icon(icon) {
        if (m_icon) ++gdi_detail::g_liveHolders;
    }
    ~IconHolder() {
        if (m_icon) {
            DestroyIcon(m_icon);
            --gdi_detail::g_liveHolders;
        }
    }
    IconHolder(const IconHolder&) = delete;
    IconHolder& operator=(const IconHolder&) = delete;
    HICON Get() const { return m_icon; }
    operator HICON() const { return m_icon; }

private:
    HICON m_icon;
};

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (m_old) SelectObject(m_dc, m_old);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    bool Selected() const { return m_old != nullptr && m_old != HGDI_ERROR; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// Selects a palette (foreground unless `background`) and puts the previous
// one back.
class SelectedPalette {
public:
    SelectedPalette(HDC dc, HPALETTE palette, bool background = false)
        : m_dc(dc), m_old(palette ? SelectPalette(dc, palette, background) : nullptr) {}
    ~SelectedPalette() {
        if (m_old) SelectPalette(m_dc, m_old, FALSE);
    }
    SelectedPalette(const SelectedPalette&) = delete;
    SelectedPalette& operator=(const SelectedPalette&) = delete;

private:
    HDC m_dc;
    HPALETTE m_old;
};

// Keeps a device context's background color and puts it back.
class SavedBkColor {
public:
    explicit SavedBkColor(HDC dc) : m_dc(dc), m_color(GetBkColor(dc)) {}
    ~SavedBkColor() { SetBkColor(m_dc, m_color); }
    SavedBkColor(const SavedBkColor&) = delete;
    SavedBkColor& operator=(const SavedBkColor&) = delete;

private:
    HDC m_dc;
    COLORREF m_color;
};
