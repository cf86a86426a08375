// The committed reference tables are what this build makes, byte for byte;
// with QV_WRITE_RDT_REFERENCE set the test writes them instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "engine/make_rdt.h"
#include "tests/engine/reference_chain.h"
#include "tests/engine/rdt_reference.h"

namespace {

const std::string ReferencePath = std::string(QV_SOURCE_DIR) + "/tests/data/rdt_reference.bin";

TEST(RdtReference, CommittedTablesAreThisBuildsTables) {
    std::vector<RdtReferenceCase> made;
    for (const ColorAdjustment& color : RdtReferenceColors) {
        made.push_back({color, std::vector<uint8_t>(RdtBytes)});
        MakeRdt(&color, made.back().Table.data());
    }
    if (std::getenv("QV_WRITE_RDT_REFERENCE")) {
        std::FILE* f = std::fopen(ReferencePath.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (const RdtReferenceCase& c : made) {
            std::fwrite(&c.Color, sizeof c.Color, 1, f);
            std::fwrite(c.Table.data(), 1, RdtBytes, f);
        }
        std::fclose(f);
    }
    std::vector<RdtReferenceCase> committed;
    ASSERT_TRUE(ReadRdtReference(ReferencePath, committed)) << ReferencePath;
    ASSERT_EQ(committed.size(), made.size());
    for (size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(std::memcmp(&committed[i].Color, &made[i].Color, sizeof(ColorAdjustment)), 0) << "case " << i;
        EXPECT_EQ(RdtReferenceMismatches(committed[i], made[i].Table.data()), 0) << "case " << i;
    }
}

// The spread's hashes hold the tables of the literal chain, and the build
// makes the same.
TEST(RdtReference, SpreadOfSettingsGivesTheCommittedTables) {
    uint8_t literal[RdtBytes], built[RdtBytes];
    for (const RdtSpreadCase& s : RdtSpread) {
        const ColorAdjustment c = RdtSpreadColor(s);
        SCOPED_TRACE(testing::Message() << "base " << s.Base << " fields " << s.Bright << " " << s.Fullness << " "
                                        << s.Contrast << " " << s.CyanRed << " " << s.MagentaGreen << " "
                                        << s.YellowBlue);
        reference::BuildTable(c, literal);
        MakeRdt(&c, built);
        EXPECT_EQ(RdtHash(literal), s.Hash);
        EXPECT_EQ(std::memcmp(built, literal, RdtBytes), 0);
    }
}

}  // namespace
