#include "ui/common/dialog_toolkit.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "ui/common/gdi_holders.h"
#include "ui/common/host_controls.h"
#include "ui/common/page_state.h"

namespace {

// A table that lost its end entry stops here instead of reading on.
constexpr int MaxListEntries = 255;

COLORREF g_fillColor = 0x00C0C0C0;
HelpFunction g_help = WinHelpA;

constexpr COLORREF White = RGB(255, 255, 255);

struct ListMessages {
    UINT Reset, Add, Select;
};
constexpr ListMessages ComboMessages = {CB_RESETCONTENT, CB_ADDSTRING, CB_SETCURSEL};
constexpr ListMessages ListBoxMessages = {LB_RESETCONTENT, LB_ADDSTRING, LB_SETCURSEL};

const ListMessages& MessagesFor(HWND list) {
    char name[32] = {};
    GetClassNameA(list, name, sizeof name);
    return lstrcmpiA(name, "ComboBox") == 0 ? ComboMessages : ListBoxMessages;
}

// Position change of the scroll codes 0 to 3 (line and page, left and right).
constexpr int ScrollSteps[] = {-1, +1, -5, +5};

BitmapHolder LoadLibraryBitmap(int bitmapId) {
    return BitmapHolder(LoadBitmapA(g_resourceInstance, MAKEINTRESOURCEA(bitmapId)));
}

bool BitmapSize(HBITMAP bitmap, int& width, int& height) {
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return false;
    width = info.bmWidth;
    height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    return width > 0 && height > 0;
}

// Fills (when asked) and draws a bitmap the caller lets us change.
void DrawFilledInPlace(HDC target, HBITMAP bitmap, bool fill, bool stretch, int width, int height) {
    int w, h;
    if (!BitmapSize(bitmap, w, h)) return;
    MemoryDC memory(target);
    if (!memory) return;
    SelectedObject selected(memory, bitmap);
    if (fill) {
        BrushHolder brush(CreateSolidBrush(g_fillColor));
        SelectedObject brushSelected(memory, brush);
        ExtFloodFill(memory, 0, 0, White, FLOODFILLSURFACE);
    }
    if (stretch)
        StretchBlt(target, 0, 0, width, height, memory, 0, 0, w, h, SRCCOPY);
    else
        BitBlt(target, 0, 0, w, h, memory, 0, 0, SRCCOPY);
}

}  // namespace

int ListTableCount(const ListEntry* table) {
    int count = 0;
    while (table && count < MaxListEntries && !IsListEnd(table[count])) ++count;
    return count;
}

int FillListFromTable(HWND list, const ListEntry* table) {
    if (!list || !table) return 0;
    const ListMessages& m = MessagesFor(list);
    SendMessageA(list, m.Reset, 0, 0);
    const int count = ListTableCount(table);
    for (int i = 0; i < count; ++i) {
        char text[ListEntryBytes + 1] = {};
        std::copy(table[i].Text, table[i].Text + ListEntryBytes, text);
        SendMessageA(list, m.Add, 0, reinterpret_cast<LPARAM>(text));
    }
    const int selected = count < MaxListEntries ? ListDefaultPosition(table[count]) : -1;
    SendMessageA(list, m.Select, static_cast<WPARAM>(selected < 0 ? -1 : selected), 0);
    return count;
}

int FillListFromTable(HWND dialog, int listId, const ListEntry* table) {
    return FillListFromTable(GetDlgItem(dialog, listId), table);
}

std::string ComboItemText(HWND combo, int index) {
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
    if (index < 0 || length == CB_ERR) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::vector<std::string> ComboItemTexts(HWND combo) {
    std::vector<std::string> texts;
    const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) texts.push_back(ComboItemText(combo, i));
    return texts;
}

int StepScrollPosition(int code, int thumb, HWND bar) {
    int position = GetScrollPos(bar, SB_CTL);
    int low = 0, high = 0;
    GetScrollRange(bar, SB_CTL, &low, &high);
    if (code >= 0 && code < static_cast<int>(std::size(ScrollSteps)))
        position += ScrollSteps[code];
    else if (code == SB_THUMBPOSITION)
        position = thumb;
    return std::clamp(position, std::min(low, high), std::max(low, high));
}

void SetSpinRange(HWND dialog, int spinId, int low, int high) {
    SendDlgItemMessageA(dialog, spinId, UDM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(high), static_cast<WORD>(low)));
}

void SetSpinPosition(HWND dialog, int spinId, int position) {
    SendDlgItemMessageA(dialog, spinId, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(position), 0));
}

int SpinPosition(HWND dialog, int spinId) {
    return static_cast<short>(LOWORD(SendDlgItemMessageA(dialog, spinId, UDM_GETPOS, 0, 0)));
}

void DrawTransparentBitmap(HDC target, HBITMAP bitmap) {
    int w, h;
    if (!target || !BitmapSize(bitmap, w, h)) return;
    MemoryDC source(target);
    if (!source) return;
    SelectedObject sourceSelected(source, bitmap);

    // The mask is 1 where the source is white, 0 elsewhere.
    MemoryDC maskDc(target);
    BitmapHolder mask(CreateBitmap(w, h, 1, 1, nullptr));
    if (!maskDc || !mask) return;
    SelectedObject maskSelected(maskDc, mask);

    SavedBkColor targetBk(target), sourceBk(source);
    const COLORREF targetText = SetTextColor(target, RGB(0, 0, 0));  // mask 0 must blit as black
    SetBkColor(source, White);
    BitBlt(maskDc, 0, 0, w, h, source, 0, 0, SRCCOPY);

    SetBkColor(target, White);
    BitBlt(target, 0, 0, w, h, source, 0, 0, SRCINVERT);
    BitBlt(target, 0, 0, w, h, maskDc, 0, 0, SRCAND);
    BitBlt(target, 0, 0, w, h, source, 0, 0, SRCINVERT);
    SetTextColor(target, targetText);
}

void DrawTransparentBitmap(HDC target, int bitmapId) {
    BitmapHolder bitmap = LoadLibraryBitmap(bitmapId);
    if (bitmap) DrawTransparentBitmap(target, bitmap.Get());
}

void DrawPagePicture(HWND page, int bitmapId) {
    HWND picture = GetDlgItem(page, IDC_PAGE_PICTURE);
    if (!picture) return;
    WindowDC dc(picture);
    if (dc) DrawTransparentBitmap(dc.Get(), bitmapId);
}

void DrawFilledBitmap(HDC target, HBITMAP bitmap, bool fill, bool stretch, int width, int height) {
    if (!target || !bitmap) return;
    if (!fill) {
        DrawFilledInPlace(target, bitmap, false, stretch, width, height);
        return;
    }
    // The fill changes pixels: work on a copy.
    int w, h;
    if (!BitmapSize(bitmap, w, h)) return;
    BitmapHolder copy(CreateCompatibleBitmap(target, w, h));
    MemoryDC from(target), to(target);
    if (!copy || !from || !to) return;
    {
        SelectedObject fromSelected(from, bitmap), toSelected(to, copy);
        BitBlt(to, 0, 0, w, h, from, 0, 0, SRCCOPY);
    }
    DrawFilledInPlace(target, copy, true, stretch, width, height);
}

void DrawFilledBitmap(HDC target, int bitmapId, bool fill, bool stretch, int width, int height) {
    BitmapHolder bitmap = LoadLibraryBitmap(bitmapId);
    if (bitmap && target) DrawFilledInPlace(target, bitmap, fill, stretch, width, height);
}

COLORREF BitmapFillColor() { return g_fillColor; }

void SetBitmapFillColor(COLORREF color) { g_fillColor = color; }

std::string LoadResourceString(UINT stringId) {
    char text[2048];
    int length = LoadStringA(g_resourceInstance, stringId, text, sizeof text);
    return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

void SetTitleFromString(HWND window, UINT stringId) {
    char text[2048];
    if (LoadStringA(g_resourceInstance, stringId, text, sizeof text) > 0) SetWindowTextA(window, text);
}

int ShowStringMessage(HWND owner, UINT stringId) {
    return MessageBoxA(owner, LoadResourceString(stringId).c_str(), "QV3810UI", MB_OK | MB_ICONEXCLAMATION);
}

BOOL ShowContextHelp(HWND window, const HelpPair* table) {
    return g_help(window, HelpFileName, HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(table));
}

void SetHelpFunction(HelpFunction function) { g_help = function ? function : WinHelpA; }
