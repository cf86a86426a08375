// The export through which the host obtains a freshly built rendering data table.
#pragma once

#include <cstdint>

#include "ui/common/exports.h"
#include "ui/common/records.h"

// Builds the table for the record and copies exactly RdtBytes bytes into out.
// Always returns a nonzero value.
extern "C" int32_t QV_API MakeRdt(const ColorAdjustment* color, uint8_t* out);
