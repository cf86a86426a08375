#include "ui/framework/property_sheet.h"

#include "ui/framework/app_state.h"
#include "ui/framework/framework_access.h"

#include <cstring>

namespace {

// Called by the common controls just before a page's window is made.
UINT CALLBACK PageCallback(HWND, UINT message, LPPROPSHEETPAGEA page) {
    if (message == PSPCB_CREATE && page && page->lParam)
        FrameworkAccess::Hook(reinterpret_cast<CPropertyPage*>(page->lParam), true);
    return 1;
}

void SetDialogResult(HWND window, LRESULT result) { SetWindowLongPtrA(window, DWLP_MSGRESULT, result); }

// ---- the sheet's font --------------------------------------------------------
//
// The common controls size a sheet for its largest page template in the
// dialog units of the sheet's own font. Pages drawn in another font (9-point
// "ＭＳ Ｐゴシック", as a Japanese system gives its sheets) would come out
// larger than that and be cut off, so the sheet's template is given the
// font of its pages before the sheet is made.

// Where the parts of a dialog template begin, in 16-bit units from its start.
struct TemplateLayout {
    bool Extended = false;
    size_t Font = 0;   // the font block, 0 when the template sets none
    size_t Items = 0;  // the first item (DWORD-aligned)
    size_t End = 0;    // one past the last item
};

size_t SkipNameOrOrdinal(const WORD* t, size_t at) {
    if (t[at] == 0xFFFF) return at + 2;
    while (t[at]) ++at;
    return at + 1;
}

size_t AlignToDword(size_t words) { return (words + 1) & ~static_cast<size_t>(1); }

TemplateLayout ReadTemplateLayout(const void* dialogTemplate) {
    const auto* t = static_cast<const WORD*>(dialogTemplate);
    TemplateLayout layout;
    layout.Extended = t[1] == 0xFFFF;
    const DWORD style = layout.Extended ? *reinterpret_cast<const DWORD UNALIGNED*>(t + 6)
                                        : *reinterpret_cast<const DWORD UNALIGNED*>(t);
    size_t at = layout.Extended ? 8 : 4;
    const WORD items = t[at];
    at += 5;                          // item count, x, y, cx, cy
    at = SkipNameOrOrdinal(t, at);    // menu
    at = SkipNameOrOrdinal(t, at);    // class
    while (t[at]) ++at;               // title
    ++at;
    if (style & DS_SETFONT) {
        layout.Font = at;
        at += layout.Extended ? 3 : 1;  // point size (weight, italic, charset)
        while (t[at]) ++at;             // face
        ++at;
    }
    layout.Items = AlignToDword(at);
    at = layout.Items;
    for (WORD i = 0; i < items; ++i) {
        at = AlignToDword(at);
        at += layout.Extended ? 12 : 9;  // help id, styles, x, y, cx, cy, id
        at = SkipNameOrOrdinal(t, at);   // class
        at = SkipNameOrOrdinal(t, at);   // text
        at += 1 + (t[at] + 1) / 2;       // creation data
    }
    layout.End = at;
    return layout;
}

// The font block of the first page template that sets one (point size,
// weight, italic, charset, face), as the 16-bit units of an extended template.
std::vector<WORD> g_pageFont;

std::vector<WORD> PageFont(HINSTANCE resources, const std::vector<CPropertyPage*>& pages) {
    for (const CPropertyPage* page : pages) {
        const void* dialogTemplate = nullptr;
        if (page->m_psp.dwFlags & PSP_DLGINDIRECT) {
            dialogTemplate = page->m_psp.pResource;
        } else if (HRSRC found = FindResourceA(resources, page->m_psp.pszTemplate, MAKEINTRESOURCEA(5))) {
            if (HGLOBAL loaded = LoadResource(resources, found)) dialogTemplate = LockResource(loaded);
        }
        if (!dialogTemplate) continue;
        const TemplateLayout layout = ReadTemplateLayout(dialogTemplate);
        if (!layout.Font) continue;
        const auto* t = static_cast<const WORD*>(dialogTemplate);
        std::vector<WORD> font;
        font.push_back(t[layout.Font]);
        if (layout.Extended) {
            font.insert(font.end(), t + layout.Font + 1, t + layout.Font + 3);
        } else {
            font.push_back(FW_NORMAL);
            font.push_back(static_cast<WORD>(DEFAULT_CHARSET << 8));  // not italic
        }
        size_t face = layout.Font + (layout.Extended ? 3 : 1);
        do font.push_back(t[face]);
        while (t[face++]);
        return font;
    }
    return {};
}

// Gives the sheet's template (a copy the common controls hand over before
// they make the sheet) the pages' font. Done only when the template does not
// grow, since the copy is not guaranteed to have room beyond its own size.
void SetTemplateFont(void* dialogTemplate, const std::vector<WORD>& font) {
    const TemplateLayout layout = ReadTemplateLayout(dialogTemplate);
    if (!layout.Font || font.size() < 4) return;
    std::vector<WORD> block = font;
    if (!layout.Extended) block.erase(block.begin() + 1, block.begin() + 3);  // point size and face only
    const size_t items = AlignToDword(layout.Font + block.size());
    if (items + (layout.End - layout.Items) > layout.End) return;
    auto* t = static_cast<WORD*>(dialogTemplate);
    std::memmove(t + items, t + layout.Items, (layout.End - layout.Items) * sizeof(WORD));
    std::memcpy(t + layout.Font, block.data(), block.size() * sizeof(WORD));
    if (items > layout.Font + block.size()) t[items - 1] = 0;
}

int CALLBACK SheetCallback(HWND, UINT message, LPARAM lParam) {
    if (message == PSCB_PRECREATE && lParam && !g_pageFont.empty())
        SetTemplateFont(reinterpret_cast<void*>(lParam), g_pageFont);
    return 0;
}

}  // namespace

INT_PTR CALLBACK FrameworkPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(window)) return FALSE;
    const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    auto* page = sheetPage ? reinterpret_cast<CPropertyPage*>(sheetPage->lParam) : nullptr;
    FrameworkAccess::Unhook();
    if (!page || !FrameworkAccess::Subclass(page, window)) return TRUE;
    return FrameworkAccess::Dispatch(page, message, wParam, lParam);
}

// ---- CPropertyPage -----------------------------------------------------------

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

BEGIN_MESSAGE_MAP(CPropertyPage, CDialog)
    ON_NOTIFY(PSN_SETACTIVE, AnyId, OnNotifySetActive)
    ON_NOTIFY(PSN_KILLACTIVE, AnyId, OnNotifyKillActive)
    ON_NOTIFY(PSN_APPLY, AnyId, OnNotifyApply)
    ON_NOTIFY(PSN_RESET, AnyId, OnNotifyReset)
    ON_COMMAND(IDOK, OnIgnoredCommand)
    ON_COMMAND(IDCANCEL, OnIgnoredCommand)
END_MESSAGE_MAP()

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : CDialog(templateId, nullptr) {
    m_psp = {};
    m_psp.dwSize = PROPSHEETPAGEA_V1_SIZE;
    m_psp.pszTemplate = MAKEINTRESOURCEA(templateId);
    if (captionId) {
        m_psp.dwFlags |= PSP_USETITLE;
        m_psp.pszTitle = MAKEINTRESOURCEA(captionId);
    }
}

BOOL CPropertyPage::OnSetActive() {
    if (m_firstSetActive)
        m_firstSetActive = false;
    else
        UpdateData(false);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(true); }

BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset() { OnCancel(); }

void CPropertyPage::OnNotifySetActive(NMHDR*, LRESULT* result) {
    *result = OnSetActive() ? 0 : -1;
    SetDialogResult(m_hWnd, *result);
}

void CPropertyPage::OnNotifyKillActive(NMHDR*, LRESULT* result) {
    *result = OnKillActive() ? FALSE : TRUE;
    SetDialogResult(m_hWnd, *result);
}

void CPropertyPage::OnNotifyApply(NMHDR*, LRESULT* result) {
    *result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
    SetDialogResult(m_hWnd, *result);
}

void CPropertyPage::OnNotifyReset(NMHDR*, LRESULT* result) {
    OnReset();
    *result = 0;
}

// ---- CPropertySheet ----------------------------------------------------------

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
    ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
END_MESSAGE_MAP()

CPropertySheet::CPropertySheet(UINT captionId, HWND parent, UINT selectPage) : m_captionId(captionId) {
    m_psh = {};
    m_psh.dwSize = PROPSHEETHEADERA_V1_SIZE;
    m_psh.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    m_psh.hwndParent = parent;
    m_psh.nStartPage = selectPage;
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (page) m_pages.push_back(page);
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

int CPropertySheet::GetActiveIndex() const {
    if (!m_hWnd) return static_cast<int>(m_psh.nStartPage);
    HWND current = PropSheet_GetCurrentPageHwnd(m_hWnd);
    for (int i = 0; i < GetPageCount(); ++i)
        if (current && m_pages[static_cast<size_t>(i)]->m_hWnd == current) return i;
    return -1;
}

bool CPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= GetPageCount()) return false;
    if (!m_hWnd) {
        m_psh.nStartPage = static_cast<UINT>(index);
        return true;
    }
    return PropSheet_SetCurSel(m_hWnd, nullptr, index) != FALSE;
}

void CPropertySheet::EndDialog(INT_PTR result) {
    m_ended = true;
    m_result = result;
    if (m_hWnd) ::PostMessageA(m_hWnd, WM_NULL, 0, 0);  // wakes the modal loop
}

void CPropertySheet::OnOK() {
    CPropertyPage* current = GetActivePage();
    if (current && current->m_hWnd && !current->OnKillActive()) return;
    for (size_t i = 0; i < m_pages.size(); ++i) {
        CPropertyPage* page = m_pages[i];
        if (page->m_hWnd && !page->OnApply()) {
            SetActivePage(static_cast<int>(i));
            return;
        }
    }
    EndDialog(IDOK);
}

void CPropertySheet::OnCancel() {
    for (CPropertyPage* page : m_pages)
        if (page->m_hWnd) page->OnReset();
    EndDialog(IDCANCEL);
}

LRESULT CPropertySheet::OnSysCommand(WPARAM wParam, LPARAM) {
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        OnCancel();
        return 0;
    }
    return Default();
}

INT_PTR CPropertySheet::DoModal() {
    if (m_pages.empty() || m_hWnd) return -1;
    HINSTANCE resources = FrameworkResourceHandle();
    // The first version's structures, the only ones comctl32 4.00 and 4.70
    // take; the common controls step through the pages by their size.
    std::vector<PROPSHEETPAGEA_V1> pages;
    for (CPropertyPage* page : m_pages) {
        PROPSHEETPAGEA_V1 p;
        std::memcpy(&p, &page->m_psp, PROPSHEETPAGEA_V1_SIZE);
        p.dwSize = PROPSHEETPAGEA_V1_SIZE;
        p.hInstance = resources;
        p.pfnDlgProc = FrameworkPageProc;
        p.lParam = reinterpret_cast<LPARAM>(page);
        p.dwFlags |= PSP_USECALLBACK;
        p.pfnCallback = PageCallback;
        pages.push_back(p);
        page->m_sheet = this;
        page->m_firstSetActive = true;
    }
    m_caption[0] = '\0';
    if (m_captionId) LoadStringA(resources, m_captionId, m_caption, sizeof m_caption);

    PROPSHEETHEADERA header = m_psh;
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags |= PSH_PROPSHEETPAGE | PSH_MODELESS;
    header.hInstance = resources;
    header.pszCaption = m_caption;
    header.nPages = static_cast<UINT>(pages.size());
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages.data());
    if (header.nStartPage >= header.nPages) header.nStartPage = 0;

    // Callers of this framework set no callback of their own.
    header.dwFlags |= PSH_USECALLBACK;
    header.pfnCallback = SheetCallback;
    g_pageFont = PageFont(resources, m_pages);

    m_ended = false;
    m_result = IDCANCEL;
    HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    g_pageFont.clear();
    FrameworkAccess::Unhook();
    if (!sheet || sheet == reinterpret_cast<HWND>(-1)) return -1;
    SubclassWindow(sheet);

    HWND owner = header.hwndParent;
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    try {
        OnInitDialog();
    } catch (...) {
        ReportCaughtException("the property sheet's initialisation");
    }
    ShowWindow(SW_SHOW);

    MSG msg;
    while (!m_ended && IsWindow(sheet)) {
        if (!PropSheet_GetCurrentPageHwnd(sheet)) break;  // the common controls closed it
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!PropSheet_IsDialogMessage(sheet, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (disableOwner) ::EnableWindow(owner, TRUE);
    if (IsWindow(sheet)) DestroyWindow(sheet);
    for (CPropertyPage* page : m_pages) page->m_sheet = nullptr;
    return m_result;
}
