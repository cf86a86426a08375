// Helpers every page and dialog uses: table-driven list filling, scroll
// stepping, bitmap drawing from the library's resources, window titles from
// the string table, message boxes and context help.
//
// Bitmaps and strings come from g_resourceInstance (QV3810ui itself).
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ---- list tables -----------------------------------------------------------
//
// A list table is a run of 32-byte entries, each a zero-terminated Shift-JIS
// text, closed by an entry whose first byte is 0xFF and whose second byte,
// read as a signed byte, is the position selected after filling (negative:
// no selection). Define one with MakeListTable; the literals are compiled
// to Shift-JIS by the build:
//
//   constexpr auto FrameKinds = MakeListTable(0, "実線", "ｺｰﾅｰｶｯﾄ");
//   FillListFromTable(dialog, 2022, FrameKinds);

constexpr size_t ListEntryBytes = 32;

struct ListEntry {
    char Text[ListEntryBytes];
};
static_assert(sizeof(ListEntry) == 32, "list entries are 32 bytes");

constexpr bool IsListEnd(const ListEntry& entry) { return static_cast<unsigned char>(entry.Text[0]) == 0xFF; }
constexpr int ListDefaultPosition(const ListEntry& end) { return static_cast<signed char>(end.Text[1]); }

template <size_t... N>
constexpr std::array<ListEntry, sizeof...(N) + 1> MakeListTable(int defaultPosition, const char (&... texts)[N]) {
    static_assert(((N <= ListEntryBytes) && ...), "a list text takes at most 31 bytes");
    std::array<ListEntry, sizeof...(N) + 1> table{};
    size_t row = 0;
    auto put = [&](const char* text, size_t n) {
        for (size_t i = 0; i < n; ++i) table[row].Text[i] = text[i];
        ++row;
    };
    (put(texts, N), ...);
    (void)put;  // unused when the table has no texts
    table[row].Text[0] = static_cast<char>(0xFF);
    table[row].Text[1] = static_cast<char>(static_cast<signed char>(defaultPosition));
    return table;
}

// The number of text entries before the end entry (at most 255 are read).
int ListTableCount(const ListEntry* table);

// Empties the list (drop-down combo box or list box, told apart by the
// window class), appends every text of the table in order and selects the
// end entry's default position. Returns the number of texts added.
int FillListFromTable(HWND list, const ListEntry* table);
int FillListFromTable(HWND dialog, int listId, const ListEntry* table);
template <size_t N> int FillListFromTable(HWND list, const std::array<ListEntry, N>& table) {
    return FillListFromTable(list, table.data());
}
template <size_t N> int FillListFromTable(HWND dialog, int listId, const std::array<ListEntry, N>& table) {
    return FillListFromTable(dialog, listId, table.data());
}

// The text of item `index` of a drop-down combo box (empty when there is
// none), and the texts of all its items in order.
std::string ComboItemText(HWND combo, int index);
std::vector<std::string> ComboItemTexts(HWND combo);

// ---- scroll bars -----------------------------------------------------------

// The new position of scroll bar control `bar` for a scroll message: from
// its current position, code 0 (line left/up) -1, 1 +1, 2 (page) -5, 3 +5,
// 4 (thumb position) `thumb`; any other code (thumb tracking 5 included)
// keeps it. Clamped to the bar's range. The bar itself is not changed.
int StepScrollPosition(int code, int thumb, HWND bar);

// ---- up-down controls --------------------------------------------------------

// Ranges and positions through the 16-bit messages that comctl32 4.00
// knows: every range of the dialogs lies within -32768..32767. The position
// is the low 16 bits of UDM_GETPOS, with their sign.
void SetSpinRange(HWND dialog, int spinId, int low, int high);
void SetSpinPosition(HWND dialog, int spinId, int position);
int SpinPosition(HWND dialog, int spinId);

// ---- bitmaps ---------------------------------------------------------------

// Copies the bitmap to `target` at 0,0 in its own size so that its pure
// white pixels leave the target unchanged. Draws nothing when the mask
// cannot be made. The resource form loads bitmap `bitmapId` of the library
// and draws nothing when it is missing.
void DrawTransparentBitmap(HDC target, HBITMAP bitmap);
void DrawTransparentBitmap(HDC target, int bitmapId);

// Draws bitmap `bitmapId` transparently into control 1024 (the page
// picture) of `page`.
void DrawPagePicture(HWND page, int bitmapId);

// Draws the bitmap at 0,0 of `target`: first, when `fill`, every pure white
// pixel connected to its top-left pixel takes the fill color (in a copy;
// the given bitmap is not changed); then it is copied stretched to
// `width` x `height` when `stretch`, else in its own size.
void DrawFilledBitmap(HDC target, HBITMAP bitmap, bool fill, bool stretch, int width, int height);
void DrawFilledBitmap(HDC target, int bitmapId, bool fill, bool stretch, int width, int height);

// The library-wide fill color of DrawFilledBitmap, initially 0x00C0C0C0.
COLORREF BitmapFillColor();
void SetBitmapFillColor(COLORREF color);

// ---- strings, titles, messages ---------------------------------------------

// String `stringId` of the library's string table (Shift-JIS), empty when
// missing.
std::string LoadResourceString(UINT stringId);

// Sets the window text to string `stringId`.
void SetTitleFromString(HWND window, UINT stringId);

// The library's message box: text string `stringId`, caption "QV3810UI",
// the exclamation icon and an OK button. `owner` may be null.
int ShowStringMessage(HWND owner, UINT stringId);

// ---- context help ----------------------------------------------------------

// (control identifier, help context number) pairs, closed by {0, 0}.
struct HelpPair {
    DWORD Control;
    DWORD Context;
};

constexpr const char* HelpFileName = "QV3810.hlp";

// Context-menu help (WinHelpA, "QV3810.hlp", HELP_CONTEXTMENU = 10) for
// `window` with `table`. Every detail dialog calls it from its
// context-menu handler with the window under the pointer.
BOOL ShowContextHelp(HWND window, const HelpPair* table);

// The function ShowContextHelp calls, WinHelpA unless replaced; tests put a
// recorder here. Null restores WinHelpA.
using HelpFunction = BOOL(WINAPI*)(HWND, LPCSTR, UINT, ULONG_PTR);
void SetHelpFunction(HelpFunction function);
