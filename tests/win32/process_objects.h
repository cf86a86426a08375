// Counts of the process's GDI and USER objects, for leak checks. Where the
// platform reports none (Wine's GetGuiResources answers 0) they are counted
// from the handle tables themselves.
#pragma once

#include <windows.h>

#include <cstdint>

// The entries of the process's shared GDI handle table that are in use.
inline int GdiObjectCount() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported) return static_cast<int>(reported);
    struct Entry {
        uint64_t Object;
        uint32_t Owner;
        uint16_t Unique;
        uint8_t Type;
        uint8_t Flags;
        uint64_t User;
    };
    // TEB -> PEB -> GdiSharedHandleTable; the entries are alike on both ABIs.
    // The PEB is read from the TEB's segment directly (the headers' TEB
    // intrinsics trip GCC's array bounds warning).
    uint8_t* peb;
#if defined(__i386__)
    constexpr size_t TableInPeb = 0x94;
    __asm__("movl %%fs:0x30, %0" : "=r"(peb));
#else
    constexpr size_t TableInPeb = 0xF8;
    __asm__("movq %%gs:0x60, %0" : "=r"(peb));
#endif
    const auto* table = *reinterpret_cast<Entry**>(peb + TableInPeb);
    if (!table) return -1;
    int count = 0;
    for (int i = 0; i < 0x10000; ++i)
        if (table[i].Type) ++count;
    return count;
}

namespace process_objects_detail {
inline BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}
inline BOOL CALLBACK CountTop(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, CountChild, count);
    return TRUE;
}
}  // namespace process_objects_detail

// Windows, menus and icons/cursors of this process. USER handles are small
// even numbers with a generation in the high word; a handle without the
// generation still names its object, so every slot can be probed.
inline int UserObjectCount() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (reported) return static_cast<int>(reported);
    int count = 0;
    EnumWindows(process_objects_detail::CountTop, reinterpret_cast<LPARAM>(&count));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 1, 1);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (uintptr_t slot = 0x20; slot < 0xFFF0; slot += 2) {
        const auto handle = reinterpret_cast<HANDLE>(slot);
        if (IsWindow(static_cast<HWND>(handle))) continue;  // counted above, with their owners
        if (IsMenu(static_cast<HMENU>(handle)) ||
            DrawIconEx(dc, 0, 0, static_cast<HICON>(handle), 1, 1, 0, nullptr, DI_NORMAL))
            ++count;
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return count;
}
