/* Identifiers of the stamp dialog's template and controls. Plain #defines:
   included by resource scripts as well as by C++. */
#pragma once

#define IDD_STAMP 2403

#define IDC_STAMP_SWITCH 2030
#define IDC_STAMP_PREVIEW 2029
#define IDC_STAMP_OUTLINE 1103
#define IDC_STAMP_LIST_LABEL 2419
#define IDC_STAMP_LIST 2025
#define IDC_STAMP_REGISTER 1082
#define IDC_STAMP_POSITION_LABEL 2133
#define IDC_STAMP_POSITION 2023
#define IDC_STAMP_COLOR_LABEL 2135
#define IDC_STAMP_COLOR 2024
#define IDC_STAMP_DENSITY_LABEL 2137
#define IDC_STAMP_DENSITY 2026
#define IDC_STAMP_DENSITY_LIGHT 2139
#define IDC_STAMP_DENSITY_DARK 2141
#define IDC_STAMP_SIZE_LABEL 2143
#define IDC_STAMP_SIZE 2027
#define IDC_STAMP_SIZE_SMALL 2145
#define IDC_STAMP_SIZE_LARGE 2147
/* "標準値に戻す(&D)" is IDC_RESET_DEFAULTS (2014) of ui/common/resource.h */

/* Help contexts of the stamp dialog */
#define HID_STAMP_SWITCH 0x80185
#define HID_STAMP_LIST 0x80186
#define HID_STAMP_REGISTER 0x80187
#define HID_STAMP_POSITION 0x80188
#define HID_STAMP_COLOR 0x80189
#define HID_STAMP_DENSITY 0x80190
#define HID_STAMP_SIZE 0x80191
#define HID_STAMP_OUTLINE 0x80192
