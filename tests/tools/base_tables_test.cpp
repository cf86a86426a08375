#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/base_color_tables.h"
#include "engine/color_engine.h"
#include "tools/basegen/device_model.h"

namespace {

namespace fs = std::filesystem;

struct Rgb {
    int r, g, b;
};

const uint8_t* Entry(const uint8_t* table, int iL, int ia, int ib) {
    return table + ((iL * 17 + ia) * 17 + ib) * 3;
}

void ExpectEntry(const uint8_t* table, int iL, int ia, int ib, Rgb want, const char* what) {
    const uint8_t* e = Entry(table, iL, ia, ib);
    EXPECT_EQ(e[0], want.r) << what << " red at " << iL << "," << ia << "," << ib;
    EXPECT_EQ(e[1], want.g) << what << " green at " << iL << "," << ia << "," << ib;
    EXPECT_EQ(e[2], want.b) << what << " blue at " << iL << "," << ia << "," << ib;
}

constexpr int Neutral = 8;  // a* = b* = 0
constexpr int L40 = 6, L58 = 9;
constexpr int Minus120 = 0, Plus60 = 14, Plus120 = 16;

const Rgb Grays[17] = {{1, 0, 0},       {25, 8, 22},     {36, 21, 38},    {46, 28, 52},    {58, 42, 64},
                       {83, 67, 90},    {99, 88, 109},   {115, 104, 121}, {132, 122, 134}, {160, 146, 160},
                       {175, 168, 175}, {186, 181, 185}, {198, 194, 196}, {215, 212, 213}, {229, 228, 228},
                       {241, 242, 242}, {255, 255, 255}};

TEST(BaseTables, NeutralAxisIsTheMeasuredGrayInEverySelection) {
    for (int code = 1; code <= 4; ++code)
        for (int iL = 0; iL < 17; ++iL) ExpectEntry(SelectBaseColorTable(code), iL, Neutral, Neutral, Grays[iL], "gray");
}

TEST(BaseTables, ChromaticMeasuredColors) {
    struct Case {
        const uint8_t* table;
        const char* name;
        Rgb green, blue, yellow, red;
    } cases[] = {
        {NormalBaseTable, "normal", {15, 255, 104}, {89, 149, 255}, {174, 130, 0}, {211, 6, 0}},
        {PhotoBaseTable, "photo", {55, 239, 127}, {100, 192, 255}, {180, 126, 0}, {230, 0, 0}},
        {DocumentBaseTable, "document", {0, 255, 153}, {27, 113, 255}, {214, 163, 0}, {211, 2, 0}},
    };
    for (const Case& c : cases) {
        ExpectEntry(c.table, L58, Minus120, Neutral, c.green, c.name);
        ExpectEntry(c.table, L58, Neutral, Minus120, c.blue, c.name);
        ExpectEntry(c.table, L58, Neutral, Plus120, c.yellow, c.name);
        ExpectEntry(c.table, L40, Plus60, Plus60, c.red, c.name);
    }
}

TEST(BaseTables, SelectionByBaseColor) {
    EXPECT_EQ(SelectBaseColorTable(1), NormalBaseTable);
    EXPECT_EQ(SelectBaseColorTable(3), PhotoBaseTable);
    EXPECT_EQ(0, std::memcmp(SelectBaseColorTable(2), SelectBaseColorTable(4), RdtBytes));
    for (int32_t other : {0, 5, -1, INT32_MIN, INT32_MAX}) EXPECT_EQ(SelectBaseColorTable(other), NormalBaseTable);
    // Three tables of their own, not copies of each other.
    EXPECT_NE(0, std::memcmp(NormalBaseTable, PhotoBaseTable, RdtBytes));
    EXPECT_NE(0, std::memcmp(NormalBaseTable, DocumentBaseTable, RdtBytes));
    EXPECT_NE(0, std::memcmp(PhotoBaseTable, DocumentBaseTable, RdtBytes));
}

const char* TableName(const uint8_t* table) {
    return table == NormalBaseTable ? "normal" : table == PhotoBaseTable ? "photo" : "document";
}

// Luma of the device color: close enough to printed lightness to order it.
double Luma(const uint8_t* e) { return 0.299 * e[0] + 0.587 * e[1] + 0.114 * e[2]; }

TEST(BaseTables, LightnessRisesAlongTheNearNeutralColumns) {
    // The measured grays fix the axis itself; the colors around it, where
    // the gray correction is spread, must keep getting lighter with L* too.
    for (const uint8_t* table : {NormalBaseTable, PhotoBaseTable, DocumentBaseTable})
        for (int ia = Neutral - 2; ia <= Neutral + 2; ++ia)
            for (int ib = Neutral - 2; ib <= Neutral + 2; ++ib)
                for (int iL = 1; iL < 17; ++iL)
                    EXPECT_GT(Luma(Entry(table, iL, ia, ib)), Luma(Entry(table, iL - 1, ia, ib)))
                        << TableName(table) << " at " << iL << "," << ia << "," << ib;
}

TEST(BaseTables, NeighboursInsideTheGamutChangeSmoothly) {
    // Bound: the measured gray ramp climbs at most 28 device units over 6 L*
    // (4.7 per unit of Lab distance) while it moves all three toners. Inside
    // the gamut a single toner ramp may be about twice as steep, so a channel
    // that moves more than 10 units per unit of Lab distance between two
    // neighbouring nodes would print as a band. Outside the gamut the tables
    // clip or compress and are not held to this.
    const DeviceModel device;
    bool inside[17][17][17];
    int insideCount = 0;
    for (int iL = 0; iL < 17; ++iL)
        for (int ia = 0; ia < 17; ++ia)
            for (int ib = 0; ib < 17; ++ib) {
                const cmsCIELab lab{LabLightnessGrid[iL], LabChromaGrid[ia], LabChromaGrid[ib]};
                inside[iL][ia][ib] = device.InGamut(device.CompensateBlack(lab));
                insideCount += inside[iL][ia][ib];
            }
    ASSERT_GT(insideCount, 500);  // the check must cover a real share of the lattice

    constexpr double MaxPerLabUnit = 10.0;
    for (const uint8_t* table : {NormalBaseTable, PhotoBaseTable, DocumentBaseTable})
        for (int iL = 0; iL < 17; ++iL)
            for (int ia = 0; ia < 17; ++ia)
                for (int ib = 0; ib < 17; ++ib) {
                    if (!inside[iL][ia][ib]) continue;
                    const int steps[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
                    for (const auto& s : steps) {
                        const int jL = iL + s[0], ja = ia + s[1], jb = ib + s[2];
                        if (jL > 16 || ja > 16 || jb > 16 || !inside[jL][ja][jb]) continue;
                        const double distance = s[0] ? LabLightnessGrid[jL] - LabLightnessGrid[iL]
                                                : s[1] ? LabChromaGrid[ja] - LabChromaGrid[ia]
                                                       : LabChromaGrid[jb] - LabChromaGrid[ib];
                        const uint8_t* p = Entry(table, iL, ia, ib);
                        const uint8_t* q = Entry(table, jL, ja, jb);
                        for (int c = 0; c < 3; ++c)
                            EXPECT_LE(std::abs(p[c] - q[c]), MaxPerLabUnit * distance)
                                << TableName(table) << " channel " << c << " between " << iL << "," << ia << "," << ib << " and " << jL
                                << "," << ja << "," << jb;
                    }
                }
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BaseTables, RegeneratingGivesTheCommittedFiles) {
    const fs::path dir = fs::path(QV_SCRATCH_DIR) / "basegen";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string command = std::string("\"") + QV_BASEGEN + "\" --source \"" + (dir / "tables.cpp").string() +
                                "\" --images \"" + dir.string() + "\"";
    ASSERT_EQ(0, std::system(command.c_str()));
    const fs::path source = fs::path(QV_SOURCE_DIR);
    const std::string committed = ReadAll(source / "engine" / "base_color_tables.cpp");
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(ReadAll(dir / "tables.cpp") == committed) << "engine/base_color_tables.cpp is not what basegen makes";
    int images = 0;
    for (const auto& f : fs::directory_iterator(dir))
        if (f.path().extension() == ".png") {
            ++images;
            EXPECT_TRUE(ReadAll(f.path()) == ReadAll(source / "docs" / f.path().filename()))
                << "docs/" << f.path().filename().string() << " is not what basegen makes";
        }
    EXPECT_EQ(images, 9);
    fs::remove_all(dir);
}

}  // namespace
