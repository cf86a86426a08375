#include <gtest/gtest.h>
#include <lcms2.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "engine/color_engine.h"
#include "engine/make_rdt.h"
#include "tools/common/image_io.h"
#include "tools/qvrdt/qvrdt.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out, err;
};

Result RunTool(std::vector<std::string> args) {
    args.insert(args.begin(), "qvrdt");
    std::ostringstream out, err;
    const int status = RunQvrdt(args, out, err);
    return {status, out.str(), err.str()};
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Qvrdt : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(QV_SCRATCH_DIR) / (std::string("qvrdt-") + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    // Nothing but the files a test made itself: no leftovers of a failed write.
    size_t FileCount() const { return std::distance(fs::directory_iterator(dir_), fs::directory_iterator()); }

    fs::path dir_;
};

TEST_F(Qvrdt, BadCommandLinesExitWithTwoAndWriteNothing) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"table", "--bright", "x", "-o", Path("t")},
        {"table", "--bright", "1.5", "-o", Path("t")},
        {"table", "--bright", "", "-o", Path("t")},
        {"table", "--bright", "4294967296", "-o", Path("t")},
        {"table", "--contrast"},
        {"table", "--frob", "1", "-o", Path("t")},
        {"table"},                                        // no output
        {"table", "--format", "png", "-o", Path("t")},
        {"table", "extra", "-o", Path("t")},
        {"base-table", "-o", Path("t")},                  // no table number
        {"base-table", "1", "--bright", "2", "-o", Path("t")},
        {"trace", "1", "2"},
        {"trace", "0", "0", "257"},
        {"trace", "-1", "0", "0"},
        {"map", "0", "0", "256"},
        {"map", "0x10", "0", "0"},
        {"apply", "--in", Path("missing.png")},           // no output
        {"apply", "--in", Path("missing.png"), "--out", Path("o.png")},
        {"apply", "--in", Path("missing.png"), "--out", Path("o.tiff")},
    };
    for (const auto& args : bad) {
        const Result r = RunTool(args);
        std::string line;
        for (const auto& a : args) line += a + " ";
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_FALSE(r.err.empty()) << line;
    }
    EXPECT_EQ(FileCount(), 0u);
}

TEST_F(Qvrdt, HelpAndNumericForms) {
    const Result help = RunTool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("base-table"), std::string::npos);
    // Negative values and the --name=value form are both accepted; the engine
    // limits what is out of range.
    EXPECT_EQ(RunTool({"table", "--bright=-2147483648", "--fullness", "-3", "-o", Path("t")}).status, 0);
}

TEST_F(Qvrdt, RawTableIsMakeRdtOfTheOptions) {
    struct Case {
        std::vector<std::string> options;
        ColorAdjustment color;
    } cases[] = {
        {{}, {}},
        {{"--base", "3", "--bright", "4", "--contrast", "-7"}, {0, 3, 4, 0, -7, 0, 0, 0}},
        {{"--base", "2", "--fullness", "10", "--cyan-red", "-10", "--magenta-green", "5", "--yellow-blue", "9",
          "--sample", "2"},
         {2, 2, 0, 10, 0, -10, 5, 9}},
        {{"--base", "99", "--bright", "-40"}, {0, 99, -40, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"table", "-o", Path("t.raw")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(RunTool(args).status, 0);
        uint8_t want[RdtBytes];
        MakeRdt(&c.color, want);
        const std::string got = ReadAll(Path("t.raw"));
        ASSERT_EQ(got.size(), RdtBytes);
        EXPECT_EQ(0, std::memcmp(got.data(), want, RdtBytes));
    }
}

TEST_F(Qvrdt, BaseTableWritesTheSelectedTable) {
    for (int code : {1, 2, 3, 4, 0, 7}) {
        ASSERT_EQ(RunTool({"base-table", std::to_string(code), "-o", Path("b")}).status, 0);
        const std::string got = ReadAll(Path("b"));
        ASSERT_EQ(got.size(), RdtBytes);
        EXPECT_EQ(0, std::memcmp(got.data(), SelectBaseColorTable(code), RdtBytes)) << code;
    }
}

TEST_F(Qvrdt, CubeFileHasTheHeaderAndEveryNodeRedFastest) {
    ASSERT_EQ(RunTool({"table", "--base", "3", "--fullness", "4", "--format", "cube", "-o", Path("t.cube")}).status, 0);
    const ColorAdjustment color{0, 3, 0, 4, 0, 0, 0, 0};
    uint8_t rdt[RdtBytes];
    MakeRdt(&color, rdt);

    std::istringstream in(ReadAll(Path("t.cube")));
    std::string line;
    std::vector<std::string> header;
    std::vector<std::array<double, 3>> nodes;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (std::isalpha(static_cast<unsigned char>(line[0]))) {
            header.push_back(line);
            continue;
        }
        std::array<double, 3> v;
        std::istringstream(line) >> v[0] >> v[1] >> v[2];
        nodes.push_back(v);
    }
    EXPECT_NE(std::find(header.begin(), header.end(), "LUT_3D_SIZE 17"), header.end());
    EXPECT_NE(std::find(header.begin(), header.end(), "DOMAIN_MAX 1.003922 1.003922 1.003922"), header.end());
    ASSERT_EQ(nodes.size(), 4913u);
    for (int b = 0, i = 0; b < 17; ++b)
        for (int g = 0; g < 17; ++g)
            for (int r = 0; r < 17; ++r, ++i) {
                const uint8_t* e = rdt + ((r * 17 + g) * 17 + b) * 3;
                for (int c = 0; c < 3; ++c) ASSERT_NEAR(nodes[i][c] * 255.0, e[c], 1e-3) << r << "," << g << "," << b;
            }
}

TEST_F(Qvrdt, DeviceLinkReproducesTheTableAtEveryNode) {
    ASSERT_EQ(RunTool({"table", "--base", "2", "--contrast", "6", "--format", "icc", "-o", Path("t.icc")}).status, 0);
    const ColorAdjustment color{0, 2, 0, 0, 6, 0, 0, 0};
    uint8_t rdt[RdtBytes];
    MakeRdt(&color, rdt);

    cmsHPROFILE link = cmsOpenProfileFromFile(Path("t.icc").c_str(), "r");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(cmsGetDeviceClass(link), cmsSigLinkClass);
    // Unoptimised, so that lcms2 reads the stored lattice rather than a resampling of it.
    cmsHTRANSFORM t = cmsCreateTransform(link, TYPE_RGB_16, nullptr, TYPE_RGB_16, INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE);
    ASSERT_NE(t, nullptr);
    for (int r = 0; r < 16; ++r)
        for (int g = 0; g < 16; ++g)
            for (int b = 0; b < 16; ++b) {
                const cmsUInt16Number in[3] = {static_cast<cmsUInt16Number>(r * 16 * 257),
                                               static_cast<cmsUInt16Number>(g * 16 * 257),
                                               static_cast<cmsUInt16Number>(b * 16 * 257)};
                cmsUInt16Number out[3];
                cmsDoTransform(t, in, out, 1);
                const uint8_t* e = rdt + ((r * 17 + g) * 17 + b) * 3;
                for (int c = 0; c < 3; ++c) ASSERT_NEAR(out[c] / 257.0, e[c], 0.02) << r << "," << g << "," << b;
            }
    cmsDeleteTransform(t);
    cmsCloseProfile(link);
}

TEST_F(Qvrdt, TraceShowsEveryStepWithFourDecimals) {
    const Result r = RunTool({"trace", "128", "128", "128"});
    ASSERT_EQ(r.status, 0);
    for (const char* step : {"linear RGB", "XYZ", "brightness", "contrast", "saturation", "chroma limit", "device RGB"})
        EXPECT_NE(r.out.find(step), std::string::npos) << step;
    // The node's L*a*b* as it reaches the lookup with every field 0.
    EXPECT_NE(r.out.find("chroma limit  L*    53.3193  a*    -4.0836  b*    -1.4284"), std::string::npos) << r.out;

    const Result blue = RunTool({"trace", "0", "0", "256", "--fullness", "7"});
    ASSERT_EQ(blue.status, 0);
    EXPECT_NE(blue.out.find("chroma limit  L*    28.8465  a*    73.1765  b*  -120.0000"), std::string::npos) << blue.out;
}

TEST_F(Qvrdt, MapIsMapThroughRdt) {
    const ColorAdjustment color{0, 3, -2, 3, 0, 1, 0, -4};
    BuildRdt(color);
    for (auto rgb : {std::array<int, 3>{0, 0, 0}, {255, 255, 255}, {8, 200, 97}, {241, 16, 130}}) {
        uint8_t r, g, b;
        MapThroughRdt(rgb[0], rgb[1], rgb[2], &r, &g, &b);
        const Result res = RunTool({"map", std::to_string(rgb[0]), std::to_string(rgb[1]), std::to_string(rgb[2]), "--base",
                                "3", "--bright", "-2", "--fullness", "3", "--cyan-red", "1", "--yellow-blue", "-4"});
        ASSERT_EQ(res.status, 0);
        EXPECT_EQ(res.out, std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b) + "\n");
    }
}

Image TestImage() {
    Image im;
    im.width = 37;
    im.height = 23;
    for (int y = 0; y < im.height; ++y)
        for (int x = 0; x < im.width; ++x) {
            im.rgb.push_back(static_cast<uint8_t>(x * 7));
            im.rgb.push_back(static_cast<uint8_t>(y * 11));
            im.rgb.push_back(static_cast<uint8_t>((x * y) ^ 0x5A));
        }
    return im;
}

TEST_F(Qvrdt, ApplyMapsEveryPixelInEachFormat) {
    const Image src = TestImage();
    const ColorAdjustment color{0, 2, 3, -5, 2, 0, 0, 0};
    BuildRdt(color);
    std::vector<uint8_t> want(src.rgb.size());
    for (size_t i = 0; i < src.rgb.size(); i += 3)
        MapThroughRdt(src.rgb[i], src.rgb[i + 1], src.rgb[i + 2], &want[i], &want[i + 1], &want[i + 2]);

    for (const char* ext : {"png", "bmp", "ppm"}) {
        std::string error;
        const std::string in = Path((std::string("in.") + ext).c_str()), out = Path((std::string("out.") + ext).c_str());
        ImageFormat format;
        ASSERT_TRUE(ImageFormatFromPath(in, format));
        ASSERT_TRUE(WriteImageFile(in, format, src.width, src.height, src.rgb.data(), error)) << error;
        const Result r = RunTool({"apply", "--base", "2", "--bright", "3", "--fullness", "-5", "--contrast", "2", "--in", in,
                              "--out", out});
        ASSERT_EQ(r.status, 0) << r.err;
        Image got;
        ASSERT_TRUE(ReadImageFile(out, got, error)) << error;
        EXPECT_EQ(got.width, src.width);
        EXPECT_EQ(got.height, src.height);
        EXPECT_TRUE(got.rgb == want) << ext;
    }
}

TEST_F(Qvrdt, TruncatedOrBrokenImagesAreRefusedAndTheOutputIsKept) {
    const Image src = TestImage();
    std::string error;
    // An output from an earlier run must survive a failed one untouched.
    std::ofstream(Path("out.png"), std::ios::binary) << "earlier";
    for (const char* ext : {"png", "bmp", "ppm"}) {
        const std::string whole = Path((std::string("whole.") + ext).c_str());
        ImageFormat format;
        ASSERT_TRUE(ImageFormatFromPath(whole, format));
        ASSERT_TRUE(WriteImageFile(whole, format, src.width, src.height, src.rgb.data(), error));
        const std::string bytes = ReadAll(whole);
        const std::string cut = Path((std::string("cut.") + ext).c_str());
        std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() * 2 / 3);
        const Result r = RunTool({"apply", "--in", cut, "--out", Path("out.png")});
        EXPECT_EQ(r.status, 2) << ext;
        EXPECT_FALSE(r.err.empty());
    }
    std::ofstream(Path("over.ppm"), std::ios::binary) << "P6 1 1 15\n" << std::string("\x0F\x10\x00", 3);
    EXPECT_EQ(RunTool({"apply", "--in", Path("over.ppm"), "--out", Path("out.png")}).status, 2);
    std::ofstream(Path("junk.png"), std::ios::binary) << "not an image at all";
    EXPECT_EQ(RunTool({"apply", "--in", Path("junk.png"), "--out", Path("out.png")}).status, 2);
    EXPECT_EQ(ReadAll(Path("out.png")), "earlier");
    EXPECT_FALSE(fs::exists(Path("out.png.partial")));
}

TEST_F(Qvrdt, UnwritableOutputFailsWithoutLeavingAFile) {
    const std::string blocked = Path("no-such-dir/t.raw");
    for (const char* format : {"raw", "cube", "icc"}) {
        const Result r = RunTool({"table", "--format", format, "-o", blocked});
        EXPECT_EQ(r.status, 2) << format;
        EXPECT_NE(r.err.find("no-such-dir"), std::string::npos) << r.err;
    }
    // A directory in the way of the rename: the temporary file is removed again.
    fs::create_directories(Path("taken"));
    EXPECT_EQ(RunTool({"table", "-o", Path("taken")}).status, 2);
    EXPECT_FALSE(fs::exists(Path("taken.partial")));
    EXPECT_EQ(FileCount(), 1u);  // only the directory
}

}  // namespace

namespace {

TEST(ImageFiles, PpmWithASmallMaximumIsScaledToBytes) {
    const fs::path dir = fs::path(QV_SCRATCH_DIR);
    fs::create_directories(dir);
    const std::string path = (dir / "small-max.ppm").string();
    std::ofstream(path, std::ios::binary) << "P6\n# comment\n2 1\n15\n" << std::string("\x0F\x00\x07\x01\x02\x03", 6);
    Image image;
    std::string error;
    ASSERT_TRUE(ReadImageFile(path, image, error)) << error;
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.rgb, (std::vector<uint8_t>{255, 0, 119, 17, 34, 51}));
    fs::remove(path);
}

}  // namespace
