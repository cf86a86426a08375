// Host scripts as text: every step reads into what the runner plays, and
// every kind of bad script is refused with its line, keeping nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "host/job/script_parse.h"

namespace {

// Script text is UTF-8 (u8 literals); steps hold Shift-JIS (plain literals).
Script Parse(const std::string& text) {
    Script script;
    std::string error;
    EXPECT_TRUE(ParseScript(text, "t.qvs", script, error)) << error;
    return script;
}

std::string Refusal(const std::string& text) {
    Script script;
    script.Steps.resize(1);
    std::string error;
    EXPECT_FALSE(ParseScript(text, "t.qvs", script, error)) << text;
    EXPECT_EQ(script.Steps.size(), 1u) << "a refused script changes nothing";
    return error;
}

TEST(ScriptParse, ActionsCarryTheirControlsAndValues) {
    const Script s = Parse(u8"page color   # to the Color page\n"
                           u8"click 1041\n"
                           u8"check 1049 on\n"
                           u8"check 1050 off\n"
                           u8"select 1010 8\n"
                           u8"select 1057 \"現在\"\n"
                           u8"type 1014 \"12\"\n"
                           u8"leave 1014\n"
                           u8"scroll 1044 thumbtrack -3\n"
                           u8"scroll 1044 lineright\n"
                           u8"ok\ncancel\nescape\n");
    ASSERT_EQ(s.Steps.size(), 13u);
    EXPECT_EQ(s.Steps[0].Op, ScriptOp::Page);
    EXPECT_EQ(s.Steps[0].Number, 1);
    EXPECT_EQ(s.Steps[1].Op, ScriptOp::Click);
    EXPECT_EQ(s.Steps[1].Control, 1041);
    EXPECT_EQ(s.Steps[1].Line, 2);
    EXPECT_EQ(s.Steps[2].Number, 1);
    EXPECT_EQ(s.Steps[3].Number, 0);
    EXPECT_EQ(s.Steps[4].Op, ScriptOp::Select);
    EXPECT_EQ(s.Steps[4].Number, 8);
    EXPECT_EQ(s.Steps[5].Op, ScriptOp::SelectText);
    EXPECT_EQ(s.Steps[5].Text, "現在");  // Shift-JIS for the control
    EXPECT_EQ(s.Steps[5].Utf8, u8"現在");
    EXPECT_EQ(s.Steps[6].Op, ScriptOp::Type);
    EXPECT_EQ(s.Steps[7].Op, ScriptOp::Leave);
    EXPECT_EQ(s.Steps[8].Scroll, ScrollCode::ThumbTrack);
    EXPECT_EQ(s.Steps[8].Number, -3);
    EXPECT_EQ(s.Steps[9].Scroll, ScrollCode::LineRight);
    EXPECT_EQ(s.Steps[10].Op, ScriptOp::Ok);
    EXPECT_EQ(s.Steps[11].Op, ScriptOp::Cancel);
    EXPECT_EQ(s.Steps[12].Op, ScriptOp::Escape);
    EXPECT_EQ(s.Steps[12].Line, 13);
}

TEST(ScriptParse, ExpectationsAndTheirValues) {
    const Script s = Parse(u8"\xEF\xBB\xBF# a comment line\n\n"
                           u8"expect 1020 disabled\n"
                           u8"expect 1026 text \"100%\"\n"
                           u8"expect 1010 selected 2\n"
                           u8"expect 1077 selected -1\n"
                           u8"expect 1011 items 5\n"
                           u8"expect field CustomWidth 198\n"
                           u8"expect field UserSettingName \"現在の設定\"\n"
                           u8"expect default unchanged\n"
                           u8"dump\n"
                           u8"shot \"out dir/main.png\"\n"
                           u8"shot main.png\n");
    ASSERT_EQ(s.Steps.size(), 11u);
    EXPECT_EQ(s.Steps[0].Line, 3);
    EXPECT_EQ(s.Steps[0].State, ControlState::Disabled);
    EXPECT_EQ(s.Steps[1].Op, ScriptOp::ExpectText);
    EXPECT_EQ(s.Steps[1].Text, "100%");
    EXPECT_EQ(s.Steps[2].Number, 2);
    EXPECT_EQ(s.Steps[3].Number, -1);
    EXPECT_EQ(s.Steps[4].Op, ScriptOp::ExpectItems);
    EXPECT_EQ(s.Steps[5].Op, ScriptOp::ExpectField);
    ASSERT_NE(s.Steps[5].Field, nullptr);
    EXPECT_STREQ(s.Steps[5].Field->Name, "CustomWidth");
    EXPECT_EQ(s.Steps[5].Value, 198.0);
    EXPECT_EQ(s.Steps[6].Utf8, u8"現在の設定");
    EXPECT_EQ(s.Steps[7].Op, ScriptOp::ExpectDefaultUnchanged);
    EXPECT_EQ(s.Steps[8].Op, ScriptOp::Dump);
    EXPECT_EQ(s.Steps[9].Utf8, "out dir/main.png");
    EXPECT_EQ(s.Steps[10].Utf8, "main.png");
}

TEST(ScriptParse, TextsKeepHashesAndResolveEscapes) {
    const Script s = Parse(u8"type 1068 \"A#1\\\"\\\\x\"  # comment \"not a text\n"
                           u8"expect message \"両面で\\n印刷\"\n"
                           u8"answer check 2423\n"
                           u8"answer check 2424\n"
                           u8"check 1020 on\n"
                           u8"type 1064 \"\"\n");
    ASSERT_EQ(s.Steps.size(), 4u);
    EXPECT_EQ(s.Steps[0].Utf8, "A#1\"\\x");
    EXPECT_EQ(s.Steps[1].Op, ScriptOp::ExpectMessage);
    EXPECT_EQ(s.Steps[1].Text, "両面で\n印刷");
    EXPECT_EQ(s.Steps[1].Answers, (std::vector<int>{2423, 2424}));
    EXPECT_EQ(s.Steps[3].Utf8, "");
}

TEST(ScriptParse, MalformedStepsNameTheirLine) {
    struct Case {
        const char* Text;
        const char* Error;
    };
    const Case cases[] = {
        {u8"click 1010\nklick 1010\n", "t.qvs:2: unknown step 'klick'"},
        {u8"page setup\n", "t.qvs:1: unknown page 'setup' (main|color|option|version)"},
        {u8"click\n", "t.qvs:1: missing a control id"},
        {u8"click abc\n", "t.qvs:1: expected a control id (a number), found 'abc'"},
        {u8"click 0\n", "t.qvs:1: a control id 0 is out of range (1 to 65535)"},
        {u8"click 70000\n", "t.qvs:1: a control id 70000 is out of range (1 to 65535)"},
        {u8"click 1010 now\n", "t.qvs:1: unexpected 'now' at the end of the step"},
        {u8"check 1020 yes\n", "t.qvs:1: unknown check state 'yes' (on|off)"},
        {u8"select 1010 -1\n", "t.qvs:1: an item index -1 is out of range (0 to 32767)"},
        {u8"type 1014 12\n", "t.qvs:1: expected the text to type in double quotes, found '12'"},
        {u8"type 1014 \"12\n", "t.qvs:1: a text without its closing quote"},
        {u8"type 1014 \"1\\t2\"\n", "t.qvs:1: unknown escape \\t (\\n, \\\" and \\\\ are known)"},
        {u8"type 1014 \"1\"2\n", "t.qvs:1: text run on after its closing quote"},
        {u8"type 1014 \"😀\"\n", u8"t.qvs:1: the text \"😀\" has a character that Shift-JIS lacks"},
        {u8"scroll 1044 up\n",
         "t.qvs:1: unknown scroll code 'up' (lineleft|lineright|pageleft|pageright|thumbtrack|thumbposition|endscroll)"},
        {u8"scroll 1044 thumbtrack\n", "t.qvs:1: missing a position"},
        {u8"expect 1020 pressed\n",
         "t.qvs:1: unknown expectation 'pressed' (enabled|disabled|checked|unchecked|hidden|visible)"},
        {u8"expect field PaperSise 8\n", "t.qvs:1: unknown field 'PaperSise' (the names of `qvhost dump`)"},
        {u8"expect field PaperSize \"8\"\n", "t.qvs:1: expected the field's number, found the text \"8\""},
        {u8"expect field CodeText AB\n", "t.qvs:1: expected the field's text in double quotes, found 'AB'"},
        {u8"expect field Copies 1x\n", "t.qvs:1: '1x' is not a number"},
        {u8"expect default changed\n", "t.qvs:1: expected 'expect default unchanged'"},
        {u8"click 1022\nanswer check 2423\n", "t.qvs:2: 'answer check' belongs right after an 'expect message'"},
        {u8"expect message \"x\"\nexpect 1020 checked\nclick 1020\n",
         "t.qvs:2: an 'expect message' (line 1) must be followed by the step that shows the message"},
        {u8"click 1020\nexpect message \"x\"\n# nothing follows\n",
         "t.qvs:2: 'expect message' without a step after it that shows the message"},
    };
    for (const Case& c : cases) EXPECT_EQ(Refusal(c.Text), c.Error);
}

TEST(ScriptParse, EmptyBinaryAndEnormousScriptsAreRefused) {
    EXPECT_EQ(Refusal(""), "t.qvs: the script has no steps");
    EXPECT_EQ(Refusal(u8"# only comments\n\n   \n"), "t.qvs: the script has no steps");
    EXPECT_EQ(Refusal(std::string("click 1010\ncl\0ck 1\n", 19)),
              "t.qvs:2: binary data (a NUL byte); a script is UTF-8 text");
    EXPECT_EQ(Refusal("click 1010\n\x01\n"), "t.qvs:2: binary data (control byte 1); a script is UTF-8 text");
    // Shift-JIS bytes (and any other non-UTF-8) are not a script.
    EXPECT_EQ(Refusal("\n\ntype 1014 \"\x83\x65\x83\x58\x83\x67\"\n"), "t.qvs:3: not UTF-8 text");
    EXPECT_EQ(Refusal("type 1014 \"\xC0\xAF\"\n"), "t.qvs:1: not UTF-8 text") << "overlong form";
    EXPECT_EQ(Refusal("type 1014 \"\xED\xA0\x80\"\n"), "t.qvs:1: not UTF-8 text") << "surrogate";
    EXPECT_EQ(Refusal("type 1014 \"\xE3\x81\"\n"), "t.qvs:1: not UTF-8 text") << "cut sequence";

    std::string huge;
    while (huge.size() <= MaxScriptBytes) huge += "dump\n";
    EXPECT_EQ(Refusal(huge), "t.qvs: " + std::to_string(huge.size()) + " bytes; a script has at most 1048576");
}

TEST(ScriptParse, FilesAreReadWholeAndRefusedBeforeReadingWhenHuge) {
    const std::string path = testing::TempDir() + "script_parse_test.qvs";
    {
        std::ofstream out(path, std::ios::binary);
        out << "page main\r\nclick 1022\r\nok\r\n";
    }
    Script script;
    std::string error;
    ASSERT_TRUE(LoadScriptFile(path, script, error)) << error;
    ASSERT_EQ(script.Steps.size(), 3u);
    EXPECT_EQ(script.Steps[2].Op, ScriptOp::Ok);

    {
        std::ofstream out(path, std::ios::binary);
        out << std::string(MaxScriptBytes + 1, '#');
    }
    EXPECT_FALSE(LoadScriptFile(path, script, error));
    EXPECT_EQ(error, path + ": 1048577 bytes; a script has at most 1048576");
    std::remove(path.c_str());
    EXPECT_FALSE(LoadScriptFile(path, script, error));
    EXPECT_EQ(error, path + ": cannot open the script: No such file or directory");
}

// `qvhost script --help` lists every step word; each listed form reads.
TEST(ScriptParse, EveryStepWordHasAHelpLine) {
    for (const char* word : {"page", "click", "check", "select", "type", "leave", "scroll", "ok", "cancel", "escape",
                             "expect", "answer", "dump", "shot"}) {
        size_t lines = 0;
        for (size_t i = 0; i < ScriptWordHelpCount; ++i)
            if (std::string(ScriptWordHelpAt(i).Word) == word) ++lines;
        EXPECT_GE(lines, 1u) << word;
    }
    for (size_t i = 0; i < ScriptWordHelpCount; ++i) {
        const ScriptWordHelp& h = ScriptWordHelpAt(i);
        EXPECT_EQ(std::string(h.Syntax).rfind(std::string(h.Word) + (std::string(h.Syntax) == h.Word ? "" : " "), 0), 0u)
            << h.Syntax;
        EXPECT_FALSE(std::string(h.Help).empty()) << h.Word;
        std::string error;
        Script script;
        ParseScript(std::string(h.Word) + "\n", "t.qvs", script, error);
        EXPECT_EQ(error.find("unknown step"), std::string::npos) << h.Word << ": " << error;
    }
}

}  // namespace
