#include "host/capture.h"

#include <vector>

#include "fileio/image_io.h"

namespace {

struct WindowDc {
    HWND Window;
    HDC Dc;
    explicit WindowDc(HWND w) : Window(w), Dc(GetWindowDC(w)) {}
    ~WindowDc() {
        if (Dc) ReleaseDC(Window, Dc);
    }
};

struct MemoryDc {
    HDC Dc;
    explicit MemoryDc(HDC like) : Dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() {
        if (Dc) DeleteDC(Dc);
    }
};

struct Bitmap {
    HBITMAP Handle;
    explicit Bitmap(HBITMAP h) : Handle(h) {}
    ~Bitmap() {
        if (Handle) DeleteObject(Handle);
    }
};

}  // namespace

bool SaveWindowPng(HWND window, const std::string& path, std::string* error) {
    std::string reason;
    if (!error) error = &reason;
    RECT r;
    if (!IsWindow(window) || !GetWindowRect(window, &r)) {
        *error = "the window is gone";
        return false;
    }
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) {
        *error = "the window has no area";
        return false;
    }
    *error = "the display gave no picture of the window";
    WindowDc source(window);
    MemoryDc memory(source.Dc);
    if (!source.Dc || !memory.Dc) return false;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    Bitmap dib(CreateDIBSection(memory.Dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib.Handle) return false;
    HGDIOBJ old = SelectObject(memory.Dc, dib.Handle);
    BOOL copied = BitBlt(memory.Dc, 0, 0, w, h, source.Dc, 0, 0, SRCCOPY);
    GdiFlush();
    SelectObject(memory.Dc, old);
    if (!copied) return false;

    std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
    const auto* bgra = static_cast<const unsigned char*>(bits);
    for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i) {
        rgb[i * 3 + 0] = bgra[i * 4 + 2];
        rgb[i * 3 + 1] = bgra[i * 4 + 1];
        rgb[i * 3 + 2] = bgra[i * 4 + 0];
    }
    return WriteImageFile(path, ImageFormat::Png, w, h, rgb.data(), *error);
}
