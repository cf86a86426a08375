// Message storm: random page messages through the bridge, as the driver sends
// them, on current records full of random bytes and boundary values. Every
// call answers 1, the default record and the bytes around the current record
// stay as they were, every dialog a command opens is closed again (with OK or
// Cancel at random) and nothing crashes.
//
// ctest runs a fixed seed. A long run:
//   QV_STORM_MESSAGES=1000000 QV_STORM_SEED=7 scripts/wine-run message_storm_test.exe
// A failure names its seed and the message number; rerunning with that seed
// repeats the same sequence.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/host_resource.h"
#include "host/host_session.h"
#include "host/job/default_settings.h"
#include "tests/win32/record_guard.h"
#include "tests/win32/test_support.h"
#include "ui/common/host_controls.h"

namespace {

constexpr uint32_t DefaultSeed = 20261207;
constexpr long DefaultMessages = 20000;


struct PageSpec {
    int32_t Kind;
    int Template;
    std::vector<int> Controls;  // the template's controls, for commands
};

const PageSpec Pages[4] = {
    {PageKindMain, IDD_MAIN_PAGE,
     {IDC_PAPER_SIZE, IDC_OUTPUT_SIZE, IDC_PAPER_SOURCE, IDC_MEDIA_TYPE, IDC_COPIES, IDC_COPIES_SPIN, IDC_CODE_SWITCH,
      IDC_PORTRAIT, IDC_LANDSCAPE, IDC_PAGES_PER_SHEET, IDC_DUPLEX, IDC_LAYOUT_DETAIL, IDC_PRINT_MODE, IDC_LAYOUT_ICON,
      IDC_SCALE_TEXT, IDC_CODE_TEXT, IDC_PAGE_PICTURE}},
    {PageKindColor, IDD_COLOR_PAGE,
     {IDC_COLOR_ADJUST, IDC_COLOR_1042, IDC_COLOR_1043, IDC_COLOR_1044, IDC_COLOR_REGISTER, IDC_COLOR_1046,
      IDC_COLOR_1047, IDC_COLOR_1048, IDC_COLOR_1049, IDC_BLACK_COMPOSITION, IDC_COLOR_RENDERING, IDC_MODE_DOCUMENT,
      IDC_MODE_PHOTO, IDC_MODE_GRAPHICS, IDC_MODE_MONOCHROME, IDC_MODE_USER, IDC_USER_SETTINGS,
      IDC_MODE_NO_CORRECTION, IDC_MODE_ICM, IDC_PAGE_PICTURE}},
    {PageKindOption, IDD_OPTION_PAGE,
     {IDC_NUMBER_SWITCH, IDC_NUMBER_TEXT, IDC_SMOOTHING, IDC_TONER_SAVE, IDC_OPTION_1071, IDC_OPTION_1072,
      IDC_DUPLEX_UNIT, IDC_OPTION_1074, IDC_OPTION_1075, IDC_OPTION_1076, IDC_OPTION_1077, IDC_OPTION_1078,
      IDC_OPTION_1079, IDC_OPTION_1080, IDC_OPTION_1081, IDC_STAMP, IDC_OPTION_1102, IDC_OPTION_1226,
      IDC_PAGE_PICTURE}},
    {PageKindVersion, IDD_VERSION_PAGE,
     {IDC_RESTORE_DEFAULTS, IDC_VERSION_PRODUCT, IDC_VERSION_LINE, IDC_VERSION_NOTICE, IDC_PAGE_PICTURE}},
};

// Spans of the current record that are not plain 32-bit words.
struct Span {
    size_t Offset;
    size_t Size;
};
const Span TextFields[] = {
    {offsetof(PrintSettings, CodeText), sizeof(PrintSettings::CodeText)},
    {offsetof(PrintSettings, UserSettingName), sizeof(PrintSettings::UserSettingName)},
    {offsetof(PrintSettings, NumberText), sizeof(PrintSettings::NumberText)},
    {offsetof(PrintSettings, Stamp) + offsetof(StampSettings, StampName), sizeof(StampSettings::StampName)},
    {offsetof(PrintSettings, Stamp) + offsetof(StampSettings, StampFile), sizeof(StampSettings::StampFile)},
    {offsetof(PrintSettings, UserStamps), sizeof(PrintSettings::UserStamps)},
};
const size_t DoubleFields[] = {offsetof(PrintSettings, CustomWidth), offsetof(PrintSettings, CustomLength)};

const int32_t IntEdges[] = {INT_MIN, INT_MIN + 1, -65536, -32768, -2, -1, 0, 1, 2, 3, 4, 5, 7, 9, 10, 14, 15,
                            16, 99, 100, 255, 256, 999, 1000, 9999, 32767, 65535, 65536, INT_MAX - 1, INT_MAX};
const double DoubleEdges[] = {NAN, -NAN, INFINITY, -INFINITY, DBL_MAX, -DBL_MAX, DBL_MIN, -DBL_MIN, 4.9e-324, 0.0,
                              -0.0, 1.0, -1.0, 1e9, -1e9, 9.99e15, 2147483648.0, -2147483649.0, 0.05, 999.95};
// Notification codes of property sheets and controls, besides random ones.
const UINT NotifyCodes[] = {static_cast<UINT>(PSN_SETACTIVE), static_cast<UINT>(PSN_KILLACTIVE),
                            static_cast<UINT>(PSN_APPLY),     static_cast<UINT>(PSN_RESET),
                            static_cast<UINT>(PSN_HELP),      static_cast<UINT>(PSN_QUERYCANCEL),
                            static_cast<UINT>(NM_CLICK),      static_cast<UINT>(UDN_DELTAPOS)};
const WORD CommandCodes[] = {BN_CLICKED,  BN_DOUBLECLICKED, BN_SETFOCUS,   BN_KILLFOCUS,     CBN_SELCHANGE,
                             CBN_DBLCLK,  CBN_SETFOCUS,     CBN_KILLFOCUS, CBN_EDITCHANGE,   CBN_DROPDOWN,
                             CBN_CLOSEUP, CBN_SELENDOK,     EN_SETFOCUS,   EN_KILLFOCUS,     EN_CHANGE,
                             EN_UPDATE,   EN_MAXTEXT,       0xFFFF};

template <class T, size_t N>
const T& Pick(std::mt19937& rng, const T (&items)[N]) {
    return items[rng() % N];
}

// Closes every dialog and message box the pages open on this thread: at once
// when it becomes active, and again on a timer for those that stay (a refused
// OK, a message box over its dialog), finally by force.
class DialogCloser {
public:
    explicit DialogCloser(uint32_t seed) : m_rng(seed) {
        s_self = this;
        m_hook = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
        m_timer = SetTimer(nullptr, 0, 30, Tick);
    }
    ~DialogCloser() {
        KillTimer(nullptr, m_timer);
        UnhookWindowsHookEx(m_hook);
        s_self = nullptr;
    }
    long Opened() const { return m_opened; }
    long Forced() const { return m_forced; }

    // The visible top-level dialogs of this thread.
    static std::vector<HWND> OpenDialogs() {
        std::vector<HWND> found;
        EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&found));
        return found;
    }

private:
    static bool IsDialog(HWND window) {
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        return strcmp(name, "#32770") == 0 && !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD);
    }
    static BOOL CALLBACK Collect(HWND window, LPARAM list) {
        if (IsDialog(window) && IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    }
    void Answer(HWND window) { PostMessageA(window, WM_COMMAND, (m_rng() & 1) ? IDOK : IDCANCEL, 0); }

    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && s_self && IsDialog(reinterpret_cast<HWND>(wParam))) {
            ++s_self->m_opened;
            s_self->Answer(reinterpret_cast<HWND>(wParam));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static BOOL CALLBACK Nudge(HWND window, LPARAM) {
        if (!IsDialog(window) || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
        int& ticks = s_self->m_ticks[window];
        ++ticks;
        if (ticks < 5) {
            s_self->Answer(window);
        } else if (ticks < 8) {
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        } else {
            ++s_self->m_forced;
            EndDialog(window, IDCANCEL);
            if (ticks > 12) DestroyWindow(window);
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (s_self) EnumThreadWindows(GetCurrentThreadId(), Nudge, 0);
    }

    struct TickMap {
        std::vector<std::pair<HWND, int>> Items;
        int& operator[](HWND w) {
            for (auto& item : Items)
                if (item.first == w) return item.second;
            if (Items.size() > 64) Items.erase(Items.begin());
            Items.push_back({w, 0});
            return Items.back().second;
        }
    };

    static inline DialogCloser* s_self = nullptr;
    std::mt19937 m_rng;
    HHOOK m_hook = nullptr;
    UINT_PTR m_timer = 0;
    TickMap m_ticks;
    long m_opened = 0;
    long m_forced = 0;
};

class MessageStorm : public ::testing::Test {
protected:
    void SetUp() override {
        seed = static_cast<uint32_t>(EnvNumber("QV_STORM_SEED", DefaultSeed));
        messages = EnvNumber("QV_STORM_MESSAGES", DefaultMessages);
        rng.seed(seed);
        defaults = MakeDefaultSettings();
        ASSERT_TRUE(session.Open(defaults, defaults));
        s_storm = this;
        guard.Arm(session.Current());
        ASSERT_TRUE(guard.GuardsBothSides());
        for (int i = 0; i < 4; ++i) {
            frames[i] = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 20 + 10 * i,
                                        20 + 10 * i, 470, 480, nullptr, nullptr, nullptr, nullptr);
            creating = i;
            pages[i] = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(Pages[i].Template), frames[i],
                                          PageProc, i);
            ASSERT_NE(pages[i], nullptr);
            ShowWindow(pages[i], SW_SHOW);
        }
        creating = -1;
    }
    void TearDown() override {
        for (int i = 0; i < 4; ++i)
            if (frames[i]) DestroyWindow(frames[i]);
        Pump();
        s_storm = nullptr;
    }

    // The host's page procedure: what the controls themselves send goes
    // through the bridge too.
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        MessageStorm* t = s_storm;
        if (!t) return message == WM_INITDIALOG;
        int index = t->creating;
        for (int i = 0; i < 4; ++i)
            if (t->pages[i] == window) index = i;
        if (index < 0) return FALSE;
        WORD answer = 0;
        if (!t->session.ForwardPageMessage(Pages[index].Kind, window, message, wParam, lParam, &answer)) return FALSE;
        t->Check(index, message, wParam, answer);
        return TRUE;
    }

    void Send(int index, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        Check(index, message, wParam, session.Forward(Pages[index].Kind, window, message, wParam, lParam));
    }
    void Check(int index, UINT message, WPARAM wParam, WORD result) {
        ++calls;
        if (result != 1 && failures.size() < 20)
            failures.push_back(Where() + " page " + std::to_string(Pages[index].Kind) + " message " +
                               std::to_string(message) + " wParam " + std::to_string(wParam) + " answered " +
                               std::to_string(result));
    }

    std::string Where() const { return "seed " + std::to_string(seed) + " message #" + std::to_string(step); }

    static void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    // A new current record: random bytes, boundary values in every field, or
    // the defaults with a few fields bent.
    void FillCurrent() {
        PrintSettings& c = session.Current();
        auto* bytes = reinterpret_cast<uint8_t*>(&c);
        switch (rng() % 3) {
        case 0:
            for (size_t i = 0; i < sizeof c; ++i) bytes[i] = static_cast<uint8_t>(rng());
            break;
        case 1:
            c = defaults;
            for (size_t at = 0; at + 4 <= sizeof c; at += 4) {
                int32_t v = Pick(rng, IntEdges);
                memcpy(bytes + at, &v, 4);
            }
            for (size_t at : DoubleFields) {
                double d = Pick(rng, DoubleEdges);
                memcpy(bytes + at, &d, 8);
            }
            for (const Span& s : TextFields) FillText(bytes + s.Offset, s.Size);
            break;
        default: {
            c = defaults;
            const int bends = 1 + rng() % 4;
            for (int i = 0; i < bends; ++i) {
                const size_t at = (rng() % (sizeof c / 4)) * 4;
                int32_t v = Pick(rng, IntEdges);
                memcpy(bytes + at, &v, 4);
            }
            if (rng() % 4 == 0) FillText(bytes + TextFields[rng() % 3].Offset, TextFields[rng() % 3].Size);
            if (rng() % 4 == 0) {
                double d = Pick(rng, DoubleEdges);
                memcpy(bytes + Pick(rng, DoubleFields), &d, 8);
            }
        }
        }
    }

    // Unterminated text: printable, Shift-JIS pairs, or a lead byte at the end.
    void FillText(uint8_t* at, size_t size) {
        static const uint8_t pieces[][2] = {{'A', '9'}, {0x8E, 0xCA}, {0x5C, 0x81}, {0x81, 0x5C}, {0xFC, 0xFC}};
        for (size_t i = 0; i < size; ++i) at[i] = Pick(rng, pieces)[i % 2];
        if (rng() % 2) at[size - 1] = 0x81;
        if (rng() % 8 == 0) at[rng() % size] = 0;
    }

    int PickControl(int index) {
        const auto& ids = Pages[index].Controls;
        switch (rng() % 10) {
        case 0: return static_cast<WORD>(rng());
        case 1: return (rng() & 1) ? IDOK : IDCANCEL;
        case 2: return IDC_SUMMARY_FIRST + rng() % (IDC_SUMMARY_LAST - IDC_SUMMARY_FIRST + 1);
        default: return ids[rng() % ids.size()];
        }
    }

    // Moves a control the way a user might before it reports: another list
    // item, another check state, another text, another slider position.
    void Touch(HWND control) {
        char name[32] = {};
        GetClassNameA(control, name, sizeof name);
        if (!_stricmp(name, "ComboBox")) {
            const int count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
            const int choices[] = {-1, 0, count - 1, count, 14, count > 0 ? static_cast<int>(rng() % count) : 0};
            SendMessageA(control, CB_SETCURSEL, Pick(rng, choices), 0);
        } else if (!_stricmp(name, "Button")) {
            SendMessageA(control, BM_SETCHECK, rng() % 3, 0);
        } else if (!_stricmp(name, "Edit")) {
            static const char* texts[] = {"",       "0",     "-1",        "1",           "999",       "4294967296",
                                          "abc",    "1.5",   "2147483647", "-2147483648", "\x81",      "写真",
                                          "12345678901234567890123456789", "  7 ", "0x10", "99999999999999999999"};
            SetWindowTextA(control, Pick(rng, texts));
        } else if (!_stricmp(name, TRACKBAR_CLASSA)) {
            const int positions[] = {INT_MIN, -1, 0, 1, 5, 10, 100, INT_MAX, static_cast<int>(rng() % 21) - 10};
            SendMessageA(control, TBM_SETPOS, TRUE, Pick(rng, positions));
        }
    }

    void OneMessage() {
        const int index = rng() % 4;
        HWND page = pages[index];
        const unsigned roll = rng() % 100;
        if (roll < 2) {
            FillCurrent();
            Send(index, page, WM_INITDIALOG, 0, 0);
        } else if (roll < 4) {
            Send(index, page, WM_INITDIALOG, 0, 0);
        } else if (roll < 14) {
            Send(index, page, WM_PAINT, 0, 0);
        } else if (roll < 19) {
            DRAWITEMSTRUCT item = {};
            item.CtlType = ODT_STATIC;
            item.CtlID = IDC_PAGE_PICTURE;
            item.hwndItem = GetDlgItem(page, IDC_PAGE_PICTURE);
            Send(index, page, WM_DRAWITEM, (rng() & 1) ? IDC_PAGE_PICTURE : static_cast<WORD>(rng()),
                 reinterpret_cast<LPARAM>(&item));
        } else if (roll < 36) {
            const UINT code = (rng() % 4) ? Pick(rng, NotifyCodes) : static_cast<UINT>(rng());
            NMHDR header = {frames[index], static_cast<UINT_PTR>(rng() % 2 ? 0 : rng()), code};
            Send(index, page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
        } else if (roll < 88) {
            const int id = PickControl(index);
            HWND control = GetDlgItem(page, id);
            if (control && rng() % 2) Touch(control);
            // Clicks and selection changes are what open the pages' dialogs.
            const unsigned which = rng() % 10;
            const WORD code = which < 4   ? BN_CLICKED
                              : which < 6 ? CBN_SELCHANGE
                              : which < 9 ? Pick(rng, CommandCodes)
                                          : static_cast<WORD>(rng());
            const LPARAM from = (rng() % 8) ? reinterpret_cast<LPARAM>(control) : 0;
            Send(index, page, WM_COMMAND, MAKEWPARAM(id, code), from);
        } else {
            HWND slider = GetDlgItem(page, IDC_COLOR_1044);
            if (slider && rng() % 2) Touch(slider);
            const WORD code = (rng() % 4) ? static_cast<WORD>(rng() % 9) : static_cast<WORD>(rng());
            Send(index, page, WM_HSCROLL, MAKEWPARAM(code, rng()), reinterpret_cast<LPARAM>(slider));
        }
    }

    // What must hold after every message.
    bool Intact() {
        if (memcmp(&session.Defaults(), &defaults, sizeof defaults) != 0) {
            ADD_FAILURE() << Where() << ": the default record changed";
            return false;
        }
        if (const ptrdiff_t at = guard.FirstChange()) {
            ADD_FAILURE() << Where() << ": guard byte at " << at << " from the current record changed";
            return false;
        }
        const auto open = DialogCloser::OpenDialogs();
        if (!open.empty()) {
            char caption[128] = {};
            GetWindowTextA(open[0], caption, sizeof caption);
            ADD_FAILURE() << Where() << ": a dialog stayed open: " << caption;
            return false;
        }
        return failures.empty();
    }

    static inline MessageStorm* s_storm = nullptr;
    uint32_t seed = DefaultSeed;
    long messages = DefaultMessages;
    long step = 0;
    long calls = 0;
    std::mt19937 rng;
    PrintSettings defaults;
    HostSession session;
    HWND frames[4] = {};
    HWND pages[4] = {};
    int creating = -1;
    RecordGuard guard;
    std::vector<std::string> failures;
};

TEST_F(MessageStorm, EveryCallAnswersAndNothingOutsideTheRecordsChanges) {
    DialogCloser closer(seed ^ 0x5EED);
    for (int i = 0; i < 4; ++i) {
        NMHDR header = {frames[i], 0, static_cast<UINT>(PSN_SETACTIVE)};
        Send(i, pages[i], WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    }
    const DWORD start = GetTickCount();
    for (step = 0; step < messages; ++step) {
        OneMessage();
        Pump();
        if (!Intact()) break;
    }
    for (const auto& f : failures) ADD_FAILURE() << f;
    printf("seed %u: %ld messages, %ld calls through the bridge, %ld dialogs opened and closed (%ld forced), %lu ms\n",
           seed, step, calls, closer.Opened(), closer.Forced(), static_cast<unsigned long>(GetTickCount() - start));
    EXPECT_EQ(step, messages);
}

}  // namespace
