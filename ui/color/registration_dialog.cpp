#include "ui/color/registration_dialog.h"

#include <commdlg.h>

#include <cstring>

#include "ui/color/color_resource.h"
#include "ui/color/setting_names.h"
#include "ui/color/user_settings_store.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"

char LastRegisteredName[RegisteredNameBytes];

namespace {

constexpr int ListCapacity = 10;

const HelpPair UserSettingsHelp[] = {
    {IDC_REG_LIST_LABEL, 0x80162}, {IDC_REG_LIST, 0x80162},  {IDC_REG_NAME_LABEL, 0x80163},
    {IDC_REG_NAME, 0x80163},       {IDC_REG_NAME_HINT, 0x80163}, {IDC_REG_ADD, 0x80164},
    {IDC_REG_DELETE, 0x80166},     {IDC_REG_UPDATE, 0x80165}, {IDC_REG_CLOSE, 0x80167},
    {0, 0},
};

const HelpPair StampHelp[] = {
    {IDC_REG_LIST_LABEL, 0x80193}, {IDC_REG_LIST, 0x80193},      {IDC_REG_NAME_LABEL, 0x80194},
    {IDC_REG_NAME, 0x80194},       {IDC_REG_NAME_HINT, 0x80194}, {IDC_REG_FILE_LABEL, 0x80195},
    {IDC_REG_FILE, 0x80195},       {IDC_REG_BROWSE, 0x80195},    {IDC_REG_ADD, 0x80196},
    {IDC_REG_DELETE, 0x80197},     {IDC_REG_CLOSE, 0x80167},     {0, 0},
};

// The edits limit characters; the fields behind them limit bytes, so a
// longer text (typed double-byte characters, pasted or set text) is cut at
// the last whole character that fits.
void CutEditToBytes(HWND edit, size_t maxBytes) {
    char text[1024];
    GetWindowTextA(edit, text, sizeof text);
    if (std::strlen(text) <= maxBytes) return;
    text[FitLength(text, maxBytes)] = '\0';
    SetWindowTextA(edit, text);
    const LPARAM end = static_cast<LPARAM>(std::strlen(text));
    SendMessageA(edit, EM_SETSEL, end, end);
}

void Enable(HWND dialog, int id, bool enable) { EnableWindow(GetDlgItem(dialog, id), enable); }

// A stamp's name as the list shows it: the host's record need not hold a
// terminator, so the field is cut short of its last byte.
std::string StampName(const UserStampEntry& stamp) {
    char name[sizeof stamp.Name];
    CopyCut(name, sizeof name, stamp.Name, sizeof name - 1);
    return name;
}

// Tells that the user settings file could not be written, with the
// system's reason.
void ShowWriteFailure(HWND owner) {
    std::string text = LoadResourceString(IDS_USER_FILE_NOT_WRITTEN);
    char reason[256];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, UserFileWriteError(), 0,
                             reason, sizeof reason, nullptr);
    while (n > 0 && (reason[n - 1] == '\r' || reason[n - 1] == '\n')) --n;
    if (n > 0) text += "\n\n" + std::string(reason, n);
    MessageBoxA(owner, text.c_str(), "QV3810UI", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

BEGIN_MESSAGE_MAP(RegistrationDialog, CDialog)
    ON_BN_CLICKED(IDC_REG_ADD, OnAdd)
    ON_BN_CLICKED(IDC_REG_DELETE, OnDelete)
    ON_BN_CLICKED(IDC_REG_UPDATE, OnUpdate)
    ON_BN_CLICKED(IDC_REG_CLOSE, OnClose)
    ON_BN_CLICKED(IDC_REG_BROWSE, OnBrowse)
    ON_EN_CHANGE(IDC_REG_NAME, OnNameChange)
    ON_EN_CHANGE(IDC_REG_FILE, OnFileChange)
    ON_LBN_SELCHANGE(IDC_REG_LIST, OnListSelChange)
    ON_WM_CONTEXTMENU(OnContextMenu)
END_MESSAGE_MAP()

RegistrationDialog::RegistrationDialog() : CDialog(IDD_REGISTRATION, nullptr) {}

void RegistrationDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_REG_LIST, List);
    DDX_Text(dx, IDC_REG_NAME, NameText);
    DDX_LBString(dx, IDC_REG_LIST, ListText);
    DDX_Text(dx, IDC_REG_FILE, FileText);
}

BOOL RegistrationDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    std::memset(LastRegisteredName, 0, sizeof LastRegisteredName);
    m_help = StampModeOn() ? StampHelp : UserSettingsHelp;

    List.ResetContent();
    if (StampModeOn()) {
        for (const UserStampEntry& stamp : g_pages.Current->UserStamps)
            if (stamp.Name[0] != '\0') List.AddString(StampName(stamp).c_str());
    } else {
        for (const UserEntry& entry : g_userEntries)
            if (entry.Name[0] != '\0') List.AddString(entry.Name);
    }
    UpdateButtons();

    static const int stampControls[] = {IDC_REG_FILE_LABEL, IDC_REG_FILE, IDC_REG_BROWSE};
    for (int id : stampControls) ::ShowWindow(GetDlgItem(id), StampModeOn() ? SW_SHOW : SW_HIDE);
    if (StampModeOn()) {
        SetTitleFromString(m_hWnd, IDS_REGISTER_STAMP_CAPTION);
        ::ShowWindow(GetDlgItem(IDC_REG_UPDATE), SW_HIDE);
        SendDlgItemMessageA(m_hWnd, IDC_REG_FILE, EM_LIMITTEXT, StampFileLimitBytes, 0);
    } else {
        SetTitleFromString(m_hWnd, IDS_REGISTER_USER_CAPTION);
    }
    SendDlgItemMessageA(m_hWnd, IDC_REG_NAME, EM_LIMITTEXT, NameLimitBytes, 0);

    if (List.GetCount() >= ListCapacity) {
        EnableNameEntry(false);
        // Toward deleting: the delete button, or while nothing is selected
        // (the button is off and cannot take the focus) the list.
        HWND remove = GetDlgItem(IDC_REG_DELETE);
        ::SetFocus(::IsWindowEnabled(remove) ? remove : List.m_hWnd);
    } else {
        ::SetFocus(GetDlgItem(IDC_REG_NAME));
    }
    return FALSE;  // the focus is set
}

void RegistrationDialog::ReadControls() {
    UpdateData(true);
    NameText.resize(FitLength(NameText.c_str(), NameLimitBytes));
    FileText.resize(FitLength(FileText.c_str(), StampFileLimitBytes));
}

void RegistrationDialog::UpdateButtons() {
    ReadControls();
    const bool selected = List.GetCurSel() != LB_ERR;
    Enable(m_hWnd, IDC_REG_DELETE, selected);
    if (!StampModeOn()) Enable(m_hWnd, IDC_REG_UPDATE, selected);
    // While the name entry is off, the add button keeps its state. A user
    // setting is registered without the blanks around its name (OnAdd), so
    // a name of blanks alone is as good as none.
    if (!::IsWindowEnabled(GetDlgItem(IDC_REG_NAME))) return;
    const bool named = StampModeOn() ? !NameText.empty() && !FileText.empty() : !TrimBlanks(NameText).empty();
    Enable(m_hWnd, IDC_REG_ADD, named);
}

void RegistrationDialog::EnableNameEntry(bool enable) {
    Enable(m_hWnd, IDC_REG_NAME, enable);
    if (StampModeOn()) {
        Enable(m_hWnd, IDC_REG_FILE, enable);
        Enable(m_hWnd, IDC_REG_BROWSE, enable);
    }
}

bool RegistrationDialog::Listed(const std::string& name) const {
    for (int i = 0, n = List.GetCount(); i < n; ++i)
        if (EqualIgnoringCase(List.GetText(i).c_str(), name.c_str())) return true;
    return false;
}

void RegistrationDialog::OnAdd() {
    ReadControls();
    if (!StampModeOn()) {
        // The settings file keeps no blanks around a value: a name is
        // registered without them, so that it reads back as it was saved.
        NameText = TrimBlanks(NameText);
        if (NameText.empty()) return;
    }
    if (Listed(NameText)) {
        ShowStringMessage(m_hWnd, IDS_NAME_EXISTS);
        return;
    }
    if (StampModeOn()) {
        if (!AddStamp()) return;
    } else if (!AddUserSetting()) {
        ShowWriteFailure(m_hWnd);
        return;
    }
    CopyCut(LastRegisteredName, sizeof LastRegisteredName, NameText.c_str(), NameLimitBytes);
    EndDialog(IDOK);
}

// False when the file could not be written: the table, the list, the file
// and the typed name stay as they were, and the dialog stays open.
bool RegistrationDialog::AddUserSetting() {
    for (UserEntry& entry : g_userEntries) {
        if (entry.Name[0] != '\0') continue;
        const UserEntry before = entry;
        std::memset(&entry, 0, sizeof entry);
        CopyCut(entry.Name, sizeof entry.Name, NameText.c_str(), NameLimitBytes);
        entry.Color = g_pages.Current->Color;
        entry.Density = g_pages.Current->Density;
        if (!SaveUserEntry(entry.Name) && UserFileWriteFailed()) {
            entry = before;
            return false;
        }
        List.AddString(entry.Name);
        return true;
    }
    return true;
}

bool RegistrationDialog::AddStamp() {
    switch (CheckStampFileName(FileText.c_str())) {
    case StampFileCheck::TooShort:
        ShowStringMessage(m_hWnd, IDS_STAMP_FILE_NAME_BAD);
        return false;
    case StampFileCheck::WrongType:
        ShowStringMessage(m_hWnd, IDS_STAMP_FILE_TYPE_BAD);
        return false;
    case StampFileCheck::Accepted:
        break;
    }
    for (UserStampEntry& stamp : g_pages.Current->UserStamps) {
        if (stamp.Name[0] != '\0') continue;
        CopyCut(stamp.Name, sizeof stamp.Name, NameText.c_str(), NameLimitBytes);
        CopyCut(stamp.File, sizeof stamp.File, FileText.c_str(), StampFileLimitBytes);
        List.AddString(stamp.Name);
        break;
    }
    return true;
}

void RegistrationDialog::OnDelete() {
    const int index = List.GetCurSel();
    if (index != LB_ERR) {
        const std::string text = List.GetText(index);
        if (StampModeOn()) {
            for (UserStampEntry& stamp : g_pages.Current->UserStamps) {
                if (stamp.Name[0] == '\0' || StampName(stamp) != text) continue;
                std::memset(&stamp, 0, sizeof stamp);
                List.DeleteString(index);
                break;
            }
        } else {
            for (UserEntry& entry : g_userEntries) {
                if (entry.Name[0] == '\0' || text != entry.Name) continue;
                if (!RemoveUserEntry(text.c_str()) && UserFileWriteFailed()) {
                    ShowWriteFailure(m_hWnd);  // all stays
                    break;
                }
                std::memset(&entry, 0, sizeof entry);
                List.DeleteString(index);
                break;
            }
        }
    }
    List.SetCurSel(index);
    EnableNameEntry(true);
    UpdateButtons();
}

void RegistrationDialog::OnUpdate() {
    std::string name;
    if (!StampModeOn()) {
        const int index = List.GetCurSel();
        if (index != LB_ERR) {
            name = List.GetText(index);
            for (UserEntry& entry : g_userEntries) {
                if (entry.Name[0] == '\0' || name != entry.Name) continue;
                const UserEntry before = entry;
                entry.Color = g_pages.Current->Color;
                entry.Density = g_pages.Current->Density;
                if (!ResaveUserEntry(entry.Name) && UserFileWriteFailed()) {
                    entry = before;  // nothing was updated: the dialog stays
                    ShowWriteFailure(m_hWnd);
                    return;
                }
                break;
            }
            List.SetCurSel(index);
        }
        CopyCut(LastRegisteredName, sizeof LastRegisteredName, name.c_str(), sizeof LastRegisteredName - 1);
    }
    EndDialog(IDOK);
}

void RegistrationDialog::OnClose() { EndDialog(IDOK); }

void RegistrationDialog::OnBrowse() {
    char path[MAX_PATH] = {};
    // The filter's pairs, each part ending with a zero byte.
    static const char filter[] = "Bitmap files (*.bmp)\0*.bmp\0Run-length encode files (*.rle)\0*.rle\0";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // the size Windows 95 and 98 take
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrDefExt = "bmp";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_READONLY | OFN_NODEREFERENCELINKS;
    if (!GetOpenFileNameA(&ofn)) return;
    if (std::strlen(path) > StampFileLimitBytes) {
        ShowStringMessage(m_hWnd, IDS_STAMP_PATH_TOO_LONG);
        return;
    }
    SetDlgItemText(IDC_REG_FILE, path);
}

void RegistrationDialog::OnNameChange() {
    CutEditToBytes(GetDlgItem(IDC_REG_NAME), NameLimitBytes);
    UpdateButtons();
}

void RegistrationDialog::OnFileChange() {
    CutEditToBytes(GetDlgItem(IDC_REG_FILE), StampFileLimitBytes);
    UpdateButtons();
}

void RegistrationDialog::OnListSelChange() { UpdateButtons(); }

void RegistrationDialog::OnContextMenu(HWND window, POINT) { ShowContextHelp(window, m_help); }
