#include "host/automation.h"

#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <exception>

#include "host/capture.h"

namespace automation {

namespace {

constexpr UINT TickMs = 15;
constexpr DWORD CloseStepMs = 500;  // between the stages of closing a window
constexpr DWORD ShowGraceMs = 2000;  // how long a created window may take to show itself
constexpr int MessageBoxTextId = 0xFFFF;
constexpr int FileNameEditId = 0x480;   // edt1
constexpr int FileNameComboId = 0x47C;  // cmb13

std::string TextOf(HWND window) {
    if (!window) return {};
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    int got = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(got, 0)));
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsClass(HWND window, const char* name) { return lstrcmpiA(ClassOf(window).c_str(), name) == 0; }

bool IsDialogClassName(LPCSTR name) {
    if (IS_INTRESOURCE(name)) return LOWORD(reinterpret_cast<ULONG_PTR>(name)) == 0x8002;
    return lstrcmpA(name, "#32770") == 0;
}

const char* KindName(WindowKind kind) {
    switch (kind) {
    case WindowKind::Dialog: return "dialog";
    case WindowKind::MessageBox: return "message box";
    case WindowKind::FileDialog: return "file dialog";
    case WindowKind::Any: return "window";
    }
    return "window";
}

struct IconMatch {
    LPCSTR Standard;
    IconKind Kind;
};
const IconMatch StandardIcons[] = {
    {IDI_EXCLAMATION, IconKind::Exclamation},
    {IDI_ASTERISK, IconKind::Information},
    {IDI_HAND, IconKind::Error},
    {IDI_QUESTION, IconKind::Question},
};

struct IconSearch {
    HICON Found;
};

BOOL CALLBACK FindIconStatic(HWND child, LPARAM lParam) {
    auto* search = reinterpret_cast<IconSearch*>(lParam);
    if (!IsClass(child, "Static") || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return TRUE;
    HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    if (!icon) return TRUE;
    search->Found = icon;
    return FALSE;
}

struct ControlSearch {
    int Id;
    HWND Found;
};

BOOL CALLBACK FindControlById(HWND child, LPARAM lParam) {
    auto* search = reinterpret_cast<ControlSearch*>(lParam);
    if (GetDlgCtrlID(child) != search->Id || !IsWindowVisible(child)) return TRUE;
    search->Found = child;
    return FALSE;
}

}  // namespace

HWND FindControl(HWND window, int id) {
    HWND direct = GetDlgItem(window, id);
    if (direct) return direct;
    ControlSearch search = {id, nullptr};
    EnumChildWindows(window, FindControlById, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

namespace {

void PostCommand(HWND control, int code) {
    HWND parent = GetParent(control);
    PostMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

void PressButton(HWND window, int id) {
    HWND button = FindControl(window, id);
    if (button && IsWindowEnabled(button))
        PostMessageA(button, BM_CLICK, 0, 0);
    else
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void PostKey(HWND window, int key) {
    HWND focus = GetFocus();
    HWND target = focus && (focus == window || IsChild(window, focus)) ? focus : window;
    PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(key), static_cast<LPARAM>(0xC0000001u));
}

std::wstring Wide(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

}  // namespace

// ---- steps -----------------------------------------------------------------------

namespace {
Step MakeStep(StepKind kind, int control = 0, std::string text = {}, int value = 0, int code = 0) {
    Step s;
    s.Kind = kind;
    s.Control = control;
    s.Text = std::move(text);
    s.Value = value;
    s.Code = code;
    return s;
}
}  // namespace

Step SetText(int control, std::string text) { return MakeStep(StepKind::SetText, control, std::move(text)); }
Step Type(int control, std::string text) { return MakeStep(StepKind::Type, control, std::move(text)); }
Step Click(int control) { return MakeStep(StepKind::Click, control); }
Step Check(int control, bool checked) { return MakeStep(StepKind::Check, control, {}, checked ? 1 : 0); }
Step Choose(int control, int index) { return MakeStep(StepKind::Choose, control, {}, index); }
Step ChooseText(int control, std::string text) { return MakeStep(StepKind::ChooseText, control, std::move(text)); }
Step Focus(int control) { return MakeStep(StepKind::Focus, control); }
Step LeaveFocus(int control) { return MakeStep(StepKind::LeaveFocus, control); }
Step Scroll(int control, int code, int position) { return MakeStep(StepKind::Scroll, control, {}, position, code); }
Step Key(int virtualKey) { return MakeStep(StepKind::Key, 0, {}, virtualKey); }
Step Ok() { return MakeStep(StepKind::Ok); }
Step Cancel() { return MakeStep(StepKind::Cancel); }
Step Escape() { return MakeStep(StepKind::Escape); }
Step CloseBox() { return MakeStep(StepKind::CloseBox); }
Step Inspect(std::function<void(HWND)> action) {
    Step s = MakeStep(StepKind::Inspect);
    s.Action = std::move(action);
    return s;
}
Step Screenshot(std::string path) { return MakeStep(StepKind::Screenshot, 0, std::move(path)); }
Step FileName(std::string path) { return MakeStep(StepKind::FileName, 0, std::move(path)); }
Step Wait(int milliseconds) { return MakeStep(StepKind::Wait, 0, {}, milliseconds); }

SeenWindow DescribeWindow(HWND window) {
    SeenWindow seen = {};
    seen.Caption = TextOf(window);
    seen.Owner = GetWindow(window, GW_OWNER);
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    HMODULE user32 = GetModuleHandleA("user32.dll");
    HMODULE comdlg32 = GetModuleHandleA("comdlg32.dll");
    // The platform's message box is a dialog of no module (or of USER32)
    // with its text in static 0xFFFF.
    if (instance && instance == comdlg32)
        seen.Kind = WindowKind::FileDialog;
    else if ((!instance || instance == user32) && GetDlgItem(window, MessageBoxTextId))
        seen.Kind = WindowKind::MessageBox;
    else
        seen.Kind = WindowKind::Dialog;
    if (seen.Kind == WindowKind::MessageBox) seen.Text = TextOf(GetDlgItem(window, MessageBoxTextId));

    IconSearch search = {nullptr};
    EnumChildWindows(window, FindIconStatic, reinterpret_cast<LPARAM>(&search));
    seen.IconHandle = search.Found;
    seen.Icon = search.Found ? IconKind::Other : IconKind::None;
    for (const IconMatch& m : StandardIcons)
        if (search.Found && search.Found == LoadIconA(nullptr, m.Standard)) seen.Icon = m.Kind;
    return seen;
}

// ---- the player ------------------------------------------------------------------

struct Expectation {
    WindowKind Kind;
    std::string Caption;
    std::vector<Step> Steps;
};

struct Playing {
    HWND Window;
    SeenWindow Seen;
    bool Asked = false;  // the step source has been asked about this window
    unsigned Order = 0;  // creation order among the windows seen by the hook
    std::vector<Step> Steps;
    size_t Next = 0;
    bool Busy = false;     // a step of this window is running (and may have opened another)
    bool Closing = false;  // being closed as unexpected or overdue
    int CloseStage = 0;
    DWORD LastActivity = 0;
    DWORD WaitUntil = 0;
    std::string Name;
};

struct DialogAutomation::State {
    DWORD Watchdog;
    HHOOK Hook = nullptr;
    UINT_PTR Timer = 0;
    std::deque<Expectation> Expected;
    StepSource* Source = nullptr;
    struct CreatedWindow {
        HWND Window;
        DWORD Time;
        unsigned Order;
    };
    unsigned CreatedCount = 0;
    std::vector<CreatedWindow> Created;  // top-level dialogs in order of creation, not yet shown
    std::vector<Playing> Stack;
    std::vector<HWND> Known;
    std::vector<SeenWindow> Seen;
    std::vector<std::string> Failures;

    void Fail(std::string message) { Failures.push_back(std::move(message)); }
    void Tick();
    void Cleanup();
    void TakeNewWindows();
    bool AwaitingWindow(const Playing& top, DWORD now) const;
    bool Ask(Playing& top, DWORD now);
    void Close(Playing& p, DWORD now);
    void Run(const Step& step, HWND window);
    Playing* Find(HWND window) {
        for (Playing& p : Stack)
            if (p.Window == window) return &p;
        return nullptr;
    }
};

namespace {

thread_local DialogAutomation::State* t_state;

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    DialogAutomation::State* state = t_state;
    HHOOK hook = state ? state->Hook : nullptr;
    if (state && code == HCBT_CREATEWND) {
        const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (!(cs->style & WS_CHILD) && IsDialogClassName(cs->lpszClass))
            state->Created.push_back({reinterpret_cast<HWND>(wParam), GetTickCount(), ++state->CreatedCount});
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

void CALLBACK TimerTick(HWND, UINT, UINT_PTR, DWORD) {
    if (t_state) t_state->Tick();
}

}  // namespace

void DialogAutomation::State::Cleanup() {
    for (size_t i = 0; i < Stack.size();) {
        Playing& p = Stack[i];
        if (IsWindow(p.Window) || p.Busy) {
            ++i;
            continue;
        }
        if (!p.Closing && p.Next < p.Steps.size())
            Fail(p.Name + " closed with " + std::to_string(p.Steps.size() - p.Next) + " step(s) not played");
        Known.erase(std::remove(Known.begin(), Known.end(), p.Window), Known.end());
        Stack.erase(Stack.begin() + static_cast<std::ptrdiff_t>(i));
        if (!Stack.empty()) Stack.back().LastActivity = GetTickCount();
    }
    Created.erase(
        std::remove_if(Created.begin(), Created.end(), [](const CreatedWindow& c) { return !IsWindow(c.Window); }),
        Created.end());
}

void DialogAutomation::State::TakeNewWindows() {
    const DWORD now = GetTickCount();
    for (size_t i = 0; i < Created.size();) {
        HWND w = Created[i].Window;
        const unsigned order = Created[i].Order;
        if (!IsWindowVisible(w)) {
            ++i;
            continue;
        }
        Created.erase(Created.begin() + static_cast<std::ptrdiff_t>(i));
        if (std::find(Known.begin(), Known.end(), w) != Known.end()) continue;
        Known.push_back(w);
        SeenWindow seen = DescribeWindow(w);
        Playing p;
        p.Window = w;
        p.Order = order;
        p.LastActivity = now;
        p.Name = std::string(KindName(seen.Kind)) + " \"" + seen.Caption + "\"";
        if (Source) {
            seen.Expected = true;  // the source answers every window
        } else if (Expected.empty()) {
            Fail("unexpected " + p.Name + (seen.Text.empty() ? "" : ": " + seen.Text));
            p.Closing = true;
        } else {
            Expectation e = std::move(Expected.front());
            Expected.pop_front();
            const bool kindOk = e.Kind == WindowKind::Any || e.Kind == seen.Kind;
            if (!kindOk || (!e.Caption.empty() && e.Caption != seen.Caption)) {
                Fail("expected a " + std::string(KindName(e.Kind)) +
                     (e.Caption.empty() ? "" : " \"" + e.Caption + "\"") + ", got " + p.Name);
                p.Closing = true;
            } else {
                seen.Expected = true;
                p.Steps = std::move(e.Steps);
            }
        }
        p.Seen = seen;
        Seen.push_back(seen);
        Stack.push_back(std::move(p));
    }
}

void DialogAutomation::State::Close(Playing& p, DWORD now) {
    if (p.CloseStage > 0 && now - p.LastActivity < CloseStepMs) return;
    switch (p.CloseStage) {
    case 0: PostMessageA(p.Window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); break;
    case 1: EndDialog(p.Window, IDCANCEL); break;
    default: DestroyWindow(p.Window); break;
    }
    ++p.CloseStage;
    p.LastActivity = now;
}

// A window created after the one on top (by its last step) has not shown
// itself yet.
bool DialogAutomation::State::AwaitingWindow(const Playing& top, DWORD now) const {
    for (const CreatedWindow& c : Created)
        if (c.Order > top.Order && now - c.Time < ShowGraceMs &&
            std::find(Known.begin(), Known.end(), c.Window) == Known.end())
            return true;
    return false;
}

// Takes the next step of the window on top from the source; false when
// there is none to play now.
bool DialogAutomation::State::Ask(Playing& top, DWORD now) {
    if (!Source || AwaitingWindow(top, now)) return false;
    Step step;
    const bool first = !top.Asked;
    top.Asked = true;
    top.Busy = true;  // the source may send messages; no tick plays meanwhile
    const StepSource::Reply reply = Source->Next(top.Window, top.Seen, first, step);
    top.Busy = false;
    switch (reply) {
    case StepSource::Reply::Play: top.Steps.push_back(std::move(step)); return true;
    case StepSource::Reply::Wait: return false;
    case StepSource::Reply::Close:
        top.Closing = true;
        top.CloseStage = 0;
        Close(top, now);
        return false;
    }
    return false;
}

void DialogAutomation::State::Tick() {
    Cleanup();
    TakeNewWindows();
    if (Stack.empty()) return;
    const DWORD now = GetTickCount();
    Playing& top = Stack.back();
    if (top.Busy) return;
    if (top.Closing) {
        Close(top, now);
        return;
    }
    if (now - top.LastActivity > Watchdog) {
        Fail("watchdog: " + top.Name + " still open after " + std::to_string(Watchdog) + " ms");
        top.Closing = true;
        top.CloseStage = 0;
        Close(top, now);
        return;
    }
    if (now < top.WaitUntil) return;
    if (top.Next >= top.Steps.size() && !Ask(top, now)) return;

    const Step step = top.Steps[top.Next++];
    const HWND window = top.Window;
    top.LastActivity = now;
    top.Busy = true;
    Run(step, window);  // may open (and play) other windows before it returns
    if (Playing* p = Find(window)) {
        p->Busy = false;
        p->LastActivity = GetTickCount();
        if (step.Kind == StepKind::Wait) p->WaitUntil = p->LastActivity + static_cast<DWORD>(step.Value);
    }
}

void DialogAutomation::State::Run(const Step& step, HWND window) {
    HWND control = nullptr;
    switch (step.Kind) {
    case StepKind::SetText:
    case StepKind::Type:
    case StepKind::Click:
    case StepKind::Check:
    case StepKind::Choose:
    case StepKind::ChooseText:
    case StepKind::Focus:
    case StepKind::LeaveFocus:
    case StepKind::Scroll:
        control = FindControl(window, step.Control);
        if (!control) {
            Fail("no control " + std::to_string(step.Control) + " in " + TextOf(window));
            return;
        }
        break;
    default: break;
    }

    switch (step.Kind) {
    case StepKind::SetText:
        SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.Text.c_str()));
        break;
    case StepKind::Type:
        SetFocus(control);
        SendMessageA(control, EM_SETSEL, 0, -1);
        for (wchar_t c : Wide(step.Text)) SendMessageW(control, WM_CHAR, c, 1);
        break;
    case StepKind::Click: PostMessageA(control, BM_CLICK, 0, 0); break;
    case StepKind::Check:
        if ((SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) != (step.Value != 0))
            PostMessageA(control, BM_CLICK, 0, 0);
        break;
    case StepKind::Choose:
    case StepKind::ChooseText: {
        const bool combo = IsClass(control, "ComboBox");
        int index = step.Value;
        if (step.Kind == StepKind::ChooseText) {
            index = static_cast<int>(SendMessageA(control, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT,
                                                  static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(step.Text.c_str())));
            if (index < 0) {
                Fail("no item \"" + step.Text + "\" in list " + std::to_string(step.Control));
                return;
            }
        }
        SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostCommand(control, combo ? CBN_SELCHANGE : LBN_SELCHANGE);
        if (combo) PostCommand(control, CBN_SELENDOK);
        break;
    }
    case StepKind::Focus:
        PostMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        break;
    case StepKind::LeaveFocus:
        PostMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        PostMessageA(window, WM_NEXTDLGCTL, 0, FALSE);
        break;
    case StepKind::Scroll: {
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        UINT message = WM_HSCROLL;
        int end = -1;
        if (IsClass(control, TRACKBAR_CLASSA)) {
            SendMessageA(control, TBM_SETPOS, TRUE, step.Value);
            if (style & TBS_VERT) message = WM_VSCROLL;
            end = TB_ENDTRACK;
        } else if (IsClass(control, UPDOWN_CLASSA)) {
            SendMessageA(control, UDM_SETPOS32, 0, step.Value);
            if (!(style & UDS_HORZ)) message = WM_VSCROLL;
            end = SB_ENDSCROLL;
        } else if (style & SBS_VERT) {
            message = WM_VSCROLL;
        }
        HWND parent = GetParent(control);
        const WPARAM position = static_cast<WORD>(static_cast<short>(step.Value));
        PostMessageA(parent, message, MAKEWPARAM(step.Code, position), reinterpret_cast<LPARAM>(control));
        if (end >= 0)
            PostMessageA(parent, message, MAKEWPARAM(end, position), reinterpret_cast<LPARAM>(control));
        break;
    }
    case StepKind::Key: PostKey(window, step.Value); break;
    case StepKind::Ok: PressButton(window, IDOK); break;
    case StepKind::Cancel: PressButton(window, IDCANCEL); break;
    case StepKind::Escape: PostKey(window, VK_ESCAPE); break;
    case StepKind::CloseBox: PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case StepKind::Inspect:
        try {
            if (step.Action) step.Action(window);
        } catch (const std::exception& e) {
            Fail(std::string("inspection threw: ") + e.what());
        } catch (...) {
            Fail("inspection threw");
        }
        break;
    case StepKind::Screenshot:
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        if (!SaveWindowPng(window, step.Text)) Fail("could not save " + step.Text);
        break;
    case StepKind::FileName: {
        HWND box = GetDlgItem(window, FileNameEditId);
        if (!box) box = GetDlgItem(window, FileNameComboId);
        if (!box) {
            Fail("no file name box in " + TextOf(window));
            return;
        }
        SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.Text.c_str()));
        PressButton(window, IDOK);
        break;
    }
    case StepKind::Wait: break;
    }
}

// ---- DialogAutomation ------------------------------------------------------------

DialogAutomation::DialogAutomation(DWORD watchdogMs) : m_state(std::make_unique<State>()) {
    m_state->Watchdog = watchdogMs;
    t_state = m_state.get();
    m_state->Hook = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
    m_state->Timer = SetTimer(nullptr, 0, TickMs, TimerTick);
}

DialogAutomation::~DialogAutomation() {
    if (m_state->Timer) KillTimer(nullptr, m_state->Timer);
    if (m_state->Hook) UnhookWindowsHookEx(m_state->Hook);
    if (t_state == m_state.get()) t_state = nullptr;
}

DialogAutomation& DialogAutomation::ExpectDialog(std::vector<Step> steps, std::string caption) {
    m_state->Expected.push_back({WindowKind::Dialog, std::move(caption), std::move(steps)});
    return *this;
}

DialogAutomation& DialogAutomation::ExpectMessageBox(std::vector<Step> steps) {
    if (steps.empty()) steps.push_back(Ok());
    m_state->Expected.push_back({WindowKind::MessageBox, {}, std::move(steps)});
    return *this;
}

DialogAutomation& DialogAutomation::ExpectFileDialog(std::string path) {
    std::vector<Step> steps;
    steps.push_back(path.empty() ? Cancel() : FileName(std::move(path)));
    m_state->Expected.push_back({WindowKind::FileDialog, {}, std::move(steps)});
    return *this;
}

void DialogAutomation::Drive(HWND window, StepSource& source) {
    m_state->Source = &source;
    m_state->Known.push_back(window);
    Playing p;
    p.Window = window;
    p.Seen = DescribeWindow(window);
    p.Seen.Expected = true;
    p.Order = m_state->CreatedCount;
    p.Name = std::string(KindName(p.Seen.Kind)) + " \"" + p.Seen.Caption + "\"";
    p.LastActivity = GetTickCount();
    m_state->Seen.push_back(p.Seen);
    m_state->Stack.insert(m_state->Stack.begin(), std::move(p));
}

bool DialogAutomation::Passed() const {
    m_state->Cleanup();
    return m_state->Failures.empty() && m_state->Expected.empty() && m_state->Stack.empty();
}

size_t DialogAutomation::Pending() const { return m_state->Expected.size(); }

const std::vector<SeenWindow>& DialogAutomation::Seen() const { return m_state->Seen; }

const std::vector<std::string>& DialogAutomation::Failures() const {
    m_state->Cleanup();
    return m_state->Failures;
}

std::string DialogAutomation::Report() const {
    m_state->Cleanup();
    std::string report;
    for (const std::string& f : m_state->Failures) report += "failure: " + f + "\n";
    for (const Expectation& e : m_state->Expected)
        report += std::string("not seen: ") + KindName(e.Kind) + (e.Caption.empty() ? "" : " \"" + e.Caption + "\"") + "\n";
    for (const SeenWindow& s : m_state->Seen)
        report += std::string("seen: ") + KindName(s.Kind) + " \"" + s.Caption + "\"" +
                  (s.Text.empty() ? "" : " text \"" + s.Text + "\"") + (s.Expected ? "" : " (unexpected)") + "\n";
    return report;
}

bool DialogAutomation::WaitUntilDone(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        m_state->Cleanup();
        if (m_state->Expected.empty() && m_state->Stack.empty()) return true;
        Sleep(5);
    }
    return false;
}

}  // namespace automation
