#include <cstdio>
#include <string>
#include <vector>

#include "fileio/image_io.h"
#include "tools/qvrdt/qvrdt.h"

#if QV_HAVE_LCMS2
#include <lcms2.h>

#include <memory>
#endif

namespace {

std::string Describe(const ColorAdjustment& c) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "BaseColor %d, Bright %d, Fullness %d, Contrast %d, CyanRed %d, MagentaGreen %d, YellowBlue %d",
                  static_cast<int>(c.BaseColor), static_cast<int>(c.Bright), static_cast<int>(c.Fullness),
                  static_cast<int>(c.Contrast), static_cast<int>(c.CyanRed), static_cast<int>(c.MagentaGreen),
                  static_cast<int>(c.YellowBlue));
    return text;
}

}  // namespace

// The lattice's last node stands for the input 256, so the domain reaches
// 256/255 and the nodes fall on 0, 16, ..., 256 of the 8-bit scale. The .cube
// order has red varying fastest, the table blue.
bool WriteCubeFile(const std::string& path, const uint8_t* rdt, const ColorAdjustment& color, std::string& error) {
    std::string text = "# QV-3810 rendering data table: " + Describe(color) + "\n";
    text += "TITLE \"QV-3810 rendering data table\"\n";
    text += "LUT_3D_SIZE 17\n";
    text += "DOMAIN_MIN 0.0 0.0 0.0\n";
    text += "DOMAIN_MAX 1.003922 1.003922 1.003922\n";
    char line[64];
    for (int b = 0; b < RdtGrid; ++b)
        for (int g = 0; g < RdtGrid; ++g)
            for (int r = 0; r < RdtGrid; ++r) {
                const uint8_t* e = rdt + ((r * RdtGrid + g) * RdtGrid + b) * 3;
                std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n", e[0] / 255.0, e[1] / 255.0, e[2] / 255.0);
                text += line;
            }
    return WriteFileAtomically(path, text.data(), text.size(), error);
}

#if QV_HAVE_LCMS2

namespace {

struct ProfileCloser {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
struct PipelineFree {
    void operator()(cmsPipeline* p) const { cmsPipelineFree(p); }
};
struct CurveFree {
    void operator()(cmsToneCurve* c) const { cmsFreeToneCurve(c); }
};
struct MluFree {
    void operator()(cmsMLU* m) const { cmsMLUfree(m); }
};

bool SetText(cmsHPROFILE profile, cmsTagSignature tag, const std::string& text) {
    std::unique_ptr<cmsMLU, MluFree> mlu(cmsMLUalloc(nullptr, 1));
    return mlu && cmsMLUsetASCII(mlu.get(), "en", "US", text.c_str()) && cmsWriteTag(profile, tag, mlu.get());
}

}  // namespace

// An RGB-to-RGB device link: per-channel curves that put the input v on the
// lattice coordinate v/256 (so 255 lands just short of the last node, as in
// the table's own reading), then the 17-point table.
bool WriteDeviceLinkFile(const std::string& path, const uint8_t* rdt, const ColorAdjustment& color, std::string& error) {
    error = "cannot build the device link for '" + path + "'";
    std::unique_ptr<void, ProfileCloser> profile(cmsCreateProfilePlaceholder(nullptr));
    if (!profile) return false;
    cmsSetProfileVersion(profile.get(), 4.3);
    cmsSetDeviceClass(profile.get(), cmsSigLinkClass);
    cmsSetColorSpace(profile.get(), cmsSigRgbData);
    cmsSetPCS(profile.get(), cmsSigRgbData);
    cmsSetHeaderRenderingIntent(profile.get(), INTENT_PERCEPTUAL);

    const cmsFloat64Number params[] = {1.0, 255.0 / 256.0, 0.0};  // Y = (aX + b)^g
    std::unique_ptr<cmsToneCurve, CurveFree> curve(cmsBuildParametricToneCurve(nullptr, 2, params));
    std::unique_ptr<cmsPipeline, PipelineFree> pipeline(cmsPipelineAlloc(nullptr, 3, 3));
    if (!curve || !pipeline) return false;
    cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
    std::vector<cmsUInt16Number> clut(RdtBytes);
    for (size_t i = 0; i < RdtBytes; ++i) clut[i] = static_cast<cmsUInt16Number>(rdt[i] * 257);  // red slowest, as lcms2
    cmsStage* shaper = cmsStageAllocToneCurves(nullptr, 3, curves);
    if (!shaper || !cmsPipelineInsertStage(pipeline.get(), cmsAT_END, shaper)) return false;
    cmsStage* lattice = cmsStageAllocCLut16bit(nullptr, RdtGrid, 3, 3, clut.data());
    if (!lattice || !cmsPipelineInsertStage(pipeline.get(), cmsAT_END, lattice)) return false;
    // The stored form of the pipeline always ends in output curves.
    cmsStage* identity = cmsStageAllocToneCurves(nullptr, 3, nullptr);
    if (!identity || !cmsPipelineInsertStage(pipeline.get(), cmsAT_END, identity)) return false;
    if (!cmsWriteTag(profile.get(), cmsSigAToB0Tag, pipeline.get())) return false;
    if (!SetText(profile.get(), cmsSigProfileDescriptionTag, "QV-3810 rendering data table: " + Describe(color)) ||
        !SetText(profile.get(), cmsSigCopyrightTag, "No copyright, use freely"))
        return false;

    cmsUInt32Number size = 0;
    if (!cmsSaveProfileToMem(profile.get(), nullptr, &size)) return false;
    std::vector<uint8_t> bytes(size);
    if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size)) return false;
    return WriteFileAtomically(path, bytes.data(), size, error);
}

#else

bool WriteDeviceLinkFile(const std::string&, const uint8_t*, const ColorAdjustment&, std::string& error) {
    error = "this build of qvrdt has no ICC support (built without lcms2)";
    return false;
}

#endif
