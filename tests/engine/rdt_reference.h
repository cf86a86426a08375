// Reference tables of the native build, which the Windows build's MakeRdt
// must reproduce through the bridge. Each case holds the record, its table,
// and a mask of the bytes whose exact value lies on an integer: there the
// platforms' power functions may round to either side, so those bytes may
// differ by one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/common/records.h"

struct RdtReferenceCase {
    ColorAdjustment Color;
    std::vector<uint8_t> Table;  // RdtBytes
    std::vector<uint8_t> OnInteger;  // RdtBytes, 1 where the byte may differ by one
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
        c.OnInteger.resize(RdtBytes);
        if (std::fread(&c.Color, sizeof c.Color, 1, f) != 1) break;
        if (std::fread(c.Table.data(), 1, RdtBytes, f) != RdtBytes ||
            std::fread(c.OnInteger.data(), 1, RdtBytes, f) != RdtBytes) {
            cases.clear();
            break;
        }
        cases.push_back(std::move(c));
    }
    std::fclose(f);
    return !cases.empty();
}

// Counts the bytes of `table` that differ from the reference beyond what
// its mask allows.
inline int RdtReferenceMismatches(const RdtReferenceCase& c, const uint8_t* table) {
    int bad = 0;
    for (size_t i = 0; i < RdtBytes; ++i) {
        const int d = static_cast<int>(table[i]) - static_cast<int>(c.Table[i]);
        if (d != 0 && !(c.OnInteger[i] && (d == 1 || d == -1))) ++bad;
    }
    return bad;
}
