#include "engine/rdt_mapper.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/color_engine.h"

namespace {

std::vector<uint8_t> RandomTable(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> t(RdtBytes);
    for (uint8_t& v : t) v = static_cast<uint8_t>(rng());
    return t;
}

uint8_t* At(std::vector<uint8_t>& table, int ri, int gi, int bi) {
    return table.data() + ((ri * 17 + gi) * 17 + bi) * 3;
}

// Red channel of MapThroughTable for one input, others ignored.
int MapRed(const std::vector<uint8_t>& table, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t o[3];
    MapThroughTable(table.data(), r, g, b, &o[0], &o[1], &o[2]);
    return o[0];
}

TEST(MapThroughTable, LatticeInputsReturnTheEntryUnchanged) {
    const std::vector<uint8_t> table = RandomTable(1);
    for (int ri = 0; ri < 16; ++ri) {
        for (int gi = 0; gi < 16; ++gi) {
            for (int bi = 0; bi < 16; ++bi) {
                uint8_t o[3];
                MapThroughTable(table.data(), ri * 16, gi * 16, bi * 16, &o[0], &o[1], &o[2]);
                ASSERT_EQ(std::memcmp(o, table.data() + ((ri * 17 + gi) * 17 + bi) * 3, 3), 0)
                    << ri << " " << gi << " " << bi;
            }
        }
    }
}

TEST(MapThroughTable, CurrentTableIsTheLastBuild) {
    BuildRdt(ColorAdjustment{0, 3, 1, 2, 3, 4, 5, 6});
    const uint8_t* t = CurrentRdt();
    uint8_t o[3];
    MapThroughRdt(0, 0, 0, &o[0], &o[1], &o[2]);
    EXPECT_EQ(std::memcmp(o, t, 3), 0);
    MapThroughRdt(16, 32, 48, &o[0], &o[1], &o[2]);
    EXPECT_EQ(std::memcmp(o, t + ((1 * 17 + 2) * 17 + 3) * 3, 3), 0);
}

TEST(MapThroughTable, WhiteUsesFraction15Weights) {
    // Input 255 on every channel lies in cell (15, 16) at fraction 15: the
    // corner (16,16,16) weighs 3375, (15,15,15) weighs 1, the mixed ones 225 or 15.
    std::vector<uint8_t> table(RdtBytes, 0);
    At(table, 16, 16, 16)[0] = 255;
    EXPECT_EQ(MapRed(table, 255, 255, 255), 3375 * 255 >> 12);

    std::fill(table.begin(), table.end(), 0);
    At(table, 16, 16, 15)[0] = At(table, 16, 15, 16)[0] = At(table, 15, 16, 16)[0] = 255;
    EXPECT_EQ(MapRed(table, 255, 255, 255), 3 * 225 * 255 >> 12);

    std::fill(table.begin(), table.end(), 0);
    At(table, 16, 15, 15)[0] = At(table, 15, 16, 15)[0] = At(table, 15, 15, 16)[0] = 255;
    At(table, 16, 16, 16)[0] = 255;
    EXPECT_EQ(MapRed(table, 255, 255, 255), (3 * 15 + 3375) * 255 >> 12);

    // Only the weight-1 corner missing: the floor drops just below 255.
    std::fill(table.begin(), table.end(), 255);
    At(table, 15, 15, 15)[0] = 0;
    EXPECT_EQ(MapRed(table, 255, 255, 255), 4095 * 255 >> 12);
    EXPECT_EQ(MapRed(table, 255, 255, 255), 254);
}

TEST(MapThroughTable, MidCellIsTheFlooredMeanOfEightCorners) {
    std::vector<uint8_t> table(RdtBytes, 0);
    const int values[8] = {0, 1, 2, 3, 4, 5, 6, 8};  // sum 29: mean 3.625
    int k = 0;
    for (int dr = 0; dr < 2; ++dr)
        for (int dg = 0; dg < 2; ++dg)
            for (int db = 0; db < 2; ++db) At(table, dr, dg, db)[0] = static_cast<uint8_t>(values[k++]);
    EXPECT_EQ(MapRed(table, 8, 8, 8), 3);
}

TEST(MapThroughTable, AllWhiteTableMapsEverythingToWhite) {
    const std::vector<uint8_t> table(RdtBytes, 255);
    const RdtMapper mapper(table.data());
    std::vector<uint8_t> image(3 * 65536), out(image.size());
    for (int r = 0; r < 256; ++r) {
        for (size_t i = 0; i < 65536; ++i) {
            image[3 * i] = static_cast<uint8_t>(r);
            image[3 * i + 1] = static_cast<uint8_t>(i >> 8);
            image[3 * i + 2] = static_cast<uint8_t>(i);
        }
        mapper.MapRgb(image.data(), out.data(), 65536);
        for (uint8_t v : out) ASSERT_EQ(v, 255) << "red " << r;
    }
    uint8_t o[3];
    MapThroughTable(table.data(), 255, 7, 128, &o[0], &o[1], &o[2]);
    EXPECT_EQ(o[0] & o[1] & o[2], 255);
}

class MapperKernel : public testing::TestWithParam<MapKernel> {
protected:
    void SetUp() override {
        if (!MapKernelSupported(GetParam())) GTEST_SKIP() << MapKernelName(GetParam()) << " not available";
    }
};

// Every one of the 2^24 colors, packed RGB and BGR rows, through every
// kernel the machine has, against the table formula (computed once). On the
// 32-bit build, whose tests run through qemu, the red planes step by 17:
// 0, 17, ... 255 still meet every red cell and every red fraction.
TEST(BulkMapping, EveryColorMatchesTheScalarLookup) {
    constexpr int RedStep = sizeof(void*) == 4 ? 17 : 1;
    const std::vector<uint8_t> table = RandomTable(7);
    std::vector<RdtMapper> mappers;
    for (MapKernel k : {MapKernel::Scalar, MapKernel::Fpu, MapKernel::Mmx, MapKernel::Sse41, MapKernel::Avx2}) {
        if (MapKernelSupported(k)) mappers.emplace_back(table.data(), k);
    }

    constexpr size_t Plane = 65536;
    std::vector<uint8_t> rgb(3 * Plane), bgr(3 * Plane), expected(3 * Plane), out(3 * Plane);
    for (int r = 0; r < 256; r += RedStep) {
        for (size_t i = 0; i < Plane; ++i) {
            uint8_t* p = &rgb[3 * i];
            p[0] = static_cast<uint8_t>(r);
            p[1] = static_cast<uint8_t>(i >> 8);
            p[2] = static_cast<uint8_t>(i);
            MapThroughTable(table.data(), p[0], p[1], p[2], &expected[3 * i], &expected[3 * i + 1],
                            &expected[3 * i + 2]);
            bgr[3 * i] = p[2];
            bgr[3 * i + 1] = p[1];
            bgr[3 * i + 2] = p[0];
        }
        for (const RdtMapper& mapper : mappers) {
            mapper.MapRgb(rgb.data(), out.data(), Plane);
            ASSERT_EQ(std::memcmp(out.data(), expected.data(), out.size()), 0)
                << MapKernelName(mapper.Kernel()) << " rgb, red " << r;

            // Without kept cells, then with cells made from this plane (a
            // cell per pixel: every color is distinct), then from each half
            // of the plane with every row twice (a cell per color).
            constexpr size_t Row = 3 * 256;
            for (int way = 0; way < 4; ++way) {
                MapCells cells;
                const uint8_t* from = bgr.data();
                auto source = [way](size_t y) { return way < 2 ? y : (way - 2) * 128 + y / 2; };
                if (way >= 2) {
                    for (size_t y = 0; y < 256; ++y) std::memcpy(&out[y * Row], &bgr[source(y) * Row], Row);
                    from = out.data();  // mapped in place
                }
                if (way == 0)
                    mapper.MapBgrRows(from, Row, out.data(), Row, 256, 256);
                else
                    mapper.MapBgrRows(from, Row, out.data(), Row, 256, 256, cells);
                for (size_t i = 0; i < Plane; ++i) std::swap(out[3 * i], out[3 * i + 2]);
                for (size_t y = 0; y < 256; ++y) {
                    ASSERT_EQ(std::memcmp(&out[y * Row], &expected[source(y) * Row], Row), 0)
                        << MapKernelName(mapper.Kernel()) << " bgr, red " << r << ", way " << way << ", row " << y;
                }
            }
        }
    }
}

TEST_P(MapperKernel, RowsWithPaddingOddWidthsNegativeStrideAndInPlace) {
    const std::vector<uint8_t> table = RandomTable(11);
    const RdtMapper mapper(table.data(), GetParam());
    std::mt19937 rng(3);
    MapCells cells;
    // Random pixels (colors 0: every one distinct, so a cell a pixel), or
    // pixels of that many random colors, the first 18 two by two: the cells
    // keep each color once up to seven colors in eight pixels (70 of 80),
    // not above (76 of 85, found out at the last pixel).
    const struct {
        size_t Width, Colors;
    } pictures[] = {{1, 0}, {7, 0}, {8, 0}, {13, 0}, {31, 0}, {100, 0}, {16, 70}, {17, 76}, {64, 7}, {99, 1}};
    for (const auto& picture : pictures) {
        const size_t width = picture.Width, height = 5;
        const ptrdiff_t stride = static_cast<ptrdiff_t>((width * 3 + 3) & ~size_t{3});  // DIB rows: 4-byte multiple
        std::vector<uint8_t> image(stride * height + 1);
        for (uint8_t& v : image) v = static_cast<uint8_t>(rng());
        std::vector<uint8_t> palette(3 * picture.Colors);
        for (uint8_t& v : palette) v = static_cast<uint8_t>(rng());
        for (size_t i = 0; i < width * height && picture.Colors != 0; ++i)
            std::memcpy(&image[(height - 1 - i / width) * stride + i % width * 3],  // in the order mapped below
                        &palette[(i < 18 ? i / 2 : i - 9) % picture.Colors * 3], 3);
        const uint8_t guard = image.back();

        std::vector<uint8_t> expected = image;
        for (size_t y = 0; y < height; ++y) {
            uint8_t* p = &expected[y * stride];
            for (size_t x = 0; x < width; ++x, p += 3) MapThroughTable(table.data(), p[2], p[1], p[0], &p[2], &p[1], &p[0]);
        }

        // Bottom-up walk (negative stride) from the last row, mapped in place.
        std::vector<uint8_t> inPlace = image;
        uint8_t* last = inPlace.data() + (height - 1) * stride;
        mapper.MapBgrRows(last, -stride, last, -stride, width, height);
        EXPECT_EQ(inPlace, expected) << "width " << width;
        EXPECT_EQ(inPlace.back(), guard);

        // Kept cells (one holder across all widths, so a new shape remakes
        // them) serve a second table; the swap of tables is what the preview does.
        const std::vector<uint8_t> other = RandomTable(static_cast<unsigned>(width));
        const RdtMapper otherMapper(other.data(), GetParam());
        const uint8_t* lastIn = image.data() + (height - 1) * stride;
        for (const RdtMapper* m : {&mapper, &otherMapper}) {
            const uint8_t* t = m == &mapper ? table.data() : other.data();
            std::vector<uint8_t> want = image, got = image;
            for (size_t y = 0; y < height; ++y) {
                uint8_t* p = &want[y * stride];
                for (size_t x = 0; x < width; ++x, p += 3) MapThroughTable(t, p[2], p[1], p[0], &p[2], &p[1], &p[0]);
            }
            m->MapBgrRows(lastIn, -stride, got.data() + (height - 1) * stride, -stride, width, height, cells);
            EXPECT_EQ(got, want) << "cells, width " << width;
        }

        // Packed RGB into a separate buffer: nothing beyond the pixels is written.
        std::vector<uint8_t> out(width * 3 + 4, 0xEE);
        mapper.MapRgb(image.data(), out.data(), width);
        for (size_t x = 0; x < width; ++x) {
            uint8_t o[3];
            MapThroughTable(table.data(), image[3 * x], image[3 * x + 1], image[3 * x + 2], &o[0], &o[1], &o[2]);
            ASSERT_EQ(std::memcmp(&out[3 * x], o, 3), 0) << "width " << width << " pixel " << x;
        }
        for (size_t k = width * 3; k < out.size(); ++k) EXPECT_EQ(out[k], 0xEE);
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, MapperKernel,
                         testing::Values(MapKernel::Scalar, MapKernel::Fpu, MapKernel::Mmx, MapKernel::Sse41,
                                         MapKernel::Avx2),
                         [](const testing::TestParamInfo<MapKernel>& info) {
                             return std::string(info.param == MapKernel::Avx2    ? "Avx2"
                                                : info.param == MapKernel::Sse41 ? "Sse41"
                                                : info.param == MapKernel::Mmx   ? "Mmx"
                                                : info.param == MapKernel::Fpu   ? "Fpu"
                                                                                 : "Scalar");
                         });

TEST(BulkMapping, CurrentTableConvenience) {
    BuildRdt(ColorAdjustment{0, 1, -2, 3, 0, 1, 1, -1});
    std::vector<uint8_t> image(3 * 50);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 37);
    std::vector<uint8_t> out(image.size());
    MapRgbThroughRdt(image.data(), out.data(), 50);
    for (size_t x = 0; x < 50; ++x) {
        uint8_t o[3];
        MapThroughRdt(image[3 * x], image[3 * x + 1], image[3 * x + 2], &o[0], &o[1], &o[2]);
        EXPECT_EQ(std::memcmp(&out[3 * x], o, 3), 0);
    }
}

#if defined(__i386__)
// Windows 95 saves no vector registers on a task switch: told so, the 32-bit
// build offers and picks no SSE kernel, whatever the processor has, but MMX
// (the x87 registers, always saved) where the processor has it, and a plain
// kernel otherwise (the FPU one on a Pentium).
TEST(BulkMapping, NoVectorKernelWhereTheSystemSavesNoVectorRegisters) {
    SetVectorRegistersSaved(false);
    const std::vector<uint8_t> table = RandomTable(3);
    EXPECT_FALSE(MapKernelSupported(MapKernel::Sse41));
    EXPECT_FALSE(MapKernelSupported(MapKernel::Avx2));
    const bool mmx = __builtin_cpu_supports("mmx") != 0;
    EXPECT_EQ(MapKernelSupported(MapKernel::Mmx), mmx);
    const MapKernel best = BestMapKernel();
    if (mmx)
        EXPECT_EQ(best, MapKernel::Mmx) << MapKernelName(best);
    else
        EXPECT_TRUE(best == MapKernel::Scalar || best == MapKernel::Fpu) << MapKernelName(best);
    EXPECT_EQ(RdtMapper(table.data(), MapKernel::Sse41).Kernel(), best);
    SetVectorRegistersSaved(true);
    EXPECT_EQ(MapKernelSupported(MapKernel::Sse41), __builtin_cpu_supports("sse4.1") != 0);
}
#endif

}  // namespace
