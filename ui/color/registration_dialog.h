// The registration dialog (template 2402): adds, updates and deletes the
// registered user color settings (mode 1, opened by the Color page) or the
// registered user stamps of the current settings (mode 2, opened by the
// stamp dialog).
//
//   RegistrationDialog dialog;
//   dialog.RegistrationMode = RegistrationDialog::StampMode;
//   if (dialog.DoModal() == IDOK && LastRegisteredName[0] != '\0') ...
//
// It works on g_pages.Current (Color, Density, UserStamps) and, in mode 1,
// on the user entry table and the user settings file. Add, update and the
// close button end with IDOK; Escape and the close box with IDCANCEL.
// Deletions take effect at once, whatever the dialog ends with.
#pragma once

#include <cstdint>
#include <string>

#include "ui/common/dialog_toolkit.h"
#include "ui/framework/dialog.h"

// The name added or updated last; cleared when a registration dialog opens,
// so it is empty after a dialog that only deleted or was left.
constexpr size_t RegisteredNameBytes = 20;
extern char LastRegisteredName[RegisteredNameBytes];

class RegistrationDialog : public CDialog {
public:
    enum : int32_t { UserSettingsMode = 1, StampMode = 2 };

    RegistrationDialog();

    int32_t RegistrationMode = UserSettingsMode;
    CListBox List;          // 2414
    std::string NameText;   // 2413
    std::string ListText;   // the selected item of 2414
    std::string FileText;   // 2416

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    // Enter with the add button disabled would end the dialog; it does not.
    void OnOK() override {}

    void OnAdd();
    void OnDelete();
    void OnUpdate();
    void OnClose();
    void OnBrowse();
    void OnNameChange();
    void OnFileChange();
    void OnListSelChange();
    void OnContextMenu(HWND window, POINT screen);

    DECLARE_MESSAGE_MAP()

private:
    bool StampModeOn() const { return RegistrationMode == StampMode; }
    void ReadControls();
    void UpdateButtons();
    void EnableNameEntry(bool enable);
    bool Listed(const std::string& name) const;
    bool AddUserSetting();
    bool AddStamp();

    const HelpPair* m_help = nullptr;
};
