#include "host/script.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>

#include "host/automation.h"
#include "host/capture.h"
#include "host/host_session.h"
#include "host/job/default_settings.h"
#include "host/job/text_codec.h"
#include "host/property_sheet.h"
#include "fileio/file_output.h"
#include "ui/common/resource.h"

using namespace automation;

namespace {

constexpr int SheetTabId = 0x3020;  // the tab control of a property sheet

std::string TextOf(HWND window) {
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsClass(HWND window, const char* name) { return lstrcmpiA(ClassOf(window).c_str(), name) == 0; }

// Shift-JIS text of the controls, for the run's UTF-8 lines.
std::string Utf8(const std::string& sjis) {
    std::string utf8;
    if (ShiftJisToUtf8(sjis, utf8)) return utf8;
    return sjis;
}

std::wstring Wide(const std::string& sjis) {
    const int n = MultiByteToWideChar(932, 0, sjis.data(), static_cast<int>(sjis.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(932, 0, sjis.data(), static_cast<int>(sjis.size()), wide.data(), n);
    return wide;
}

// Searched as characters: a Shift-JIS trail byte may equal an ASCII one.
bool Contains(const std::string& sjis, const std::string& part) {
    return Wide(sjis).find(Wide(part)) != std::wstring::npos;
}

enum class ListKind { None, Combo, List };

ListKind ListOf(HWND control) {
    if (IsClass(control, "ComboBox")) return ListKind::Combo;
    if (IsClass(control, "ListBox")) return ListKind::List;
    return ListKind::None;
}

int ListMessage(ListKind kind, UINT combo, UINT list, HWND control, WPARAM w = 0, LPARAM l = 0) {
    return static_cast<int>(SendMessageA(control, kind == ListKind::Combo ? combo : list, w, l));
}

std::string ItemText(ListKind kind, HWND control, int index) {
    if (index < 0) return {};
    const int length = ListMessage(kind, CB_GETLBTEXTLEN, LB_GETTEXTLEN, control, index);
    if (length < 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ListMessage(kind, CB_GETLBTEXT, LB_GETTEXT, control, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(strlen(text.c_str()));
    return text;
}

// What a control shows: a list's selected item, or the window text.
std::string ShownText(HWND control) {
    const ListKind kind = ListOf(control);
    if (kind == ListKind::None) return TextOf(control);
    return ItemText(kind, control, ListMessage(kind, CB_GETCURSEL, LB_GETCURSEL, control));
}

bool IsPropertySheet(HWND window) {
    HWND tab = GetDlgItem(window, SheetTabId);
    return tab && IsClass(tab, WC_TABCONTROLA);
}

// Control `id` of the window on top; in a property sheet, of its current
// page (hidden controls too), then of the sheet itself.
HWND ControlOf(HWND window, int id) {
    if (IsPropertySheet(window)) {
        if (HWND page = PropSheet_GetCurrentPageHwnd(window))
            if (HWND control = GetDlgItem(page, id)) return control;
    }
    return FindControl(window, id);
}

// The text of a message box, or of the notice box (a dialog with the
// notice's text and check box).
bool MessageText(HWND window, const SeenWindow& seen, std::string& text) {
    if (seen.Kind == WindowKind::MessageBox) {
        text = seen.Text;
        return true;
    }
    HWND notice = GetDlgItem(window, IDC_NOTICE_TEXT);
    if (!notice || !GetDlgItem(window, IDC_NOTICE_CHECK)) return false;
    text = TextOf(notice);
    return true;
}

std::string Quoted(const std::string& sjis) { return "\"" + Utf8(sjis) + "\""; }

const char* StateName(ControlState s) {
    switch (s) {
    case ControlState::Enabled: return "enabled";
    case ControlState::Disabled: return "disabled";
    case ControlState::Checked: return "checked";
    case ControlState::Unchecked: return "unchecked";
    case ControlState::Hidden: return "hidden";
    case ControlState::Visible: return "visible";
    }
    return "";
}

// The script as a source of automation steps: it is asked for the next
// step of the window on top whenever that window is idle.
class Runner : public StepSource {
public:
    Runner(HostSession& session, const Script& script, const ScriptOptions& options, HWND sheet)
        : m_session(session), m_script(script), m_options(options), m_sheet(sheet),
          m_defaults(MakeDefaultSettings()) {}

    void Attach(const DialogAutomation* automation) { m_automation = automation; }
    bool Finished() const { return m_finished; }
    const ScriptResult& Result() const { return m_result; }

    void Stop(const std::string& error) {
        if (m_result.Error.empty()) m_result.Error = error;
        m_finished = true;
    }

    // Failures the automation found (a watchdog, a step it could not play).
    void TakeAutomationFailures() {
        if (!m_automation) return;
        const std::vector<std::string>& failures = m_automation->Failures();
        for (; m_automationFailures < failures.size(); ++m_automationFailures)
            Fail(m_line, Utf8(failures[m_automationFailures]));
    }

    Reply Next(HWND window, const SeenWindow& seen, bool first, Step& step) override {
        TakeAutomationFailures();
        if (!m_result.Error.empty()) {
            if (window != m_sheet) return Reply::Close;
            m_finished = true;
            return Reply::Wait;
        }
        m_answering.erase(std::remove_if(m_answering.begin(), m_answering.end(),
                                         [](const Answering& a) { return !IsWindow(a.Window); }),
                          m_answering.end());
        std::string text;
        if (first && window != m_sheet && MessageText(window, seen, text)) StartAnswer(window, text);
        for (Answering& a : m_answering) {
            if (a.Window != window) continue;
            if (a.Steps.empty()) return Reply::Wait;  // answered; closing
            step = a.Steps.front();
            a.Steps.pop_front();
            return Reply::Play;
        }
        // The sheet or a dialog is idle: the step before has run its course.
        SettleMessages();
        return NextStep(window, seen, step);
    }

private:
    struct Answering {
        HWND Window;
        std::deque<Step> Steps;
    };

    void Print(const std::string& line) {
        if (m_options.Print)
            m_options.Print(line);
        else
            fputs(line.c_str(), stdout);
    }

    void Fail(int line, const std::string& what) {
        ++m_result.Failed;
        Print("FAIL line " + std::to_string(line) + ": " + what + "\n");
    }

    void Check(bool held, int line, const std::string& what) {
        if (held)
            ++m_result.Passed;
        else
            Fail(line, what);
    }

    // A message box or the notice box: matched with the oldest expectation
    // of the step that showed it, and answered.
    void StartAnswer(HWND window, const std::string& text) {
        Answering a{window, {}};
        if (m_messages.empty()) {
            Fail(m_line, "unexpected message " + Quoted(text));
        } else {
            const ScriptStep* e = m_messages.front();
            m_messages.pop_front();
            Check(Contains(text, e->Text), e->Line,
                  "the message " + Quoted(text) + " does not contain \"" + e->Utf8 + "\"");
            for (int id : e->Answers) {
                HWND box = GetDlgItem(window, id);
                if (box && IsClass(box, WC_BUTTONA))
                    a.Steps.push_back(automation::Check(id, true));
                else
                    Fail(e->Line, "the message has no check box " + std::to_string(id));
            }
        }
        a.Steps.push_back(Ok());
        m_answering.push_back(std::move(a));
    }

    void SettleMessages() {
        for (const ScriptStep* e : m_messages)
            Fail(e->Line, "no message was shown (expected one containing \"" + e->Utf8 + "\")");
        m_messages.clear();
    }

    // UTF-8, for the run's lines.
    std::string WindowName(HWND window) const {
        if (window == m_sheet) {
            const int index = PropSheet_HwndToIndex(window, PropSheet_GetCurrentPageHwnd(window));
            return index >= 0 && index < 4 ? std::string("the page '") + ScriptPageNames[index] + "'" : "the sheet";
        }
        return "the dialog " + Quoted(TextOf(window));
    }

    Reply NextStep(HWND window, const SeenWindow&, Step& step) {
        const bool onSheet = window == m_sheet;
        while (m_next < m_script.Steps.size()) {
            const ScriptStep& s = m_script.Steps[m_next++];
            m_line = s.Line;
            HWND control = nullptr;
            if (s.Control) {
                control = ControlOf(window, s.Control);
                if (!control) {
                    Stop(m_script.Name + ":" + std::to_string(s.Line) + ": no control " + std::to_string(s.Control) +
                         " in " + WindowName(window));
                    return onSheet ? Reply::Wait : Reply::Close;
                }
            }
            switch (s.Op) {
            case ScriptOp::Page:
                if (!onSheet) {
                    Fail(s.Line, "page: " + WindowName(window) + " is open");
                    continue;
                }
                step = Inspect([index = s.Number](HWND sheet) { PropSheet_SetCurSel(sheet, nullptr, index); });
                return Reply::Play;
            case ScriptOp::Ok:
            case ScriptOp::Cancel:
            case ScriptOp::Escape:
                if (onSheet) {
                    Fail(s.Line, "no dialog is open");
                    continue;
                }
                step = s.Op == ScriptOp::Ok ? Ok() : s.Op == ScriptOp::Cancel ? Cancel() : Escape();
                return Reply::Play;
            case ScriptOp::ExpectMessage: m_messages.push_back(&s); continue;
            case ScriptOp::Dump: Dump(); continue;
            case ScriptOp::Shot: Shot(window, s); continue;
            case ScriptOp::ExpectState: ExpectState(control, s); continue;
            case ScriptOp::ExpectText: ExpectText(control, s); continue;
            case ScriptOp::ExpectSelected: ExpectSelected(control, s); continue;
            case ScriptOp::ExpectItems: ExpectItems(control, s); continue;
            case ScriptOp::ExpectField: ExpectField(s); continue;
            case ScriptOp::ExpectDefaultUnchanged: ExpectDefaultUnchanged(s); continue;
            default:
                if (Act(control, s, step)) return Reply::Play;
                continue;
            }
        }
        if (onSheet) {
            m_finished = true;
            return Reply::Wait;
        }
        Fail(m_line, "the script ended with " + WindowName(window) + " open");
        return Reply::Close;
    }

    // An action on a control, as the user's input would make it.
    bool Act(HWND control, const ScriptStep& s, Step& step) {
        const std::string name = "control " + std::to_string(s.Control);
        if (!IsWindowVisible(control)) return Fail(s.Line, name + " is hidden"), false;
        if (!IsWindowEnabled(control)) return Fail(s.Line, name + " is disabled"), false;
        const ListKind list = ListOf(control);
        switch (s.Op) {
        case ScriptOp::Click: step = Click(s.Control); return true;
        case ScriptOp::Check: step = automation::Check(s.Control, s.Number != 0); return true;
        case ScriptOp::Leave: step = LeaveFocus(s.Control); return true;
        case ScriptOp::Type:
            if (!IsClass(control, WC_EDITA)) return Fail(s.Line, name + " is not an edit box"), false;
            // Typing over a selection of everything; nothing typed deletes it.
            step = Type(s.Control, s.Text.empty() ? std::string("\b") : s.Text);
            return true;
        case ScriptOp::Select:
        case ScriptOp::SelectText: {
            if (list == ListKind::None) return Fail(s.Line, name + " is not a list"), false;
            int index = s.Number;
            if (s.Op == ScriptOp::SelectText) {
                index = ListMessage(list, CB_FINDSTRING, LB_FINDSTRING, control, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(s.Text.c_str()));
                if (index < 0) return Fail(s.Line, "no item of " + name + " begins with \"" + s.Utf8 + "\""), false;
            }
            const int count = ListMessage(list, CB_GETCOUNT, LB_GETCOUNT, control);
            if (index >= count)
                return Fail(s.Line, name + " has " + std::to_string(count) + " items, no item " + std::to_string(index)),
                       false;
            step = Choose(s.Control, index);
            return true;
        }
        case ScriptOp::Scroll: {
            int position = 0;
            if (!ScrollPosition(control, s, position)) return Fail(s.Line, name + " does not scroll"), false;
            step = Scroll(s.Control, static_cast<int>(s.Scroll), position);
            return true;
        }
        default: return false;
        }
    }

    // Where a user's scroll action leaves the control: line and page steps
    // move a trackbar or up-down by its own sizes; a scroll bar moves when
    // its owner handles the message, so it keeps its position here.
    static bool ScrollPosition(HWND control, const ScriptStep& s, int& position) {
        int low = 0, high = 0, line = 1, page = 1;
        if (IsClass(control, TRACKBAR_CLASSA)) {
            position = static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0));
            low = static_cast<int>(SendMessageA(control, TBM_GETRANGEMIN, 0, 0));
            high = static_cast<int>(SendMessageA(control, TBM_GETRANGEMAX, 0, 0));
            line = static_cast<int>(SendMessageA(control, TBM_GETLINESIZE, 0, 0));
            page = static_cast<int>(SendMessageA(control, TBM_GETPAGESIZE, 0, 0));
        } else if (IsClass(control, UPDOWN_CLASSA)) {
            position = static_cast<int>(SendMessageA(control, UDM_GETPOS32, 0, 0));
            SendMessageA(control, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
            if (low > high) std::swap(low, high);
        } else if (IsClass(control, WC_SCROLLBARA)) {
            SCROLLINFO info = {sizeof info, SIF_POS, 0, 0, 0, 0, 0};
            GetScrollInfo(control, SB_CTL, &info);
            position = info.nPos;
            if (s.Scroll == ScrollCode::ThumbTrack || s.Scroll == ScrollCode::ThumbPosition) position = s.Number;
            return true;
        } else {
            return false;
        }
        switch (s.Scroll) {
        case ScrollCode::LineLeft: position -= line; break;
        case ScrollCode::LineRight: position += line; break;
        case ScrollCode::PageLeft: position -= page; break;
        case ScrollCode::PageRight: position += page; break;
        case ScrollCode::ThumbTrack:
        case ScrollCode::ThumbPosition: position = s.Number; break;
        case ScrollCode::EndScroll: break;
        }
        position = std::min(std::max(position, low), high);
        return true;
    }

    void ExpectState(HWND control, const ScriptStep& s) {
        const std::string name = "control " + std::to_string(s.Control);
        bool held = false;
        const char* actual = "";
        switch (s.State) {
        case ControlState::Enabled:
        case ControlState::Disabled: {
            const bool enabled = IsWindowEnabled(control) != FALSE;
            held = enabled == (s.State == ControlState::Enabled);
            actual = enabled ? "enabled" : "disabled";
            break;
        }
        case ControlState::Checked:
        case ControlState::Unchecked: {
            if (!IsClass(control, WC_BUTTONA)) return Fail(s.Line, name + " is not a check box or radio button");
            const LRESULT check = SendMessageA(control, BM_GETCHECK, 0, 0);
            held = check == (s.State == ControlState::Checked ? BST_CHECKED : BST_UNCHECKED);
            actual = check == BST_CHECKED ? "checked" : check == BST_UNCHECKED ? "unchecked" : "indeterminate";
            break;
        }
        case ControlState::Hidden:
        case ControlState::Visible: {
            const bool visible = IsWindowVisible(control) != FALSE;
            held = visible == (s.State == ControlState::Visible);
            actual = visible ? "visible" : "hidden";
            break;
        }
        }
        Check(held, s.Line, name + " is " + actual + ", expected " + StateName(s.State));
    }

    void ExpectText(HWND control, const ScriptStep& s) {
        const std::string shown = ShownText(control);
        Check(shown == s.Text, s.Line,
              "control " + std::to_string(s.Control) + " shows " + Quoted(shown) + ", expected \"" + s.Utf8 + "\"");
    }

    void ExpectSelected(HWND control, const ScriptStep& s) {
        const ListKind list = ListOf(control);
        int selected = 0;
        if (list != ListKind::None)
            selected = ListMessage(list, CB_GETCURSEL, LB_GETCURSEL, control);
        else if (IsClass(control, TRACKBAR_CLASSA))
            selected = static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0));
        else
            return Fail(s.Line, "control " + std::to_string(s.Control) + " is not a list or trackbar");
        Check(selected == s.Number, s.Line,
              "control " + std::to_string(s.Control) + " has " + std::to_string(selected) + " selected, expected " +
                  std::to_string(s.Number));
    }

    void ExpectItems(HWND control, const ScriptStep& s) {
        const ListKind list = ListOf(control);
        if (list == ListKind::None) return Fail(s.Line, "control " + std::to_string(s.Control) + " is not a list");
        const int count = ListMessage(list, CB_GETCOUNT, LB_GETCOUNT, control);
        Check(count == s.Number, s.Line,
              "control " + std::to_string(s.Control) + " has " + std::to_string(count) + " items, expected " +
                  std::to_string(s.Number));
    }

    void ExpectField(const ScriptStep& s) {
        const std::string value = FormatJobValue(m_session.Current(), *s.Field);
        bool held = false;
        if (s.Field->Type == JobFieldType::Text) {
            held = value == s.Utf8;
        } else {
            const double actual = std::strtod(value.c_str(), nullptr);
            const double scale = std::max({1.0, std::fabs(actual), std::fabs(s.Value)});
            held = std::fabs(actual - s.Value) <= 1e-9 * scale;
        }
        const bool text = s.Field->Type == JobFieldType::Text;
        Check(held, s.Line,
              std::string(s.Field->Name) + " is " + (text ? "\"" + value + "\"" : value) + ", expected " +
                  (text ? "\"" + s.Utf8 + "\"" : s.Utf8));
    }

    void ExpectDefaultUnchanged(const ScriptStep& s) {
        std::string changed;
        size_t count = 0;
        const JobField* fields = JobFields(&count);
        for (size_t i = 0; i < count; ++i) {
            if (memcmp(reinterpret_cast<const char*>(&m_session.Defaults()) + fields[i].Offset,
                       reinterpret_cast<const char*>(&m_defaults) + fields[i].Offset, fields[i].Size) != 0)
                changed += (changed.empty() ? "" : ", ") + std::string(fields[i].Name);
        }
        Check(changed.empty(), s.Line, "the default settings changed: " + changed);
    }

    void Dump() {
        size_t count = 0;
        const JobField* fields = JobFields(&count);
        std::string text;
        for (size_t i = 0; i < count; ++i)
            text += std::string(fields[i].Name) + "=" + FormatJobValue(m_session.Current(), fields[i]) + "\n";
        Print(text);
    }

    void Shot(HWND window, const ScriptStep& s) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        std::string error;
        if (!SaveWindowPng(window, s.Utf8, &error))
            Fail(s.Line, "could not save the picture " + s.Utf8 + ": " + error);
    }

    HostSession& m_session;
    const Script& m_script;
    const ScriptOptions& m_options;
    const HWND m_sheet;
    const PrintSettings m_defaults;  // what the default record must still hold
    const DialogAutomation* m_automation = nullptr;
    size_t m_automationFailures = 0;
    size_t m_next = 0;  // the next script step
    int m_line = 0;     // the line of the step played last
    std::deque<const ScriptStep*> m_messages;  // expected of the step being played
    std::vector<Answering> m_answering;
    ScriptResult m_result;
    bool m_finished = false;
};

}  // namespace

ScriptResult RunScript(HostSession& session, const Script& script, const ScriptOptions& options) {
    HWND sheet = OpenModelessSheet(session);
    if (!sheet) {
        ScriptResult failed;
        failed.Error = script.Name + ": the printer properties did not open";
        return failed;
    }
    Runner runner(session, script, options, sheet);
    {
        DialogAutomation automation(options.WatchdogMs);
        runner.Attach(&automation);
        automation.Drive(sheet, runner);
        MSG msg;
        while (!runner.Finished()) {
            if (!IsWindow(sheet) || !PropSheet_GetCurrentPageHwnd(sheet)) {
                runner.Stop(script.Name + ": the printer properties were closed");
                break;
            }
            if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
            if (!PropSheet_IsDialogMessage(sheet, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        runner.TakeAutomationFailures();
        runner.Attach(nullptr);
    }
    CloseModelessSheet(sheet);
    ScriptResult result = runner.Result();
    if (result.Error.empty()) {
        const std::string summary =
            std::to_string(result.Passed) + " passed, " + std::to_string(result.Failed) + " failed\n";
        if (options.Print)
            options.Print(summary);
        else
            fputs(summary.c_str(), stdout);
    }
    return result;
}

int RunScriptCommand(HostSession& session, const Script& script, const std::string& savePath) {
    const ScriptResult result = RunScript(session, script);
    fflush(stdout);
    if (!result.Error.empty()) {
        fprintf(stderr, "qvhost script: %s\n", result.Error.c_str());
        if (!savePath.empty()) fprintf(stderr, "qvhost script: %s is not saved\n", savePath.c_str());
        return result.Status();
    }
    if (savePath.empty()) return result.Status();
    if (result.Failed) {
        fprintf(stderr, "qvhost script: %s is not saved: the script failed\n", savePath.c_str());
        return result.Status();
    }
    std::string error;
    if (!SaveJobFile(savePath, session.Current(), error)) {
        fprintf(stderr, "qvhost script: %s\n", error.c_str());
        return 1;
    }
    printf("saved %s\n", savePath.c_str());
    return 0;
}
