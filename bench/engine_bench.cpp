// Engine speed, each figure beside its yardstick in one run:
//  - BuildRdt against a literal node-by-node evaluation of the chain with
//    the C library's pow;
//  - the engine's power function against the C library's pow, over the
//    arguments the table build gives it;
//  - bulk table mapping of a 12-megapixel random image against lcms2 running
//    the same table as a device link (8-bit RGB to RGB, default flags).
#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/color_engine.h"
#include "engine/engine_math.h"
#include "engine/rdt_mapper.h"
#include "tests/engine/reference_chain.h"

namespace {

constexpr size_t ImagePixels = 4000 * 3000;

// Cold builds: the balance changes on every build, so nothing carries over.
const std::vector<ColorAdjustment> NeutralCold = {{0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 1, 0, 0}};
const std::vector<ColorAdjustment> AdjustedCold = {{0, 3, -4, 5, 3, 2, -6, 7}, {0, 3, -4, 5, 3, 3, -6, 7}};
// Brightness slider dragged end to end, balance untouched.
const std::vector<ColorAdjustment> BrightSlider = [] {
    std::vector<ColorAdjustment> v;
    for (int32_t bright = -10; bright <= 10; ++bright) v.push_back({0, 3, bright, 5, 3, 2, -6, 7});
    return v;
}();
const ColorAdjustment& AdjustedRecord = AdjustedCold[0];

const std::vector<uint8_t>& RandomImage() {
    static const std::vector<uint8_t> image = [] {
        std::vector<uint8_t> v(ImagePixels * 3);
        std::mt19937 rng(12);
        for (size_t i = 0; i < v.size(); i += 4) {
            const uint32_t bits = rng();
            for (size_t k = 0; k < 4 && i + k < v.size(); ++k) v[i + k] = static_cast<uint8_t>(bits >> (8 * k));
        }
        return v;
    }();
    return image;
}

const std::vector<uint8_t>& BenchTable() {
    static const std::vector<uint8_t> table = [] {
        BuildRdt(AdjustedRecord);
        return std::vector<uint8_t>(CurrentRdt(), CurrentRdt() + RdtBytes);
    }();
    return table;
}

void BuildFast(benchmark::State& state, const std::vector<ColorAdjustment>* records) {
    size_t i = 0;
    for (auto _ : state) {
        BuildRdt((*records)[i++ % records->size()]);
        benchmark::DoNotOptimize(CurrentRdt()[RdtBytes / 2]);
    }
}

double LibraryPow(double x, double y) {
    return std::pow(x, y);
}

double OneThirdEntry(double x, double) {
    return EnginePowOneThirdHeld(x);
}

void BuildLiteral(benchmark::State& state, const std::vector<ColorAdjustment>* records) {
    uint8_t table[RdtBytes];
    size_t i = 0;
    for (auto _ : state) {
        reference::BuildTable<LibraryPow>((*records)[i++ % records->size()], table);
        benchmark::DoNotOptimize(table[RdtBytes / 2]);
    }
}

// x, y pairs of the build's three kinds of power: the Lab cube root of
// t in (0.008856, 1.1], the linearisation (v / 255)^(2.2 / gamma) of the
// lattice values, and the brightened lightness (L / 100)^e.
struct PowArgs {
    std::vector<double> X, Y;
};

const PowArgs& PowInputs(int kind) {
    static const std::vector<PowArgs> args = [] {
        std::vector<PowArgs> a(3);
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int i = 0; i < 4096; ++i) {
            a[0].X.push_back(0.008856 + (1.1 - 0.008856) * unit(rng));
            a[0].Y.push_back(0.3333333333333333);
            const int gamma = static_cast<int>(rng() % 21);
            a[1].X.push_back(static_cast<int>(1 + rng() % 16) * 16 * 0.00392156862745098);
            a[1].Y.push_back(2.2 / (0.5 + gamma * 0.05));
            a[2].X.push_back(100.0 * unit(rng) * 0.01);
            a[2].Y.push_back(LightnessExponentTable[rng() % 21]);
        }
        return a;
    }();
    return args[static_cast<size_t>(kind)];
}

template <double (*F)(double, double)>
void PowOver(benchmark::State& state, int kind) {
    const PowArgs& a = PowInputs(kind);
    const EngineArithmetic arithmetic;
    for (auto _ : state) {
        double sum = 0.0;
        for (size_t i = 0; i < a.X.size(); ++i) sum += F(a.X[i], a.Y[i]);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * a.X.size()));
}

void MapBulk(benchmark::State& state, MapKernel kernel) {
    if (!MapKernelSupported(kernel)) {
        state.SkipWithError("kernel not available");
        return;
    }
    const RdtMapper mapper(BenchTable().data(), kernel);
    const std::vector<uint8_t>& image = RandomImage();
    std::vector<uint8_t> out(image.size());
    for (auto _ : state) {
        mapper.MapRgb(image.data(), out.data(), ImagePixels);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * ImagePixels));
}

struct ProfileCloser {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
struct TransformDeleter {
    void operator()(void* p) const { cmsDeleteTransform(p); }
};

// The table as a device link: a curve puts input v (0..255, x = v / 255) at
// v / 256 of the CLUT's 0..1 domain, so node n sits at input 16 n and 255 falls
// between nodes 15 and 16 at fraction 15/16; then the 17-point CLUT.
std::unique_ptr<void, ProfileCloser> DeviceLinkOf(const uint8_t* rdt) {
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 3, 3);
    const cmsFloat64Number scale[3] = {1.0, 255.0 / 256.0, 0.0};  // type 2: (a x + b)^g
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 2, scale);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, curves));
    cmsFreeToneCurve(curve);
    std::vector<cmsUInt16Number> grid(RdtBytes);
    for (size_t i = 0; i < RdtBytes; ++i) grid[i] = static_cast<cmsUInt16Number>(rdt[i] * 257);
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocCLut16bit(nullptr, 17, 3, 3, grid.data()));

    cmsHPROFILE link = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(link, 4.3);
    cmsSetDeviceClass(link, cmsSigLinkClass);
    cmsSetColorSpace(link, cmsSigRgbData);
    cmsSetPCS(link, cmsSigRgbData);
    cmsWriteTag(link, cmsSigAToB0Tag, pipeline);
    cmsPipelineFree(pipeline);
    return std::unique_ptr<void, ProfileCloser>(link);
}

void MapLcms2(benchmark::State& state) {
    const auto link = DeviceLinkOf(BenchTable().data());
    const std::unique_ptr<void, TransformDeleter> transform(
        cmsCreateTransform(link.get(), TYPE_RGB_8, nullptr, TYPE_RGB_8, INTENT_PERCEPTUAL, 0));
    if (!transform) {
        state.SkipWithError("lcms2 refused the device link");
        return;
    }
    const std::vector<uint8_t>& image = RandomImage();
    std::vector<uint8_t> out(image.size());
    for (auto _ : state) {
        cmsDoTransform(transform.get(), image.data(), out.data(), static_cast<cmsUInt32Number>(ImagePixels));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * ImagePixels));
}

// Console output as usual, and the real time per iteration of every run kept
// for the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // CPU time, which other work on the machine disturbs least. A single
        // run counts as is; with repetitions, the median counts.
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Iteration && run.repetitions <= 1)
                times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
            else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                times_[run.run_name.str()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatio(const char* what, const std::string& fast, const std::string& slow, double target) const {
        const auto f = times_.find(fast), s = times_.find(slow);
        if (f == times_.end() || s == times_.end() || f->second <= 0.0) return;
        const double ratio = s->second / f->second;
        std::printf("%-44s %6.2fx  (target %.1fx: %s)\n", what, ratio, target, ratio >= target ? "met" : "NOT MET");
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    const struct {
        const char* Name;
        const std::vector<ColorAdjustment>* Records;
    } builds[] = {{"neutral_cold", &NeutralCold}, {"adjusted_cold", &AdjustedCold}, {"bright_slider", &BrightSlider}};
    for (const auto& b : builds) {
        benchmark::RegisterBenchmark((std::string("BuildRdt/") + b.Name).c_str(), BuildFast, b.Records)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("LiteralChain/") + b.Name).c_str(), BuildLiteral, b.Records)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("EnginePowOneThird/cube_root", PowOver<OneThirdEntry>, 0)
        ->Unit(benchmark::kMicrosecond);
    const char* const powKinds[] = {"cube_root", "linearise", "lightness"};
    for (int k = 0; k < 3; ++k) {
        benchmark::RegisterBenchmark((std::string("EnginePow/") + powKinds[k]).c_str(), PowOver<EnginePowHeld>, k)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("LibraryPow/") + powKinds[k]).c_str(), PowOver<LibraryPow>, k)
            ->Unit(benchmark::kMicrosecond);
    }
    for (MapKernel k : {MapKernel::Avx2, MapKernel::Sse41, MapKernel::Mmx, MapKernel::Scalar, MapKernel::Fpu}) {
        benchmark::RegisterBenchmark((std::string("MapBulk/") + MapKernelName(k)).c_str(), MapBulk, k)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("Lcms2DeviceLink", MapLcms2)->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n");
    for (const auto& b : builds) {
        reporter.PrintRatio((std::string("BuildRdt vs literal chain, ") + b.Name).c_str(),
                            std::string("BuildRdt/") + b.Name, std::string("LiteralChain/") + b.Name, 2.0);
    }
    const std::string best = std::string("MapBulk/") + MapKernelName(BestMapKernel());
    reporter.PrintRatio(("bulk map (" + std::string(MapKernelName(BestMapKernel())) + ") vs lcms2").c_str(), best,
                        "Lcms2DeviceLink", 2.0);
    reporter.PrintRatio("bulk map (sse4.1) vs lcms2", "MapBulk/sse4.1", "Lcms2DeviceLink", 2.0);
    reporter.PrintRatio("bulk map (scalar fallback) vs lcms2", "MapBulk/scalar", "Lcms2DeviceLink", 0.0);
    benchmark::Shutdown();
    return 0;
}
