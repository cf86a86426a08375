// The user settings store on the platform's private-profile functions, in a
// file of a temporary folder: the table after loads, the file's bytes after
// writes, and files that are damaged in every way a text file can be.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/win32/file_faults.h"
#include "tests/win32/test_support.h"
#include "ui/color/user_settings_store.h"

namespace {

std::string Value(const std::string& section, const char* key, const std::string& path) {
    char buffer[256];
    GetPrivateProfileStringA(section.c_str(), key, "<absent>", buffer, sizeof buffer, path.c_str());
    return buffer;
}

// One section with a name and values 1..12 offset by `base`.
std::string Section(int n, const std::string& name, int base = 0) {
    std::string s = "[UserEnt" + std::to_string(n) + "]\r\nUserEntName=" + name + "\r\n";
    for (int k = 0; k < UserValueKeyCount; ++k) s += std::string(UserValueKeys[k]) + "=" + std::to_string(base + k + 1) + "\r\n";
    return s;
}

std::string FreeSections(int from, int to) {
    std::string s;
    for (int n = from; n <= to; ++n) s += Section(n, "");
    return s;
}

class UserSettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::string(temp) + "qv-store-" + info->name();
        CreateDirectoryA(folder.c_str(), nullptr);
        path = folder + "\\QV3810ui.ini";
        DeleteFileA(path.c_str());
        QvUseUserSettingsFile(path.c_str());
        std::memset(g_userEntries, 0, sizeof g_userEntries);
    }
    void TearDown() override {
        QvUseUserSettingsFile(nullptr);
        DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
    }
    UserEntry& Record(int n) { return g_userEntries[n]; }
    void Name(int n, const char* name) {
        std::memset(&Record(n), 0, sizeof(UserEntry));
        std::strcpy(Record(n).Name, name);
        Record(n).Color.Bright = 3;
        Record(n).Density.Yellow = -4;
    }
    int CountNamed(const char* name) {
        int count = 0;
        for (const UserEntry& e : g_userEntries) count += std::strcmp(e.Name, name) == 0;
        return count;
    }
    std::string folder, path;
};

TEST_F(UserSettingsStore, PathComesFromTheSystemDirectory) {
    QvUseUserSettingsFile(nullptr);
    InitUserSettingsPath();
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(std::string(UserSettingsPath()), std::string(system) + "\\QV3810ui.ini");
}

TEST_F(UserSettingsStore, MissingFileFailsTheLoadAndBecomesTheDefaultFile) {
    Name(2, "keep");
    EXPECT_FALSE(LoadUserEntries());
    EXPECT_TRUE(RepairUserFile());
    EXPECT_EQ(ReadBytes(path), DefaultUserFileText());
    EXPECT_TRUE(LoadUserEntries());
    for (const UserEntry& e : g_userEntries) EXPECT_STREQ(e.Name, "");
}

TEST_F(UserSettingsStore, LoadFillsRecordsAndCutsLongNamesAtACharacter) {
    WriteBytes(path, Section(0, "12345678901234567890", 0) + Section(1, "あいうえおかきくけこ", 10) +
                         Section(2, "a写真写真写真写真写真", 20) + FreeSections(3, 9));
    EXPECT_TRUE(LoadUserEntries());
    EXPECT_STREQ(Record(0).Name, "12345678901234567");
    EXPECT_EQ(Record(0).Color.BaseColor, 1);
    EXPECT_EQ(Record(0).Color.YellowBlue, 7);
    EXPECT_EQ(Record(0).Density.Gannma, 8);
    EXPECT_EQ(Record(0).Density.Yellow, 12);
    EXPECT_STREQ(Record(1).Name, "あいうえおかきく");  // 16 bytes: the 9th character would end at 18
    EXPECT_EQ(Record(1).Color.Bright, 12);
    EXPECT_STREQ(Record(2).Name, "a写真写真写真写真");  // 17 bytes
    EXPECT_EQ(Record(2).Color.SampleImage, 0) << "SampleImage is never read";
}

TEST_F(UserSettingsStore, FreeSectionFreesItsRecordSoNothingIsListedTwice) {
    // Record 5 holds a name that an update has since moved into section 0.
    Name(5, "moved");
    WriteBytes(path, Section(0, "moved", 40) + FreeSections(1, 9));
    EXPECT_TRUE(LoadUserEntries());
    EXPECT_EQ(CountNamed("moved"), 1);
    EXPECT_STREQ(Record(5).Name, "");
    EXPECT_EQ(Record(0).Color.BaseColor, 41);
}

TEST_F(UserSettingsStore, UpdateMovesIntoTheFirstFreeSectionAndReloadsOnce) {
    WriteBytes(path, FreeSections(0, 2) + Section(3, "photo", 0) + FreeSections(4, 9));
    ASSERT_TRUE(LoadUserEntries());
    Record(3).Color.Contrast = -9;
    ASSERT_TRUE(RemoveUserEntry("photo"));
    ASSERT_TRUE(SaveUserEntry("photo"));
    EXPECT_EQ(Value("UserEnt0", "UserEntName", path), "photo");
    EXPECT_EQ(Value("UserEnt0", "Contrast", path), "-9");
    EXPECT_EQ(Value("UserEnt3", "UserEntName", path), "");
    ASSERT_TRUE(LoadUserEntries());
    EXPECT_EQ(CountNamed("photo"), 1);
    EXPECT_EQ(Record(0).Color.Contrast, -9);
}

TEST_F(UserSettingsStore, RemoveLeavesTheValuesAndASaveOverwritesThem) {
    WriteBytes(path, Section(0, "gone", 100) + FreeSections(1, 9));
    EXPECT_TRUE(RemoveUserEntry("gone"));
    EXPECT_EQ(Value("UserEnt0", "UserEntName", path), "");
    EXPECT_EQ(Value("UserEnt0", "Bright", path), "102");
    EXPECT_FALSE(RemoveUserEntry("gone"));
    Name(4, "new");
    EXPECT_TRUE(SaveUserEntry("new"));
    EXPECT_EQ(Value("UserEnt0", "UserEntName", path), "new");
    EXPECT_EQ(Value("UserEnt0", "Bright", path), "3");
    EXPECT_EQ(Value("UserEnt0", "Yellow", path), "-4");
}

TEST_F(UserSettingsStore, SavingAPresentNameRewritesItsOwnSection) {
    WriteBytes(path, FreeSections(0, 6) + Section(7, "mine", 0) + FreeSections(8, 9));
    Name(1, "mine");
    EXPECT_TRUE(SaveUserEntry("mine"));
    EXPECT_EQ(Value("UserEnt7", "Bright", path), "3");
    EXPECT_EQ(Value("UserEnt0", "UserEntName", path), "");
}

TEST_F(UserSettingsStore, SavingWithoutSectionOrRecordWritesNothing) {
    std::string full;
    for (int n = 0; n < 10; ++n) full += Section(n, "n" + std::to_string(n), n * 20);
    WriteBytes(path, full);
    Name(0, "eleventh");
    EXPECT_FALSE(SaveUserEntry("eleventh"));
    EXPECT_EQ(ReadBytes(path), full);
    WriteBytes(path, FreeSections(0, 9));
    EXPECT_FALSE(SaveUserEntry("nobody"));
    EXPECT_EQ(ReadBytes(path), FreeSections(0, 9));
}

TEST_F(UserSettingsStore, NamesDifferingInCaseAreDifferentEntries) {
    WriteBytes(path, FreeSections(0, 9));
    Name(0, "ABC");
    Name(1, "abc");
    Record(1).Color.Bright = 7;
    EXPECT_TRUE(SaveUserEntry("ABC"));
    EXPECT_TRUE(SaveUserEntry("abc"));
    EXPECT_EQ(Value("UserEnt0", "UserEntName", path), "ABC");
    EXPECT_EQ(Value("UserEnt1", "UserEntName", path), "abc");
    EXPECT_EQ(Value("UserEnt1", "Bright", path), "7");
    EXPECT_TRUE(RemoveUserEntry("abc"));
    EXPECT_EQ(Value("UserEnt0", "UserEntName", path), "ABC");
}

TEST_F(UserSettingsStore, DummyDefIsANameLikeAnyOther) {
    WriteBytes(path, Section(0, "DummyDef", 0) + Section(1, "after", 0) + FreeSections(2, 9));
    EXPECT_TRUE(LoadUserEntries());
    EXPECT_STREQ(Record(0).Name, "DummyDef");
    EXPECT_STREQ(Record(1).Name, "after");
    EXPECT_TRUE(RemoveUserEntry("DummyDef"));
    EXPECT_EQ(Value("UserEnt0", "UserEntName", path), "");
    EXPECT_EQ(ReadBytes(path).find("DummyDef?"), std::string::npos);
}

TEST_F(UserSettingsStore, DamagedSectionsAreRepairedInPlaceAndNothingRegisteredIsLost) {
    // Section 2 lost its name key, section 6 is missing entirely.
    std::string damaged = Section(0, "first", 0) + Section(1, "second", 10) +
                          "[UserEnt2]\r\nBright=77\r\n" + Section(3, "", 0) + Section(4, "fourth", 30) +
                          Section(5, "", 0) + Section(7, "seventh", 50) + Section(8, "", 0) + Section(9, "ninth", 70);
    WriteBytes(path, damaged);
    Name(2, "stale");
    EXPECT_FALSE(LoadUserEntries());
    EXPECT_STREQ(Record(4).Name, "fourth");
    EXPECT_STREQ(Record(7).Name, "seventh");
    EXPECT_EQ(Record(9).Color.BaseColor, 71);
    EXPECT_STREQ(Record(2).Name, "");

    EXPECT_TRUE(RepairUserFile());
    EXPECT_EQ(Value("UserEnt2", "UserEntName", path), "");
    EXPECT_EQ(Value("UserEnt2", "Bright", path), "77") << "a value the section held stays";
    EXPECT_EQ(Value("UserEnt2", "Yellow", path), "0");
    EXPECT_EQ(Value("UserEnt6", "UserEntName", path), "");
    EXPECT_EQ(Value("UserEnt6", "Gannma", path), "0");
    EXPECT_EQ(Value("UserEnt9", "UserEntName", path), "ninth");
    EXPECT_EQ(Value("UserEnt0", "MagentaGreen", path), "6");

    std::memset(g_userEntries, 0, sizeof g_userEntries);
    EXPECT_TRUE(LoadUserEntries());
    const char* expected[10] = {"first", "second", "", "", "fourth", "", "", "seventh", "", "ninth"};
    for (int n = 0; n < 10; ++n) EXPECT_STREQ(Record(n).Name, expected[n]) << n;
    EXPECT_EQ(Record(4).Density.Yellow, 42);
}

TEST_F(UserSettingsStore, BadValuesReadAsTheyParseAndNothingIsClamped) {
    std::string s = "[UserEnt0]\r\nUserEntName=odd\r\nBaseColor=abc\r\nBright=-9999\r\nFullness=12x\r\n"
                    "Contrast=\r\nCyanRed=2147483647\r\nMagentaGreen=  5\r\n";  // the rest missing
    WriteBytes(path, s + FreeSections(1, 9));
    EXPECT_TRUE(LoadUserEntries());
    EXPECT_STREQ(Record(0).Name, "odd");
    EXPECT_EQ(Record(0).Color.BaseColor, 0);
    EXPECT_EQ(Record(0).Color.Bright, -9999);
    EXPECT_EQ(Record(0).Color.Fullness, 12);
    EXPECT_EQ(Record(0).Color.Contrast, 0);
    EXPECT_EQ(Record(0).Color.CyanRed, 2147483647);
    EXPECT_EQ(Record(0).Color.MagentaGreen, 5);
    EXPECT_EQ(Record(0).Density.Yellow, 0);
}

TEST_F(UserSettingsStore, GarbageNeverCrashesAndTheFileIsNeverTruncated) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131 + 7) & 0xFF);
    const std::string cases[] = {
        garbage,
        "no equals sign here\r\n[UserEnt0]\r\nUserEntName\r\nBaseColor\r\n" + FreeSections(1, 9),
        Section(0, "twice", 0) + Section(0, "shadow", 50) + FreeSections(1, 9),
        Section(0, "long", 0) + "Comment=" + std::string(10 * 1024 * 1024, 'x') + "\r\n" + FreeSections(1, 9),
        std::string("\xEF\xBB\xBF") + Section(0, "bom", 0),
        std::string(1, '\0') + Section(0, "nul", 0),
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.substr(0, 40));
        WriteBytes(path, bytes);
        std::memset(g_userEntries, 0, sizeof g_userEntries);
        if (!LoadUserEntries()) RepairUserFile();
        const std::string after = ReadBytes(path);
        EXPECT_GE(after.size(), bytes.size()) << "the file shrank";
        std::memset(g_userEntries, 0, sizeof g_userEntries);
        EXPECT_TRUE(LoadUserEntries()) << "the repaired file loads";
        for (const UserEntry& e : g_userEntries) EXPECT_LT(std::strlen(e.Name), sizeof e.Name);
    }
    // Garbage stays byte for byte; the free sections follow it.
    WriteBytes(path, garbage);
    LoadUserEntries();
    RepairUserFile();
    EXPECT_EQ(ReadBytes(path).compare(0, garbage.size(), garbage), 0);
    // The duplicate section reads as its first occurrence.
    WriteBytes(path, cases[2]);
    LoadUserEntries();
    EXPECT_STREQ(Record(0).Name, "twice");
}

// Every write makes a new file beside the old one and renames it into
// place: when the new file cannot be made the old one stays byte for byte
// and the failure is told; a replacement that stopped between its renames
// is undone at the next load; a finished one leaves nothing beside the file.
TEST_F(UserSettingsStore, TheFileIsReplacedWholeOrLeftAsItWas) {
    const std::string fresh = folder + "\\QV3810ui.$$$", backup = folder + "\\QV3810ui.in$";
    const std::string intact = Section(0, "keep", 0) + FreeSections(1, 9);
    const std::string damaged = Section(0, "keep", 0) + "[UserEnt1]\r\nBright=7\r\n" + FreeSections(2, 9);
    const struct {
        const char* What;
        const std::string& Bytes;
        bool (*Write)();
    } writes[] = {
        {"save", intact, [] { return SaveUserEntry("new"); }},
        {"remove", intact, [] { return RemoveUserEntry("keep"); }},
        {"update", intact, [] { return ResaveUserEntry("keep"); }},
        {"default file", intact, [] { return WriteDefaultUserFile(); }},
        {"repair", damaged, [] { return RepairUserFile(); }},
    };
    for (const auto& w : writes) {
        SCOPED_TRACE(w.What);
        WriteBytes(path, w.Bytes);
        std::memset(g_userEntries, 0, sizeof g_userEntries);
        LoadUserEntries();
        Name(1, "new");
        Record(0).Color.Bright = 99;  // what an update writes
        // A folder where the new file would go: it cannot be written.
        ASSERT_TRUE(CreateDirectoryA(fresh.c_str(), nullptr));
        EXPECT_FALSE(w.Write());
        EXPECT_TRUE(UserFileWriteFailed());
        EXPECT_EQ(ReadBytes(path), w.Bytes);
        RemoveDirectoryA(fresh.c_str());

        EXPECT_TRUE(w.Write());
        EXPECT_FALSE(UserFileWriteFailed());
        EXPECT_NE(ReadBytes(path), w.Bytes);
        EXPECT_EQ(GetFileAttributesA(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetFileAttributesA(backup.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_FALSE(SaveUserEntry("nobody"));
    EXPECT_FALSE(UserFileWriteFailed()) << "nothing to write is no failure";

    // Stopped after the old file moved aside: the load puts it back.
    DeleteFileA(path.c_str());
    WriteBytes(backup, intact);
    std::memset(g_userEntries, 0, sizeof g_userEntries);
    EXPECT_TRUE(LoadUserEntries());
    EXPECT_STREQ(Record(0).Name, "keep");
    EXPECT_EQ(ReadBytes(path), intact);
    EXPECT_EQ(GetFileAttributesA(backup.c_str()), INVALID_FILE_ATTRIBUTES);
    // Stopped after the new file took the name: the old one just goes.
    WriteBytes(backup, "old");
    EXPECT_TRUE(LoadUserEntries());
    EXPECT_EQ(ReadBytes(path), intact);
    EXPECT_EQ(GetFileAttributesA(backup.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Names in quotation marks read back as they were typed: "q" and q are two
// entries, and 's' keeps its marks.
TEST_F(UserSettingsStore, NamesInQuotationMarksReadBackAsTyped) {
    WriteBytes(path, FreeSections(0, 9));
    const char* names[] = {"\"q\"", "q", "'s'", "\"", "a\"b"};
    for (int n = 0; n < 5; ++n) {
        Name(n, names[n]);
        Record(n).Color.Bright = n;
        ASSERT_TRUE(SaveUserEntry(names[n])) << names[n];
    }
    std::memset(g_userEntries, 0, sizeof g_userEntries);
    ASSERT_TRUE(LoadUserEntries());
    for (int n = 0; n < 5; ++n) {
        EXPECT_STREQ(Record(n).Name, names[n]);
        EXPECT_EQ(Record(n).Color.Bright, n) << names[n];
    }
    EXPECT_TRUE(RemoveUserEntry("q"));
    EXPECT_EQ(Value("UserEnt0", "UserEntName", path), "\"q\"");
    EXPECT_EQ(Value("UserEnt1", "UserEntName", path), "");
}

// ---- stops and failures of every file operation

// The registered entries of the table, one text each (name and values),
// in order: what a user can see and choose.
std::vector<std::string> Entries() {
    std::vector<std::string> entries;
    for (UserEntry& e : g_userEntries) {
        if (e.Name[0] == '\0') continue;
        std::string text = e.Name;
        const int32_t* values = &e.Color.BaseColor;
        for (int k = 0; k < 7; ++k) text += " " + std::to_string(values[k]);
        for (int32_t v : {e.Density.Gannma, e.Density.Black, e.Density.Cyan, e.Density.Magenta, e.Density.Yellow})
            text += " " + std::to_string(v);
        entries.push_back(text);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// What the Color page does when it opens: load, and repair when the load
// fails; then the entries of a load of the result.
std::vector<std::string> FreshLoad() {
    std::memset(g_userEntries, 0, sizeof g_userEntries);
    if (!LoadUserEntries()) {
        RepairUserFile();
        std::memset(g_userEntries, 0, sizeof g_userEntries);
        LoadUserEntries();
    }
    return Entries();
}

// Every change of the store (the first file, add, update, delete, the repair
// of a damaged file) is stopped after each of its file operations in turn,
// and run with each operation failing alone. Then the next loads, first
// while the backup is held open and then freely, show every entry
// registered before with its values, and either all of the change or none,
// nothing twice; a change that said it succeeded shows all of it, one that
// said it failed none of it. Tried again, the change succeeds and leaves
// nothing beside the file.
TEST_F(UserSettingsStore, NoStopAndNoFailureLosesOrDoublesAnEntry) {
    const std::string fresh = folder + "\\QV3810ui.$$$", backup = folder + "\\QV3810ui.in$";
    const std::string two = Section(0, "keep", 0) + FreeSections(1, 2) + Section(3, "other", 20) + FreeSections(4, 9);
    const std::string damaged = Section(0, "keep", 0) + FreeSections(1, 1) + "[UserEnt2]\r\nBright=77\r\n" +
                                Section(3, "other", 20) + FreeSections(4, 5) + FreeSections(7, 9);
    const std::string keep = "keep 1 2 3 4 5 6 7 8 9 10 11 12", other = "other 21 22 23 24 25 26 27 28 29 30 31 32";
    const std::string newer = "keep 1 99 3 4 5 6 7 8 9 10 11 12", added = "new 0 3 0 0 0 0 0 0 0 0 0 -4";
    struct {
        const char* What;
        const std::string* File;  // null: none
        std::function<void()> Prepare;  // what the dialog does to the table first
        std::function<bool()> Change;
        std::vector<std::string> Before, After;
    } changes[] = {
        {"first file", nullptr, [] {}, [] { return RepairUserFile(); }, {}, {}},
        {"add", &two, [this] { Name(1, "new"); }, [] { return SaveUserEntry("new"); }, {keep, other},
         {added, keep, other}},
        {"update", &two, [this] { Record(0).Color.Bright = 99; }, [] { return ResaveUserEntry("keep"); },
         {keep, other}, {newer, other}},
        {"delete", &two, [] {}, [] { return RemoveUserEntry("keep"); }, {keep, other}, {other}},
        {"repair", &damaged, [] {}, [] { return RepairUserFile(); }, {keep, other}, {keep, other}},
    };
    // Every point, or every n-th where each step is slow (the 32-bit build under qemu).
    const int every = static_cast<int>(EnvNumber("QV_FAULT_EVERY", 1));
    int stops = 0, failures = 0;
    for (auto& c : changes) {
        std::sort(c.Before.begin(), c.Before.end());
        std::sort(c.After.begin(), c.After.end());
        // The table as the dialog finds it.
        DeleteFileA(path.c_str());
        if (c.File) WriteBytes(path, *c.File);
        std::memset(g_userEntries, 0, sizeof g_userEntries);
        LoadUserEntries();
        UserEntry loaded[UserEntryCount];
        std::memcpy(loaded, g_userEntries, sizeof loaded);
        // Whole: every rename of the new file into place follows its flush.
        c.Prepare();
        g_plan = {};
        {
            FaultyFileCalls faults;
            EXPECT_TRUE(c.Change()) << c.What;
        }
        const std::string& log = g_plan.Log;
        EXPECT_TRUE(log.find('F') != std::string::npos && log.rfind('F') < log.find('M')) << c.What << ": " << log;
        for (bool stop : {true, false}) {
            for (int at = 1;; at += every) {
                SCOPED_TRACE(std::string(c.What) + (stop ? ": stopped after call " : ": call failing alone ") +
                             std::to_string(at));
                for (const std::string& f : {path, fresh, backup}) DeleteFileA(f.c_str());
                if (c.File) WriteBytes(path, *c.File);
                std::memcpy(g_userEntries, loaded, sizeof loaded);
                c.Prepare();
                bool said, failed;
                {
                    FaultyFileCalls faults;
                    g_plan = {0, at, stop, false, {}};
                    said = c.Change();
                    failed = UserFileWriteFailed();
                    g_plan.At = 0;
                    if (g_plan.Calls < at) break;  // the change made fewer calls: every point was tried
                    if (stop) {
                        // at - 1 calls went through before the stop.
                        ++stops;
                    } else {
                        ++failures;
                        EXPECT_EQ(said, !failed) << "a failure is told exactly when the change says it failed";
                    }
                    // The backup held open: nothing may be written meanwhile.
                    if (GetFileAttributesA(backup.c_str()) != INVALID_FILE_ATTRIBUTES) {
                        g_plan.MovesFail = true;
                        const std::vector<std::string> held = FreshLoad();
                        g_plan.MovesFail = false;
                        EXPECT_TRUE(held == c.Before || held == c.After) << "while the backup is held open";
                    }
                }
                const std::vector<std::string> got = FreshLoad();
                EXPECT_TRUE(got == c.Before || got == c.After) << "loaded " << got.size() << " entries";
                if (!stop && said) {
                    EXPECT_EQ(got, c.After) << "the change said it succeeded";
                }
                if (!stop && failed) {
                    EXPECT_EQ(got, c.Before) << "the change said it failed";
                }
                c.Prepare();
                c.Change();
                EXPECT_FALSE(UserFileWriteFailed()) << "tried again";
                EXPECT_EQ(FreshLoad(), c.After) << "tried again";
                EXPECT_EQ(GetFileAttributesA(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
                EXPECT_EQ(GetFileAttributesA(backup.c_str()), INVALID_FILE_ATTRIBUTES);
            }
        }
    }
    std::printf("stop points: %d, failure points: %d\n", stops, failures);
    EXPECT_GT(stops * every, 100);
}

}  // namespace
