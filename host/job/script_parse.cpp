#include "host/job/script_parse.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "host/job/text_codec.h"
#include "fileio/file_output.h"

const char* const ScriptPageNames[4] = {"main", "color", "option", "version"};

bool IsScriptAction(ScriptOp op) {
    switch (op) {
    case ScriptOp::Page:
    case ScriptOp::Click:
    case ScriptOp::Check:
    case ScriptOp::Select:
    case ScriptOp::SelectText:
    case ScriptOp::Type:
    case ScriptOp::Leave:
    case ScriptOp::Scroll:
    case ScriptOp::Ok:
    case ScriptOp::Cancel:
    case ScriptOp::Escape: return true;
    default: return false;
    }
}

namespace {

struct Token {
    std::string Text;  // a quoted token without its quotes, escapes resolved
    bool Quoted;
};

// A failure on one line; caught by ParseScript, which adds the place.
struct LineError {
    std::string Reason;
};

[[noreturn]] void Fail(std::string reason) { throw LineError{std::move(reason)}; }

// Length of the UTF-8 sequence at `p`, or 0 when it is not a valid one.
size_t Utf8Length(const unsigned char* p, size_t left) {
    const unsigned char c = p[0];
    size_t n = 0;
    unsigned min = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) n = 2, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF) n = 3, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4) n = 4, min = 0x10000;
    else return 0;
    if (left < n) return 0;
    unsigned value = c & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        value = value << 6 | (p[i] & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return n;
}

// Refuses what is not a text file: NUL and other control bytes, and bytes
// that are not UTF-8. Returns the 1-based line of the first fault, or 0.
int FindBinaryLine(const std::string& text, std::string& reason) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    int line = 1;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = p[i];
        if (c == '\n') ++line;
        if (c < 0x20 && c != '\n' && c != '\r' && c != '\t') {
            reason = c == 0 ? "binary data (a NUL byte); a script is UTF-8 text"
                            : "binary data (control byte " + std::to_string(c) + "); a script is UTF-8 text";
            return line;
        }
        const size_t n = Utf8Length(p + i, text.size() - i);
        if (n == 0) {
            reason = "not UTF-8 text";
            return line;
        }
        i += n;
    }
    return 0;
}

std::vector<Token> Tokenize(const std::string& line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        if (c != '"') {
            size_t end = line.find_first_of(" \t\r#\"", i);
            if (end == std::string::npos) end = line.size();
            if (end < line.size() && line[end] == '"') Fail("a quote inside a word: put a space before the text");
            tokens.push_back({line.substr(i, end - i), false});
            i = end;
            continue;
        }
        std::string text;
        for (++i;; ++i) {
            if (i >= line.size()) Fail("a text without its closing quote");
            if (line[i] == '"') break;
            if (line[i] != '\\') {
                text += line[i];
                continue;
            }
            if (++i >= line.size()) Fail("a text without its closing quote");
            switch (line[i]) {
            case 'n': text += '\n'; break;
            case '"': text += '"'; break;
            case '\\': text += '\\'; break;
            default: Fail(std::string("unknown escape \\") + line[i] + " (\\n, \\\" and \\\\ are known)");
            }
        }
        ++i;
        if (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#')
            Fail("text run on after its closing quote");
        tokens.push_back({text, true});
    }
    return tokens;
}

// The words of one line, taken in order.
class Words {
public:
    explicit Words(std::vector<Token> tokens) : m_tokens(std::move(tokens)) {}

    bool Done() const { return m_next >= m_tokens.size(); }
    const std::string& Peek() const { return m_tokens[m_next].Text; }

    std::string Word(const char* what) {
        const Token& t = Take(what);
        if (t.Quoted) Fail(std::string("expected ") + what + ", found the text \"" + t.Text + "\"");
        return t.Text;
    }
    std::string Text(const char* what) {
        const Token& t = Take(what);
        if (!t.Quoted) Fail(std::string("expected ") + what + " in double quotes, found '" + t.Text + "'");
        return t.Text;
    }
    bool NextIsText() const { return !Done() && m_tokens[m_next].Quoted; }

    long Integer(const char* what, long low, long high) {
        const std::string word = Word(what);
        char* end = nullptr;
        errno = 0;
        const long v = std::strtol(word.c_str(), &end, 10);
        if (word.empty() || *end != '\0' || errno != 0)
            Fail(std::string("expected ") + what + " (a number), found '" + word + "'");
        if (v < low || v > high)
            Fail(std::string(what) + " " + word + " is out of range (" + std::to_string(low) + " to " +
                 std::to_string(high) + ")");
        return v;
    }
    int Control() { return static_cast<int>(Integer("a control id", 1, 0xFFFF)); }

    void End() {
        if (!Done()) Fail("unexpected '" + m_tokens[m_next].Text + "' at the end of the step");
    }

private:
    const Token& Take(const char* what) {
        if (Done()) Fail(std::string("missing ") + what);
        return m_tokens[m_next++];
    }
    std::vector<Token> m_tokens;
    size_t m_next = 0;
};

std::string ToShiftJis(const std::string& utf8) {
    std::string sjis;
    if (!Utf8ToShiftJis(utf8, sjis)) Fail("the text \"" + utf8 + "\" has a character that Shift-JIS lacks");
    return sjis;
}

template <typename T>
struct Keyword {
    const char* Name;
    T Value;
};

template <typename T, size_t N>
T Lookup(const Keyword<T> (&table)[N], const std::string& word, const char* what) {
    std::string known;
    for (const Keyword<T>& k : table) {
        if (word == k.Name) return k.Value;
        known += (known.empty() ? "" : "|") + std::string(k.Name);
    }
    Fail("unknown " + std::string(what) + " '" + word + "' (" + known + ")");
}

const Keyword<int> Pages[] = {{"main", 0}, {"color", 1}, {"option", 2}, {"version", 3}};
const Keyword<int> OnOff[] = {{"on", 1}, {"off", 0}};
const Keyword<ScrollCode> ScrollCodes[] = {
    {"lineleft", ScrollCode::LineLeft},         {"lineright", ScrollCode::LineRight},
    {"pageleft", ScrollCode::PageLeft},         {"pageright", ScrollCode::PageRight},
    {"thumbtrack", ScrollCode::ThumbTrack},     {"thumbposition", ScrollCode::ThumbPosition},
    {"endscroll", ScrollCode::EndScroll},
};
const Keyword<ControlState> States[] = {
    {"enabled", ControlState::Enabled}, {"disabled", ControlState::Disabled}, {"checked", ControlState::Checked},
    {"unchecked", ControlState::Unchecked}, {"hidden", ControlState::Hidden}, {"visible", ControlState::Visible},
};

void ParseFieldValue(Words& w, ScriptStep& s) {
    const std::string name = w.Word("a field name");
    s.Field = FindJobField(name);
    if (!s.Field) Fail("unknown field '" + name + "' (the names of `qvhost dump`)");
    if (s.Field->Type == JobFieldType::Text) {
        s.Utf8 = w.Text("the field's text");
        return;
    }
    s.Utf8 = w.Word("the field's number");
    char* end = nullptr;
    errno = 0;
    s.Value = std::strtod(s.Utf8.c_str(), &end);
    if (s.Utf8.empty() || *end != '\0' || errno != 0) Fail("'" + s.Utf8 + "' is not a number");
}

void ParseExpect(Words& w, ScriptStep& s) {
    const std::string what = w.Word("what to expect");
    if (what == "message") {
        s.Op = ScriptOp::ExpectMessage;
        s.Utf8 = w.Text("the message's text");
        s.Text = ToShiftJis(s.Utf8);
    } else if (what == "field") {
        s.Op = ScriptOp::ExpectField;
        ParseFieldValue(w, s);
    } else if (what == "default") {
        if (w.Word("'unchanged'") != "unchanged") Fail("expected 'expect default unchanged'");
        s.Op = ScriptOp::ExpectDefaultUnchanged;
    } else {
        Words id({{what, false}});
        s.Control = id.Control();
        const std::string kind = w.Word("a state, text, selected or items");
        if (kind == "text") {
            s.Op = ScriptOp::ExpectText;
            s.Utf8 = w.Text("the expected text");
            s.Text = ToShiftJis(s.Utf8);
        } else if (kind == "selected") {
            s.Op = ScriptOp::ExpectSelected;
            s.Number = static_cast<int>(w.Integer("an index", -1, 0x7FFF));
        } else if (kind == "items") {
            s.Op = ScriptOp::ExpectItems;
            s.Number = static_cast<int>(w.Integer("a count", 0, 0x7FFF));
        } else {
            s.Op = ScriptOp::ExpectState;
            s.State = Lookup(States, kind, "expectation");
        }
    }
}

void ParsePage(Words& w, ScriptStep& s, const std::string&) {
    s.Op = ScriptOp::Page;
    s.Number = Lookup(Pages, w.Word("a page"), "page");
}

void ParseControlOnly(Words& w, ScriptStep& s, const std::string& op) {
    s.Op = op == "click" ? ScriptOp::Click : ScriptOp::Leave;
    s.Control = w.Control();
}

void ParseCheck(Words& w, ScriptStep& s, const std::string&) {
    s.Op = ScriptOp::Check;
    s.Control = w.Control();
    s.Number = Lookup(OnOff, w.Word("on or off"), "check state");
}

void ParseSelect(Words& w, ScriptStep& s, const std::string&) {
    s.Control = w.Control();
    if (w.NextIsText()) {
        s.Op = ScriptOp::SelectText;
        s.Utf8 = w.Text("the item's text");
        if (s.Utf8.empty()) Fail("an empty item text selects nothing");
        s.Text = ToShiftJis(s.Utf8);
    } else {
        s.Op = ScriptOp::Select;
        s.Number = static_cast<int>(w.Integer("an item index", 0, 0x7FFF));
    }
}

void ParseType(Words& w, ScriptStep& s, const std::string&) {
    s.Op = ScriptOp::Type;
    s.Control = w.Control();
    s.Utf8 = w.Text("the text to type");
    s.Text = ToShiftJis(s.Utf8);
}

void ParseScroll(Words& w, ScriptStep& s, const std::string&) {
    s.Op = ScriptOp::Scroll;
    s.Control = w.Control();
    s.Scroll = Lookup(ScrollCodes, w.Word("a scroll code"), "scroll code");
    if (s.Scroll == ScrollCode::ThumbTrack || s.Scroll == ScrollCode::ThumbPosition)
        s.Number = static_cast<int>(w.Integer("a position", -32768, 32767));
}

void ParseButton(Words&, ScriptStep& s, const std::string& op) {
    s.Op = op == "ok" ? ScriptOp::Ok : op == "cancel" ? ScriptOp::Cancel : ScriptOp::Escape;
}

void ParseExpectStep(Words& w, ScriptStep& s, const std::string&) { ParseExpect(w, s); }

void ParseDump(Words&, ScriptStep& s, const std::string&) { s.Op = ScriptOp::Dump; }

void ParseShot(Words& w, ScriptStep& s, const std::string&) {
    s.Op = ScriptOp::Shot;
    s.Utf8 = w.NextIsText() ? w.Text("a file") : w.Word("a file");
    if (s.Utf8.empty()) Fail("an empty file name");
    s.Text = ToShiftJis(s.Utf8);
}

// Every step word: how `script --help` shows each of its forms, and what
// reads it (the first line of a word reads every form of it).
struct StepWord {
    ScriptWordHelp Help;
    void (*Parse)(Words&, ScriptStep&, const std::string& word);  // null: read with the step before it
};

const StepWord StepWords[] = {
    {{"page", "page main|color|option|version", "shows that page of the sheet"}, ParsePage},
    {{"click", "click ID", "clicks the button ID"}, ParseControlOnly},
    {{"check", "check ID on|off", "ticks (on) or clears (off) the check box ID"}, ParseCheck},
    {{"select", "select ID INDEX | select ID \"TEXT\"",
      "chooses a list item: by index, or the first that begins with TEXT"},
     ParseSelect},
    {{"type", "type ID \"TEXT\"", "types TEXT into the edit box ID, replacing what it held"}, ParseType},
    {{"leave", "leave ID", "moves the focus away from control ID"}, ParseControlOnly},
    {{"scroll", "scroll ID lineleft|lineright|pageleft|pageright|thumbtrack POS|thumbposition POS|endscroll",
      "scrolls the scroll bar or up-down ID"},
     ParseScroll},
    {{"ok", "ok", "presses OK in the open dialog"}, ParseButton},
    {{"cancel", "cancel", "presses Cancel in the open dialog"}, ParseButton},
    {{"escape", "escape", "closes the open dialog with Esc"}, ParseButton},
    {{"expect", "expect message \"TEXT\"", "the next step shows a message containing TEXT, answered with OK"},
     ParseExpectStep},
    {{"answer", "answer check ID", "after an expect message: ticks the message's check box ID before OK"}, nullptr},
    {{"expect", "expect ID enabled|disabled|checked|unchecked|hidden|visible", "checks a control's state"},
     ParseExpectStep},
    {{"expect", "expect ID text \"TEXT\" | selected INDEX | items N",
      "checks a control's text, selection or item count"},
     ParseExpectStep},
    {{"expect", "expect field NAME VALUE", "checks a setting of the job (the names of qvhost dump)"}, ParseExpectStep},
    {{"expect", "expect default unchanged", "checks that the default settings were not written"}, ParseExpectStep},
    {{"dump", "dump", "prints every setting of the job"}, ParseDump},
    {{"shot", "shot FILE", "saves a PNG picture of the sheet or the open dialog"}, ParseShot},
};

ScriptStep ParseStep(Words& w) {
    ScriptStep s;
    const std::string op = w.Word("a step");
    const StepWord* found = nullptr;
    for (const StepWord& k : StepWords)
        if (!found && op == k.Help.Word && k.Parse) found = &k;
    if (!found) Fail("unknown step '" + op + "'");
    found->Parse(w, s, op);
    w.End();
    return s;
}

}  // namespace

const size_t ScriptWordHelpCount = sizeof StepWords / sizeof StepWords[0];

const ScriptWordHelp& ScriptWordHelpAt(size_t i) { return StepWords[i].Help; }

bool ParseScript(const std::string& text, const std::string& name, Script& script, std::string& error) {
    auto at = [&](int line, const std::string& reason) {
        error = name + ":" + std::to_string(line) + ": " + reason;
        return false;
    };
    if (text.size() > MaxScriptBytes)
        return error = name + ": " + std::to_string(text.size()) + " bytes; a script has at most " +
                       std::to_string(MaxScriptBytes),
               false;
    std::string reason;
    if (int line = FindBinaryLine(text, reason)) return at(line, reason);

    Script parsed;
    parsed.Name = name;
    size_t begin = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a byte order mark
    int line = 0;
    int messageLine = 0;  // an `expect message` still waiting for its step
    while (begin <= text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        ++line;
        try {
            Words w(Tokenize(text.substr(begin, end - begin)));
            if (!w.Done()) {
                if (w.Peek() == "answer") {
                    w.Word("answer");
                    if (w.Word("'check'") != "check") Fail("expected 'answer check ID'");
                    const int control = w.Control();
                    w.End();
                    if (parsed.Steps.empty() || parsed.Steps.back().Op != ScriptOp::ExpectMessage)
                        Fail("'answer check' belongs right after an 'expect message'");
                    parsed.Steps.back().Answers.push_back(control);
                } else {
                    ScriptStep s = ParseStep(w);
                    s.Line = line;
                    if (s.Op == ScriptOp::ExpectMessage) {
                        if (!messageLine) messageLine = line;
                    } else if (IsScriptAction(s.Op)) {
                        messageLine = 0;
                    } else if (messageLine) {
                        Fail("an 'expect message' (line " + std::to_string(messageLine) +
                             ") must be followed by the step that shows the message");
                    }
                    parsed.Steps.push_back(std::move(s));
                }
            }
        } catch (const LineError& e) {
            return at(line, e.Reason);
        }
        begin = end + 1;
    }
    if (messageLine) return at(messageLine, "'expect message' without a step after it that shows the message");
    if (parsed.Steps.empty()) return error = name + ": the script has no steps", false;
    script = std::move(parsed);
    return true;
}

bool LoadScriptFile(const std::string& path, Script& script, std::string& error) {
    errno = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(OpenFile(path, "rb"), std::fclose);
    if (!in) return error = path + ": cannot open the script: " + std::strerror(errno), false;
    long size = -1;
    if (std::fseek(in.get(), 0, SEEK_END) == 0) size = std::ftell(in.get());
    if (size < 0 || std::fseek(in.get(), 0, SEEK_SET) != 0)
        return error = path + ": cannot read the script: " + std::strerror(errno), false;
    if (static_cast<unsigned long>(size) > MaxScriptBytes)
        return error = path + ": " + std::to_string(size) + " bytes; a script has at most " +
                       std::to_string(MaxScriptBytes),
               false;
    std::string text(static_cast<size_t>(size), '\0');
    const size_t n = size ? std::fread(&text[0], 1, text.size(), in.get()) : 0;
    if (n != text.size()) return error = path + ": cannot read the script: " + std::strerror(errno), false;
    return ParseScript(text, path, script, error);
}
