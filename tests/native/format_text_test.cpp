// The pages' own formatter: its subset against the C library, and every
// format outside the subset stopping a debug build (this test is built with
// assertions on).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "ui/common/format_text.h"

namespace {

// Halfway values, negative zero, padding, limits of the subset.
TEST(FormatText, AgreesWithTheCLibrary) {
    const struct { const char* Format; double Value; } fixed[] = {
        {"%4.1f", 210.5}, {"%4.1f", 0.05}, {"%.2f", 0.125}, {"%.2f", 0.375}, {"%.1f", 0.25}, {"%.0f", 2.5},
        {"%.0f", 3.5}, {"%5.2f", 7.8740157480314963}, {"%4.2f", 19.0}, {"%.3f", 1.0005}, {"%.1f", -0.04},
        {"%.1f", -0.0}, {"%08.2f", -3.14159}, {"%.1f", 1e-300}, {"%.3f", 4503599627370495.5},
        {"%.0f", 9007199254740991.0}, {"%.1f", 330.2}, {"%5.1f", 99.95}, {"%.f", 0.5}};
    for (const auto& c : fixed) {
        char expected[64], actual[64];
        snprintf(expected, sizeof expected, c.Format, c.Value);
        EXPECT_EQ(FormatText(actual, sizeof actual, c.Format, c.Value), static_cast<int>(strlen(expected)));
        EXPECT_STREQ(actual, expected) << c.Format << " " << c.Value;
    }
    const struct { const char* Format; long long Value; } integers[] = {
        {"%d", 0}, {"+%d", 7}, {"%lld", -9223372036854775807LL - 1}, {"%02d", 5}, {"%05d|", -42}, {"%5d|", -42},
        {"%d%%", 100}};
    for (const auto& c : integers) {
        char expected[64], actual[64];
        bool wide = strstr(c.Format, "ll") != nullptr;
        if (wide) snprintf(expected, sizeof expected, c.Format, c.Value);
        else snprintf(expected, sizeof expected, c.Format, static_cast<int>(c.Value));
        if (wide) FormatText(actual, sizeof actual, c.Format, c.Value);
        else FormatText(actual, sizeof actual, c.Format, static_cast<int>(c.Value));
        EXPECT_STREQ(actual, expected) << c.Format;
    }
    char text[8];
    EXPECT_EQ(FormatText(text, sizeof text, "%s(%.*s)", "abcdef", 2, "xyz"), 10);
    EXPECT_STREQ(text, "abcdef(");  // cut, still terminated, full length returned
    EXPECT_EQ(FormatText(text, sizeof text, "%3s|%.*s", "a", -1, "bc"), 6);
    EXPECT_STREQ(text, "  a|bc");  // a negative precision is none
    EXPECT_EQ(FormatText(text, 0, "%d", 12345), 5);
}

// What printf would do differently, or what no page needs: each stops the
// program where the assertion is on, instead of a quietly different text.
#pragma GCC diagnostic ignored "-Wformat"  // some are malformed for printf too
TEST(FormatTextDeathTest, FormatsOutsideTheSubsetStopADebugBuild) {
    char text[64];
    EXPECT_DEATH(FormatText(text, sizeof text, "%f", 1.5), "subset");          // printf: six decimals
    EXPECT_DEATH(FormatText(text, sizeof text, "%.4f", 1.5), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%.0f", 1e20), "subset");       // 2^53 and beyond
    EXPECT_DEATH(FormatText(text, sizeof text, "%.0f", 9007199254740992.0), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%.1f", 1.0 / 0.0), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%lf", 1.5), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%x", 255), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%zu", sizeof text), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%i", 1), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%u", 1u), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%c", 'a'), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%ld", 1L), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%-3d", 1), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%+d", 1), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "% d", 1), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%*d", 3, 1), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%.3d", 1), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%05s", "a"), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%100001d", 1), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "%5%"), "subset");
    EXPECT_DEATH(FormatText(text, sizeof text, "50%"), "subset");
}

}  // namespace
