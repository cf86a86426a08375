// Host scripts: the steps a user (or a test) plays into the printer
// properties, one per line. This is the portable half: reading and checking
// a script. Playing it is host/script.h.
//
//   page main|color|option|version
//   click ID / check ID on|off / select ID INDEX / select ID "TEXT"
//   type ID "TEXT" / leave ID / scroll ID lineleft|...|thumbtrack POS|endscroll
//   ok / cancel / escape
//   expect message "TEXT"  [answer check ID]...
//   expect ID enabled|disabled|checked|unchecked|hidden|visible
//   expect ID text "TEXT" / expect ID selected INDEX / expect ID items N
//   expect field NAME VALUE / expect default unchanged
//   dump / shot FILE
//
// `#` starts a comment outside quotes; texts are UTF-8 in double quotes with
// the escapes \n, \" and \\.
#pragma once

#include <string>
#include <vector>

#include "host/job/job_file.h"

enum class ScriptOp {
    Page,
    Click,
    Check,
    Select,      // by index
    SelectText,  // the first item that begins with the text
    Type,
    Leave,
    Scroll,
    Ok,
    Cancel,
    Escape,
    ExpectMessage,
    ExpectState,
    ExpectText,
    ExpectSelected,
    ExpectItems,
    ExpectField,
    ExpectDefaultUnchanged,
    Dump,
    Shot,
};

enum class ControlState { Enabled, Disabled, Checked, Unchecked, Hidden, Visible };

// The platform's scroll codes (SB_LINELEFT ... SB_ENDSCROLL).
enum class ScrollCode { LineLeft = 0, LineRight = 1, PageLeft = 2, PageRight = 3, ThumbPosition = 4,
                        ThumbTrack = 5, EndScroll = 8 };

struct ScriptStep {
    int Line = 0;
    ScriptOp Op = ScriptOp::Dump;
    int Control = 0;
    // Page: 0 Main ... 3 Version; Check: 1 on, 0 off; Select/ExpectSelected:
    // the index; ExpectItems: the count; Scroll: the position.
    int Number = 0;
    ControlState State = ControlState::Enabled;
    ScrollCode Scroll = ScrollCode::EndScroll;
    std::string Text;  // Shift-JIS, as the controls hold it
    std::string Utf8;  // the text as written; Shot: the file; ExpectField: the value
    const JobField* Field = nullptr;
    double Value = 0;          // ExpectField of a number
    std::vector<int> Answers;  // ExpectMessage: check boxes ticked before OK
};

// True for the steps that act on a window (and so may open one).
bool IsScriptAction(ScriptOp op);

struct Script {
    std::string Name;
    std::vector<ScriptStep> Steps;
};

constexpr size_t MaxScriptBytes = 1 << 20;

// Reads a whole script; on any error nothing is kept and `error` says
// "NAME:LINE: reason" (or "NAME: reason" for the file as a whole).
bool ParseScript(const std::string& text, const std::string& name, Script& script, std::string& error);
bool LoadScriptFile(const std::string& path, Script& script, std::string& error);

// One line of `qvhost script --help` for each form of each step word.
struct ScriptWordHelp {
    const char* Word;
    const char* Syntax;
    const char* Help;
};
extern const size_t ScriptWordHelpCount;
const ScriptWordHelp& ScriptWordHelpAt(size_t i);  // i below ScriptWordHelpCount

// The page names of `page`, in page order.
extern const char* const ScriptPageNames[4];
