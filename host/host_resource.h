/* Resources of qvhost.exe. */
#pragma once

#define IDD_MAIN_PAGE 101
#define IDD_COLOR_PAGE 102
#define IDD_OPTION_PAGE 103
#define IDD_VERSION_PAGE 104

#define IDS_SHEET_CAPTION 201
#define IDS_USAGE 202

#define IDC_VERSION_PRODUCT 3001
#define IDC_VERSION_LINE 3002
#define IDC_VERSION_NOTICE 3003
