/* Identifiers of the Color page's own dialogs: the registration dialog and
   the color rendering dialog. Plain #defines: included by resource scripts
   as well as by C++. */
#pragma once

/* Registration dialog (user settings and stamps) */
#define IDD_REGISTRATION 2402
#define IDC_REG_LIST_LABEL 2204
#define IDC_REG_LIST 2414
#define IDC_REG_NAME_LABEL 2206
#define IDC_REG_NAME 2413
#define IDC_REG_NAME_HINT 2211
#define IDC_REG_FILE_LABEL 2415
#define IDC_REG_FILE 2416
#define IDC_REG_BROWSE 2417
#define IDC_REG_ADD 2129
#define IDC_REG_DELETE 2412
#define IDC_REG_UPDATE 2132
#define IDC_REG_CLOSE 2130

/* Color rendering dialog */
#define IDD_COLOR_RENDERING 2404
#define IDC_RENDER_VIVID 2113
#define IDC_RENDER_CONTRAST 2115
#define IDC_RENDER_COLORIMETRIC 2116
