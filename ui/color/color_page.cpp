// The Color page: color mode, registered user settings, halftone switches,
// composite black, and the color adjustment, registration and color
// rendering dialogs. Every choice is written into the current settings at
// once.
#include "engine/engine_math.h"
#include "ui/color/color_page.h"

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string>

#include "ui/color/color_sheet.h"
#include "ui/color/registration_dialog.h"
#include "ui/color/rendering_dialog.h"
#include "ui/color/setting_names.h"
#include "ui/color/user_settings_store.h"
#include "ui/common/artwork_ids.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/host_controls.h"
#include "ui/common/page_exports.h"
#include "ui/common/page_state.h"

namespace {

struct ColorModeRow {
    int Radio;
    int IconControl;  // 0: no icon beside the radio
    int Icon;
};

// Indexed by ColorMode.
const ColorModeRow ColorModes[] = {
    {IDC_MODE_DOCUMENT, IDC_MODE_ICON_FIRST + 0, IDI_COLORMODE_DOCUMENT},
    {IDC_MODE_PHOTO, IDC_MODE_ICON_FIRST + 1, IDI_COLORMODE_PHOTO},
    {IDC_MODE_GRAPHICS, IDC_MODE_ICON_FIRST + 2, IDI_COLORMODE_GRAPHICS},
    {IDC_MODE_MONOCHROME, IDC_MODE_ICON_FIRST + 3, IDI_COLORMODE_MONO},
    {IDC_MODE_USER, IDC_MODE_ICON_FIRST + 4, IDI_COLORMODE_USER},
    {IDC_MODE_ICM, 0, 0},
    {IDC_MODE_NO_CORRECTION, 0, 0},
};
constexpr int32_t ModeIcm = 5;
constexpr int32_t ModeCount = sizeof ColorModes / sizeof ColorModes[0];

// The halftone group that check box 1049 enables.
const int HalftoneGroup[] = {IDC_COLOR_1042, IDC_COLOR_1043, IDC_COLOR_1044,
                             IDC_COLOR_1046, IDC_COLOR_1047, IDC_COLOR_1048};

constexpr auto UserListHead = MakeListTable(0, "現在の設定");
constexpr int32_t BaseColorPhoto = 3;

int g_logo = IDB_LOGO_COLOR;

HWND Page() { return g_pages.ColorWindow; }
PrintSettings& Current() { return *g_pages.Current; }

void Enable(int id, bool enable) { EnableWindow(GetDlgItem(Page(), id), enable); }
void Check(int id, bool checked) { CheckDlgButton(Page(), id, checked ? BST_CHECKED : BST_UNCHECKED); }
bool Checked(int id) { return IsDlgButtonChecked(Page(), id) == BST_CHECKED; }
LRESULT SendItem(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageA(Page(), id, message, wParam, lParam);
}

std::string ListItemText(int index) { return ComboItemText(GetDlgItem(Page(), IDC_USER_SETTINGS), index); }

// Selects the item that shows `name`: the one equal to it, else the first
// that begins with it; leaves the selection as it is when none does.
void SelectNamedListItem(const std::string& name) {
    const int index = FindNamedItem(ComboItemTexts(GetDlgItem(Page(), IDC_USER_SETTINGS)), name);
    if (index >= 0) SendItem(IDC_USER_SETTINGS, CB_SETCURSEL, index);
}

// A text field of the host's record, which need not hold a terminator.
std::string FieldText(const char (&field)[20]) {
    char text[sizeof field];
    CopyCut(text, sizeof text, field, sizeof text - 1);
    return text;
}

void FillUserList() {
    HWND list = GetDlgItem(Page(), IDC_USER_SETTINGS);
    FillListFromTable(list, UserListHead);
    for (const UserEntry& entry : g_userEntries)
        if (entry.Name[0] != '\0') SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.Name));
}

void DrawLogo() { DrawPagePicture(Page(), g_logo); }

void CheckModeRadio(int32_t mode) {
    for (const ColorModeRow& row : ColorModes) Check(row.Radio, false);
    Check(mode >= 0 && mode < ModeCount ? ColorModes[mode].Radio : IDC_MODE_NO_CORRECTION, true);
}

void EnableHalftoneGroup(bool enable) {
    for (int id : HalftoneGroup) Enable(id, enable);
}

void InitColorPage() {
    if (!LoadUserEntries()) RepairUserFile();
    for (const ColorModeRow& row : ColorModes) {
        if (!row.IconControl) continue;
        HICON icon = LoadIconA(g_resourceInstance, MAKEINTRESOURCEA(row.Icon));
        SendItem(row.IconControl, STM_SETICON, reinterpret_cast<WPARAM>(icon));
    }
    SendItem(IDC_COLOR_1044, TBM_SETRANGE, TRUE, MAKELPARAM(0, 1));
    if (Current().Color.BaseColor <= 0) Current().Color.BaseColor = BaseColorPhoto;
    RefreshColorPage();
    DrawLogo();
}

void ChooseMode(int32_t mode) {
    ApplyColorMode(mode);
    g_logo = mode == ColorModeMonochrome ? IDB_LOGO_MONO : IDB_LOGO_COLOR;
    DrawLogo();
    if (mode == ColorModeMonochrome && Current().PrintMode == PrintModeSpeed) Current().PrintMode = PrintModeStandard;
}

void ChooseUserSetting() {
    ApplyColorMode(ColorModeUser);
    const int index = static_cast<int>(SendItem(IDC_USER_SETTINGS, CB_GETCURSEL));
    CopyCut(Current().UserSettingName, sizeof Current().UserSettingName, ListItemText(index).c_str(),
            SettingNameCopyBytes);
}

// After the sheet's OK the adjustments are the user's own: the list shows
// "現在の設定", and the name follows, so that a later refresh does not put
// a registered setting's values back over them.
void OpenColorAdjustmentSheet() {
    if (!RunColorAdjustmentSheet(Page())) return;
    SendItem(IDC_USER_SETTINGS, CB_SETCURSEL, 0);
    CopyCut(Current().UserSettingName, sizeof Current().UserSettingName, ListItemText(0).c_str(),
            SettingNameCopyBytes);
    Enable(IDC_COLOR_REGISTER, true);
}

// After OK the page is in user-setting mode; its radio and logo follow.
void OpenRegistration() {
    RegistrationDialog dialog;
    dialog.RegistrationMode = RegistrationDialog::UserSettingsMode;
    if (dialog.DoModal() != IDOK) return;
    FillUserList();
    if (LastRegisteredName[0] != '\0') {
        SelectNamedListItem(FieldText(LastRegisteredName));
        std::memcpy(Current().UserSettingName, LastRegisteredName, sizeof Current().UserSettingName);
    }
    ApplyColorMode(ColorModeUser);
    CheckModeRadio(ColorModeUser);
    g_logo = IDB_LOGO_COLOR;
    DrawLogo();
}

void OpenColorRendering() {
    ColorRenderingDialog dialog;
    dialog.DoModal();
}

void OnCommand(uint32_t id, uint16_t code) {
    // The list acts on a confirmed selection, everything else on a click.
    if (code != (id == IDC_USER_SETTINGS ? CBN_SELENDOK : BN_CLICKED)) return;
    for (int32_t mode = 0; mode < ModeCount; ++mode) {
        if (id != static_cast<uint32_t>(ColorModes[mode].Radio)) continue;
        ChooseMode(mode);
        return;
    }
    switch (id) {
    case IDC_COLOR_ADJUST: OpenColorAdjustmentSheet(); break;
    case IDC_COLOR_1042: Current().Color1042 = 0; break;
    case IDC_COLOR_1043: Current().Color1042 = 1; break;
    case IDC_COLOR_REGISTER: OpenRegistration(); break;
    case IDC_COLOR_1049:
        Current().Color1049 = Checked(IDC_COLOR_1049) ? 1 : 0;
        EnableHalftoneGroup(Current().Color1049 != 0);
        break;
    case IDC_BLACK_COMPOSITION: Current().BlackComposition = Checked(IDC_BLACK_COMPOSITION) ? 1 : 0; break;
    case IDC_COLOR_RENDERING: OpenColorRendering(); break;
    case IDC_USER_SETTINGS: ChooseUserSetting(); break;
    }
}

}  // namespace

void ApplyColorMode(int32_t mode) {
    Current().ColorMode = mode;
    for (int id : {IDC_USER_SETTINGS, IDC_COLOR_ADJUST, IDC_COLOR_REGISTER, IDC_COLOR_RENDERING}) Enable(id, false);
    Enable(IDC_COLOR_ADJUST, true);
    if (mode == ModeIcm) Enable(IDC_COLOR_RENDERING, true);
    if (mode != ColorModeUser) return;
    Enable(IDC_USER_SETTINGS, true);
    const int index = static_cast<int>(SendItem(IDC_USER_SETTINGS, CB_GETCURSEL));
    if (index == 0) {
        Enable(IDC_COLOR_REGISTER, true);
        return;
    }
    const std::string name = ListItemText(index);
    for (const UserEntry& entry : g_userEntries) {
        if (entry.Name[0] == '\0' || name != entry.Name) continue;
        Current().Color = entry.Color;
        Current().Density = entry.Density;
        return;
    }
}

void RefreshColorPage() {
    if (!g_pages.Current || !IsWindow(Page())) return;
    FillUserList();
    const std::string name = FieldText(Current().UserSettingName);
    if (!name.empty()) SelectNamedListItem(name);

    const int32_t mode = Current().ColorMode;
    g_logo = mode == ColorModeMonochrome ? IDB_LOGO_MONO : IDB_LOGO_COLOR;
    CheckModeRadio(mode);
    ApplyColorMode(mode);

    SendItem(IDC_COLOR_1044, TBM_SETPOS, TRUE, Current().Color1044);
    Check(IDC_COLOR_1042, Current().Color1042 != 1);
    Check(IDC_COLOR_1043, Current().Color1042 == 1);
    Check(IDC_COLOR_1049, Current().Color1049 != 0);
    EnableHalftoneGroup(Current().Color1049 != 0);
    Check(IDC_BLACK_COMPOSITION, Current().BlackComposition != 0);
}

extern "C" int32_t QV_API ColorPropPage(PageMessage* message, PrintSettings* current, PrintSettings* defaults) {
    const EngineArithmetic arithmetic;
    if (!BeginPageCall(PageKindColor, message, current, defaults)) return 1;
    switch (message->Message) {
    case PageMsgInitDialog: InitColorPage(); break;
    case PageMsgPaint:
    case PageMsgDrawItem: DrawLogo(); break;
    case PageMsgHScroll:
        Current().Color1044 = static_cast<int32_t>(SendItem(IDC_COLOR_1044, TBM_GETPOS));
        break;
    case PageMsgCommand: OnCommand(message->WParam, CommandCode(*message)); break;
    default: break;  // notifications included: nothing to do
    }
    return 1;
}
