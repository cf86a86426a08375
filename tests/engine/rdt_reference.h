// Reference tables, which every build's MakeRdt must reproduce byte for byte:
// five tables in full (tests/data/rdt_reference.bin: per case the record, then
// its RdtBytes table) and a spread of settings by the hash of their tables.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/common/records.h"

struct RdtReferenceCase {
    ColorAdjustment Color;
    std::vector<uint8_t> Table;  // RdtBytes
};

inline const ColorAdjustment RdtReferenceColors[] = {
    {0, 0, 0, 0, 0, 0, 0, 0},
    {0, 3, 0, 0, 0, 0, 0, 0},
    {1, 2, 5, -3, 7, -4, 6, -8},
    {2, 1, -10, 10, -10, 10, -10, 10},
    {3, 4, 10, -10, 10, -10, 10, -10},
};

inline bool ReadRdtReference(const std::string& path, std::vector<RdtReferenceCase>& cases) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    cases.clear();
    for (;;) {
        RdtReferenceCase c;
        c.Table.resize(RdtBytes);
        if (std::fread(&c.Color, sizeof c.Color, 1, f) != 1) break;
        if (std::fread(c.Table.data(), 1, RdtBytes, f) != RdtBytes) {
            cases.clear();
            break;
        }
        cases.push_back(std::move(c));
    }
    std::fclose(f);
    return !cases.empty();
}

// Counts the bytes of `table` that differ from the reference.
inline int RdtReferenceMismatches(const RdtReferenceCase& c, const uint8_t* table) {
    int bad = 0;
    for (size_t i = 0; i < RdtBytes; ++i) bad += table[i] != c.Table[i];
    return bad;
}

// FNV-1a, 64 bits, of a table.
inline uint64_t RdtHash(const uint8_t* table) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < RdtBytes; ++i) h = (h ^ table[i]) * 0x100000001b3ull;
    return h;
}

// Every base color with: all fields at one extreme, then the other; each
// field alone at -10 and at 10; the extremes alternating; and three settings
// that once built different tables on the x87.
struct RdtSpreadCase {
    int32_t Base;
    int32_t Bright, Fullness, Contrast, CyanRed, MagentaGreen, YellowBlue;
    uint64_t Hash;
};

inline const RdtSpreadCase RdtSpread[] = {
#include "tests/engine/rdt_spread.inc"
};

inline ColorAdjustment RdtSpreadColor(const RdtSpreadCase& c) {
    return {0, c.Base, c.Bright, c.Fullness, c.Contrast, c.CyanRed, c.MagentaGreen, c.YellowBlue};
}
