// Job files: every byte of a record survives a write and a read, and every
// kind of bad file is refused with its line and reason, loading nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "host/job/default_settings.h"
#include "host/job/job_file.h"

namespace {

// A record with every field set to something other than its default.
PrintSettings ScrambledSettings(unsigned seed) {
    std::mt19937 random(seed);
    PrintSettings s;
    auto* bytes = reinterpret_cast<uint8_t*>(&s);
    for (size_t i = 0; i < sizeof s; ++i) bytes[i] = static_cast<uint8_t>(random());
    size_t count = 0;
    const JobField* fields = JobFields(&count);
    const char* samples[] = {"", "A1#-", "見本", "ｺﾋﾟｰ禁止", "C:\\stamps\\社外秘.bmp", " spaced "};
    for (size_t i = 0; i < count; ++i) {
        const JobField& f = fields[i];
        uint8_t* at = bytes + f.Offset;
        if (f.Type == JobFieldType::Text) {
            memset(at, 0, f.Size);
            const char* sample = samples[random() % 6];
            if (strlen(sample) < f.Size) memcpy(at, sample, strlen(sample));
        } else if (f.Type == JobFieldType::Double) {
            const double d = std::ldexp(static_cast<double>(random()) - 2147483648.0, static_cast<int>(random() % 40) - 30);
            memcpy(at, &d, sizeof d);
        }
    }
    return s;
}

// Job text is UTF-8 (u8 literals); the record holds Shift-JIS (plain literals).
bool Parse(const std::string& text, PrintSettings& out, std::string& error) {
    return ParseJob(text, "job.txt", MakeDefaultSettings(), out, error);
}

std::string TempPath(const char* name) { return testing::TempDir() + name; }

TEST(JobFile, EveryByteRoundTrips) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const PrintSettings original = ScrambledSettings(seed);
        PrintSettings read;
        std::string error;
        ASSERT_TRUE(Parse(FormatJob(original), read, error)) << error;
        EXPECT_EQ(memcmp(&original, &read, sizeof read), 0) << "seed " << seed;
    }
}

TEST(JobFile, FieldsCoverTheRecordExactlyOnce) {
    size_t count = 0;
    const JobField* fields = JobFields(&count);
    std::vector<int> owner(sizeof(PrintSettings), 0);
    for (size_t i = 0; i < count; ++i)
        for (size_t b = 0; b < fields[i].Size; ++b) ++owner[fields[i].Offset + b];
    for (size_t b = 0; b < owner.size(); ++b) EXPECT_EQ(owner[b], 1) << "byte " << b;
    EXPECT_EQ(FindJobField("UserStamps[3].File")->Offset, 580u + 3 * 280 + 20);
    EXPECT_EQ(FindJobField("Density.Gannma")->Offset, 176u);
    EXPECT_EQ(FindJobField("Stamp.StampName")->Size, 20u);
}

TEST(JobFile, MissingFieldsKeepTheBaseAndTextsAreShiftJis) {
    PrintSettings s;
    std::string error;
    ASSERT_TRUE(Parse(u8"\uFEFF# a comment\r\nPaperSize = 8\r\nStamp.StampName=社外秘\nCustomWidth=198\n", s, error))
        << error;
    const PrintSettings d = MakeDefaultSettings();
    EXPECT_EQ(s.PaperSize, 8);
    EXPECT_EQ(s.CustomWidth, 198.0);
    EXPECT_STREQ(s.Stamp.StampName, "社外秘");  // the literal is Shift-JIS in this build
    EXPECT_EQ(s.Copies, d.Copies);
    EXPECT_EQ(memcmp(&s.UserStamps, &d.UserStamps, sizeof d.UserStamps), 0);
}

TEST(JobFile, BadFilesAreRefusedWithLineAndReason) {
    const struct {
        std::string Text;
        const char* Expected;
    } cases[] = {
        {"", "job.txt:1: no settings"},
        {"# only a comment\n", "job.txt:1: no settings"},
        {"Copies=2\nPaperSiz=9\n", "job.txt:2: unknown setting 'PaperSiz'"},
        {"Copies\n", "job.txt:1: expected Name=value"},
        {"Copies=two\n", "job.txt:1: Copies: 'two' is not a 32-bit integer"},
        {"Copies=2147483648\n", "job.txt:1: Copies:"},
        {"Copies=1\nCopies=2\n", "job.txt:2: 'Copies' is set twice"},
        {"MemoryNotice=65536\n", "job.txt:1: MemoryNotice:"},
        {"CustomWidth=1e999\n", "job.txt:1: CustomWidth:"},
        {"CodeText=ABCDEFGHIJKL\n", "job.txt:1: CodeText: the text needs 13 bytes; the field holds 12"},
        {u8"Stamp.StampName=見本見本見本見本見本\n", "job.txt:1: Stamp.StampName: the text needs 21 bytes"},
        {"UserSettingName=\xFF\xFE\n", "job.txt:1: UserSettingName: the text is not UTF-8"},
        {std::string("Copies=1\n\0\1\2", 12), "job.txt:1: this is not a text file"},
    };
    for (const auto& c : cases) {
        PrintSettings s = MakeDefaultSettings();
        s.Copies = 77;
        const PrintSettings before = s;
        std::string error;
        EXPECT_FALSE(Parse(c.Text, s, error)) << c.Text;
        EXPECT_EQ(error.compare(0, strlen(c.Expected), c.Expected), 0) << error;
        EXPECT_EQ(memcmp(&s, &before, sizeof s), 0) << "a refused file changed the record";
    }
    // The largest and smallest values of each type are accepted.
    PrintSettings s;
    std::string error;
    EXPECT_TRUE(Parse("Copies=-2147483648\nPaperSize=2147483647\nMemoryNotice=65535\nCodeText=ABCDEFGHIJK\n", s, error))
        << error;
    EXPECT_EQ(s.Copies, INT32_MIN);
    EXPECT_EQ(s.MemoryNotice, 65535);
}

TEST(JobFile, SaveReplacesTheFileAndLoadReadsItBack) {
    const std::string path = TempPath("qv-job-test.txt");
    std::remove(path.c_str());
    const PrintSettings first = ScrambledSettings(5), second = ScrambledSettings(6);
    std::string error;
    ASSERT_TRUE(SaveJobFile(path, first, error)) << error;
    ASSERT_TRUE(SaveJobFile(path, second, error)) << error;
    PrintSettings read;
    ASSERT_TRUE(LoadJobFile(path, MakeDefaultSettings(), read, error)) << error;
    EXPECT_EQ(memcmp(&read, &second, sizeof read), 0);
    EXPECT_FALSE(std::ifstream(path + ".partial").good()) << "the temporary file was left behind";
    std::remove(path.c_str());
}

TEST(JobFile, UnwritableAndOversizedFilesFailCleanly) {
    std::string error;
    const std::string missingFolder = TempPath("no-such-folder/sub/job.txt");
    EXPECT_FALSE(SaveJobFile(missingFolder, MakeDefaultSettings(), error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;

    const std::string big = TempPath("qv-big-job.txt");
    {
        std::ofstream out(big, std::ios::binary);
        std::string line(1000, '#');
        line += '\n';
        for (size_t i = 0; i <= MaxJobFileBytes / line.size(); ++i) out << line;
    }
    PrintSettings s;
    EXPECT_FALSE(LoadJobFile(big, MakeDefaultSettings(), s, error));
    EXPECT_NE(error.find("larger than"), std::string::npos) << error;
    std::remove(big.c_str());
    EXPECT_FALSE(LoadJobFile(TempPath("qv-absent-job.txt"), MakeDefaultSettings(), s, error));
}

}  // namespace
