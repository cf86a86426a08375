#include "tools/qvrdt/qvrdt.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>

#include "engine/base_color_tables.h"
#include "engine/color_engine.h"
#include "engine/make_rdt.h"
#include "engine/rdt_mapper.h"
#include "fileio/image_io.h"
#include "fileio/progress.h"

namespace {

const char Usage[] =
    "usage: qvrdt COMMAND [options]\n"
    "\n"
    "commands:\n"
    "  table [adjustments] -o FILE [--format raw|cube|icc]\n"
    "        the rendering data table: raw is the 14739 table bytes, cube an\n"
    "        Adobe .cube 3D LUT, icc an ICC device link profile\n"
    "  base-table N -o FILE\n"
    "        the 14739 bytes of the base-color table that base color N selects\n"
    "  trace R G B [adjustments]\n"
    "        one lattice input (0..256 each) through every step of the chain\n"
    "  map R G B [adjustments]\n"
    "        one 8-bit color through the table\n"
    "  apply [adjustments] --in IMAGE --out IMAGE\n"
    "        a PNG, BMP or PPM image through the table, as the printer prints it\n"
    "        (the output format follows the extension: .png, .bmp or .ppm)\n"
    "\n"
    "adjustments (integers, default 0, limited by the engine like the driver's;\n"
    "a limited value is told on standard error):\n"
    "  --base N            1 normal, 2 document, 3 photo, 4 graphics, other normal\n"
    "  --bright N  --fullness N  --contrast N            -10..10\n"
    "  --cyan-red N  --magenta-green N  --yellow-blue N  -10..10\n"
    "  --sample N          sample picture; does not change the table\n"
    "\n"
    "Files are written completely or not at all. Exit status 0 on success,\n"
    "2 on a bad command line, an unreadable image or an unwritable file.\n";

const struct {
    const char* name;
    int32_t ColorAdjustment::*field;
} AdjustmentOptions[] = {
    {"--base", &ColorAdjustment::BaseColor},          {"--bright", &ColorAdjustment::Bright},
    {"--fullness", &ColorAdjustment::Fullness},       {"--contrast", &ColorAdjustment::Contrast},
    {"--cyan-red", &ColorAdjustment::CyanRed},        {"--magenta-green", &ColorAdjustment::MagentaGreen},
    {"--yellow-blue", &ColorAdjustment::YellowBlue},  {"--sample", &ColorAdjustment::SampleImage},
};

struct Failure {
    std::string message;
};

// What each command accepts besides its positional values.
enum Accepts : unsigned { Adjustments = 1, OutputFile = 2, Format = 4, Images = 8 };

struct Arguments {
    ColorAdjustment color{};
    std::vector<std::string> positional;
    std::string output, format, in, out;
};

// Where a command writes: its output, its notes and its progress.
struct Streams {
    std::ostream& out;
    std::ostream& err;
    bool progress;
};

// The engine limits the six adjustments to -10..10 and takes any base color
// other than 1..4 as normal, as the driver does; the user is told.
void NoteLimit(std::ostream& err, const std::string& option, int32_t value) {
    if (option == "--sample") return;  // never enters the table
    if (option == "--base" || option == "base-table") {
        if (value < 1 || value > 4)
            err << "qvrdt: " << option << " " << value << " is not a base color (1..4): the normal table (1) is used\n";
        return;
    }
    if (value < -10 || value > 10)
        err << "qvrdt: " << option << " " << value << " is limited to " << (value < 0 ? -10 : 10) << " (-10..10)\n";
}

bool ParseInt(const std::string& text, long long lo, long long hi, long long& value) {
    size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i == text.size() || text.size() - i > 12) return false;
    for (size_t j = i; j < text.size(); ++j)
        if (text[j] < '0' || text[j] > '9') return false;
    errno = 0;
    value = std::strtoll(text.c_str(), nullptr, 10);
    return errno == 0 && value >= lo && value <= hi;
}

int32_t IntOption(const std::string& option, const std::string& text) {
    long long v;
    if (!ParseInt(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), v))
        throw Failure{"value '" + text + "' of " + option + " is not a 32-bit integer"};
    return static_cast<int32_t>(v);
}

bool LooksLikeNumber(const std::string& s) {
    return s.size() > 1 && s[0] == '-' && s[1] >= '0' && s[1] <= '9';
}

Arguments Parse(const std::vector<std::string>& args, size_t first, unsigned accepts, const std::string& command,
                std::ostream& err) {
    Arguments a;
    std::vector<std::string> seen;
    for (size_t i = first; i < args.size(); ++i) {
        std::string name = args[i], value;
        if (name.empty() || name[0] != '-' || LooksLikeNumber(name)) {
            a.positional.push_back(name);
            continue;
        }
        const size_t eq = name.find('=');
        const bool inlineValue = name.compare(0, 2, "--") == 0 && eq != std::string::npos;
        if (inlineValue) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        auto take = [&]() -> std::string {
            if (inlineValue) return value;
            if (i + 1 >= args.size()) throw Failure{"option " + name + " needs a value"};
            return args[++i];
        };
        for (const std::string& earlier : seen)
            if (earlier == name || (name == "--output" && earlier == "-o") || (name == "-o" && earlier == "--output"))
                throw Failure{"option " + name + " is given twice"};
        seen.push_back(name);
        bool known = false;
        if (accepts & Adjustments)
            for (const auto& o : AdjustmentOptions)
                if (name == o.name) {
                    a.color.*o.field = IntOption(name, take());
                    NoteLimit(err, name, a.color.*o.field);
                    known = true;
                }
        if (!known && (accepts & OutputFile) && (name == "-o" || name == "--output")) {
            a.output = take();
            known = true;
        }
        if (!known && (accepts & Format) && name == "--format") {
            a.format = take();
            if (a.format != "raw" && a.format != "cube" && a.format != "icc")
                throw Failure{"unknown format '" + a.format + "' (raw, cube or icc)"};
            known = true;
        }
        if (!known && (accepts & Images) && (name == "--in" || name == "--out")) {
            (name == "--in" ? a.in : a.out) = take();
            known = true;
        }
        if (!known) throw Failure{"unknown option '" + args[i] + "' for " + command};
    }
    if ((accepts & Format) && a.format.empty()) a.format = TableFormatFromPath(a.output);
    return a;
}

void ExpectPositional(const Arguments& a, size_t count, const std::string& command) {
    if (a.positional.size() != count)
        throw Failure{command + " takes " + std::to_string(count) + " value" + (count == 1 ? "" : "s") + ", got " +
                      std::to_string(a.positional.size())};
}

void Require(const std::string& value, const std::string& what) {
    if (value.empty()) throw Failure{what + " is required"};
}

void Check(bool ok, const std::string& error) {
    if (!ok) throw Failure{error};
}

std::array<int, 3> Channels(const Arguments& a, int hi) {
    std::array<int, 3> v{};
    for (int c = 0; c < 3; ++c) {
        long long x;
        if (!ParseInt(a.positional[c], 0, hi, x))
            throw Failure{"channel value '" + a.positional[c] + "' is not an integer 0.." + std::to_string(hi)};
        v[c] = static_cast<int>(x);
    }
    return v;
}

int Table(const std::vector<std::string>& args, Streams& io) {
    const Arguments a = Parse(args, 2, Adjustments | OutputFile | Format, "table", io.err);
    ExpectPositional(a, 0, "table");
    Require(a.output, "-o FILE");
    uint8_t rdt[RdtBytes];
    MakeRdt(&a.color, rdt);
    std::string error;
    if (a.format == "cube")
        Check(WriteCubeFile(a.output, rdt, a.color, error), error);
    else if (a.format == "icc")
        Check(WriteDeviceLinkFile(a.output, rdt, a.color, error), error);
    else
        Check(WriteFileAtomically(a.output, rdt, RdtBytes, error), error);
    return QvrdtOk;
}

int BaseTable(const std::vector<std::string>& args, Streams& io) {
    const Arguments a = Parse(args, 2, OutputFile, "base-table", io.err);
    ExpectPositional(a, 1, "base-table");
    Require(a.output, "-o FILE");
    const int32_t code = IntOption("base-table", a.positional[0]);
    NoteLimit(io.err, "base-table", code);
    std::string error;
    Check(WriteFileAtomically(a.output, SelectBaseColorTable(code), RdtBytes, error), error);
    return QvrdtOk;
}

int Trace(const std::vector<std::string>& args, Streams& io) {
    std::ostream& out = io.out;
    const Arguments a = Parse(args, 2, Adjustments, "trace", io.err);
    ExpectPositional(a, 3, "trace");
    const std::array<int, 3> in = Channels(a, 256);
    PrepareAdjustment(a.color);
    const NodeTrace t = TraceNode(in[0], in[1], in[2]);
    char line[160];
    auto row = [&](const char* step, const char* n1, double v1, const char* n2, double v2, const char* n3, double v3) {
        std::snprintf(line, sizeof line, "%-13s %-2s %10.4f  %-2s %10.4f  %-2s %10.4f\n", step, n1, v1, n2, v2, n3, v3);
        out << line;
    };
    auto lab = [&](const char* step, const LabColor& c) { row(step, "L*", c.L, "a*", c.a, "b*", c.b); };
    std::snprintf(line, sizeof line, "input         %d %d %d\n", in[0], in[1], in[2]);
    out << line;
    row("linear RGB", "R", t.LinearRed, "G", t.LinearGreen, "B", t.LinearBlue);
    row("XYZ", "X", t.X, "Y", t.Y, "Z", t.Z);
    lab("Lab", t.Lab);
    lab("brightness", t.Brightness);
    lab("contrast", t.Contrast);
    lab("saturation", t.Saturation);
    lab("chroma limit", t.ChromaLimit);
    row("device RGB", "R", t.Device.Red, "G", t.Device.Green, "B", t.Device.Blue);
    // The table stores the values truncated toward zero.
    std::snprintf(line, sizeof line, "table entry   %d %d %d\n", static_cast<int>(t.Device.Red),
                  static_cast<int>(t.Device.Green), static_cast<int>(t.Device.Blue));
    out << line;
    return QvrdtOk;
}

int Map(const std::vector<std::string>& args, Streams& io) {
    std::ostream& out = io.out;
    const Arguments a = Parse(args, 2, Adjustments, "map", io.err);
    ExpectPositional(a, 3, "map");
    const std::array<int, 3> in = Channels(a, 255);
    BuildRdt(a.color);
    uint8_t r, g, b;
    MapThroughRdt(static_cast<uint8_t>(in[0]), static_cast<uint8_t>(in[1]), static_cast<uint8_t>(in[2]), &r, &g, &b);
    out << int(r) << ' ' << int(g) << ' ' << int(b) << '\n';
    return QvrdtOk;
}

int Apply(const std::vector<std::string>& args, Streams& io) {
    const Arguments a = Parse(args, 2, Adjustments | Images, "apply", io.err);
    ExpectPositional(a, 0, "apply");
    Require(a.in, "--in IMAGE");
    Require(a.out, "--out IMAGE");
    ImageFormat format;
    if (!ImageFormatFromPath(a.out, format)) throw Failure{"output '" + a.out + "' must end in .png, .bmp or .ppm"};
    Progress progress(io.err, "qvrdt apply", io.progress);
    progress.Stage("reading " + a.in);
    Image image;
    std::string error;
    const bool read = ReadImageFile(a.in, image, error);
    progress.Done();
    Check(read, error);
    BuildRdt(a.color);
    MapInSteps(image, progress, [](uint8_t* rgb, size_t pixels) { MapRgbThroughRdt(rgb, rgb, pixels); });
    progress.Stage("writing " + a.out);
    const bool written = WriteImageFile(a.out, format, image.width, image.height, image.rgb.data(), error);
    progress.Done();
    Check(written, error);
    return QvrdtOk;
}

const struct {
    const char* name;
    int (*run)(const std::vector<std::string>&, Streams&);
} Commands[] = {
    {"table", Table}, {"base-table", BaseTable}, {"trace", Trace}, {"map", Map}, {"apply", Apply},
};

}  // namespace

std::string TableFormatFromPath(const std::string& path) {
    const size_t dot = path.find_last_of("./\\");
    std::string ext = dot == std::string::npos || path[dot] != '.' ? "" : path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    static const struct {
        const char* ext;
        const char* format;
    } known[] = {{"cube", "cube"}, {"icc", "icc"}, {"icm", "icc"}};
    for (const auto& k : known)
        if (ext == k.ext) return k.format;
    return "raw";
}

int RunQvrdt(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progress) {
    Streams io{out, err, progress};
    if (args.size() < 2) {
        err << Usage;
        return QvrdtFailed;
    }
    const std::string& command = args[1];
    if (command == "--help" || command == "-h" || command == "help") {
        out << Usage;
        return QvrdtOk;
    }
    for (const auto& c : Commands)
        if (command == c.name) {
            for (size_t i = 2; i < args.size(); ++i)
                if (args[i] == "--help" || args[i] == "-h") {
                    out << Usage;
                    return QvrdtOk;
                }
            try {
                return c.run(args, io);
            } catch (const Failure& f) {
                err << "qvrdt " << command << ": " << f.message << '\n';
                return QvrdtFailed;
            }
        }
    err << "qvrdt: unknown command '" << command << "' (try qvrdt --help)\n";
    return QvrdtFailed;
}
