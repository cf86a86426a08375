// The Main page's tables, lookups, custom size arithmetic and text filters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "ui/common/code_text.h"
#include "ui/main/custom_size.h"
#include "ui/main/number_text.h"
#include "ui/main/paper_tables.h"

namespace {

PrintSettings Blank() {
    PrintSettings s;
    memset(&s, 0, sizeof s);
    return s;
}

TEST(PaperTables, LookupsFindCodesAndFallBackToPositionZero) {
    EXPECT_EQ(FindPaperIndex(257), 0);
    EXPECT_EQ(FindPaperIndex(9), 2);
    EXPECT_EQ(FindPaperIndex(256), CustomPaperIndex);
    EXPECT_EQ(FindPaperIndex(999), 0);
    EXPECT_EQ(FindPaperIndex(-1), 0);
    EXPECT_EQ(FindOutputSlot(548, 2), 4);
    EXPECT_EQ(FindOutputSlot(540, 8), 0);
    EXPECT_EQ(FindOutputSlot(520, 8), 0) << "A4-on-A4 code is not in the Letter row";
    EXPECT_EQ(FindOutputSlot(548, 99), 1) << "a paper index out of range reads row 0";
    EXPECT_EQ(FindSourceIndex(7), 3);
    EXPECT_EQ(FindSourceIndex(4), 0);
    EXPECT_EQ(FindMediaIndex(3), 3);
    EXPECT_EQ(FindMediaIndex(-5), 0);
}

TEST(PaperTables, EveryRowEndsWithFollowPaperAndHasAValidDefault) {
    for (int p = 0; p < PaperCount; ++p) {
        int n = OutputSlotCount(p);
        ASSERT_GE(n, 1);
        ASSERT_LE(n, MaxOutputSlots);
        EXPECT_EQ(OutputSlotAt(p, n - 1).Code, FollowPaperCode) << p;
        EXPECT_STREQ(OutputSlotAt(p, n - 1).Text, "用紙ｻｲｽﾞに従う");
        EXPECT_LT(OutputRows[p].DefaultSlot, n) << p;
        for (int s = 0; s < n; ++s) {
            const OutputSlot& slot = OutputSlotAt(p, s);
            for (int k = 0; k <= slot.PagesList; ++k) EXPECT_GT(slot.Percent[k], 0) << p << "/" << s << "/" << k;
        }
    }
    EXPECT_EQ(OutputRows[2].DefaultSlot, 4);
    EXPECT_EQ(OutputRows[7].DefaultSlot, 3);
    EXPECT_EQ(OutputRows[8].DefaultSlot, 2);
    EXPECT_EQ(OutputRows[CustomPaperIndex].DefaultSlot, 0);
}

TEST(PaperTables, ListTablesCloseWithTheirDefaults) {
    EXPECT_EQ(static_cast<unsigned char>(PaperSizeList[14][0]), 0xFF);
    EXPECT_EQ(PaperSizeList[14][1], 2);
    EXPECT_STREQ(PaperSizeList[0], "A3ﾉﾋﾞ 330 x 482 mm");
    EXPECT_STREQ(PaperSizeList[13], "ﾊｶﾞｷ 100 x 148 mm");
    EXPECT_STREQ(SourceList[3], "自動選択");
    EXPECT_EQ(static_cast<unsigned char>(MediaList[4][0]), 0xFF);
    EXPECT_STREQ(PagesLists[2][2], "4ページ");
    EXPECT_EQ(static_cast<unsigned char>(PagesLists[1][2][0]), 0xFF);

    ListText list[MaxOutputSlots + 1];
    BuildOutputList(8, list);
    EXPECT_STREQ(list[0], "A4");
    EXPECT_STREQ(list[1], "Letter");
    EXPECT_STREQ(list[2], "用紙ｻｲｽﾞに従う");
    EXPECT_EQ(static_cast<unsigned char>(list[3][0]), 0xFF);
    EXPECT_EQ(list[3][1], 2);
}

TEST(PaperTables, ScalingFromA4FourUpToLetter) {
    // A4, follow the paper size, four pages: 50%.
    EXPECT_EQ(ScalePercent(2, FindOutputSlot(548, 2), 2), 50);
    // Letter keeps only one page per sheet: four-up falls back to one page.
    int letterDefault = OutputRows[8].DefaultSlot;
    EXPECT_EQ(OutputSlotAt(8, letterDefault).Code, 548);
    EXPECT_EQ(ValidPagesPerSheet(2, OutputSlotAt(8, letterDefault).PagesList), 0);
    EXPECT_EQ(ScalePercent(8, letterDefault, 0), 100);
    EXPECT_EQ(ScalePercent(8, FindOutputSlot(540, 8), 0), 97);
    // Out-of-range pages never read past the percentages.
    EXPECT_EQ(ScalePercent(1, 3, 2), 61);
    EXPECT_EQ(ScalePercent(1, 3, -7), 61);
    EXPECT_EQ(ValidPagesPerSheet(-1, 2), 0);
    EXPECT_EQ(ValidPagesPerSheet(1, 1), 1);
}

TEST(PaperTables, CassetteOneIsNeededForOhpAndLabelsFromOtherSources) {
    for (int source = 0; source < 4; ++source)
        for (int media = 0; media < 4; ++media)
            EXPECT_EQ(NeedsCassette1(source, media), source != 0 && (media == 1 || media == 2)) << source << media;
    EXPECT_FALSE(NeedsCassette1(-1, 1));
    EXPECT_FALSE(NeedsCassette1(4, 1));
    EXPECT_FALSE(NeedsCassette1(1, 7));
}

TEST(PaperTables, LayoutIconsByOrientationPagesAndOrder) {
    LayoutDetail layout = {};
    EXPECT_EQ(LayoutIconFor(1, 0, layout), 2001);
    EXPECT_EQ(LayoutIconFor(2, 0, layout), 2238);
    layout.TwoUpOrder = 1;
    EXPECT_EQ(LayoutIconFor(1, 1, layout), 2240);
    EXPECT_EQ(LayoutIconFor(2, 1, layout), 2224);
    layout.TwoUpOrder = 0;
    EXPECT_EQ(LayoutIconFor(2, 1, layout), 2224);
    layout.FourUpOrder = 3;
    EXPECT_EQ(LayoutIconFor(1, 2, layout), 2244);
    EXPECT_EQ(LayoutIconFor(2, 2, layout), 2247);
    // Stored nonsense never indexes outside the table.
    layout.FourUpOrder = 77;
    EXPECT_EQ(LayoutIconFor(1, 2, layout), 2221);
    EXPECT_EQ(LayoutIconFor(0, 0, layout), 2238) << "orientation 0 shows as landscape";
    EXPECT_EQ(LayoutIconFor(-3, 9, layout), 2238);
}

// The one rule of box 1072, shared by the print mode dialog and the Option
// page: high quality or either A3 paper forces it on, except in monochrome.
TEST(PaperTables, Option1072IsForcedForHighQualityAndA3UnlessMonochrome) {
    const struct {
        int32_t PrintMode, PaperSize, ColorMode;
        bool Forced;
    } cases[] = {
        {PrintModeHighQuality, 9, 0, true},  {PrintModeStandard, 8, 1, true},   {PrintModeSpeed, 257, 4, true},
        {PrintModeHighQuality, 8, 3, false}, {PrintModeStandard, 9, 0, false},  {PrintModeSpeed, 256, 6, false},
        {PrintModeStandard, 258, 5, false},  {-1, 257, 2, true},                {PrintModeHighQuality, 257, 3, false},
    };
    for (const auto& c : cases) {
        PrintSettings s = Blank();
        s.PrintMode = c.PrintMode;
        s.PaperSize = c.PaperSize;
        s.ColorMode = c.ColorMode;
        EXPECT_EQ(Option1072Forced(s), c.Forced) << c.PrintMode << " " << c.PaperSize << " " << c.ColorMode;
    }
    EXPECT_EQ(PaperCodes[FindPaperIndex(PaperA3Code)], 8);
    EXPECT_EQ(PaperCodes[FindPaperIndex(PaperA3WideCode)], 257);
}

TEST(CustomSize, MillimetresClampToTheLimitsAndMakeTheEntryText) {
    PrintSettings s = Blank();
    s.CustomWidth = 100;
    s.CustomLength = 297;
    char text[32];
    NormaliseCustomSize(s, text);
    EXPECT_STREQ(text, "ﾕｰｻﾞ定義ｻｲｽﾞ(198.0 x 297.0 mm)");
    EXPECT_DOUBLE_EQ(s.CustomWidth, 198.0);
    EXPECT_DOUBLE_EQ(s.CustomLength, 297.0);
    s.CustomWidth = 210.09;  // cut to the tenth
    s.CustomLength = 999;
    NormaliseCustomSize(s, text);
    EXPECT_STREQ(text, "ﾕｰｻﾞ定義ｻｲｽﾞ(210.0 x 482.6 mm)");
}

TEST(CustomSize, InchesAreStoredWithHalfAThousandthOver) {
    PrintSettings s = Blank();
    s.CustomUnit = 1;
    s.CustomWidth = 8.5;
    s.CustomLength = 11;
    char text[32];
    NormaliseCustomSize(s, text);
    EXPECT_STREQ(text, "ﾕｰｻﾞ定義ｻｲｽﾞ(8.50 x 11.00 in)");
    EXPECT_NEAR(s.CustomWidth, 8.5005, 1e-12);
    EXPECT_NEAR(s.CustomLength, 11.0005, 1e-12);
    // Normalising again is stable.
    NormaliseCustomSize(s, text);
    EXPECT_STREQ(text, "ﾕｰｻﾞ定義ｻｲｽﾞ(8.50 x 11.00 in)");
    EXPECT_NEAR(s.CustomWidth, 8.5005, 1e-12);
    s.CustomUnit = -4;  // any nonzero unit is inches
    s.CustomWidth = 2;
    s.CustomLength = 25;
    NormaliseCustomSize(s, text);
    EXPECT_STREQ(text, "ﾕｰｻﾞ定義ｻｲｽﾞ(7.80 x 19.00 in)");
}

// Every tenth of a millimetre and every hundredth of an inch that a job file
// can hold shows as written and stays (the double of 256.2 lies below 256.2);
// half-hundredths of an inch round up, and what lies between steps is cut.
TEST(CustomSize, EveryStepOfAJobShowsAsWrittenAndStays) {
    for (bool inches : {false, true}) {
        const PositionRange& r = LimitsFor(inches).Length;
        for (int32_t p = r.Min; p <= r.Max; ++p) {
            char written[16], expected[32], text[32];
            snprintf(written, sizeof written, inches ? "%d.%02d" : "%d.%d", p / (inches ? 100 : 10),
                     p % (inches ? 100 : 10));
            snprintf(expected, sizeof expected, inches ? "%s(8.50 x %s in)" : "%s(210.0 x %s mm)", CustomSizeName,
                     written);
            PrintSettings s = Blank();
            s.CustomUnit = inches;
            s.CustomWidth = inches ? 8.5 : 210.0;
            s.CustomLength = strtod(written, nullptr);
            for (int pass = 0; pass < 2; ++pass) {
                NormaliseCustomSize(s, text);
                ASSERT_STREQ(text, expected) << "pass " << pass;
                ASSERT_NEAR(s.CustomLength, strtod(written, nullptr) + (inches ? 0.0005 : 0.0), 1e-12) << written;
            }
        }
    }
    const struct {
        int32_t Unit;
        double Length;
        const char* Shown;
    } between[] = {{0, 256.25, "256.2"}, {0, 256.10000000000002, "256.1"}, {0, 256.19999999999996, "256.1"},
                   {1, 8.065, "8.07"},   {1, 8.0649999999, "8.06"},        {1, 8.0705, "8.07"}};
    for (const auto& b : between) {
        PrintSettings s = Blank();
        s.CustomUnit = b.Unit;
        s.CustomWidth = 300;
        s.CustomLength = b.Length;
        char text[32];
        NormaliseCustomSize(s, text);
        EXPECT_NE(strstr(text, b.Shown), nullptr) << b.Length << " shows " << text;
    }
}

TEST(CustomSize, AnyStoredValueIsBroughtIntoTheLimits) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double odd[] = {nan, -nan, inf, -inf, -1e308, 1e308, -0.0, -5, 4.9e-324, 2147483648.0};
    for (int unit : {0, 1}) {
        const SizeLimits& l = LimitsFor(unit != 0);
        double step = unit ? 0.01 : 0.1;
        for (double w : odd)
            for (double h : odd) {
                PrintSettings s = Blank();
                s.CustomUnit = unit;
                s.CustomWidth = w;
                s.CustomLength = h;
                char text[32];
                NormaliseCustomSize(s, text);
                EXPECT_GE(s.CustomWidth, l.Width.Min * step - 1e-9);
                EXPECT_LE(s.CustomWidth, l.Width.Max * step + 0.001);
                EXPECT_GE(s.CustomLength, l.Length.Min * step - 1e-9);
                EXPECT_LE(s.CustomLength, l.Length.Max * step + 0.001);
                EXPECT_EQ(strncmp(text, CustomSizeName, strlen(CustomSizeName)), 0);
                double mmW = StoredToMm(w, unit, false);
                EXPECT_TRUE(std::isfinite(mmW));
                EXPECT_GE(MmToPosition(mmW, unit != 0), l.Width.Min);
                EXPECT_LE(MmToPosition(mmW, unit != 0), l.Width.Max);
            }
    }
    EXPECT_EQ(CutAndClamp(std::nan(""), 3, 9), 3);
    EXPECT_EQ(CutAndClamp(-7.9, -10, 10), -7);
}

TEST(CustomSize, TextToPositionCountsDecimalsAndCutsTowardZero) {
    EXPECT_EQ(TextToPosition("210.5", false), 2105);
    EXPECT_EQ(TextToPosition("210.55", false), 2105);
    EXPECT_EQ(TextToPosition("210", false), 2100);
    EXPECT_EQ(TextToPosition("8.2", true), 820);
    EXPECT_EQ(TextToPosition("8.275", true), 827);
    EXPECT_EQ(TextToPosition("", false), 0);
    EXPECT_EQ(TextToPosition(".", true), 0);
    EXPECT_EQ(TextToPosition("99999", true), MaxPosition);
    EXPECT_EQ(TextToPosition("123456789012345678901234567890", false), MaxPosition);
    EXPECT_EQ(TextToPosition("0.000000000000000000000000001", false), 0);
}

TEST(CustomSize, UnitSwitchingKeepsTheMillimetres) {
    double mm = PositionToMm(2100, false);
    EXPECT_NEAR(mm, 210.0000031, 1e-6);
    EXPECT_NE(mm, 210.0) << "the step is held in single precision";
    EXPECT_EQ(MmToPosition(mm, true), 826);
    char text[32];
    FormatSize(mm, true, text);
    EXPECT_STREQ(text, "8.27");
    FormatSize(mm, false, text);
    EXPECT_STREQ(text, "210.0");
    EXPECT_EQ(MmToPosition(mm, false), 2100);
    FormatSize(PositionToMm(780, true), true, text);
    EXPECT_STREQ(text, "7.80");
}

// A position turned into the working millimetres and back is the same
// position, and so is the text shown for it: a unit switch keeps the
// millimetres, so switching away and back must find the position again.
TEST(CustomSize, EveryPositionSurvivesAUnitRoundTrip) {
    for (bool inches : {false, true}) {
        const SizeLimits& l = LimitsFor(inches);
        for (int32_t p = std::min(l.Width.Min, l.Length.Min); p <= std::max(l.Width.Max, l.Length.Max); ++p) {
            const double mm = PositionToMm(p, inches);
            ASSERT_EQ(MmToPosition(mm, inches), p) << (inches ? "inches " : "mm ") << p;
            char shown[32];
            FormatSize(mm, inches, shown);
            ASSERT_EQ(TextToPosition(shown, inches), p) << shown;
        }
    }
    EXPECT_EQ(MmToPosition(PositionToMm(820, true), true), 820) << "8.2 in is 208.27999 mm";
    EXPECT_EQ(MmToPosition(PositionToMm(2100, false), true), 826) << "210.0 mm is 8.2677 in";
}

TEST(CustomSize, InchRecordRoundTripsWithinATenThousandth) {
    for (double stored : {8.5, 11.0, 8.5005, 13.0005, 7.8005}) {
        double mm = StoredToMm(stored, 1, true);
        char text[32];
        FormatSize(mm, true, text);
        int32_t pos = TextToPosition(text, true);
        PrintSettings s = Blank();
        StoreCustomSize(s, true, PositionToMm(pos, true), PositionToMm(pos, true));
        EXPECT_EQ(s.CustomUnit, 1);
        EXPECT_NEAR(s.CustomWidth, stored, 0.0006) << text;
    }
    double mm = StoredToMm(8.5, 1, false);
    char text[32];
    FormatSize(mm, true, text);
    EXPECT_STREQ(text, "8.50");
    PrintSettings s = Blank();
    StoreCustomSize(s, true, PositionToMm(TextToPosition(text, true), true), 0);
    EXPECT_NEAR(s.CustomWidth, 8.5, 0.0001);
}

TEST(CustomSize, RangeLabelsAndSheetDirection) {
    char range[48];
    FormatRange(LimitsFor(false).Width, false, range);
    EXPECT_STREQ(range, "(198.0～330.2mm)");
    FormatRange(LimitsFor(true).Length, true, range);
    EXPECT_STREQ(range, "(6.93～19.00inch)");
    EXPECT_FALSE(IsPortraitSheet("300.0", "250.0"));
    EXPECT_TRUE(IsPortraitSheet("250.0", "250.0"));
    EXPECT_TRUE(IsPortraitSheet("", ""));
    // Compared digit by digit: no rounding through a double.
    EXPECT_TRUE(IsPortraitSheet("0250.10", "250.1"));
    EXPECT_FALSE(IsPortraitSheet("99.99999999999999999", "99.9999999999999999"));
    EXPECT_TRUE(IsPortraitSheet("9", "10."));
    EXPECT_FALSE(IsPortraitSheet(".5", "0.25"));
}

TEST(NumberText, FiltersKeepTheLeadingRunOfAllowedCharacters) {
    char a[16] = "210.5.3";
    EXPECT_TRUE(KeepDigitsAndOnePoint(a));
    EXPECT_STREQ(a, "210.5");
    char b[16] = "12a";
    EXPECT_TRUE(KeepDigitsAndOnePoint(b));
    EXPECT_STREQ(b, "12");
    char c[16] = "8.27";
    EXPECT_FALSE(KeepDigitsAndOnePoint(c));
    char d[16] = "1-2";
    EXPECT_FALSE(KeepDigitsAndOneSign(d));
    char e[16] = "1-2-";
    EXPECT_TRUE(KeepDigitsAndOneSign(e));
    EXPECT_STREQ(e, "1-2");
    char f[16] = "-+5";
    EXPECT_TRUE(KeepDigitsAndOneSign(f));
    EXPECT_STREQ(f, "-");
    char g[16] = "３4";  // a full-width digit ends the run at its lead byte
    EXPECT_TRUE(KeepDigitsAndOnePoint(g));
    EXPECT_STREQ(g, "");
}

TEST(NumberText, MarginReadsClampsAndShowsAnExplicitSign) {
    EXPECT_EQ(ClampMargin(LeadingInteger("-75")), -60);
    EXPECT_EQ(LeadingInteger("1-2"), 1);
    EXPECT_EQ(LeadingInteger("  +7x"), 7);
    EXPECT_EQ(LeadingInteger("-"), 0);
    EXPECT_EQ(LeadingInteger(""), 0);
    EXPECT_EQ(LeadingInteger("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(LeadingInteger("-99999999999999999999"), INT32_MIN);
    EXPECT_EQ(ClampMargin(INT32_MIN), -60);
    char text[16];
    FormatMargin(7, text);
    EXPECT_STREQ(text, "+7");
    FormatMargin(-60, text);
    EXPECT_STREQ(text, "-60");
    FormatMargin(0, text);
    EXPECT_STREQ(text, "0");
    FormatMargin(INT32_MIN, text);
    EXPECT_STREQ(text, "-2147483648");
}

TEST(CodeText, SetIsPrintableSingleBytesWithoutCommaSpaceTildeAndKana) {
    int members = 0;
    for (int c = 0; c < 256; ++c) members += IsCodeCharacter(static_cast<unsigned char>(c));
    EXPECT_EQ(members, 155);
    EXPECT_FALSE(IsCodeCharacter(','));
    EXPECT_FALSE(IsCodeCharacter(' '));
    EXPECT_FALSE(IsCodeCharacter('~'));
    EXPECT_TRUE(IsCodeCharacter('}'));
    EXPECT_TRUE(IsCodeCharacter(0xA1));
    EXPECT_TRUE(IsCodeCharacter(0xDF));
    EXPECT_FALSE(IsCodeCharacter(0x81));
}

TEST(CodeText, CutsBeforeTheFirstCharacterOutsideTheSet) {
    char a[12] = "12,3";
    EXPECT_TRUE(CutToCodeSet(a, sizeof a));
    EXPECT_STREQ(a, "12");
    char b[12] = "ｱB9";
    EXPECT_FALSE(CutToCodeSet(b, sizeof b));
    EXPECT_STREQ(b, "ｱB9");
    // "表" is 0x95 0x5C in Shift-JIS: its trail byte is a backslash, which is
    // in the set; the cut must happen at the lead byte.
    char c[12] = "A表B";
    EXPECT_TRUE(CutToCodeSet(c, sizeof c));
    EXPECT_STREQ(c, "A");
    // A full field without a terminator is cut inside its bounds.
    char d[12];
    memset(d, 'X', sizeof d);
    EXPECT_TRUE(CutToCodeSet(d, sizeof d));
    EXPECT_EQ(strlen(d), 11u);
}

TEST(Summary, UserSettingLinesAndFallbacks) {
    PrintSettings s = Blank();
    s.ColorMode = 4;
    s.Color.BaseColor = 9;
    s.PrintMode = 2;
    s.Smoothing = 1;
    SummaryLine lines[6];
    ASSERT_EQ(BuildSummary(s, lines), 6);
    EXPECT_STREQ(lines[0].Label, "ｶﾗｰﾓｰﾄﾞ");
    EXPECT_STREQ(lines[0].Value, "現在の設定");
    EXPECT_STREQ(lines[1].Label, "ﾍﾞｰｽｶﾗｰ");
    EXPECT_STREQ(lines[1].Value, "補正しない");
    EXPECT_STREQ(lines[2].Value, "高品質");
    EXPECT_STREQ(lines[3].Value, "しない");
    EXPECT_STREQ(lines[4].Value, "行う");
    EXPECT_STREQ(lines[5].Label, "ﾄﾅｰｾｰﾌﾞ");
    EXPECT_STREQ(lines[5].Value, "行わない");

    memset(s.UserSettingName, 'N', sizeof s.UserSettingName);  // no terminator
    s.Color.BaseColor = 2;
    BuildSummary(s, lines);
    EXPECT_EQ(strlen(lines[0].Value), sizeof s.UserSettingName);
    EXPECT_STREQ(lines[1].Value, "文書");

    s.ColorMode = 3;
    ASSERT_EQ(BuildSummary(s, lines), 5);
    EXPECT_STREQ(lines[0].Value, "ﾓﾉｸﾛ");
    EXPECT_STREQ(lines[1].Label, "印刷ﾓｰﾄﾞ");
    s.ColorMode = 40;
    s.PrintMode = -1;
    BuildSummary(s, lines);
    EXPECT_STREQ(lines[0].Value, "");
    EXPECT_STREQ(lines[1].Value, "");
}

}  // namespace
