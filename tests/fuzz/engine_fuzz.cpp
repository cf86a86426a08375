// Any ColorAdjustment through the table build: no fault, and the vector and
// plain builds give the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/color_engine.h"
#include "engine/make_rdt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ColorAdjustment color = {};
    memcpy(&color, data, size < sizeof color ? size : sizeof color);

    SetVectorBuild(false);
    BuildRdt(color);
    const std::vector<uint8_t> plain(CurrentRdt(), CurrentRdt() + RdtBytes);

    SetVectorBuild(true);
    std::vector<uint8_t> table(RdtBytes + 1, 0x5A);
    if (MakeRdt(&color, table.data()) == 0) abort();
    if (table[RdtBytes] != 0x5A) abort();  // wrote past the table
    if (memcmp(table.data(), plain.data(), RdtBytes) != 0) abort();
    return 0;
}
