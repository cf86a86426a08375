#include "engine/make_rdt.h"

#include <cstring>

#include "engine/color_engine.h"

extern "C" int32_t QV_API MakeRdt(const ColorAdjustment* color, uint8_t* out) {
    BuildRdt(*color);
    std::memcpy(out, CurrentRdt(), RdtBytes);
    return 1;
}
