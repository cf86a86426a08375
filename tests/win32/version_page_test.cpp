// The Version page's restore of the defaults, through the host's own sheet:
// every field before the registered stamps comes from the defaults, the
// stamps and the user settings file stay, and the pages already shown
// follow at once.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "host/host_session.h"
#include "host/job/default_settings.h"
#include "host/property_sheet.h"
#include "tests/win32/test_support.h"
#include "ui/common/host_controls.h"

namespace {

std::string UserSettingsFile() {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    std::ifstream in(std::string(folder) + "\\QV3810ui.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}


class VersionPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        defaults = MakeDefaultSettings();
        PrintSettings job = defaults;
        // A job far from the defaults, with two registered stamps.
        job.PaperSize = 8;
        job.Copies = 12;
        job.ColorMode = 3;
        job.Color.Bright = 7;
        job.Density.Gannma = 1;
        job.TonerSave = 1;
        job.Stamp.StampOn = 1;
        job.Stamp.StampIndex = 6;
        strcpy(job.UserStamps[0].Name, "ROUTE");
        strcpy(job.UserStamps[0].File, "C:\\stamps\\route.bmp");
        strcpy(job.UserStamps[9].Name, "LAST");
        memset(job.Unused3380, 0x5A, sizeof job.Unused3380);
        ASSERT_TRUE(session.Open(job, defaults));
        sheet = OpenModelessSheet(session);
        ASSERT_NE(sheet, nullptr);
    }
    void TearDown() override {
        CloseModelessSheet(sheet);
        EXPECT_EQ(memcmp(&session.Defaults(), &defaults, sizeof defaults), 0) << "the default record changed";
    }
    void Restore() {
        HWND version = ShowSheetPage(sheet, 3);
        SendMessageA(GetDlgItem(version, IDC_RESTORE_DEFAULTS), BM_CLICK, 0, 0);
        PumpMessages(sheet);
    }

    PrintSettings defaults;
    HostSession session;
    HWND sheet = nullptr;
};

TEST_F(VersionPageTest, RestoreTakesEveryFieldBeforeTheStampsAndKeepsTheRest) {
    const PrintSettings before = session.Current();
    const std::string settingsFile = UserSettingsFile();
    Restore();
    const PrintSettings& after = session.Current();
    constexpr size_t kept = offsetof(PrintSettings, UserStamps);
    EXPECT_EQ(memcmp(&after, &defaults, kept), 0) << "a field before UserStamps is not its default";
    EXPECT_EQ(memcmp(reinterpret_cast<const char*>(&after) + kept, reinterpret_cast<const char*>(&before) + kept,
                     sizeof after - kept),
              0)
        << "the registered stamps or the bytes after them changed";
    EXPECT_EQ(UserSettingsFile(), settingsFile) << "the user settings file changed";
}

TEST_F(VersionPageTest, PagesAlreadyShownFollowAtOnce) {
    HWND main = ShowSheetPage(sheet, 0);
    HWND color = ShowSheetPage(sheet, 1);
    HWND option = ShowSheetPage(sheet, 2);
    ASSERT_TRUE(main && color && option);
    EXPECT_EQ(Text(main, IDC_COPIES), "12");
    EXPECT_EQ(IsDlgButtonChecked(color, IDC_MODE_MONOCHROME), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(option, IDC_TONER_SAVE), BST_CHECKED);

    Restore();
    EXPECT_EQ(Text(main, IDC_COPIES), "1");
    EXPECT_EQ(IsDlgButtonChecked(color, IDC_MODE_MONOCHROME), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(color, IDC_MODE_PHOTO), BST_CHECKED) << "the default color mode is photo";
    EXPECT_EQ(IsDlgButtonChecked(option, IDC_TONER_SAVE), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(option, IDC_SMOOTHING), BST_CHECKED);
}

TEST_F(VersionPageTest, RestoreBeforeTheOtherPagesWereShown) {
    // Only the Main page (the first) and the Version page have windows yet.
    Restore();
    EXPECT_EQ(session.Current().Copies, defaults.Copies);
    EXPECT_STREQ(session.Current().UserStamps[0].Name, "ROUTE");
}

}  // namespace
