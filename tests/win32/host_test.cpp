// The host stand-in with the real library: every page answers through the
// bridge, the default record is never written, and the headless visit
// leaves a picture of each page.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstring>
#include <vector>
#include <string>

#include "host/job/default_settings.h"
#include "fileio/file_output.h"
#include "tests/win32/file_faults.h"
#include "host/host_session.h"
#include "host/property_sheet.h"
#include "tests/engine/rdt_reference.h"
#include "ui/common/page_exports.h"
#include "fileio/image_io.h"
#include "ui/common/exports.h"

namespace {

std::string TempFolder(const char* name) {
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    std::string folder = std::string(path) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// The number of distinct colors in a PNG file (up to 64): a blank picture has one.
int DistinctColors(const std::string& file, int& width, int& height) {
    Image image;
    std::string error;
    if (!ReadImageFile(file, image, error)) return 0;
    width = image.width;
    height = image.height;
    std::vector<uint32_t> seen;
    for (size_t i = 0; i + 2 < image.rgb.size() && seen.size() < 64; i += 3) {
        const uint32_t c = image.rgb[i] << 16 | image.rgb[i + 1] << 8 | image.rgb[i + 2];
        if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
    }
    return static_cast<int>(seen.size());
}

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        defaults = MakeDefaultSettings();
        ASSERT_TRUE(session.Open(defaults, defaults));
    }
    void TearDown() override {
        EXPECT_EQ(memcmp(&session.Defaults(), &defaults, sizeof defaults), 0) << "the default record changed";
    }
    PrintSettings defaults;
    HostSession session;
};

TEST_F(HostTest, EveryPageAnswersTrueAndUnknownKindsFalse) {
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    for (int32_t kind : {PageKindMain, PageKindColor, PageKindOption, PageKindVersion})
        EXPECT_EQ(session.Forward(kind, window, WM_PAINT, 0, 0), 1) << kind;
    EXPECT_EQ(session.Forward(1000, window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(session.Forward(1005, window, WM_PAINT, 0, 0), 0);
    DestroyWindow(window);
}

// A direct loader may pass null pointers: every page answers 1 and touches
// nothing (the records given beside a null stay as they were).
TEST_F(HostTest, PagesAnswerTrueAndTouchNothingForNullPointers) {
    typedef int32_t(QV_API * PageExport)(PageMessage*, PrintSettings*, PrintSettings*);
    HMODULE ui = GetModuleHandleA("QV3810ui.dll");
    ASSERT_NE(ui, nullptr);
    PageMessage message = {};
    message.Message = WM_INITDIALOG;
    PrintSettings current = defaults, other = defaults;
    for (const char* name : {"MainPropPage", "ColorPropPage", "OptPropPage", "VerPropPage"}) {
        auto page = reinterpret_cast<PageExport>(reinterpret_cast<void*>(GetProcAddress(ui, name)));
        ASSERT_NE(page, nullptr) << name;
        EXPECT_EQ(page(nullptr, &current, &other), 1) << name;
        EXPECT_EQ(page(&message, nullptr, &other), 1) << name;
        EXPECT_EQ(page(&message, &current, nullptr), 1) << name;
        EXPECT_EQ(page(nullptr, nullptr, nullptr), 1) << name;
        EXPECT_EQ(memcmp(&current, &defaults, sizeof current), 0) << name;
        EXPECT_EQ(memcmp(&other, &defaults, sizeof other), 0) << name;
    }
}

TEST_F(HostTest, HeadlessVisitSavesAPictureOfEachPage) {
    const std::string folder = TempFolder("qvhost-test-shots");
    std::string error;
    auto files = ShootPropertySheet(session, folder, error);
    ASSERT_EQ(files.size(), 4u) << error;
    for (const std::string& file : files) {
        int w = 0, h = 0;
        EXPECT_GT(DistinctColors(file, w, h), 3) << file << " is blank";
        EXPECT_GT(w, 300) << file;
        EXPECT_GT(h, 300) << file;
        DeleteFileA(file.c_str());
    }
}

// A page whose controls reach past the page area (as in large fonts) makes
// the sheet grow until they fit, with the buttons kept below them.
TEST_F(HostTest, TheSheetGrowsToHoldWhatAPageTakes) {
    HWND sheet = OpenModelessSheet(session);
    ASSERT_NE(sheet, nullptr);
    HWND page = ShowSheetPage(sheet, 0);
    FitSheetToPage(sheet, page);  // the templates alone fit
    RECT before, after, control, ok, area;
    GetWindowRect(sheet, &before);
    GetClientRect(page, &area);
    HWND last = GetWindow(GetWindow(page, GW_CHILD), GW_HWNDLAST);
    SetWindowPos(last, nullptr, area.right + 20, area.bottom + 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    FitSheetToPage(sheet, page);
    GetWindowRect(sheet, &after);
    GetWindowRect(last, &control);
    GetWindowRect(GetDlgItem(sheet, IDOK), &ok);
    HWND tab = PropSheet_GetTabControl(sheet);
    GetClientRect(tab, &area);
    TabCtrl_AdjustRect(tab, FALSE, &area);
    MapWindowPoints(tab, nullptr, reinterpret_cast<POINT*>(&area), 2);
    EXPECT_GT(after.right - after.left, before.right - before.left);
    EXPECT_GT(after.bottom - after.top, before.bottom - before.top);
    EXPECT_LE(control.right, area.right);
    EXPECT_LE(control.bottom, area.bottom);
    EXPECT_GE(ok.top, control.bottom);
    EXPECT_LE(ok.right, after.right);
    CloseModelessSheet(sheet);
}

// The bridge's table entry gives the reference tables (those of every build).
TEST_F(HostTest, TableEntryReproducesTheNativeTables) {
    std::vector<RdtReferenceCase> cases;
    ASSERT_TRUE(ReadRdtReference(QV_SOURCE_DIR "/tests/data/rdt_reference.bin", cases));
    for (const RdtReferenceCase& c : cases) {
        std::vector<uint8_t> table(RdtBytes + 1, 0xA5);
        session.RenderingTable(c.Color, table.data());
        EXPECT_EQ(RdtReferenceMismatches(c, table.data()), 0) << "BaseColor " << c.Color.BaseColor;
        EXPECT_EQ(table[RdtBytes], 0xA5) << "written past the table";
    }
}

// MakeRdt of the built QV3810ui, called directly, gives every reference table
// and every table of the spread byte for byte, and leaves the caller's
// floating-point control as it was (the library sets its own while it builds).
TEST(ShippedLibrary, MakeRdtGivesTheReferenceTablesByteForByte) {
    HMODULE ui = LoadLibraryA("QV3810ui.dll");
    ASSERT_NE(ui, nullptr);
    using MakeRdtFn = int32_t(QV_API*)(const ColorAdjustment*, uint8_t*);
    const auto makeRdt = reinterpret_cast<MakeRdtFn>(reinterpret_cast<void*>(GetProcAddress(ui, "MakeRdt")));
    ASSERT_NE(makeRdt, nullptr);
    std::vector<RdtReferenceCase> cases;
    ASSERT_TRUE(ReadRdtReference(QV_SOURCE_DIR "/tests/data/rdt_reference.bin", cases));
    ASSERT_EQ(cases.size(), sizeof RdtReferenceColors / sizeof RdtReferenceColors[0]);
    const unsigned control = _controlfp(0, 0);
    std::vector<uint8_t> table(RdtBytes);
    for (const RdtReferenceCase& c : cases) {
        ASSERT_NE(makeRdt(&c.Color, table.data()), 0);
        EXPECT_EQ(RdtReferenceMismatches(c, table.data()), 0) << "BaseColor " << c.Color.BaseColor;
    }
    for (const RdtSpreadCase& s : RdtSpread) {
        const ColorAdjustment color = RdtSpreadColor(s);
        makeRdt(&color, table.data());
        EXPECT_EQ(RdtHash(table.data()), s.Hash)
            << "base " << s.Base << " fields " << s.Bright << " " << s.Fullness << " " << s.Contrast << " "
            << s.CyanRed << " " << s.MagentaGreen << " " << s.YellowBlue << "; entry 0 " << int(table[0]) << ","
            << int(table[1]) << "," << int(table[2]);
    }
    EXPECT_EQ(_controlfp(0, 0), control);
    FreeLibrary(ui);
}

// `qvhost rdt` writes the default job's table; the default job's color
// values are the second reference case.
TEST(HostProgram, RdtCommandWritesTheJobsTable) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder(exe);
    folder.resize(folder.find_last_of('\\') + 1);
    const std::string out = TempFolder("qvhost-test-rdt") + "\\default.rdt";
    DeleteFileA(out.c_str());
    std::string command = "\"" + folder + "qvhost.exe\" rdt -o \"" + out + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_EQ(code, 0u);

    std::vector<RdtReferenceCase> cases;
    ASSERT_TRUE(ReadRdtReference(QV_SOURCE_DIR "/tests/data/rdt_reference.bin", cases));
    ASSERT_EQ(MakeDefaultSettings().Color.BaseColor, cases[1].Color.BaseColor);
    HANDLE file = CreateFileA(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<uint8_t> table(RdtBytes + 1);
    DWORD read = 0;
    ReadFile(file, table.data(), static_cast<DWORD>(table.size()), &read, nullptr);
    CloseHandle(file);
    ASSERT_EQ(read, RdtBytes);
    EXPECT_EQ(RdtReferenceMismatches(cases[1], table.data()), 0);
    DeleteFileA(out.c_str());
}

// The save helper of job files and pictures on Win32: read-only files are
// refused, a failed replacement tells the system's reason, and no temporary
// file is left behind.
std::string Contents(const std::string& path) {
    std::string text;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        char buffer[256];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        fclose(f);
    }
    return text;
}

int FilesIn(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    int count = 0;
    if (find == INVALID_HANDLE_VALUE) return 0;
    do count += found.cFileName[0] != '.';
    while (FindNextFileA(find, &found));
    FindClose(find);
    return count;
}

void EmptyFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do DeleteFileA((folder + "\\" + found.cFileName).c_str());
    while (FindNextFileA(find, &found));
    FindClose(find);
}

TEST(SaveHelper, RefusesReadOnlyFilesTellsTheReasonAndLeavesNothing) {
    const std::string folder = TempFolder("qvhost-test-save");
    const std::string file = folder + "\\t.job", taken = folder + "\\taken", other = folder + "\\t.job.partial";
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
    CreateDirectoryA(taken.c_str(), nullptr);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(other, "mine", 4, error)) << error;
    ASSERT_TRUE(WriteFileAtomically(file, "old", 3, error)) << error;
    ASSERT_TRUE(WriteFileAtomically(file, "new", 3, error)) << error;
    EXPECT_EQ(Contents(file), "new");
    EXPECT_EQ(Contents(other), "mine");

    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(WriteFileAtomically(file, "lost", 4, error));
    EXPECT_EQ(error, "cannot write '" + file + "': the file is read-only");
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Contents(file), "new");

    EXPECT_FALSE(WriteFileAtomically(taken, "x", 1, error));
    const std::string prefix = "cannot replace '" + taken + "': ";
    EXPECT_EQ(error.compare(0, prefix.size(), prefix), 0) << error;
    EXPECT_GT(error.size(), prefix.size() + 3) << error;
    EXPECT_EQ(error.find("success"), std::string::npos) << error;

    EXPECT_EQ(FilesIn(folder), 3) << "t.job, t.job.partial and the folder taken only";
    DeleteFileA(other.c_str());
    DeleteFileA(file.c_str());
    RemoveDirectoryA(taken.c_str());
}

// A save stopped after each of its file operations in turn, and with each
// one failing alone: the file holds the old text or the new one, whole;
// a save that said it succeeded wrote the new one, one that failed kept the
// old one, told why and left nothing beside it.
TEST(SaveHelper, NoStopOrFailureLeavesAPartialFile) {
    const std::string folder = TempFolder("qvhost-test-save-faults");
    const std::string file = folder + "\\t.job";
    const std::string old(3000, 'o'), fresh(5000, 'n');
    int points = 0;
    for (bool stop : {true, false}) {
        for (int at = 1;; ++at) {
            SCOPED_TRACE(std::string(stop ? "stopped after call " : "call failing alone ") + std::to_string(at));
            EmptyFolder(folder);
            std::string error;
            ASSERT_TRUE(WriteFileAtomically(file, old.data(), old.size(), error)) << error;
            bool said;
            {
                FaultyFileCalls faults;
                g_plan = {0, at, stop, false, {}};
                said = WriteFileAtomically(file, fresh.data(), fresh.size(), error);
                g_plan.At = 0;
                if (g_plan.Calls < at) break;
            }
            ++points;
            const std::string got = Contents(file);
            EXPECT_TRUE(got == old || got == fresh) << got.size() << " bytes";
            if (stop) continue;
            EXPECT_EQ(got, said ? fresh : old);
            if (!said) {
                EXPECT_NE(error.find("t.job': "), std::string::npos) << error;
            }
            EXPECT_EQ(FilesIn(folder), 1) << "a temporary file was left";
        }
    }
    EXPECT_GT(points, 10);
    // The new file is on the disk before it takes the name.
    g_plan = {};
    {
        FaultyFileCalls faults;
        std::string error;
        EXPECT_TRUE(WriteFileAtomically(file, fresh.data(), fresh.size(), error)) << error;
    }
    EXPECT_TRUE(g_plan.Log.find('F') != std::string::npos && g_plan.Log.find('F') < g_plan.Log.find('M')) << g_plan.Log;
    std::printf("stop and failure points: %d\n", points);
    EmptyFolder(folder);
}

}  // namespace
