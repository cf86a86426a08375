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
#include "fileio/image_io.h"
#include "tools/qvrdt/qvrdt.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out, err;
};

Result RunTool(std::vector<std::string> args, bool progress = false) {
    args.insert(args.begin(), "qvrdt");
    std::ostringstream out, err;
    const int status = RunQvrdt(args, out, err, progress);
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
        {"table", "--bright", "1", "--bright", "2", "-o", Path("t")},
        {"table", "-o", Path("t"), "--output", Path("u")},
        {"table", "--format", "raw", "--format=cube", "-o", Path("t")},
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
        // The refusal names the file and says what is wrong with it.
        EXPECT_NE(r.err.find(cut + "': truncated " + (ext == std::string("png") ? "PNG" : ext == std::string("bmp") ? "BMP" : "PPM")),
                  std::string::npos)
            << r.err;
    }
    std::ofstream(Path("over.ppm"), std::ios::binary) << "P6 1 1 15\n" << std::string("\x0F\x10\x00", 3);
    EXPECT_EQ(RunTool({"apply", "--in", Path("over.ppm"), "--out", Path("out.png")}).status, 2);
    std::ofstream(Path("junk.png"), std::ios::binary) << "not an image at all";
    EXPECT_EQ(RunTool({"apply", "--in", Path("junk.png"), "--out", Path("out.png")}).status, 2);
    EXPECT_EQ(ReadAll(Path("out.png")), "earlier");
    EXPECT_EQ(FileCount(), 9u) << "a temporary file was left behind";
}

TEST_F(Qvrdt, UnwritableOutputFailsWithoutLeavingAFile) {
    const std::string blocked = Path("no-such-dir/t.raw");
    for (const char* format : {"raw", "cube", "icc"}) {
        const Result r = RunTool({"table", "--format", format, "-o", blocked});
        EXPECT_EQ(r.status, 2) << format;
        EXPECT_NE(r.err.find("no-such-dir"), std::string::npos) << r.err;
    }
    // A directory in the way of the rename: the temporary file is removed
    // again, and the message gives the rename's own error.
    fs::create_directories(Path("taken"));
    const Result taken = RunTool({"table", "-o", Path("taken")});
    EXPECT_EQ(taken.status, 2);
    EXPECT_NE(taken.err.find("cannot replace '" + Path("taken") + "': Is a directory"), std::string::npos) << taken.err;
    EXPECT_EQ(FileCount(), 1u);  // only the directory
}

// The save helper: a unique temporary name, links written through, the
// target's permissions kept, read-only targets refused.
TEST_F(Qvrdt, SavesKeepLinksPermissionsAndOtherFiles) {
    const fs::perms rw = fs::perms::owner_read | fs::perms::owner_write;
    struct Case {
        const char* name;
        void (*prepare)(const fs::path& dir);
        int status;
        const char* says;  // on standard error
        const char* real;  // the file that holds the table afterwards; nullptr: t.raw is untouched
        fs::perms mode;    // its permissions afterwards, when not none
        size_t files;      // entries of the folder afterwards: no temporary file is left
    };
    const Case cases[] = {
        {"a user's file of the old temporary name survives",
         [](const fs::path& d) { std::ofstream(d / "t.raw.partial") << "mine"; }, 0, "", "t.raw", fs::perms::none, 2},
        {"a link is written through to its target",
         [](const fs::path& d) {
             fs::create_directories(d / "real");
             std::ofstream(d / "real" / "t.raw") << "old";
             fs::create_symlink("real/t.raw", d / "t.raw");
         },
         0, "", "real/t.raw", fs::perms::none, 2},
        {"a dangling link makes its target",
         [](const fs::path& d) { fs::create_symlink("made.raw", d / "t.raw"); }, 0, "", "made.raw", fs::perms::none, 2},
        {"the target's permissions are kept",
         [](const fs::path& d) {
             std::ofstream(d / "t.raw") << "old";
             fs::permissions(d / "t.raw", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
         },
         0, "", "t.raw", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read, 1},
        {"a read-only target is refused",
         [](const fs::path& d) {
             std::ofstream(d / "t.raw") << "old";
             fs::permissions(d / "t.raw", fs::perms::owner_read | fs::perms::group_read);
         },
         2, "t.raw': the file is read-only", nullptr, fs::perms::none, 1},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        c.prepare(dir_);
        const Result r = RunTool({"table", "-o", Path("t.raw")});
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << ": " << r.err;
        if (c.real) {
            EXPECT_EQ(ReadAll(dir_ / c.real).size(), RdtBytes) << c.name;
            if (c.mode != fs::perms::none) {
                EXPECT_EQ(fs::status(dir_ / c.real).permissions() & fs::perms::all, c.mode) << c.name;
            }
        } else {
            EXPECT_EQ(ReadAll(Path("t.raw")), "old") << c.name;
        }
        EXPECT_EQ(FileCount(), c.files) << c.name << ": a temporary file was left behind";
        if (fs::exists(Path("t.raw.partial"))) {
            EXPECT_EQ(ReadAll(Path("t.raw.partial")), "mine");
        }
        if (c.real && std::string(c.real) != "t.raw") {
            EXPECT_TRUE(fs::is_symlink(Path("t.raw"))) << c.name << ": the link was replaced";
        }
        fs::permissions(Path("t.raw"), rw, fs::perm_options::add);
    }
}

// The engine limits values as the driver does; the tool says so. The
// table format follows the output's name unless --format is given.
TEST_F(Qvrdt, LimitedValuesAreToldAndTheFormatFollowsTheName) {
    const struct {
        std::vector<std::string> args;
        const char* note;  // on standard error; "" for none
    } limits[] = {
        {{"table", "--bright", "99"}, "qvrdt: --bright 99 is limited to 10 (-10..10)\n"},
        {{"table", "--yellow-blue=-11"}, "qvrdt: --yellow-blue -11 is limited to -10 (-10..10)\n"},
        {{"table", "--base", "-7"}, "qvrdt: --base -7 is not a base color (1..4): the normal table (1) is used\n"},
        {{"base-table", "7"}, "qvrdt: base-table 7 is not a base color (1..4): the normal table (1) is used\n"},
        {{"table", "--bright", "10", "--contrast", "-10", "--base", "4", "--sample", "9"}, ""},
        {{"map", "1", "2", "3", "--fullness", "12"}, "qvrdt: --fullness 12 is limited to 10 (-10..10)\n"},
    };
    for (const auto& l : limits) {
        std::vector<std::string> args = l.args;
        if (args[0] != "map") args.insert(args.end(), {"-o", Path("t")});
        const Result r = RunTool(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, l.note);
    }
    const struct {
        const char* name;
        std::vector<std::string> format;
        const char* begins;  // the file's first bytes; nullptr for a raw table
    } formats[] = {
        {"t.cube", {}, "# QV-3810"}, {"T.CUBE", {}, "# QV-3810"}, {"t.icc", {}, nullptr},
        {"t.cube.raw", {}, nullptr},  {"t.cube", {"--format", "raw"}, nullptr},
        {"t.bin", {"--format", "cube"}, "# QV-3810"},
    };
    for (const auto& f : formats) {
        std::vector<std::string> args = {"table", "-o", Path(f.name)};
        args.insert(args.end(), f.format.begin(), f.format.end());
        ASSERT_EQ(RunTool(args).status, 0) << f.name;
        const std::string got = ReadAll(Path(f.name));
        if (f.begins) EXPECT_EQ(got.substr(0, 9), f.begins) << f.name;
        else if (std::string(f.name) == "t.icc") EXPECT_EQ(got.substr(36, 4), "acsp") << "an ICC profile";
        else EXPECT_EQ(got.size(), RdtBytes) << f.name;
        fs::remove(Path(f.name));
    }
}

// Progress is told only when asked for (a terminal), and the line is
// cleared at the end.
TEST_F(Qvrdt, ApplyTellsItsProgressOnlyToATerminal) {
    const Image src = TestImage();
    std::string error;
    ASSERT_TRUE(WriteImageFile(Path("in.ppm"), ImageFormat::Ppm, src.width, src.height, src.rgb.data(), error));
    const Result quiet = RunTool({"apply", "--in", Path("in.ppm"), "--out", Path("out.ppm")});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    const Result shown = RunTool({"apply", "--in", Path("in.ppm"), "--out", Path("out.ppm")}, true);
    EXPECT_EQ(shown.status, 0);
    for (const char* stage : {"qvrdt apply: reading ", "qvrdt apply: mapping 0%", "qvrdt apply: writing "})
        EXPECT_NE(shown.err.find(stage), std::string::npos) << shown.err;
    EXPECT_EQ(shown.err.back(), '\r') << "the progress line is cleared";
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
