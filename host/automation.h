// Dialog automation: plays scripted user steps into the dialogs and message
// boxes that a call opens on this thread, records what they showed, and
// never lets a test hang.
//
//   DialogAutomation automation;                   // hooks this thread
//   automation.ExpectDialog({SetText(2066, "100"), LeaveFocus(2066),
//                            Inspect([](HWND d) { ... }), Ok()});
//   automation.ExpectMessageBox();                 // answered with OK
//   INT_PTR result = dialog.DoModal();
//   EXPECT_TRUE(automation.Passed()) << automation.Report();
//   automation.Seen()[1].Text                      // the message box's text
//
// Each window that becomes active (a top-level dialog of class #32770: a
// dialog, a property sheet, a message box, the file-open dialog) takes the
// next expectation in order and gets its steps, one per timer tick, so the
// window handles what a step caused before the next step comes. A window
// that opens while another one plays (a message box a click opened) takes
// the next expectation and plays first; the outer window resumes when it
// has gone. A window without an expectation, or of another kind than
// expected, fails the script and is closed. A window still open when the
// watchdog bound has passed since it appeared (or since its last step) fails
// the script and is closed: first as Cancel, then ended, then destroyed.
//
// Steps reach the controls the way a user's input does: posted clicks and
// keys, focus moves through the dialog manager, and the notifications a
// control sends its parent.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace automation {

enum class StepKind {
    SetText,     // WM_SETTEXT to the edit (the edit notifies EN_UPDATE, EN_CHANGE)
    Type,        // focus the edit, select all, then one WM_CHAR per character
    Click,       // BM_CLICK posted to the button
    Check,       // click the check box or radio button if its state differs
    Choose,      // select item Value of a list/combo, then the selection notifications
    ChooseText,  // the same for the first item equal to Text
    Focus,       // move the focus to the control (WM_NEXTDLGCTL)
    LeaveFocus,  // focus the control, then move the focus to the next tab stop
    Scroll,      // WM_HSCROLL/WM_VSCROLL from a scroll bar, trackbar or up-down
    Key,         // key down and up of virtual key Value, to the focus window
    Ok,          // the OK button (control 1), or WM_COMMAND IDOK
    Cancel,      // the Cancel button (control 2), or WM_COMMAND IDCANCEL
    Escape,      // the Escape key
    CloseBox,    // WM_SYSCOMMAND SC_CLOSE, as the title bar's close box
    Inspect,     // run a function with the window (assertions, reading controls)
    Screenshot,  // save the window as PNG to Text
    FileName,    // file-open dialog: put Text into the file name box and press Open
    Wait,        // let Value milliseconds pass
};

struct Step {
    StepKind Kind = StepKind::Wait;
    int Control = 0;
    std::string Text;  // Shift-JIS
    int Value = 0;
    int Code = 0;
    std::function<void(HWND)> Action;
};

Step SetText(int control, std::string text);
Step Type(int control, std::string text);
Step Click(int control);
Step Check(int control, bool checked = true);
Step Choose(int control, int index);
Step ChooseText(int control, std::string text);
Step Focus(int control);
Step LeaveFocus(int control);
// A trackbar or up-down is first moved to `position` (its own range), as a
// drag does; a scroll bar is left to the handler, as the platform does. The
// message carries `code` and `position`; trackbars then get TB_ENDTRACK and
// up-downs SB_ENDSCROLL, as after a real drag.
Step Scroll(int control, int code, int position);
Step Key(int virtualKey);
Step Ok();
Step Cancel();
Step Escape();
Step CloseBox();
Step Inspect(std::function<void(HWND)> action);
Step Screenshot(std::string path);
Step FileName(std::string path);
Step Wait(int milliseconds);

enum class WindowKind { Dialog, MessageBox, FileDialog, Any };

// The standard icon a message box (or any static icon of a dialog) shows.
enum class IconKind { None, Exclamation, Information, Error, Question, Other };

struct SeenWindow {
    WindowKind Kind;
    std::string Caption;  // Shift-JIS
    std::string Text;     // a message box's text; empty for other windows
    IconKind Icon;
    HICON IconHandle;
    HWND Owner;
    bool Expected;
};

// Steps supplied while playing, for scripts that learn only when a step has
// run whether it opened a window. The source is asked for the next step of
// the window on top each time that window is idle (its last step, and what
// that step caused, has been handled); a window that appears asks at once.
class StepSource {
public:
    enum class Reply {
        Play,   // play `step` into the window
        Wait,   // nothing now; ask again at the next tick
        Close,  // close the window as the watchdog does (Cancel, end, destroy)
    };
    virtual ~StepSource() = default;
    // `first` is true on the first call for `window`; `seen` is what it
    // showed when it appeared.
    virtual Reply Next(HWND window, const SeenWindow& seen, bool first, Step& step) = 0;
};

class DialogAutomation {
public:
    // Hooks the calling thread; `watchdogMs` bounds each window's life from
    // its appearance or its last step.
    explicit DialogAutomation(DWORD watchdogMs = 5000);
    ~DialogAutomation();
    DialogAutomation(const DialogAutomation&) = delete;
    DialogAutomation& operator=(const DialogAutomation&) = delete;

    // The next window is a dialog (or property sheet) and plays `steps`.
    // An empty `caption` accepts any; otherwise the caption must equal it.
    DialogAutomation& ExpectDialog(std::vector<Step> steps, std::string caption = {});
    // The next window is a message box, answered by `steps` (default OK).
    DialogAutomation& ExpectMessageBox(std::vector<Step> steps = {});
    // The next window is the file-open dialog, answered with `path`
    // (empty: cancelled).
    DialogAutomation& ExpectFileDialog(std::string path);

    // Plays the steps of `source` into `window` (already shown, such as a
    // modeless property sheet) and into every dialog or message box that
    // opens on this thread from now on; expectations are not used then.
    // While a window created on this thread has not yet been shown (a modal
    // dialog about to appear), no step is played, so the step after a click
    // reaches the dialog that the click opened.
    void Drive(HWND window, StepSource& source);

    // Every expectation met, every step played, nothing unexpected, no
    // watchdog.
    bool Passed() const;
    // Expectations not yet met.
    size_t Pending() const;
    const std::vector<SeenWindow>& Seen() const;
    const std::vector<std::string>& Failures() const;
    // The failures and what was seen, one per line, for test messages.
    std::string Report() const;

    // Waits (pumping messages) until every expectation was met or `ms` passed.
    bool WaitUntilDone(DWORD ms);

    struct State;

private:
    std::unique_ptr<State> m_state;
};

// Reads what a window shows: its kind, caption, message box text and icon.
SeenWindow DescribeWindow(HWND window);

// Control `id` of a window, or of its visible page when the window is a
// property sheet; null when there is none.
HWND FindControl(HWND window, int id);

}  // namespace automation
