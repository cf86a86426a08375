// The committed reference tables are what this build makes; with
// QV_WRITE_RDT_REFERENCE set the test writes them instead.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "engine/make_rdt.h"
#include "tests/engine/reference_chain.h"
#include "tests/engine/rdt_reference.h"

namespace {

const std::string ReferencePath = std::string(QV_SOURCE_DIR) + "/tests/data/rdt_reference.bin";

RdtReferenceCase Make(const ColorAdjustment& color) {
    RdtReferenceCase c{color, std::vector<uint8_t>(RdtBytes), std::vector<uint8_t>(RdtBytes, 0)};
    MakeRdt(&color, c.Table.data());
    const reference::Parameters p = reference::Prepare(color);
    size_t at = 0;
    for (int r = 0; r <= 256; r += 16)
        for (int g = 0; g <= 256; g += 16)
            for (int b = 0; b <= 256; b += 16, at += 3) {
                double node[3];
                reference::Node(p, r, g, b, node);
                for (int k = 0; k < 3; ++k) c.OnInteger[at + k] = std::fabs(node[k] - std::round(node[k])) < 1e-9;
            }
    return c;
}

TEST(RdtReference, CommittedTablesAreThisBuildsTables) {
    std::vector<RdtReferenceCase> made;
    for (const ColorAdjustment& color : RdtReferenceColors) made.push_back(Make(color));
    if (std::getenv("QV_WRITE_RDT_REFERENCE")) {
        std::FILE* f = std::fopen(ReferencePath.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (const RdtReferenceCase& c : made) {
            std::fwrite(&c.Color, sizeof c.Color, 1, f);
            std::fwrite(c.Table.data(), 1, RdtBytes, f);
            std::fwrite(c.OnInteger.data(), 1, RdtBytes, f);
        }
        std::fclose(f);
    }
    std::vector<RdtReferenceCase> committed;
    ASSERT_TRUE(ReadRdtReference(ReferencePath, committed)) << ReferencePath;
    ASSERT_EQ(committed.size(), made.size());
    for (size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(committed[i].Table, made[i].Table) << "case " << i;
        EXPECT_EQ(committed[i].OnInteger, made[i].OnInteger) << "case " << i;
    }
}

}  // namespace
