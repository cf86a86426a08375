// "ｶﾗｰ調整のﾌﾟﾛﾊﾟﾃｨ": the color adjustment sheet opened by the Color page.
#include "ui/adjust/adjust_sheet.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"

IMPLEMENT_DYNAMIC(CColPS, CPropertySheet)

BEGIN_MESSAGE_MAP(CColPS, CPropertySheet)
    ON_COMMAND(IDOK, OnAccept)
END_MESSAGE_MAP()

CColPS::CColPS(UINT captionId, int* initialPage, HWND parent, HWND /*colorPage*/)
    : CPropertySheet(captionId, parent), m_initialPage(initialPage) {
    if (g_pages.Current) {
        m_colorPage.m_color = g_pages.Current->Color;
        m_densityPage.m_density = g_pages.Current->Density;
        if (g_pages.Current->ColorMode == ColorModeUser) AddPage(&m_colorPage);
    }
    AddPage(&m_densityPage);
}

BOOL CColPS::OnInitDialog() {
    CPropertySheet::OnInitDialog();
    if (m_initialPage) SetActivePage(*m_initialPage);
    return TRUE;
}

void CColPS::OnAccept() {
    if (g_pages.Current) {
        g_pages.Current->Color = m_colorPage.m_color;
        g_pages.Current->Density = m_densityPage.m_density;
    }
    EndDialog(IDOK);
}

bool RunColorAdjustmentSheet(HWND colorPage) {
    int firstPage = 0;
    CColPS sheet(IDS_COLOR_SHEET_CAPTION, &firstPage, nullptr, colorPage);
    sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    return sheet.DoModal() == IDOK;
}
