// Name and file-name rules of the user settings and user stamps. Literals
// are Shift-JIS in the binary, as in the library.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/color/setting_names.h"
#include "ui/common/shift_jis.h"

namespace {

TEST(SettingNames, LeadBytesAreTheTwoShiftJisRanges) {
    EXPECT_FALSE(IsLeadByte(0x80));
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_TRUE(IsLeadByte(0x9F));
    EXPECT_FALSE(IsLeadByte(0xA0));
    EXPECT_FALSE(IsLeadByte(0xDF));  // half-width katakana are single bytes
    EXPECT_TRUE(IsLeadByte(0xE0));
    EXPECT_TRUE(IsLeadByte(0xFC));
    EXPECT_FALSE(IsLeadByte(0xFD));
    EXPECT_FALSE(IsLeadByte('\\'));
}

TEST(SettingNames, CutsNeverSplitADoubleByteCharacter) {
    const char* kanji = "写真写真写真";  // six double-byte characters, twelve bytes
    ASSERT_EQ(std::strlen(kanji), 12u);
    EXPECT_EQ(FitLength(kanji, 10), 10u);
    EXPECT_EQ(FitLength(kanji, 9), 8u);
    EXPECT_EQ(FitLength("a写真", 4), 3u);
    EXPECT_EQ(FitLength("ﾕｰｻﾞ設定", 5), 4u);  // four half-width bytes, then a double-byte one
    EXPECT_EQ(FitLength("ﾕｰｻﾞ設定", 6), 6u);
    EXPECT_EQ(FitLength("abc", 10), 3u);
    // A trail byte that is a backslash or a letter is still part of its character.
    const char* trailBackslash = "表表表";  // 0x95 0x5C each
    ASSERT_EQ(static_cast<unsigned char>(trailBackslash[1]), 0x5C);
    EXPECT_EQ(FitLength(trailBackslash, 5), 4u);
}

TEST(SettingNames, CopyCutZeroFillsAndRespectsTheDestination) {
    char field[20];
    std::memset(field, 'x', sizeof field);
    CopyCut(field, sizeof field, "12345678901234567890123", 17);
    EXPECT_STREQ(field, "12345678901234567");
    for (size_t i = 17; i < sizeof field; ++i) EXPECT_EQ(field[i], 0) << i;

    CopyCut(field, sizeof field, "ab写真写真写真写真写真", 18);  // 2 + 20 bytes
    EXPECT_EQ(std::strlen(field), 18u);
    CopyCut(field, sizeof field, "a写真写真写真写真写真", 18);  // would end inside a character
    EXPECT_EQ(std::strlen(field), 17u);

    char small[4];
    CopyCut(small, sizeof small, "写真写真", 100);  // limited by the field, not the request
    EXPECT_EQ(std::strlen(small), 2u);
}

TEST(SettingNames, CaseIsIgnoredForSingleByteLettersOnly) {
    EXPECT_TRUE(EqualIgnoringCase("abc", "ABC"));
    EXPECT_TRUE(EqualIgnoringCase("Photo1", "pHOTO1"));
    EXPECT_FALSE(EqualIgnoringCase("abc", "abcd"));
    EXPECT_FALSE(EqualIgnoringCase("abcd", "abc"));
    EXPECT_TRUE(EqualIgnoringCase("", ""));
    // Full-width letters are different characters in each case.
    EXPECT_FALSE(EqualIgnoringCase("ＡＢＣ", "ａｂｃ"));
    EXPECT_TRUE(EqualIgnoringCase("写真A", "写真a"));
    // Two katakana whose trail bytes look like 'Z' and 'z': a trail byte is not a letter.
    EXPECT_FALSE(EqualIgnoringCase("\x83\x5A", "\x83\x7A"));
    EXPECT_FALSE(EqualIgnoringCase("\x83" "a", "\x83" "A"));
    // Half-width katakana are compared as they are.
    EXPECT_TRUE(EqualIgnoringCase("ﾃｽﾄ", "ﾃｽﾄ"));
    EXPECT_FALSE(EqualIgnoringCase("ﾃｽﾄ", "ﾃｽﾃ"));
}

TEST(SettingNames, PrefixSearchFollowsCharacters) {
    EXPECT_TRUE(StartsWithIgnoringCase("Portrait", "por"));
    EXPECT_TRUE(StartsWithIgnoringCase("写真1", "写真"));
    EXPECT_TRUE(StartsWithIgnoringCase("anything", ""));
    EXPECT_FALSE(StartsWithIgnoringCase("写", "写真"));
    // A prefix ending in a lone lead byte does not match half of a character.
    EXPECT_FALSE(StartsWithIgnoringCase("写真", "\x8E"));
}

// The color page and the stamp dialog find a name in their lists this way.
TEST(SettingNames, AnEqualItemComesBeforeTheFirstItemBeginningWithTheName) {
    const std::vector<std::string> items = {"現在の設定", "abcdef", "ABC", "Abc", "見本", "見"};
    const struct {
        const char* Name;
        size_t ExactFrom;
        int Expected;
    } cases[] = {
        {"ABC", 0, 2},    // not "abcdef", registered before it
        {"Abc", 0, 3},    // byte for byte: not "ABC"
        {"aBc", 0, 1},    // nothing equal: the first beginning with it
        {"abcd", 0, 1},   {"見", 0, 5},  // "見本" begins with it but comes first
        {"見", 5, 5},     {"見本", 5, 4}, // nothing equal from 5 on: the prefix search looks at every item
        {"xyz", 0, -1},   {"", 0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(FindNamedItem(items, c.Name, c.ExactFrom), c.Expected) << c.Name;
    EXPECT_EQ(FindNamedItem({}, "ABC"), -1);
}

TEST(SettingNames, BlanksAroundANameGoCharacterByCharacter) {
    EXPECT_EQ(TrimBlanks("  abc \t"), "abc");
    EXPECT_EQ(TrimBlanks("a b"), "a b");
    EXPECT_EQ(TrimBlanks("　写真　"), "写真");  // ideographic spaces
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    // 0x81 0x40 inside a character run is only a blank where a character starts.
    EXPECT_EQ(TrimBlanks("\x88\x81\x40"), "\x88\x81\x40");
}

TEST(SettingNames, StampFileChecksInTheirOrder) {
    EXPECT_EQ(CheckStampFileName("x.BMP"), StampFileCheck::Accepted);
    EXPECT_EQ(CheckStampFileName("x.rle"), StampFileCheck::Accepted);
    EXPECT_EQ(CheckStampFileName(".bmp"), StampFileCheck::Accepted);
    EXPECT_EQ(CheckStampFileName("C:\\表\\stamp.Bmp"), StampFileCheck::Accepted);
    EXPECT_EQ(CheckStampFileName("a.bm"), StampFileCheck::WrongType);
    EXPECT_EQ(CheckStampFileName("pic.bmp "), StampFileCheck::WrongType);  // the blank is part of the last four
    EXPECT_EQ(CheckStampFileName("ab"), StampFileCheck::TooShort);
    EXPECT_EQ(CheckStampFileName("abc "), StampFileCheck::TooShort);
    EXPECT_EQ(CheckStampFileName("abc\t\r\n"), StampFileCheck::TooShort);
    EXPECT_EQ(CheckStampFileName(""), StampFileCheck::TooShort);
    EXPECT_EQ(CheckStampFileName("abcd"), StampFileCheck::WrongType);
    // A stray lead byte: the dot after it cannot be its trail byte.
    EXPECT_EQ(CheckStampFileName("\x81" ".bmp"), StampFileCheck::Accepted);
    EXPECT_EQ(CheckStampFileName("写.bmp"), StampFileCheck::Accepted);
    EXPECT_EQ(CheckStampFileName("x\x83" "bmp"), StampFileCheck::WrongType);
}

TEST(SettingNames, DefaultFileIsTenFreeSectionsWithCrLf) {
    const std::string text = DefaultUserFileText();
    const std::string section0 =
        "[UserEnt0]\r\nUserEntName=\r\n\r\nBaseColor=0\r\nBright=0\r\nFullness=0\r\nContrast=0\r\n"
        "CyanRed=0\r\nMagentaGreen=0\r\nYellowBlue=0\r\n\r\nGannma=0\r\nBlack=0\r\nCyan=0\r\n"
        "Magenta=0\r\nYellow=0\r\n\r\n";
    ASSERT_EQ(text.size(), 10 * section0.size());
    EXPECT_EQ(text.substr(0, section0.size()), section0);
    std::string section9 = section0;
    section9[8] = '9';
    EXPECT_EQ(text.substr(text.size() - section9.size()), section9);
    // No bare line feed anywhere.
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n') continue;
        ASSERT_EQ(text[i - 1], '\r') << i;
    }
}

TEST(SettingNames, LinesGoRightAfterTheSectionHeaderAndNothingElseMoves) {
    const std::string file = "junk\r\n[UserEnt1]\r\nA=1\r\n [ userent2 ] \nB=2\n[UserEnt3]";
    EXPECT_EQ(WithLinesInSection(file, "UserEnt2", {"X=", "Y=0"}),
              "junk\r\n[UserEnt1]\r\nA=1\r\n [ userent2 ] \nX=\r\nY=0\r\nB=2\n[UserEnt3]");
    EXPECT_EQ(WithLinesInSection(file, "UserEnt3", {"X="}), file + "\r\nX=\r\n");
    EXPECT_EQ(WithLinesInSection(file, "UserEnt4", {"X="}), file + "\r\n\r\n[UserEnt4]\r\nX=\r\n");
    // A header is a line of its own: a name inside a value is not one.
    EXPECT_EQ(WithLinesInSection("A=[UserEnt5]\r\n", "UserEnt5", {"X="}),
              "A=[UserEnt5]\r\n\r\n\r\n[UserEnt5]\r\nX=\r\n");
    EXPECT_EQ(WithLinesInSection("", "UserEnt0", {"X="}), "\r\n\r\n[UserEnt0]\r\nX=\r\n");
}

TEST(SettingNames, AbsentKeyNeedsBothProbes) {
    EXPECT_TRUE(KeyIsAbsent(AbsentProbe1, AbsentProbe2));
    // A stored "DummyDef" answers the second read with itself.
    EXPECT_FALSE(KeyIsAbsent("DummyDef", "DummyDef"));
    EXPECT_FALSE(KeyIsAbsent("", ""));
    EXPECT_FALSE(KeyIsAbsent("name", "name"));
    EXPECT_STRNE(AbsentProbe1, AbsentProbe2);
}

}  // namespace
