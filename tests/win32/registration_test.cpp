// The registration dialog in both modes, run in this process on a settings
// record of the test and a user settings file in a temporary folder, with
// the dialog automation playing the user.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/win32/shot_path.h"
#include "host/automation.h"
#include "host/job/default_settings.h"
#include "tests/win32/test_support.h"
#include "ui/color/color_resource.h"
#include "ui/color/registration_dialog.h"
#include "ui/color/user_settings_store.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"
#include "ui/framework/app_state.h"

using namespace automation;

namespace {


std::string Value(int section, const char* key, const std::string& path) {
    char buffer[256];
    GetPrivateProfileStringA(UserSectionName(section).c_str(), key, "<absent>", buffer, sizeof buffer, path.c_str());
    return buffer;
}

int ListCount(HWND window) { return static_cast<int>(SendDlgItemMessageA(window, IDC_REG_LIST, LB_GETCOUNT, 0, 0)); }
std::string ListItem(HWND window, int index) {
    char buffer[64] = {};
    SendDlgItemMessageA(window, IDC_REG_LIST, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

// What the context help was asked for.
struct HelpCall {
    HWND Window;
    std::string File;
    UINT Command;
    std::vector<HelpPair> Table;
};
std::vector<HelpCall> g_help;
BOOL WINAPI RecordHelp(HWND window, LPCSTR file, UINT command, ULONG_PTR data) {
    HelpCall call{window, file, command, {}};
    for (const auto* p = reinterpret_cast<const HelpPair*>(data);; ++p) {
        call.Table.push_back(*p);
        if (p->Control == 0 && p->Context == 0) break;
    }
    g_help.push_back(call);
    return TRUE;
}
DWORD HelpOf(const HelpCall& call, DWORD control) {
    for (const HelpPair& p : call.Table)
        if (p.Control == control) return p.Context;
    return 0;
}

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "qv-reg-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(folder.c_str(), nullptr);
        path = folder + "\\QV3810ui.ini";
        QvUseUserSettingsFile(path.c_str());
        ASSERT_TRUE(WriteDefaultUserFile());
        std::memset(g_userEntries, 0, sizeof g_userEntries);
        std::memset(LastRegisteredName, 'x', sizeof LastRegisteredName);
        defaults = MakeDefaultSettings();
        current = defaults;
        current.Color = {2, 4, -3, 5, 1, -1, 7, -10};
        current.Density = {1, -2, 3, -4, 5};
        g_pages.Current = &current;
        g_pages.Defaults = &defaults;
        g_resourceInstance = GetModuleHandleA(nullptr);
        SetFrameworkResourceHandle(GetModuleHandleA(nullptr));
        g_help.clear();
        SetHelpFunction(RecordHelp);
    }
    void TearDown() override {
        SetHelpFunction(nullptr);
        QvUseUserSettingsFile(nullptr);
        DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    void Register(int n, const char* name) {
        std::strcpy(g_userEntries[n].Name, name);
        g_userEntries[n].Color.Bright = n;
        ASSERT_TRUE(SaveUserEntry(name));
    }
    void Stamp(int n, const char* name, const char* file) {
        std::strcpy(current.UserStamps[n].Name, name);
        std::strcpy(current.UserStamps[n].File, file);
    }

    INT_PTR Run(int32_t mode) {
        RegistrationDialog dialog;
        dialog.RegistrationMode = mode;
        INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(automation.Passed()) << automation.Report();
        return result;
    }

    std::string Message(UINT id) { return LoadResourceString(id); }
    void ExpectMessage(size_t seen, UINT id) {
        ASSERT_GT(automation.Seen().size(), seen);
        const SeenWindow& box = automation.Seen()[seen];
        EXPECT_EQ(box.Kind, WindowKind::MessageBox);
        EXPECT_EQ(box.Caption, "QV3810UI");
        EXPECT_EQ(box.Text, Message(id));
        EXPECT_EQ(box.Icon, IconKind::Exclamation);
    }

    DialogAutomation automation;
    std::string folder, path;
    PrintSettings defaults, current;
};

// ---- user settings mode

TEST_F(RegistrationTest, AddingStoresTheCurrentValuesUnderTheNameAndReportsIt) {
    Register(0, "first");
    automation.ExpectDialog({Inspect([](HWND d) {
                                 EXPECT_EQ(ListCount(d), 1);
                                 EXPECT_FALSE(Enabled(d, IDC_REG_ADD)) << "no name yet";
                                 EXPECT_FALSE(Enabled(d, IDC_REG_DELETE));
                                 EXPECT_FALSE(Enabled(d, IDC_REG_UPDATE));
                                 EXPECT_FALSE(Visible(d, IDC_REG_FILE));
                                 EXPECT_FALSE(Visible(d, IDC_REG_BROWSE));
                                 EXPECT_TRUE(Visible(d, IDC_REG_UPDATE));
                                 EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_REG_NAME));
                             }),
                             SetText(IDC_REG_NAME, "写真A"),
                             Inspect([](HWND d) { EXPECT_TRUE(Enabled(d, IDC_REG_ADD)); }), Click(IDC_REG_ADD)},
                            LoadResourceString(IDS_REGISTER_USER_CAPTION));
    EXPECT_EQ(Run(RegistrationDialog::UserSettingsMode), IDOK);
    EXPECT_STREQ(LastRegisteredName, "写真A");
    for (size_t i = std::strlen("写真A"); i < sizeof LastRegisteredName; ++i) EXPECT_EQ(LastRegisteredName[i], 0);
    EXPECT_STREQ(g_userEntries[1].Name, "写真A");
    EXPECT_EQ(std::memcmp(&g_userEntries[1].Color, &current.Color, sizeof current.Color), 0);
    EXPECT_EQ(std::memcmp(&g_userEntries[1].Density, &current.Density, sizeof current.Density), 0);
    EXPECT_EQ(Value(1, "UserEntName", path), "写真A");
    EXPECT_EQ(Value(1, "YellowBlue", path), "-10");
    EXPECT_EQ(Value(1, "Yellow", path), "5");
}

TEST_F(RegistrationTest, ANameDifferingOnlyInCaseIsRefusedAndTheDialogStays) {
    Register(0, "ABC");
    automation.ExpectDialog({SetText(IDC_REG_NAME, "abc"), Click(IDC_REG_ADD),
                             Inspect([](HWND d) {
                                 EXPECT_EQ(ListCount(d), 1);
                                 EXPECT_EQ(Text(d, IDC_REG_NAME), "abc");
                             }),
                             SetText(IDC_REG_NAME, "ａｂｃ"), Click(IDC_REG_ADD)});
    automation.ExpectMessageBox();
    EXPECT_EQ(Run(RegistrationDialog::UserSettingsMode), IDOK);
    ExpectMessage(1, IDS_NAME_EXISTS);
    // Full-width letters are other characters: that name was registered.
    EXPECT_STREQ(g_userEntries[1].Name, "ａｂｃ");
    EXPECT_STREQ(LastRegisteredName, "ａｂｃ");
}

TEST_F(RegistrationTest, NamesAreCutToTenBytesAtACharacterBoundary) {
    automation.ExpectDialog({SetText(IDC_REG_NAME, "写真写真写真"),
                             Inspect([](HWND d) { EXPECT_EQ(Text(d, IDC_REG_NAME), "写真写真写"); }),
                             SetText(IDC_REG_NAME, "a写真写真写真"),
                             Inspect([](HWND d) { EXPECT_EQ(Text(d, IDC_REG_NAME), "a写真写真"); }),
                             Type(IDC_REG_NAME, "abcdefghijkl"),
                             Inspect([](HWND d) { EXPECT_EQ(Text(d, IDC_REG_NAME), "abcdefghij"); }),
                             SetText(IDC_REG_NAME, "ﾕｰｻﾞ設定です"), Click(IDC_REG_ADD)});
    EXPECT_EQ(Run(RegistrationDialog::UserSettingsMode), IDOK);
    EXPECT_STREQ(g_userEntries[0].Name, "ﾕｰｻﾞ設定で");  // 4 + 2 + 2 + 2 bytes
    EXPECT_EQ(Value(0, "UserEntName", path), "ﾕｰｻﾞ設定で");
}

TEST_F(RegistrationTest, BlanksAroundANameAreNotRegistered) {
    automation.ExpectDialog({SetText(IDC_REG_NAME, "   "), Click(IDC_REG_ADD),
                             Inspect([](HWND d) { EXPECT_EQ(ListCount(d), 0) << "nothing to register"; }),
                             SetText(IDC_REG_NAME, " pale "), Click(IDC_REG_ADD)});
    EXPECT_EQ(Run(RegistrationDialog::UserSettingsMode), IDOK);
    EXPECT_STREQ(g_userEntries[0].Name, "pale");
    ASSERT_TRUE(LoadUserEntries());
    EXPECT_STREQ(g_userEntries[0].Name, "pale");
    EXPECT_TRUE(RemoveUserEntry("pale"));
}

TEST_F(RegistrationTest, WithTenNamesTheEntryIsOffUntilOneIsDeleted) {
    for (int n = 0; n < 10; ++n) Register(n, ("n" + std::to_string(n)).c_str());
    automation.ExpectDialog({Inspect([](HWND d) {
                                 EXPECT_EQ(ListCount(d), 10);
                                 EXPECT_FALSE(Enabled(d, IDC_REG_NAME));
                                 EXPECT_FALSE(Enabled(d, IDC_REG_ADD));
                                 // Nothing is selected, so the delete button is off: the list has the focus.
                                 EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_REG_LIST));
                             }),
                             Choose(IDC_REG_LIST, 9),
                             Inspect([](HWND d) {
                                 EXPECT_TRUE(Enabled(d, IDC_REG_DELETE));
                                 EXPECT_TRUE(Enabled(d, IDC_REG_UPDATE));
                             }),
                             Click(IDC_REG_DELETE),
                             Inspect([](HWND d) {
                                 EXPECT_EQ(ListCount(d), 9);
                                 EXPECT_TRUE(Enabled(d, IDC_REG_NAME));
                                 EXPECT_EQ(SendDlgItemMessageA(d, IDC_REG_LIST, LB_GETCURSEL, 0, 0), LB_ERR)
                                     << "nothing follows the last name";
                                 EXPECT_FALSE(Enabled(d, IDC_REG_DELETE));
                             }),
                             Choose(IDC_REG_LIST, 0), Click(IDC_REG_DELETE),
                             Inspect([](HWND d) {
                                 EXPECT_EQ(ListItem(d, 0), "n1");
                                 EXPECT_EQ(SendDlgItemMessageA(d, IDC_REG_LIST, LB_GETCURSEL, 0, 0), 0);
                             }),
                             CloseBox()});
    EXPECT_EQ(Run(RegistrationDialog::UserSettingsMode), IDCANCEL);
    EXPECT_STREQ(LastRegisteredName, "");
    // The deletions stay although the dialog was left with the close box.
    EXPECT_STREQ(g_userEntries[0].Name, "");
    EXPECT_STREQ(g_userEntries[9].Name, "");
    EXPECT_EQ(Value(0, "UserEntName", path), "");
    EXPECT_EQ(Value(0, "Bright", path), "0");
    EXPECT_EQ(Value(9, "UserEntName", path), "");
    EXPECT_EQ(Value(9, "Bright", path), "9") << "values stay until the section is used again";
}

TEST_F(RegistrationTest, ClosingAfterDeletingEndsWithOkAndNoName) {
    Register(0, "only");
    automation.ExpectDialog({Choose(IDC_REG_LIST, 0), Click(IDC_REG_DELETE), Click(IDC_REG_CLOSE)});
    EXPECT_EQ(Run(RegistrationDialog::UserSettingsMode), IDOK);
    EXPECT_STREQ(LastRegisteredName, "");
    EXPECT_EQ(Value(0, "UserEntName", path), "");

    automation.ExpectDialog({Escape()});
    EXPECT_EQ(Run(RegistrationDialog::UserSettingsMode), IDCANCEL);
}

TEST_F(RegistrationTest, UpdateMovesTheEntryToTheFirstFreeSectionAndLoadsOnce) {
    Register(0, "keep");
    Register(1, "photo");
    ASSERT_TRUE(RemoveUserEntry("keep"));  // section 0 is free now
    g_userEntries[0] = {};
    automation.ExpectDialog({Choose(IDC_REG_LIST, 0), Click(IDC_REG_UPDATE)});
    EXPECT_EQ(Run(RegistrationDialog::UserSettingsMode), IDOK);
    EXPECT_STREQ(LastRegisteredName, "photo");
    EXPECT_EQ(Value(0, "UserEntName", path), "photo");
    EXPECT_EQ(Value(0, "Bright", path), "-3");
    EXPECT_EQ(Value(1, "UserEntName", path), "");
    // The next load mirrors the file: the name is listed once.
    ASSERT_TRUE(LoadUserEntries());
    int named = 0;
    for (const UserEntry& e : g_userEntries) named += std::strcmp(e.Name, "photo") == 0;
    EXPECT_EQ(named, 1);
    EXPECT_EQ(g_userEntries[0].Color.Bright, -3);
}

// When the settings file cannot be written, adding, deleting and updating
// leave the table, the list and the file as they were, tell the user why
// and keep the dialog open with what was typed.
TEST_F(RegistrationTest, AFailedWriteIsToldAndChangesNeitherTableNorFile) {
    Register(0, "keep");
    const std::string fresh = folder + "\\QV3810ui.$$$";
    ASSERT_TRUE(CreateDirectoryA(fresh.c_str(), nullptr));  // no new file can be made
    const std::string file = ReadBytes(path);
    UserEntry table[UserEntryCount];
    std::memcpy(table, g_userEntries, sizeof table);
    automation.ExpectDialog({SetText(IDC_REG_NAME, "new"), Click(IDC_REG_ADD), Inspect([](HWND d) {
                                 EXPECT_EQ(Text(d, IDC_REG_NAME), "new");
                                 EXPECT_EQ(ListCount(d), 1);
                             }),
                             Choose(IDC_REG_LIST, 0), Click(IDC_REG_DELETE),
                             Inspect([](HWND d) { EXPECT_EQ(ListCount(d), 1); }), Choose(IDC_REG_LIST, 0),
                             Click(IDC_REG_UPDATE), Click(IDC_REG_CLOSE)});
    for (int i = 0; i < 3; ++i) automation.ExpectMessageBox();
    EXPECT_EQ(Run(RegistrationDialog::UserSettingsMode), IDOK);
    RemoveDirectoryA(fresh.c_str());
    EXPECT_EQ(std::memcmp(table, g_userEntries, sizeof table), 0);
    EXPECT_EQ(ReadBytes(path), file);
    EXPECT_STREQ(LastRegisteredName, "") << "nothing was added or updated";
    ASSERT_EQ(automation.Seen().size(), 4u);
    const std::string told = Message(IDS_USER_FILE_NOT_WRITTEN) + "\n\n";
    for (size_t i = 1; i < 4; ++i) {
        const SeenWindow& box = automation.Seen()[i];
        EXPECT_EQ(box.Kind, WindowKind::MessageBox);
        EXPECT_EQ(box.Icon, IconKind::Exclamation);
        // The system's reason follows.
        EXPECT_EQ(box.Text.compare(0, told.size(), told), 0) << box.Text;
        EXPECT_GT(box.Text.size(), told.size()) << box.Text;
    }
}

TEST_F(RegistrationTest, ContextHelpUsesTheMapOfTheMode) {
    auto askHelp = [](HWND d) {
        SendMessageA(d, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetDlgItem(d, IDC_REG_LIST)), MAKELPARAM(5, 5));
    };
    automation.ExpectDialog({Inspect(askHelp), Click(IDC_REG_CLOSE)});
    Run(RegistrationDialog::UserSettingsMode);
    automation.ExpectDialog({Inspect(askHelp), Click(IDC_REG_CLOSE)});
    Run(RegistrationDialog::StampMode);
    ASSERT_EQ(g_help.size(), 2u);
    for (const HelpCall& call : g_help) {
        EXPECT_EQ(call.File, "QV3810.hlp");
        EXPECT_EQ(call.Command, static_cast<UINT>(HELP_CONTEXTMENU));
    }
    const HelpCall& user = g_help[0];
    EXPECT_EQ(HelpOf(user, IDC_REG_LIST), 0x80162u);
    EXPECT_EQ(HelpOf(user, IDC_REG_NAME_HINT), 0x80163u);
    EXPECT_EQ(HelpOf(user, IDC_REG_ADD), 0x80164u);
    EXPECT_EQ(HelpOf(user, IDC_REG_UPDATE), 0x80165u);
    EXPECT_EQ(HelpOf(user, IDC_REG_DELETE), 0x80166u);
    EXPECT_EQ(HelpOf(user, IDC_REG_CLOSE), 0x80167u);
    EXPECT_EQ(HelpOf(user, IDC_REG_FILE), 0u);
    EXPECT_EQ(user.Table.size(), 10u);
    const HelpCall& stamp = g_help[1];
    EXPECT_EQ(HelpOf(stamp, IDC_REG_LIST_LABEL), 0x80193u);
    EXPECT_EQ(HelpOf(stamp, IDC_REG_NAME), 0x80194u);
    EXPECT_EQ(HelpOf(stamp, IDC_REG_BROWSE), 0x80195u);
    EXPECT_EQ(HelpOf(stamp, IDC_REG_ADD), 0x80196u);
    EXPECT_EQ(HelpOf(stamp, IDC_REG_DELETE), 0x80197u);
    EXPECT_EQ(HelpOf(stamp, IDC_REG_CLOSE), 0x80167u);
    EXPECT_EQ(HelpOf(stamp, IDC_REG_UPDATE), 0u);
    EXPECT_EQ(stamp.Table.size(), 12u);
}

// ---- stamp mode

TEST_F(RegistrationTest, StampModeShowsTheFileControlsAndNeedsBothTexts) {
    Stamp(3, "logo", "C:\\logo.bmp");
    automation.ExpectDialog({Inspect([](HWND d) {
                                 EXPECT_EQ(ListCount(d), 1);
                                 EXPECT_TRUE(Visible(d, IDC_REG_FILE));
                                 EXPECT_TRUE(Visible(d, IDC_REG_BROWSE));
                                 EXPECT_TRUE(Visible(d, IDC_REG_FILE_LABEL));
                                 EXPECT_FALSE(Visible(d, IDC_REG_UPDATE));
                             }),
                             SetText(IDC_REG_NAME, "sign"),
                             Inspect([](HWND d) { EXPECT_FALSE(Enabled(d, IDC_REG_ADD)) << "no file yet"; }),
                             SetText(IDC_REG_FILE, "x.BMP"),
                             Inspect([](HWND d) { EXPECT_TRUE(Enabled(d, IDC_REG_ADD)); }),
                             Screenshot(ShotPath("qv-color-shots", "registration_stamp.png")), Click(IDC_REG_ADD)},
                            LoadResourceString(IDS_REGISTER_STAMP_CAPTION));
    EXPECT_EQ(Run(RegistrationDialog::StampMode), IDOK);
    EXPECT_STREQ(LastRegisteredName, "sign");
    EXPECT_STREQ(current.UserStamps[0].Name, "sign");
    EXPECT_STREQ(current.UserStamps[0].File, "x.BMP");
    EXPECT_STREQ(current.UserStamps[3].Name, "logo");
    EXPECT_EQ(ReadBytes(path), DefaultUserFileText()) << "stamps never touch the settings file";
}

TEST_F(RegistrationTest, StampFileNamesAreCheckedInOrder) {
    struct Case {
        const char* File;
        UINT Message;  // 0: accepted
    };
    const Case cases[] = {{"a.bm", IDS_STAMP_FILE_TYPE_BAD}, {"ab", IDS_STAMP_FILE_NAME_BAD},
                          {"abc ", IDS_STAMP_FILE_NAME_BAD}, {"pic.bmp ", IDS_STAMP_FILE_TYPE_BAD},
                          {"x.rle", 0}};
    for (const Case& c : cases) {
        std::vector<Step> steps = {SetText(IDC_REG_NAME, "s"), SetText(IDC_REG_FILE, c.File), Click(IDC_REG_ADD)};
        if (c.Message) {
            steps.push_back(Inspect([](HWND d) { EXPECT_EQ(ListCount(d), 0) << "the dialog stays as it was"; }));
            steps.push_back(Escape());
        }
        automation.ExpectDialog(steps);
        if (c.Message) automation.ExpectMessageBox();
    }
    size_t seen = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        current.UserStamps[0] = {};
        RegistrationDialog dialog;
        dialog.RegistrationMode = RegistrationDialog::StampMode;
        EXPECT_EQ(dialog.DoModal(), c.Message ? IDCANCEL : IDOK);
        ++seen;
        if (c.Message) {
            ExpectMessage(seen++, c.Message);
            EXPECT_STREQ(current.UserStamps[0].Name, "");
        } else {
            EXPECT_STREQ(current.UserStamps[0].File, c.File);
        }
    }
    EXPECT_TRUE(automation.Passed()) << automation.Report();
}

// This program's import of GetOpenFileNameA, pointed at a spy that notes
// the structure size it is given and calls the real one.
class OpenFileNameSpy {
public:
    OpenFileNameSpy() { Swap(reinterpret_cast<void*>(Spy)); }
    ~OpenFileNameSpy() { Swap(s_real); }
    static DWORD s_size;

private:
    static BOOL WINAPI Spy(OPENFILENAMEA* ofn) {
        s_size = ofn->lStructSize;
        return reinterpret_cast<decltype(&GetOpenFileNameA)>(s_real)(ofn);
    }
    static void Swap(void* to) {
        void* was = SwapImport("comdlg32.dll", "GetOpenFileNameA", to);
        if (!s_real) s_real = was;
    }
    static void* s_real;
};
DWORD OpenFileNameSpy::s_size;
void* OpenFileNameSpy::s_real;

TEST_F(RegistrationTest, BrowsedPathsUpTo64CharactersAreTaken) {
    OpenFileNameSpy spy;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "qvreg";
    CreateDirectoryA(dir.c_str(), nullptr);
    auto makeFile = [&](size_t length) {
        std::string name = dir + "\\" + std::string(length - dir.size() - 5, 's') + ".bmp";
        std::ofstream(name) << "BM";
        return name;
    };
    const std::string fits = makeFile(64), tooLong = makeFile(65);
    ASSERT_EQ(fits.size(), 64u);
    ASSERT_EQ(tooLong.size(), 65u);
    automation.ExpectDialog({Click(IDC_REG_BROWSE),
                             Inspect([&](HWND d) { EXPECT_EQ(Text(d, IDC_REG_FILE), fits); }),
                             Click(IDC_REG_BROWSE),
                             Inspect([&](HWND d) { EXPECT_EQ(Text(d, IDC_REG_FILE), fits) << "left unchanged"; }),
                             Escape()});
    automation.ExpectFileDialog(fits);
    automation.ExpectFileDialog(tooLong);
    automation.ExpectMessageBox();
    EXPECT_EQ(Run(RegistrationDialog::StampMode), IDCANCEL);
    ExpectMessage(3, IDS_STAMP_PATH_TOO_LONG);
    // The structure of the size that Windows 95 and 98 take (76 bytes on 32-bit).
    EXPECT_EQ(OpenFileNameSpy::s_size, static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400A));
    if (sizeof(void*) == 4) {
        EXPECT_EQ(OpenFileNameSpy::s_size, 76u);
    }
    DeleteFileA(fits.c_str());
    DeleteFileA(tooLong.c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST_F(RegistrationTest, StampDeleteClearsTheWholeEntryAndTenStampsDisableTheEntry) {
    for (int n = 0; n < 10; ++n) Stamp(n, ("st" + std::to_string(n)).c_str(), "C:\\a.bmp");
    automation.ExpectDialog({Inspect([](HWND d) {
                                 EXPECT_FALSE(Enabled(d, IDC_REG_NAME));
                                 EXPECT_FALSE(Enabled(d, IDC_REG_FILE));
                                 EXPECT_FALSE(Enabled(d, IDC_REG_BROWSE));
                             }),
                             ChooseText(IDC_REG_LIST, "st4"), Click(IDC_REG_DELETE),
                             Inspect([](HWND d) {
                                 EXPECT_TRUE(Enabled(d, IDC_REG_NAME));
                                 EXPECT_TRUE(Enabled(d, IDC_REG_FILE));
                                 EXPECT_TRUE(Enabled(d, IDC_REG_BROWSE));
                                 EXPECT_EQ(ListItem(d, 4), "st5");
                             }),
                             Click(IDC_REG_CLOSE)});
    EXPECT_EQ(Run(RegistrationDialog::StampMode), IDOK);
    const UserStampEntry empty = {};
    EXPECT_EQ(std::memcmp(&current.UserStamps[4], &empty, sizeof empty), 0);
    EXPECT_STREQ(current.UserStamps[5].Name, "st5");
}

TEST_F(RegistrationTest, AnUnterminatedStampNameIsListedAndDeletedSafely) {
    std::memset(current.UserStamps[0].Name, 'q', sizeof current.UserStamps[0].Name);
    automation.ExpectDialog({Inspect([](HWND d) { EXPECT_EQ(ListItem(d, 0), std::string(19, 'q')); }),
                             Choose(IDC_REG_LIST, 0), Click(IDC_REG_DELETE), Click(IDC_REG_CLOSE)});
    EXPECT_EQ(Run(RegistrationDialog::StampMode), IDOK);
    EXPECT_EQ(current.UserStamps[0].Name[0], 0);
}

}  // namespace
