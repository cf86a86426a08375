// OptPropPage: the Option page. The host owns the template; this handler
// fills the controls from the current settings when the page comes to the
// front and writes every click into the record at once.
#include "engine/engine_math.h"
#include "ui/option/option_page.h"

#include <cstring>

#include "ui/common/artwork_ids.h"
#include "ui/common/code_text.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/host_controls.h"
#include "ui/common/page_exports.h"
#include "ui/common/page_state.h"
#include "ui/common/records.h"
#include "ui/option/stamp_dialog.h"

namespace {

constexpr auto CassetteList = MakeListTable(0, "ｶｾｯﾄ1", "ｶｾｯﾄ2", "ｶｾｯﾄ3");
constexpr int NumberTextLimit = 16;
constexpr int NumberTextRead = 18;  // characters read back on each update


using SwitchField = int32_t PrintSettings::*;

// Check boxes that write one switch field. Inverted fields store 0 for a
// checked box. `After` re-applies what depends on the new value.
struct SwitchBox {
    int Control;
    SwitchField Field;
    bool Inverted;
    void (*After)(HWND page, const PrintSettings& settings);
};

void Check(HWND page, int control, bool on) { CheckDlgButton(page, control, on ? BST_CHECKED : BST_UNCHECKED); }
void Enable(HWND page, int control, bool on) { EnableWindow(GetDlgItem(page, control), on ? TRUE : FALSE); }

void ShowNumberSwitch(HWND page, const PrintSettings& s) {
    Check(page, IDC_NUMBER_SWITCH, s.NumberSwitch != 0);
    Enable(page, IDC_NUMBER_TEXT, s.NumberSwitch != 0);
}

void ShowTonerSave(HWND page, const PrintSettings& s) { Enable(page, IDC_OPTION_1081, s.TonerSave == 0); }

void ShowSeparatorGroup(HWND page, const PrintSettings& s) {
    Check(page, IDC_OPTION_1079, s.Option1079 != 0);
    for (int control : {IDC_OPTION_1074, IDC_OPTION_1075, IDC_OPTION_1076, IDC_OPTION_1078, IDC_OPTION_1077})
        Enable(page, control, s.Option1079 != 0);
}

const SwitchBox SwitchBoxes[] = {
    {IDC_NUMBER_SWITCH, &PrintSettings::NumberSwitch, false, ShowNumberSwitch},
    {IDC_SMOOTHING, &PrintSettings::Smoothing, false, nullptr},
    {IDC_TONER_SAVE, &PrintSettings::TonerSave, false, ShowTonerSave},
    {IDC_OPTION_1071, &PrintSettings::Option1071, false, nullptr},
    {IDC_OPTION_1072, &PrintSettings::Option1072Off, true, nullptr},
    {IDC_DUPLEX_UNIT, &PrintSettings::DuplexUnit, false, nullptr},
    {IDC_OPTION_1079, &PrintSettings::Option1079, false, ShowSeparatorGroup},
    {IDC_OPTION_1080, &PrintSettings::Option1080, false, nullptr},
    {IDC_OPTION_1081, &PrintSettings::Option1081, false, nullptr},
    {IDC_OPTION_1102, &PrintSettings::Option1102, false, nullptr},
    {IDC_OPTION_1226, &PrintSettings::Option1226Off, true, nullptr},
};

const int SeparatorChoices[] = {IDC_OPTION_1074, IDC_OPTION_1075, IDC_OPTION_1076};

void ShowSwitch(HWND page, int control, int32_t value) { Check(page, control, value != 0); }

// Keeps only the leading run of code characters of edit 1068 in NumberText.
void FilterNumberText(HWND page, PrintSettings& s) {
    HWND edit = GetDlgItem(page, IDC_NUMBER_TEXT);
    char text[sizeof s.NumberText] = {};
    GetWindowTextA(edit, text, NumberTextRead + 1);
    memcpy(s.NumberText, text, sizeof text);
    if (CutToCodeSet(text, sizeof text)) {
        memcpy(s.NumberText, text, sizeof text);
        SetWindowTextA(edit, text);
    }
    const LPARAM end = static_cast<LPARAM>(strlen(text));
    SendMessageA(edit, EM_SETSEL, end, end);
}

void OnCommand(HWND page, const PageMessage& m) {
    PrintSettings& s = *g_pages.Current;
    const uint32_t control = m.WParam;
    const uint16_t code = CommandCode(m);

    if (control == IDC_NUMBER_TEXT) {
        if (code == EN_UPDATE) FilterNumberText(page, s);
        return;
    }
    if (control == IDC_OPTION_1077) {
        if (code == CBN_SELENDOK)
            s.Option1077 = static_cast<int32_t>(SendDlgItemMessageA(page, IDC_OPTION_1077, CB_GETCURSEL, 0, 0));
        return;
    }
    if (code != BN_CLICKED) return;
    for (int i = 0; i < 3; ++i) {
        if (control == static_cast<uint32_t>(SeparatorChoices[i])) {
            s.Option1074 = i;
            return;
        }
    }
    if (control == IDC_STAMP) {
        CStampDlg dialog;
        dialog.DoModal();
        return;
    }
    for (const SwitchBox& box : SwitchBoxes) {
        if (control != static_cast<uint32_t>(box.Control)) continue;
        const bool checked = IsDlgButtonChecked(page, box.Control) != BST_UNCHECKED;
        s.*box.Field = box.Inverted ? !checked : checked;
        if (box.After) box.After(page, s);
        return;
    }
}

uint16_t NotifyCode(const PageMessage& m) {
    if (!m.NotifyHeader) return 0;
    uint16_t code;
    memcpy(&code, reinterpret_cast<const char*>(m.NotifyHeader) + NotifyCodeOffset, sizeof code);
    return code;
}

}  // namespace

void LoadOptionPage(HWND page) {
    if (!page || !g_pages.Current) return;
    PrintSettings& s = *g_pages.Current;

    HWND cassette = GetDlgItem(page, IDC_OPTION_1077);
    const LRESULT count = SendMessageA(cassette, CB_GETCOUNT, 0, 0);
    const WPARAM item = s.Option1077 >= 0 && s.Option1077 < count ? static_cast<WPARAM>(s.Option1077) : WPARAM(-1);
    SendMessageA(cassette, CB_SETCURSEL, item, 0);

    for (int control : SeparatorChoices) Check(page, control, false);
    Check(page, s.Option1074 == 1 ? IDC_OPTION_1075 : s.Option1074 == 2 ? IDC_OPTION_1076 : IDC_OPTION_1074, true);

    ShowSeparatorGroup(page, s);

    char text[32] = {};
    memcpy(text, s.NumberText, sizeof s.NumberText);
    text[sizeof s.NumberText - 1] = '\0';
    SetDlgItemTextA(page, IDC_NUMBER_TEXT, text);
    ShowNumberSwitch(page, s);

    ShowSwitch(page, IDC_SMOOTHING, s.Smoothing);
    ShowSwitch(page, IDC_TONER_SAVE, s.TonerSave);
    ShowTonerSave(page, s);
    ShowSwitch(page, IDC_OPTION_1080, s.Option1080);
    ShowSwitch(page, IDC_OPTION_1102, s.Option1102);
    ShowSwitch(page, IDC_OPTION_1071, s.Option1071);

    const bool forced = Option1072Forced(s);
    if (forced) s.Option1072Off = 0;
    Enable(page, IDC_OPTION_1072, !forced);
    Check(page, IDC_OPTION_1072, s.Option1072Off == 0);

    ShowSwitch(page, IDC_OPTION_1081, s.Option1081);
    ShowSwitch(page, IDC_DUPLEX_UNIT, s.DuplexUnit);
    Check(page, IDC_OPTION_1226, s.Option1226Off == 0);
}

extern "C" int32_t QV_API OptPropPage(PageMessage* message, PrintSettings* current, PrintSettings* defaults) {
    const EngineArithmetic arithmetic;
    if (!BeginPageCall(PageKindOption, message, current, defaults)) return 1;
    HWND page = PageWindowOf(message);
    switch (message->Message) {
    case PageMsgPaint:
    case PageMsgDrawItem:
        DrawPagePicture(page, IDB_LOGO_COLOR);
        break;
    case PageMsgInitDialog:
        FillListFromTable(page, IDC_OPTION_1077, CassetteList);
        SendDlgItemMessageA(page, IDC_NUMBER_TEXT, EM_LIMITTEXT, NumberTextLimit, 0);
        break;
    case PageMsgNotify:
        if (NotifyCode(*message) == NotifySetActive) LoadOptionPage(page);
        break;
    case PageMsgCommand:
        OnCommand(page, *message);
        break;
    }
    return 1;
}
