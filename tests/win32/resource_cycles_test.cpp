// Resources: painting the pages again and again, and opening, painting and
// closing every dialog the pages open, leave the process's GDI and USER
// object counts where they started. The pages run in the host's sheet and get
// their messages through the bridge, as under the driver.
//
// ctest runs 2,000 paints of each page and 100 cycles of each dialog (a leak
// of one object per paint or cycle shows at once). The full run:
//   QV_PAINTS=10000 QV_CYCLES=1000 scripts/wine-run resource_cycles_test.exe
#include <windows.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/host_session.h"
#include "host/job/default_settings.h"
#include "host/property_sheet.h"
#include "tests/win32/process_objects.h"
#include "tests/win32/test_support.h"
#include "ui/common/host_controls.h"
#include "ui/main/paper_tables.h"
#include "ui/option/option_resource.h"

namespace {


constexpr int PaintsPerDialog = 2;
constexpr int WarmUpCycles = 3;

bool DrawsItself(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    return (!_stricmp(name, "Static") && (style & SS_TYPEMASK) == SS_OWNERDRAW) ||
           (!_stricmp(name, "Button") && (style & BS_TYPEMASK) == BS_OWNERDRAW) || !strcmp(name, "#32770");
}
BOOL CALLBACK RepaintChild(HWND child, LPARAM) {
    if (DrawsItself(child)) RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return TRUE;
}
// A paint of everything the library draws in `window`: the window itself,
// its owner-drawn controls and the pages inside it. The common controls are
// the platform's own and are left alone.
void Repaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EnumChildWindows(window, RepaintChild, 0);
}

struct Counts {
    int Gdi;
    int User;
};

// How a page opens one of its dialogs: the record and controls set up first,
// then the command the user's click or choice sends.
struct DialogCase {
    const char* Name;
    int Page;  // 0 Main, 1 Color, 2 Option
    void (*Prepare)(PrintSettings& current, HWND page);
    int Control;
    WORD Code;
    int NestedButton;  // a button inside the dialog that opens another one, or 0
};

void Nothing(PrintSettings&, HWND) {}
void ChooseCustomPaper(PrintSettings&, HWND page) {
    SendDlgItemMessageA(page, IDC_PAPER_SIZE, CB_SETCURSEL, CustomPaperIndex, 0);
}
void ArmMemoryNotice(PrintSettings& s, HWND page) {
    s.PrintMode = 2;
    s.MemoryNotice = 1;
    CheckDlgButton(page, IDC_DUPLEX, BST_CHECKED);
}

const DialogCase Dialogs[] = {
    {"custom size", 0, ChooseCustomPaper, IDC_PAPER_SIZE, CBN_SELENDOK, 0},
    {"layout detail", 0, Nothing, IDC_LAYOUT_DETAIL, BN_CLICKED, 0},
    {"print mode", 0, Nothing, IDC_PRINT_MODE, BN_CLICKED, 0},
    {"memory notice", 0, ArmMemoryNotice, IDC_DUPLEX, BN_CLICKED, 0},
    {"color adjustment sheet", 1, Nothing, IDC_COLOR_ADJUST, BN_CLICKED, 0},
    {"registration of a user setting", 1, Nothing, IDC_COLOR_REGISTER, BN_CLICKED, 0},
    {"color rendering", 1, Nothing, IDC_COLOR_RENDERING, BN_CLICKED, 0},
    {"stamp", 2, Nothing, IDC_STAMP, BN_CLICKED, 0},
    {"stamp with registration of a stamp", 2, Nothing, IDC_STAMP, BN_CLICKED, IDC_STAMP_REGISTER},
};

// Answers every dialog of this thread as soon as its modal loop runs: opens
// the nested dialog when the case has one, paints it a few times and closes
// it with OK or Cancel. A dialog that does not close is cancelled, and at
// last ended by force, which the test counts as a failure.
class DialogDriver {
public:
    // `sheet` is the host's own modeless sheet, which stays.
    explicit DialogDriver(HWND sheet) : m_sheet(sheet) {
        s_self = this;
        m_step = RegisterWindowMessageA("QvResourceCycleStep");
        m_cbt = SetWindowsHookExA(WH_CBT, Activated, nullptr, GetCurrentThreadId());
        m_get = SetWindowsHookExA(WH_GETMESSAGE, Retrieved, nullptr, GetCurrentThreadId());
        m_sent = SetWindowsHookExA(WH_CALLWNDPROC, Sent, nullptr, GetCurrentThreadId());
        m_timer = SetTimer(nullptr, 0, 200, Watch);
    }
    ~DialogDriver() {
        KillTimer(nullptr, m_timer);
        UnhookWindowsHookEx(m_sent);
        UnhookWindowsHookEx(m_get);
        UnhookWindowsHookEx(m_cbt);
        s_self = nullptr;
    }
    // What the next dialogs should see: OK or Cancel, and whether to open the
    // nested one first.
    void Arrange(bool ok, int nestedButton) {
        m_ok = ok;
        m_nestedButton = nestedButton;
        m_nestedOpened = false;
        m_states = {};
    }
    long Opened() const { return m_opened; }
    long Painted() const { return m_painted; }
    long Forced() const { return m_forced; }

private:
    static bool IsTopDialog(HWND window) {
        if (window == s_self->m_sheet) return false;
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        return strcmp(name, "#32770") == 0 && !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD);
    }
    static LRESULT CALLBACK Activated(int code, WPARAM wParam, LPARAM lParam) {
        const auto window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && s_self && IsTopDialog(window)) PostMessageA(window, s_self->m_step, 0, 0);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK Retrieved(int code, WPARAM wParam, LPARAM lParam) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && s_self && msg->message == s_self->m_step) {
            msg->message = WM_NULL;
            s_self->Step(msg->hwnd);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    // A modal dialog is shown once its loop first runs idle: step it then.
    static LRESULT CALLBACK Sent(int code, WPARAM wParam, LPARAM lParam) {
        const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && s_self && msg->message == WM_SHOWWINDOW && msg->wParam && IsTopDialog(msg->hwnd))
            PostMessageA(msg->hwnd, s_self->m_step, 0, 0);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static BOOL CALLBACK Nudge(HWND window, LPARAM) {
        if (IsTopDialog(window) && IsWindowVisible(window)) PostMessageA(window, s_self->m_step, 0, 0);
        return TRUE;
    }
    static void CALLBACK Watch(HWND, UINT, UINT_PTR, DWORD) {
        if (s_self) EnumThreadWindows(GetCurrentThreadId(), Nudge, 0);
    }

    void Step(HWND dialog) {
        // A dialog under a nested one waits for it.
        if (!IsWindow(dialog) || !IsWindowVisible(dialog) || !IsWindowEnabled(dialog)) return;
        int& state = m_states.For(dialog);
        if (state == Fresh) {
            ++m_opened;
            state = Open;
            HWND nested = m_nestedButton ? GetDlgItem(dialog, m_nestedButton) : nullptr;
            if (nested && !m_nestedOpened) {
                m_nestedOpened = true;
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(m_nestedButton, BN_CLICKED),
                             reinterpret_cast<LPARAM>(nested));
                return;
            }
        }
        if (state == Open) {
            for (int i = 0; i < PaintsPerDialog; ++i) Repaint(dialog);
            m_painted += PaintsPerDialog;
            PostMessageA(dialog, WM_COMMAND, m_ok ? IDOK : IDCANCEL, 0);
            state = Closing;
        } else if (state < Closing + 5) {
            // OK refused (a message box came and went, or nothing was chosen).
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            ++state;
        } else {
            ++m_forced;
            EndDialog(dialog, IDCANCEL);
        }
    }

    enum { Fresh, Open, Closing };
    // The state of each dialog window of the current cycle.
    struct States {
        HWND Windows[8] = {};
        int Counts[8] = {};
        int Used = 0;
        int& For(HWND window) {
            for (int i = 0; i < Used; ++i)
                if (Windows[i] == window) return Counts[i];
            const int i = Used < 8 ? Used++ : 7;
            Windows[i] = window;
            Counts[i] = 0;
            return Counts[i];
        }
    };

    static inline DialogDriver* s_self = nullptr;
    HWND m_sheet;
    UINT m_step = 0;
    HHOOK m_cbt = nullptr;
    HHOOK m_get = nullptr;
    HHOOK m_sent = nullptr;
    UINT_PTR m_timer = 0;
    bool m_ok = false;
    int m_nestedButton = 0;
    bool m_nestedOpened = false;
    States m_states;
    long m_opened = 0;
    long m_painted = 0;
    long m_forced = 0;
};

class ResourceCycles : public ::testing::Test {
protected:
    void SetUp() override {
        paints = EnvNumber("QV_PAINTS", 2000);
        cycles = EnvNumber("QV_CYCLES", 100);
        const PrintSettings defaults = MakeDefaultSettings();
        ASSERT_TRUE(session.Open(defaults, defaults));
        sheet = OpenModelessSheet(session);
        ASSERT_NE(sheet, nullptr);
    }
    void TearDown() override {
        if (sheet) CloseModelessSheet(sheet);
    }

    Counts Measure() {
        PumpMessages(sheet);
        return {GdiObjectCount(), UserObjectCount()};
    }

    long paints = 0;
    long cycles = 0;
    HostSession session;
    HWND sheet = nullptr;
    LibrarySettingsFile settingsFile;  // registrations go here
};

TEST_F(ResourceCycles, PaintingEveryPageKeepsTheObjectCounts) {
    const char* names[] = {"Main", "Color", "Option", "Version"};
    for (int index = 0; index < 4; ++index) {
        HWND page = ShowSheetPage(sheet, index);
        ASSERT_NE(page, nullptr);
        for (int i = 0; i < 20; ++i) Repaint(page);
        const Counts before = Measure();
        ASSERT_GT(before.Gdi, 0);
        ASSERT_GT(before.User, 0);
        const DWORD start = GetTickCount();
        for (long i = 0; i < paints; ++i) Repaint(page);
        const DWORD took = GetTickCount() - start;
        const Counts after = Measure();
        EXPECT_EQ(after.Gdi, before.Gdi) << names[index] << " page, GDI objects after " << paints << " paints";
        EXPECT_EQ(after.User, before.User) << names[index] << " page, USER objects after " << paints << " paints";
        printf("%s page: %ld paints in %lu ms, GDI %d -> %d, USER %d -> %d\n", names[index], paints,
               static_cast<unsigned long>(took), before.Gdi, after.Gdi, before.User, after.User);
    }
}

TEST_F(ResourceCycles, OpeningAndClosingEveryDialogKeepsTheObjectCounts) {
    DialogDriver driver(sheet);
    for (const DialogCase& c : Dialogs) {
        HWND page = ShowSheetPage(sheet, c.Page);
        ASSERT_NE(page, nullptr);
        HWND control = GetDlgItem(page, c.Control);
        auto cycle = [&](long n) {
            c.Prepare(session.Current(), page);
            driver.Arrange(n % 2 == 1, c.NestedButton);
            SendMessageA(page, WM_COMMAND, MAKEWPARAM(c.Control, c.Code), reinterpret_cast<LPARAM>(control));
        };
        for (long n = 0; n < WarmUpCycles; ++n) cycle(n);
        const long openedBefore = driver.Opened();
        const long forcedBefore = driver.Forced();
        const Counts before = Measure();
        const DWORD start = GetTickCount();
        for (long n = 0; n < cycles; ++n) cycle(n);
        const DWORD took = GetTickCount() - start;
        const Counts after = Measure();
        const long opened = driver.Opened() - openedBefore;
        EXPECT_EQ(opened, cycles * (c.NestedButton ? 2 : 1)) << c.Name << ": dialogs did not open";
        EXPECT_EQ(driver.Forced(), forcedBefore) << c.Name << ": dialogs had to be ended by force";
        EXPECT_EQ(after.Gdi, before.Gdi) << c.Name << ", GDI objects after " << cycles << " cycles";
        EXPECT_EQ(after.User, before.User) << c.Name << ", USER objects after " << cycles << " cycles";
        printf("%s: %ld cycles, %ld dialogs in %lu ms, GDI %d -> %d, USER %d -> %d\n", c.Name, cycles, opened,
               static_cast<unsigned long>(took), before.Gdi, after.Gdi, before.User, after.User);
    }
    printf("%ld dialogs opened, %ld paints of open dialogs\n", driver.Opened(), driver.Painted());
}

}  // namespace
