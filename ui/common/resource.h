/* Identifiers of the library's own common resources: the notice box, the
   controls and help contexts several dialogs share, and the string table.
   Plain #defines: included by resource scripts as well as by C++. */
#pragma once

/* Notice box */
#define IDD_NOTICE_BOX 2265
#define IDC_NOTICE_CHECK 2423
#define IDC_NOTICE_TEXT 2424
#define IDC_NOTICE_ICON 2425

/* "標準値に戻す(&D)" of the detail dialogs */
#define IDC_RESET_DEFAULTS 2014

/* Help contexts several dialogs share */
#define HID_OK 0x80127
#define HID_CANCEL 0x80128
#define HID_RESET_DEFAULTS 0x80134

/* String table */
#define IDS_REGISTER_USER_CAPTION 5002  /* registration dialog, user settings */
#define IDS_REGISTER_STAMP_CAPTION 5003 /* registration dialog, stamps */
#define IDS_COLOR_SHEET_CAPTION 5004    /* color adjustment sheet */
#define IDS_FEED_FROM_CASSETTE1 5101    /* media type needs cassette 1 */
#define IDS_MEMORY_NOTICE 5106          /* extra memory for high quality duplex */
#define IDS_STAMP_PATH_TOO_LONG 5207
#define IDS_NAME_EXISTS 5208
#define IDS_STAMP_FILE_NAME_BAD 5209
#define IDS_STAMP_FILE_TYPE_BAD 5210
#define IDS_USER_FILE_NOT_WRITTEN 5211 /* the user settings file could not be written */
#define IDS_PRODUCT_LINE 6001
#define IDS_VERSION_LINE 6002
#define IDS_NOTICE_LINE 6003
