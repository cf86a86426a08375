// The rules between paper size, output size, pages per sheet, paper source,
// media type and duplex printing, on the Main page's controls.
#include <windows.h>

#include <cstring>
#include <string>

#include "ui/common/dialog_toolkit.h"
#include "ui/common/format_text.h"
#include "ui/common/host_controls.h"
#include "ui/common/notice_box.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"
#include "ui/main/custom_size.h"
#include "ui/main/custom_size_dialog.h"
#include "ui/main/main_page.h"
#include "ui/main/paper_tables.h"

namespace {

const ListEntry* AsListTable(const ListText* table) { return reinterpret_cast<const ListEntry*>(table); }

int Selection(HWND page, int id) { return static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0)); }
void Select(HWND page, int id, int position) { SendDlgItemMessageA(page, id, CB_SETCURSEL, position, 0); }

bool IsPlainOrThick(int32_t media) { return media == 0 || media == 3; }

void AdviseCassette1(HWND page) { ShowStringMessage(page, IDS_FEED_FROM_CASSETTE1); }

}  // namespace

void RebuildCustomEntry(HWND page) {
    char text[32];
    NormaliseCustomSize(*g_pages.Current, text);
    HWND list = GetDlgItem(page, IDC_PAPER_SIZE);
    const size_t nameBytes = strlen(CustomSizeName);
    int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(SendMessageA(list, CB_GETLBTEXTLEN, i, 0));
        if (length < 0) continue;
        std::string item(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
        if (item.compare(0, nameBytes, CustomSizeName) == 0) {
            SendMessageA(list, CB_DELETESTRING, i, 0);
            break;
        }
    }
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void RefreshScaleAndIcon(HWND page) {
    const PrintSettings& s = *g_pages.Current;
    int paper = FindPaperIndex(s.PaperSize);
    int slot = FindOutputSlot(s.OutputSize, paper);
    char text[16];
    FormatText(text, sizeof text, "%d%%", ScalePercent(paper, slot, s.PagesPerSheet));
    SetDlgItemTextA(page, IDC_SCALE_TEXT, text);
    int iconId = LayoutIconFor(s.Orientation, s.PagesPerSheet, s.Layout);
    HICON icon = LoadIconA(g_resourceInstance, MAKEINTRESOURCEA(iconId));
    SendDlgItemMessageA(page, IDC_LAYOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void FillOutputList(HWND page, int paperIndex) {
    ListText list[MaxOutputSlots + 1];
    BuildOutputList(paperIndex, list);
    FillListFromTable(page, IDC_OUTPUT_SIZE, AsListTable(list));
}

void FillPagesList(HWND page, int paperIndex, int slot) {
    int listNumber = OutputSlotAt(paperIndex, slot).PagesList;
    FillListFromTable(page, IDC_PAGES_PER_SHEET, AsListTable(PagesLists[listNumber]));
    PrintSettings& s = *g_pages.Current;
    s.PagesPerSheet = ValidPagesPerSheet(s.PagesPerSheet, listNumber);
    Select(page, IDC_PAGES_PER_SHEET, s.PagesPerSheet);
}

namespace {
// The output size chosen for the selected paper: pages list, scale, icon.
void ApplyOutputSlot(HWND page, int paper, int slot) {
    g_pages.Current->OutputSize = OutputSlotAt(paper, slot).Code;
    FillPagesList(page, paper, slot);
    RefreshScaleAndIcon(page);
}
}  // namespace

void OnPaperSizeChosen(HWND page) {
    int paper = Selection(page, IDC_PAPER_SIZE);
    if (paper < 0 || paper >= PaperCount) return;
    if (paper == CustomPaperIndex) {
        CCustomSizeDlg dialog;
        if (dialog.DoModal() == IDOK) {
            RebuildCustomEntry(page);
            Select(page, IDC_PAPER_SIZE, CustomPaperIndex);
        }
    }
    g_pages.Current->PaperSize = PaperCodes[paper];
    FillOutputList(page, paper);
    int slot = Selection(page, IDC_OUTPUT_SIZE);
    if (slot < 0) return;
    ApplyOutputSlot(page, paper, slot);
}

void OnOutputSizeChosen(HWND page) {
    int paper = Selection(page, IDC_PAPER_SIZE);
    int slot = Selection(page, IDC_OUTPUT_SIZE);
    if (paper < 0 || paper >= PaperCount || slot < 0 || slot >= OutputSlotCount(paper)) return;
    ApplyOutputSlot(page, paper, slot);
}

void OnPagesPerSheetChosen(HWND page) {
    int pages = Selection(page, IDC_PAGES_PER_SHEET);
    if (pages < 0) return;
    g_pages.Current->PagesPerSheet = pages;
    RefreshScaleAndIcon(page);
}

void OnPaperSourceChosen(HWND page) {
    int source = Selection(page, IDC_PAPER_SOURCE);
    if (source < 0 || source >= 4) return;
    PrintSettings& s = *g_pages.Current;
    if (NeedsCassette1(source, FindMediaIndex(s.MediaType))) AdviseCassette1(page);
    s.PaperSource = SourceCodes[source];
}

void OnMediaTypeChosen(HWND page) {
    int media = Selection(page, IDC_MEDIA_TYPE);
    if (media < 0 || media >= 4) return;
    PrintSettings& s = *g_pages.Current;
    if (NeedsCassette1(FindSourceIndex(s.PaperSource), media)) AdviseCassette1(page);
    const int32_t code = MediaCodes[media];
    if (s.DuplexUnit && s.Duplex && !IsPlainOrThick(code)) {
        CheckDlgButton(page, IDC_DUPLEX, BST_UNCHECKED);
        s.Duplex = 0;
    }
    s.MediaType = code;
}

void OnDuplexClicked(HWND page) {
    PrintSettings& s = *g_pages.Current;
    if (IsDlgButtonChecked(page, IDC_DUPLEX) != BST_CHECKED) {
        s.Duplex = 0;
        return;
    }
    s.Duplex = 1;
    if (s.PrintMode == PrintModeHighQuality && s.MemoryNotice != 0) ShowMemoryNotice(s);
    if (!IsPlainOrThick(s.MediaType)) {
        s.MediaType = 0;
        Select(page, IDC_MEDIA_TYPE, 0);
    }
}

void ApplyPrintModeRule(PrintSettings& s) {
    if (Option1072Forced(s)) s.Option1072Off = 0;
}
