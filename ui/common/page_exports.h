// The five exports of QV3810ui that the bridge imports by name. They run on
// the caller's thread in its floating-point state: each holds an
// EngineArithmetic for the whole call (the pages, their dialogs and the
// preview alike), so the results are the same whatever the caller's control
// word, and that word comes back unchanged.
#pragma once

#include <cstdint>

#include "ui/common/exports.h"
#include "ui/common/records.h"

extern "C" {
int32_t QV_API MainPropPage(PageMessage* message, PrintSettings* current, PrintSettings* defaults);
int32_t QV_API ColorPropPage(PageMessage* message, PrintSettings* current, PrintSettings* defaults);
int32_t QV_API OptPropPage(PageMessage* message, PrintSettings* current, PrintSettings* defaults);
int32_t QV_API VerPropPage(PageMessage* message, PrintSettings* current, PrintSettings* defaults);
int32_t QV_API MakeRdt(const ColorAdjustment* color, uint8_t* table);
}
