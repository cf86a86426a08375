// The Main page handler: fills the host's Main page from the current
// settings, writes every change back at once, applies the paper rules,
// opens the three detail dialogs and shows a summary of the other pages.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "engine/engine_math.h"
#include "ui/common/code_text.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/format_text.h"
#include "ui/common/host_controls.h"
#include "ui/common/page_exports.h"
#include "ui/common/page_state.h"
#include "ui/main/layout_detail_dialog.h"
#include "ui/main/main_page.h"
#include "ui/main/paper_tables.h"
#include "ui/main/print_mode_dialog.h"

namespace {

void CopiesCheck(HWND page);
void CodeSwitchClicked(HWND page);
void PortraitClicked(HWND page);
void LandscapeClicked(HWND page);
void DuplexClicked(HWND page);
void LayoutDetailClicked(HWND page);
void PrintModeClicked(HWND page);
void CodeTextChanged(HWND page);

// The page's commands: (control, notification code) -> action.
struct Command {
    uint32_t Control;
    uint16_t Code;
    void (*Action)(HWND page);
};
const Command Commands[] = {
    {IDC_PAPER_SIZE, CBN_SELENDOK, OnPaperSizeChosen},
    {IDC_OUTPUT_SIZE, CBN_SELENDOK, OnOutputSizeChosen},
    {IDC_PAPER_SOURCE, CBN_SELENDOK, OnPaperSourceChosen},
    {IDC_MEDIA_TYPE, CBN_SELENDOK, OnMediaTypeChosen},
    {IDC_COPIES, EN_KILLFOCUS, CopiesCheck},
    {IDC_CODE_SWITCH, BN_CLICKED, CodeSwitchClicked},
    {IDC_PORTRAIT, BN_CLICKED, PortraitClicked},
    {IDC_LANDSCAPE, BN_CLICKED, LandscapeClicked},
    {IDC_PAGES_PER_SHEET, CBN_SELENDOK, OnPagesPerSheetChosen},
    {IDC_DUPLEX, BN_CLICKED, DuplexClicked},
    {IDC_LAYOUT_DETAIL, BN_CLICKED, LayoutDetailClicked},
    {IDC_PRINT_MODE, BN_CLICKED, PrintModeClicked},
    {IDC_CODE_TEXT, EN_UPDATE, CodeTextChanged},
};

constexpr int LogoBitmap = 2163;
constexpr int CodeTextChars = 4;
constexpr int CopiesChars = 3;
constexpr int CopiesMin = 1, CopiesMax = 999;
constexpr DWORD CopiesSpinStyle =
    WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS;

bool g_initialised = false;  // set by the first init-dialog, never cleared

const ListEntry* AsListTable(const ListText* table) { return reinterpret_cast<const ListEntry*>(table); }

void CopiesCheck(HWND page) {
    if (!g_initialised) return;
    BOOL translated = FALSE;
    int copies = static_cast<int>(GetDlgItemInt(page, IDC_COPIES, &translated, TRUE));
    if (!translated) copies = 0;
    if (copies < CopiesMin) copies = CopiesMin;
    if (copies > CopiesMax) copies = CopiesMax;
    char text[16];
    FormatText(text, sizeof text, "%d", copies);
    SetDlgItemTextA(page, IDC_COPIES, text);
    g_pages.Current->Copies = copies;
}

void CodeSwitchClicked(HWND page) {
    CopiesCheck(page);
    bool on = IsDlgButtonChecked(page, IDC_CODE_SWITCH) == BST_CHECKED;
    g_pages.Current->CodeSwitch = on ? 1 : 0;
    EnableWindow(GetDlgItem(page, IDC_CODE_TEXT), on);
}

void SetOrientation(HWND page, int32_t orientation) {
    CopiesCheck(page);
    g_pages.Current->Orientation = orientation;
    RefreshScaleAndIcon(page);
}
void PortraitClicked(HWND page) { SetOrientation(page, 1); }
void LandscapeClicked(HWND page) { SetOrientation(page, 2); }

void DuplexClicked(HWND page) {
    CopiesCheck(page);
    OnDuplexClicked(page);
}

void LayoutDetailClicked(HWND page) {
    CopiesCheck(page);
    CLayoutDetailDlg dialog;
    if (dialog.DoModal() == IDOK) RefreshScaleAndIcon(page);
}

void ShowSummary(HWND page);

void PrintModeClicked(HWND page) {
    CopiesCheck(page);
    CPrintModeDlg dialog;
    if (dialog.DoModal() == IDOK) {
        ApplyPrintModeRule(*g_pages.Current);
        ShowSummary(page);
    }
}

void CodeTextChanged(HWND page) {
    char text[CodeTextChars + 1] = {};
    GetDlgItemTextA(page, IDC_CODE_TEXT, text, sizeof text);
    bool cut = CutToCodeSet(text, sizeof text);
    char (&field)[sizeof PrintSettings::CodeText] = g_pages.Current->CodeText;
    memset(field, 0, sizeof field);
    memcpy(field, text, strnlen(text, sizeof text - 1));
    HWND edit = GetDlgItem(page, IDC_CODE_TEXT);
    if (cut) SetWindowTextA(edit, text);
    int end = GetWindowTextLengthA(edit);
    SendMessageA(edit, EM_SETSEL, end, end);
}

void ShowSummary(HWND page) {
    for (int id = IDC_SUMMARY_FIRST; id <= IDC_SUMMARY_LAST; ++id) SetDlgItemTextA(page, id, "");
    SummaryLine lines[6];
    int count = BuildSummary(*g_pages.Current, lines);
    for (int i = 0; i < count; ++i) {
        int id = IDC_SUMMARY_FIRST + 3 * i;
        SetDlgItemTextA(page, id, lines[i].Label);
        SetDlgItemTextA(page, id + 1, SummarySeparator);
        SetDlgItemTextA(page, id + 2, lines[i].Value);
    }
}

void InitPage(HWND page) {
    FillListFromTable(page, IDC_PAPER_SIZE, AsListTable(PaperSizeList));
    FillListFromTable(page, IDC_PAPER_SOURCE, AsListTable(SourceList));
    FillListFromTable(page, IDC_MEDIA_TYPE, AsListTable(MediaList));
    SendDlgItemMessageA(page, IDC_CODE_TEXT, EM_LIMITTEXT, CodeTextChars, 0);
    // A second init-dialog for the same window must not add a second up-down.
    HWND spin = GetDlgItem(page, IDC_COPIES_SPIN);
    if (!spin)
        spin = CreateWindowExA(0, UPDOWN_CLASSA, "", CopiesSpinStyle, 0, 0, 28, 14, page,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_COPIES_SPIN)), g_resourceInstance,
                               nullptr);
    if (spin) SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(page, IDC_COPIES)), 0);
    SendDlgItemMessageA(page, IDC_COPIES, EM_LIMITTEXT, CopiesChars, 0);
    RefreshMainPage(page);
    g_initialised = true;
}

void SetActive(HWND page) {
    ShowSummary(page);
    CopiesCheck(page);
    EnableWindow(GetDlgItem(page, IDC_DUPLEX), g_pages.Current->DuplexUnit != 0);
}

void Notify(HWND page, const PageMessage& message) {
    if (!message.NotifyHeader) return;
    uint16_t code;
    memcpy(&code, reinterpret_cast<const uint8_t*>(message.NotifyHeader) + NotifyCodeOffset, sizeof code);
    if (code == NotifySetActive) SetActive(page);
    else if (code == NotifyKillActive) CopiesCheck(page);
}

void RunCommand(HWND page, const PageMessage& message) {
    const uint16_t code = CommandCode(message);
    for (const Command& c : Commands)
        if (c.Control == message.WParam && c.Code == code) {
            c.Action(page);
            return;
        }
}

}  // namespace

void RefreshMainPage(HWND page) {
    if (!page || !IsWindow(page) || !g_pages.Current) return;
    PrintSettings& s = *g_pages.Current;

    int paper = FindPaperIndex(s.PaperSize);
    s.PaperSize = PaperCodes[paper];
    RebuildCustomEntry(page);
    SendDlgItemMessageA(page, IDC_PAPER_SIZE, CB_SETCURSEL, paper, 0);

    int slot = FindOutputSlot(s.OutputSize, paper);
    s.OutputSize = OutputSlotAt(paper, slot).Code;
    FillOutputList(page, paper);
    SendDlgItemMessageA(page, IDC_OUTPUT_SIZE, CB_SETCURSEL, slot, 0);

    bool portrait = s.Orientation == 1;
    CheckDlgButton(page, IDC_PORTRAIT, portrait ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_LANDSCAPE, portrait ? BST_UNCHECKED : BST_CHECKED);

    FillPagesList(page, paper, slot);
    RefreshScaleAndIcon(page);

    SendDlgItemMessageA(page, IDC_PAPER_SOURCE, CB_SETCURSEL, FindSourceIndex(s.PaperSource), 0);
    SendDlgItemMessageA(page, IDC_MEDIA_TYPE, CB_SETCURSEL, FindMediaIndex(s.MediaType), 0);

    // The edit shows what the field can mean: four characters at most, even
    // when a stored field lacks its terminator.
    char code[CodeTextChars + 1] = {};
    memcpy(code, s.CodeText, strnlen(s.CodeText, CodeTextChars));
    SetDlgItemTextA(page, IDC_CODE_TEXT, code);
    CheckDlgButton(page, IDC_CODE_SWITCH, s.CodeSwitch ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(page, IDC_CODE_TEXT), s.CodeSwitch != 0);

    CheckDlgButton(page, IDC_DUPLEX, s.Duplex ? BST_CHECKED : BST_UNCHECKED);

    char copies[16];
    FormatText(copies, sizeof copies, "%d", static_cast<int>(s.Copies));
    SetDlgItemTextA(page, IDC_COPIES, copies);
    SetSpinRange(page, IDC_COPIES_SPIN, CopiesMin, CopiesMax);
}

extern "C" int32_t QV_API MainPropPage(PageMessage* message, PrintSettings* current, PrintSettings* defaults) {
    const EngineArithmetic arithmetic;
    if (!BeginPageCall(PageKindMain, message, current, defaults)) return 1;
    HWND page = PageWindowOf(message);
    switch (message->Message) {
    case PageMsgInitDialog: InitPage(page); break;
    case PageMsgPaint:
    case PageMsgDrawItem: DrawPagePicture(page, LogoBitmap); break;
    case PageMsgNotify: Notify(page, *message); break;
    case PageMsgCommand: RunCommand(page, *message); break;
    default: break;
    }
    return 1;
}
