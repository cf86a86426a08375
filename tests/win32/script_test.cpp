// Host scripts played into the real pages through the bridge: the example
// script of every page passes, and each kind of fault in a script is told
// with its line, counted, and (for what cannot run) stops the run with
// nothing saved.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "host/host_session.h"
#include "host/job/default_settings.h"
#include "host/job/job_file.h"
#include "host/script.h"

namespace {

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A path as a script text: its backslashes escaped.
std::string Quoted(const std::string& path) {
    std::string text = "\"";
    for (char c : path) text += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return text + "\"";
}

bool Has(const std::string& output, const std::string& part) { return output.find(part) != std::string::npos; }

class ScriptTest : public ::testing::Test {
protected:
    // Script texts are UTF-8 (u8 literals), as in a script file.
    ScriptResult Play(const std::string& text, const PrintSettings& job = MakeDefaultSettings()) {
        Script script;
        std::string error;
        EXPECT_TRUE(ParseScript(text, "t.qvs", script, error)) << error;
        return PlayScript(script, job);
    }
    ScriptResult PlayFile(const std::string& path) {
        Script script;
        std::string error;
        EXPECT_TRUE(LoadScriptFile(path, script, error)) << error;
        return PlayScript(script, MakeDefaultSettings());
    }
    ScriptResult PlayScript(const Script& script, const PrintSettings& job) {
        const PrintSettings defaults = MakeDefaultSettings();
        EXPECT_TRUE(session.Open(job, defaults));
        ScriptOptions options;
        options.Print = [this](const std::string& line) { output += line; };
        options.WatchdogMs = 5000;
        const DWORD start = GetTickCount();
        ScriptResult result = RunScript(session, script, options);
        EXPECT_LT(GetTickCount() - start, 60000u) << "a script run must end";
        EXPECT_EQ(memcmp(&session.Defaults(), &defaults, sizeof defaults), 0) << "the default record changed";
        return result;
    }
    const PrintSettings& Job() { return session.Current(); }

    HostSession session;
    std::string output;
};

// ---- the example scripts

class ExampleScript : public ScriptTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ExampleScript, PassesEveryExpectation) {
    const ScriptResult r = PlayFile(std::string(QV_SCRIPTS_DIR "/") + GetParam() + ".qvs");
    EXPECT_EQ(r.Error, "");
    EXPECT_EQ(r.Failed, 0) << output;
    EXPECT_GE(r.Passed, 15) << output;
    EXPECT_TRUE(Has(output, std::to_string(r.Passed) + " passed, 0 failed\n")) << output;
}

INSTANTIATE_TEST_SUITE_P(Pages, ExampleScript, ::testing::Values("main", "color", "option", "version"));

// ---- expectations

TEST_F(ScriptTest, FailedExpectationsNameTheirLineAndTheRunGoesOn) {
    const ScriptResult r = Play(u8"expect field Copies 2\n"
                                u8"expect field Copies 1\n"
                                u8"expect field CustomWidth 210   # 210.0 in the record\n"
                                u8"expect field CodeText \"\"\n"
                                u8"expect 1010 text \"A4 210 x 297 mm\"\n"
                                u8"expect 1010 text \"A3\"\n"
                                u8"expect 1020 enabled\n"
                                u8"expect 1017 unchecked\n"
                                u8"expect 1011 items 9\n"
                                u8"expect 1010 selected 3\n"
                                u8"expect 1026 checked\n"
                                u8"expect default unchanged\n");
    EXPECT_EQ(r.Error, "");
    EXPECT_EQ(r.Passed, 5) << output;
    EXPECT_EQ(r.Failed, 7) << output;
    EXPECT_EQ(r.Status(), 1);
    EXPECT_EQ(output,
              u8"FAIL line 1: Copies is 1, expected 2\n"
              u8"FAIL line 6: control 1010 shows \"A4 210 x 297 mm\", expected \"A3\"\n"
              u8"FAIL line 7: control 1020 is disabled, expected enabled\n"
              u8"FAIL line 8: control 1017 is checked, expected unchecked\n"
              u8"FAIL line 9: control 1011 has 5 items, expected 9\n"
              u8"FAIL line 10: control 1010 has 2 selected, expected 3\n"
              u8"FAIL line 11: control 1026 is not a check box or radio button\n"
              u8"5 passed, 7 failed\n");
}

TEST_F(ScriptTest, ActionsOnControlsAUserCouldNotUseFail) {
    const ScriptResult r = Play(u8"check 1020 on                  # no duplex unit: disabled\n"
                                u8"select 1010 \"Z\"\n"
                                u8"select 1010 20\n"
                                u8"type 1010 \"A4\"\n"
                                u8"ok\n"
                                u8"type 1014 \"\"                   # nothing typed: the box is emptied\n"
                                u8"leave 1014\n"
                                u8"expect 1014 text \"1\"\n"
                                u8"expect field Duplex 0\n");
    EXPECT_EQ(r.Failed, 5) << output;
    EXPECT_EQ(r.Passed, 2) << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 1: control 1020 is disabled\n")) << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 2: no item of control 1010 begins with \"Z\"\n")) << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 3: control 1010 has 15 items, no item 20\n")) << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 4: control 1010 is not an edit box\n")) << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 5: no dialog is open\n")) << output;
}

// ---- message boxes

TEST_F(ScriptTest, ExpectedMessagesAreMatchedAndAnswered) {
    // OHP from automatic feeding asks for cassette 1.
    const ScriptResult r = Play(u8"expect message \"「ｶｾｯﾄ1」から給紙\"\n"
                                u8"select 1013 1\n"
                                u8"expect field MediaType 1\n");
    EXPECT_EQ(r.Failed, 0) << output;
    EXPECT_EQ(r.Passed, 2) << output;
}

TEST_F(ScriptTest, UnexpectedMismatchedAndMissingMessagesFail) {
    const ScriptResult r = Play(u8"select 1013 1              # advises cassette 1: unexpected\n"
                                u8"select 1013 0\n"
                                u8"expect message \"増設メモリ\"\n"
                                u8"select 1013 1              # advises cassette 1 again\n"
                                u8"expect message \"ｶｾｯﾄ1\"\n"
                                u8"answer check 2423\n"
                                u8"select 1013 0\n"
                                u8"select 1013 1\n"
                                u8"expect message \"ｶｾｯﾄ1\"\n"
                                u8"click 1017                 # shows nothing\n"
                                u8"expect field MediaType 1\n");
    EXPECT_EQ(r.Error, "");
    EXPECT_TRUE(Has(output, u8"FAIL line 1: unexpected message \"指定の用紙種類は「ｶｾｯﾄ1」から給紙するよう設定してください。\"\n"))
        << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 3: the message \"指定の用紙種類は「ｶｾｯﾄ1」から給紙するよう設定してください。\" "
                            u8"does not contain \"増設メモリ\"\n"))
        << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 5: no message was shown (expected one containing \"ｶｾｯﾄ1\")\n")) << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 9: no message was shown (expected one containing \"ｶｾｯﾄ1\")\n")) << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 8: unexpected message")) << output;
    EXPECT_EQ(r.Failed, 5) << output;
    EXPECT_EQ(r.Passed, 1) << output;
    EXPECT_EQ(Job().MediaType, 1) << "every box was answered and the run went on";
}

TEST_F(ScriptTest, AnswerCheckNeedsTheNoticeBox) {
    const ScriptResult r = Play(u8"expect message \"ｶｾｯﾄ1\"\n"
                                u8"answer check 2423\n"
                                u8"select 1013 1\n");
    EXPECT_EQ(r.Passed, 1) << output;
    EXPECT_EQ(r.Failed, 1) << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 1: the message has no check box 2423\n")) << output;
}

TEST_F(ScriptTest, TheNoticeBoxIsTickedOnlyWhenAsked) {
    PrintSettings job = MakeDefaultSettings();
    job.DuplexUnit = 1;
    job.PrintMode = 2;
    const ScriptResult r = Play(u8"expect message \"増設メモリ\"\n"
                                u8"check 1020 on\n"
                                u8"expect field MemoryNotice 1\n"
                                u8"check 1020 off\n"
                                u8"expect message \"増設メモリ\"\n"
                                u8"answer check 2423\n"
                                u8"check 1020 on\n"
                                u8"expect field MemoryNotice 0\n",
                                job);
    EXPECT_EQ(r.Failed, 0) << output;
    EXPECT_EQ(r.Passed, 4) << output;
}

// ---- dialogs

TEST_F(ScriptTest, DialogsNestAndAreClosedWhenTheScriptLeavesThemOpen) {
    const ScriptResult r = Play(u8"click 1022\n"
                                u8"page color                 # not while the dialog is open\n"
                                u8"check 2006 on\n"
                                u8"cancel\n"
                                u8"expect field PrintMode 0\n"
                                u8"click 1022\n"
                                u8"check 2006 on\n");
    EXPECT_EQ(r.Error, "");
    EXPECT_EQ(r.Passed, 1) << output;
    EXPECT_EQ(r.Failed, 2) << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 2: page: the dialog \"印刷ﾓｰﾄﾞの設定\" is open\n")) << output;
    EXPECT_TRUE(Has(output, u8"FAIL line 7: the script ended with the dialog \"印刷ﾓｰﾄﾞの設定\" open\n")) << output;
    EXPECT_EQ(Job().PrintMode, 0) << "the dialog left open was cancelled";
}

// ---- what cannot run

TEST_F(ScriptTest, UnknownControlsStopTheRun) {
    const ScriptResult onPage = Play(u8"page option\n"
                                     u8"click 1010                 # a Main page control\n"
                                     u8"check 1069 off\n");
    EXPECT_EQ(onPage.Status(), 2);
    EXPECT_EQ(onPage.Error, "t.qvs:2: no control 1010 in the page 'option'");
    EXPECT_EQ(Job().Smoothing, 1) << "no step after the fault runs";
    EXPECT_EQ(output, "") << "no count for a run that stopped";
}

TEST_F(ScriptTest, UnknownControlsInADialogStopTheRunAndCloseIt) {
    const ScriptResult r = Play(u8"click 1022\n"
                                u8"check 2006 on\n"
                                u8"expect 1010 enabled\n"
                                u8"ok\n");
    EXPECT_EQ(r.Status(), 2);
    EXPECT_EQ(r.Error, u8"t.qvs:3: no control 1010 in the dialog \"印刷ﾓｰﾄﾞの設定\"");
    EXPECT_EQ(Job().PrintMode, 0);
}

// ---- dump and shot

TEST_F(ScriptTest, DumpPrintsTheJobAndShotSavesThePicture) {
    const std::string picture = TempPath("qv_script_shot.png");
    DeleteFileA(picture.c_str());
    const ScriptResult r = Play(u8"type 1014 \"7\"\nleave 1014\ndump\nshot " + Quoted(picture) + "\n");
    EXPECT_EQ(r.Failed, 0) << output;
    EXPECT_TRUE(Has(output, "\nCopies=7\n")) << output;
    EXPECT_TRUE(Has(output, "PaperSize=9\n")) << output;
    EXPECT_EQ(FileText(picture).substr(0, 8), "\x89PNG\r\n\x1a\n");
    DeleteFileA(picture.c_str());
}

// ---- the command

std::wstring Wide(const std::string& utf8) {
    std::wstring w(utf8.size() + 1, L'\0');
    w.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], static_cast<int>(w.size()))));
    return w;
}

// Runs qvhost.exe from beside this test with a UTF-8 command line, in
// `folder` when one is given; its exit status and output. `whileRunning`
// gets the process id while it runs.
DWORD RunHostIn(const std::string& folder, const std::string& arguments, std::string& output,
                const std::function<void(DWORD)>& whileRunning = nullptr) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    path = path.substr(0, path.find_last_of(L'\\')) + L"\\qvhost.exe";
    const std::string log = TempPath("qv_script_host.log");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
    PROCESS_INFORMATION process = {};
    std::wstring command = L"\"" + path + L"\" " + Wide(arguments);
    const std::wstring where = Wide(folder);
    DWORD status = 999;
    if (CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : where.c_str(), &startup, &process)) {
        if (whileRunning) whileRunning(process.dwProcessId);
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(file);
    output = FileText(log);
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());  // the C library's text mode
    DeleteFileA(log.c_str());
    return status;
}

DWORD RunHost(const std::string& arguments, std::string& output) { return RunHostIn("", arguments, output); }

TEST(ScriptCommand, SavesTheJobOnlyWhenEveryExpectationHeld) {
    const std::string script = TempPath("qv_script_cmd.qvs");
    const std::string saved = TempPath("qv_script_cmd.job");
    std::string output;
    struct Case {
        const char* Text;
        DWORD Status;
        bool Saved;
        const char* Says;
    };
    const Case cases[] = {
        {u8"type 1014 \"3\"\nleave 1014\nexpect field Copies 3\n", 0, true, "1 passed, 0 failed"},
        {u8"type 1014 \"3\"\nleave 1014\nexpect field Copies 4\n", 1, false, "is not saved: the script failed"},
        {u8"type 1014 \"3\"\nclick 4242\n", 2, false, "qv_script_cmd.qvs:2: no control 4242 in the page 'main'"},
        {u8"", 2, false, "the script has no steps"},
        {"type 1014 \"\x82\xA0\"\n", 2, false, "qv_script_cmd.qvs:1: not UTF-8 text"},
        {u8"expect field Copiez 3\n", 2, false, "qv_script_cmd.qvs:1: unknown field 'Copiez'"},
    };
    for (const Case& c : cases) {
        WriteText(script, c.Text);
        DeleteFileA(saved.c_str());
        EXPECT_EQ(RunHost("script \"" + script + "\" --save \"" + saved + "\"", output), c.Status) << c.Text << output;
        EXPECT_EQ(GetFileAttributesA(saved.c_str()) != INVALID_FILE_ATTRIBUTES, c.Saved) << c.Text << output;
        EXPECT_TRUE(Has(output, c.Says)) << c.Text << output;
    }
    PrintSettings job;
    std::string error;
    WriteText(script, cases[0].Text);
    ASSERT_EQ(RunHost("script \"" + script + "\" --save \"" + saved + "\"", output), 0u) << output;
    ASSERT_TRUE(LoadJobFile(saved, MakeDefaultSettings(), job, error)) << error;
    EXPECT_EQ(job.Copies, 3);

    WriteText(script, std::string(MaxScriptBytes + 1, '#'));
    EXPECT_EQ(RunHost("script \"" + script + "\"", output), 2u);
    EXPECT_TRUE(Has(output, "a script has at most 1048576")) << output;
    EXPECT_EQ(RunHost("script", output), 2u);
    EXPECT_TRUE(Has(output, "a file argument is missing")) << output;
    EXPECT_EQ(RunHost("dump extra", output), 2u);
    EXPECT_TRUE(Has(output, "unexpected argument 'extra'")) << output;
    DeleteFileA(script.c_str());
    DeleteFileA(saved.c_str());
}

// ---- the command line

// A folder of its own for a run of qvhost, with a script that sets the copies.
std::string HostFolder(const char* name) {
    const std::string folder = TempPath(name);
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\w").c_str(), nullptr);
    WriteText(folder + "\\s.qvs", "type 1014 \"3\"\nleave 1014\n");
    return folder;
}

TEST(HostCommand, EachCommandTakesOnlyItsOwnOptionsOnce) {
    const std::string folder = HostFolder("qv_host_options");
    WriteText(folder + "\\cut.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x01", 20));
    struct Case {
        const char* Arguments;
        DWORD Status;
        const char* Says;
    };
    const Case cases[] = {
        {"dump --save x.job --out y.png -o z", 2, "qvhost dump: option --save does not belong to this command\n"
                                                 "qvhost dump [--job FILE]"},
        {"dump -o z", 2, "qvhost dump: option -o does not belong to this command"},
        {"dump --job a.job --job b.job", 2, "qvhost dump: option --job is given twice"},
        {"print --in a.png --out b.png --format cube", 2, "qvhost print: option --format does not belong"},
        {"rdt -o t.raw --format png", 2, "qvhost rdt: option --format needs raw or cube, not 'png'"},
        {"dump --job", 2, "qvhost dump: option --job needs a job file\n"},
        {"dump --job --save", 2, "qvhost dump: option --job needs a job file, not '--save'"},
        {"script --help", 0, "  answer check ID"},
        {"script --help", 0, "  scroll ID lineleft|"},
        {"print --in cut.png --out o.png", 2, "qvhost print: 'cut.png': truncated PNG: the file ends inside its IHDR chunk"},
        {"print --in none.png --out o.png", 2, "qvhost print: cannot open 'none.png': No such file"},
        {"show --shots cut.png", 1, "qvhost show: cut.png is a file, not a folder"},
        {"show --shots none/deeper", 1, "qvhost show: could not save the pictures into none/deeper: cannot write "
                                        "'none/deeper/page-main.png': "},
        {"rdt -o t.cube", 0, "t.cube: cube table of the job"},
        {"rdt -o t.icc", 2, "qvhost rdt: t.icc: the host writes raw or cube tables"},
        {"rdt -o t.cube --format raw", 0, "t.cube: raw table of the job"},
        {"dump --fpu 0x037F", 2, "qvhost dump: option --fpu does not belong to this command"},
        {"rdt -o u.raw --fpu 0x10000", 2, "option --fpu needs an x87 control word such as 0x037F, not '0x10000'"},
        // A caller at 64-bit precision with exceptions unmasked gets the same table and sizes.
        {"rdt -o u.raw --fpu 0x1332", 0, "u.raw: raw table of the job"},
        {"script size.qvs --job size.job --fpu 0x037F", 0, "3 passed, 0 failed"},
        {"script size.qvs --job size.job --fpu 0x1332", 0, "3 passed, 0 failed"},
    };
    WriteText(folder + "\\size.job", "PaperSize=256\nCustomWidth=256.2\nCustomLength=176.1\n");
    WriteText(folder + "\\size.qvs", u8"expect 1010 text \"ﾕｰｻﾞ定義ｻｲｽﾞ(256.2 x 176.1 mm)\"\n"
                                     u8"expect field CustomWidth 256.2\nexpect field CustomLength 176.1\n");
    std::string output;
    for (const Case& c : cases) {
        EXPECT_EQ(RunHostIn(folder, c.Arguments, output), c.Status) << c.Arguments << "\n" << output;
        EXPECT_TRUE(Has(output, c.Says)) << c.Arguments << "\n" << output;
    }
    EXPECT_EQ(FileText(folder + "\\t.cube").size(), RdtBytes) << "--format raw wins over the name";
    EXPECT_EQ(FileText(folder + "\\u.raw"), FileText(folder + "\\t.cube"));

    // The `qv` script says when its only display is one nobody sees.
    SetEnvironmentVariableA("QV_NO_DISPLAY", "1");
    EXPECT_EQ(RunHostIn(folder, "properties --job p.job", output), 2u) << output;
    SetEnvironmentVariableA("QV_NO_DISPLAY", nullptr);
    EXPECT_TRUE(Has(output, "qvhost properties: the printer properties need a display")) << output;
    EXPECT_TRUE(Has(output, "qvhost show --shots DIR")) << output;
    EXPECT_EQ(GetFileAttributesA((folder + "\\p.job").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Paths are taken from the wide command line and told back as typed; under
// Wine they name the Unix files of the same (UTF-8) names.
TEST(HostCommand, PathsOfAnyCharactersAreTakenAndToldAsTyped) {
    const std::string folder = HostFolder("qv_host_paths");
    // Outside the test macros, whose texts of the arguments are in code page 932.
    const std::string resume = u8"résumé.job", saveResume = "script s.qvs --save " + resume;
    std::string output;
    EXPECT_EQ(RunHostIn(folder, saveResume, output), 0u) << output;
    EXPECT_TRUE(Has(output, "saved " + resume + "\n")) << output;
    EXPECT_EQ(RunHostIn(folder, u8"script s.qvs --save w/見本.job", output), 0u) << output;
    EXPECT_TRUE(Has(output, u8"saved w/見本.job\n")) << output;
    EXPECT_EQ(RunHostIn(folder, u8"dump --job w/見本.job", output), 0u) << output;
    EXPECT_TRUE(Has(output, "\nCopies=3\n")) << output;
    EXPECT_EQ(RunHostIn(folder, u8"dump --job w/無い.job", output), 2u) << output;
    EXPECT_TRUE(Has(output, u8"qvhost: w/無い.job: cannot open the job file")) << output;
    EXPECT_NE(GetFileAttributesW(Wide(folder + "\\" + resume).c_str()), INVALID_FILE_ATTRIBUTES);

    using UnixName = char*(CDECL*)(const WCHAR*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!unixName) return;  // not under Wine
    char* name = unixName(Wide(folder + u8"\\w\\見本.job").c_str());
    ASSERT_NE(name, nullptr);
    const std::string unixPath = name;
    HeapFree(GetProcessHeap(), 0, name);
    const std::string tail = u8"/w/見本.job";
    ASSERT_GT(unixPath.size(), tail.size());
    EXPECT_EQ(unixPath.substr(unixPath.size() - tail.size()), tail) << "the Unix name is UTF-8";
    // A Unix path names that file and is told as typed.
    const std::string unixFolder = unixPath.substr(0, unixPath.size() - tail.size());
    EXPECT_EQ(RunHostIn("", "dump --job " + unixFolder + u8"/w/見本.job", output), 0u) << output;
    EXPECT_TRUE(Has(output, "\nCopies=3\n")) << output;
    EXPECT_EQ(RunHostIn("", "dump --job " + unixFolder + u8"/w/無い.job", output), 2u) << output;
    EXPECT_TRUE(Has(output, "qvhost: " + unixFolder + u8"/w/無い.job: cannot open")) << output;
}

struct SheetOfProcess {
    DWORD Process;
    HWND Sheet;
};

BOOL CALLBACK FindSheetOfProcess(HWND window, LPARAM data) {
    auto* f = reinterpret_cast<SheetOfProcess*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == f->Process && IsWindowVisible(window) && GetDlgItem(window, IDOK)) f->Sheet = window;
    return f->Sheet == nullptr;
}

// `properties --job FILE` with a missing FILE starts from the default
// settings, says so, and OK saves FILE.
TEST(HostCommand, PropertiesMakeANewJobFile) {
    const std::string folder = HostFolder("qv_host_new_job");
    DeleteFileA((folder + "\\new.job").c_str());
    std::string output;
    const DWORD status = RunHostIn(folder, "properties --job new.job", output, [](DWORD process) {
        // Presses OK in the sheet once it shows its current page.
        for (int tries = 0; tries < 300; ++tries) {
            SheetOfProcess find = {process, nullptr};
            EnumWindows(FindSheetOfProcess, reinterpret_cast<LPARAM>(&find));
            HWND page = find.Sheet ? PropSheet_GetCurrentPageHwnd(find.Sheet) : nullptr;
            if (page && IsWindowVisible(page)) {
                PostMessageA(find.Sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
                return;
            }
            Sleep(100);
        }
    });
    EXPECT_EQ(status, 0u) << output;
    EXPECT_TRUE(Has(output, "new.job does not exist: a new job from the default settings, saved there on OK\n"))
        << output;
    EXPECT_TRUE(Has(output, "OK: saved new.job\n")) << output;
    PrintSettings job;
    std::string error;
    ASSERT_TRUE(LoadJobFile(folder + "\\new.job", MakeDefaultSettings(), job, error)) << error;
    EXPECT_EQ(job.Copies, MakeDefaultSettings().Copies);
}

}  // namespace
