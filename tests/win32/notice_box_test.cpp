// The notice box on its template: OK reads the check box, every other way
// out does not, and the extra-memory notice clears the switch only when
// asked. A picture of the box is saved for people to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host/automation.h"
#include "ui/common/notice_box.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"
#include "ui/framework/app_state.h"

using namespace automation;

namespace {

class NoticeBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_resourceInstance = GetModuleHandleA(nullptr);
        SetFrameworkResourceHandle(g_resourceInstance);
    }
};

std::string Text(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

}  // namespace

TEST_F(NoticeBoxTest, OkWithTheBoxCheckedGivesOne) {
    NoticeBox box("本文", "題名", LoadIconA(nullptr, IDI_EXCLAMATION), nullptr);
    EXPECT_EQ(box.DontShowAgain, 0);
    DialogAutomation automation;
    automation.ExpectDialog({Check(IDC_NOTICE_CHECK), Ok()});
    EXPECT_EQ(box.DoModal(), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(box.DontShowAgain, 1);
}

TEST_F(NoticeBoxTest, OkUncheckedGivesZero) {
    NoticeBox box("本文", "題名", LoadIconA(nullptr, IDI_EXCLAMATION), nullptr);
    DialogAutomation automation;
    automation.ExpectDialog({Key(VK_RETURN)});
    EXPECT_EQ(box.DoModal(), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(box.DontShowAgain, 0);
}

TEST_F(NoticeBoxTest, EscapeAndCloseBoxReadNothingEvenWhenChecked) {
    for (const Step& leave : {Escape(), CloseBox()}) {
        NoticeBox box("本文", "題名", LoadIconA(nullptr, IDI_EXCLAMATION), nullptr);
        DialogAutomation automation;
        int checked = -1;
        automation.ExpectDialog(
            {Check(IDC_NOTICE_CHECK), Inspect([&](HWND d) { checked = IsDlgButtonChecked(d, IDC_NOTICE_CHECK); }), leave});
        EXPECT_EQ(box.DoModal(), IDCANCEL);
        EXPECT_TRUE(automation.Passed()) << automation.Report();
        EXPECT_EQ(checked, BST_CHECKED);
        EXPECT_EQ(box.DontShowAgain, 0);
    }
}

TEST_F(NoticeBoxTest, ShowsTheGivenCaptionTextAndIcon) {
    HICON icon = LoadIconA(nullptr, IDI_ASTERISK);
    HWND owner = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    NoticeBox box("一行目\n二行目", "お知らせ", icon, owner);
    std::string caption, text, check;
    HICON shown = nullptr;
    HWND shownOwner = nullptr;
    DialogAutomation automation;
    automation.ExpectDialog({Inspect([&](HWND d) {
                                 caption = Text(d);
                                 text = Text(GetDlgItem(d, IDC_NOTICE_TEXT));
                                 check = Text(GetDlgItem(d, IDC_NOTICE_CHECK));
                                 shown = reinterpret_cast<HICON>(SendDlgItemMessageA(d, IDC_NOTICE_ICON, STM_GETICON, 0, 0));
                                 shownOwner = GetWindow(d, GW_OWNER);
                             }),
                             Ok()});
    EXPECT_EQ(box.DoModal(), IDOK);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_EQ(caption, "お知らせ");
    EXPECT_EQ(text, "一行目\n二行目");
    EXPECT_EQ(check, "今後このメッセージボックスを表示しない");
    EXPECT_EQ(shown, icon);
    EXPECT_EQ(shownOwner, owner);
    EXPECT_EQ(automation.Seen().at(0).Icon, IconKind::Information);
    DestroyWindow(owner);
}

TEST_F(NoticeBoxTest, MemoryNoticeClearsTheSwitchOnlyWhenAsked) {
    struct Case {
        const char* Name;
        std::vector<Step> Steps;
        uint16_t After;
    };
    const Case cases[] = {
        {"ticked and OK", {Check(IDC_NOTICE_CHECK), Ok()}, 0},
        {"OK only", {Ok()}, 1},
        {"ticked and Escape", {Check(IDC_NOTICE_CHECK), Escape()}, 1},
    };
    for (const Case& c : cases) {
        PrintSettings settings = {};
        settings.MemoryNotice = 1;
        settings.Duplex = 1;
        DialogAutomation automation;
        automation.ExpectDialog(c.Steps, "QV3810UI");
        ShowMemoryNotice(settings);
        EXPECT_TRUE(automation.Passed()) << c.Name << "\n" << automation.Report();
        EXPECT_EQ(settings.MemoryNotice, c.After) << c.Name;
        EXPECT_EQ(settings.Duplex, 1);
        ASSERT_EQ(automation.Seen().size(), 1u);
        EXPECT_EQ(automation.Seen()[0].Icon, IconKind::Exclamation);
        EXPECT_EQ(automation.Seen()[0].Owner, nullptr);
    }
}

TEST_F(NoticeBoxTest, SavesAPictureOfTheMemoryNotice) {
    const std::string folder = QV_SHOTS_DIR;
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string file = folder + "/notice_box.png";
    DeleteFileA(file.c_str());
    PrintSettings settings = {};
    settings.MemoryNotice = 1;
    DialogAutomation automation;
    automation.ExpectDialog({Check(IDC_NOTICE_CHECK), Wait(100), Screenshot(file), Escape()});
    ShowMemoryNotice(settings);
    EXPECT_TRUE(automation.Passed()) << automation.Report();
    EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << file;
}
