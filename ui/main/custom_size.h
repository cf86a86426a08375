// The user defined paper size: its limits, its normalisation in the record
// and the list text, and the conversions of the custom size dialog between
// texts, up-down positions and millimetres. Portable.
#pragma once

#include <cstdint>

#include "ui/common/records.h"

// One inch as the dialog counts it, and its reciprocal.
constexpr double MmPerInch = 25.399999;
constexpr double InchPerMm = 0.03937008029016064;

// Limits as up-down positions: tenths of a millimetre or hundredths of an inch.
struct PositionRange {
    int32_t Min;
    int32_t Max;
};
struct SizeLimits {
    PositionRange Width;
    PositionRange Length;
};
const SizeLimits& LimitsFor(bool inches);

// The largest position any text gives: every limit lies far below it, and it
// fits the 16-bit position of an up-down control.
constexpr int32_t MaxPosition = 0x7FFF;

// `value` cut toward zero and clamped to lo..hi. The clamp happens on the
// double, so NaN (taken as lo), infinities and huge values are safe.
int32_t CutAndClamp(double value, int32_t lo, int32_t hi);

// Brings CustomWidth/CustomLength of `settings` into the limits of its unit
// on the unit's grid, and writes the paper list text of the size, e.g.
// "ﾕｰｻﾞ定義ｻｲｽﾞ(198.0 x 297.0 mm)". A stored value counts as the decimal it
// stands for (256.2 is 256.2 mm, not 256.1), on every build and at any
// precision of the x87.
void NormaliseCustomSize(PrintSettings& settings, char (&text)[32]);

// Working millimetres from a stored value in the record's unit. A value
// outside the limits of that unit (NaN included) is first clamped into them.
double StoredToMm(double stored, int32_t unit, bool isLength);

// Position of a text of digits with an optional full stop, cut toward zero:
// "210.5" gives 2105 in millimetres, "8.2" gives 820 in inches.
int32_t TextToPosition(const char* text, bool inches);
// Millimetres of a position, with the step held in single precision.
double PositionToMm(int32_t position, bool inches);
// Position of a millimetre value in the shown unit, cut toward zero. A value
// within a thousandth of a step below a whole step counts as that step: a
// position turned into millimetres (single-precision step, 25.399999) and
// back lands a few millionths below where it started, and must not lose a
// step on a unit round trip.
int32_t MmToPosition(double mm, bool inches);
// The value in the shown unit as the edits show it: one decimal for
// millimetres, two for inches, rounded.
void FormatSize(double mm, bool inches, char (&text)[32]);
// The range label of a dimension, e.g. "(198.0～330.2mm)".
void FormatRange(const PositionRange& range, bool inches, char (&text)[48]);
// True when the sheet is set in portrait direction (length >= width).
bool IsPortraitSheet(const char* widthText, const char* lengthText);
// Writes the dialog's result into the record.
void StoreCustomSize(PrintSettings& settings, bool inches, double widthMm, double lengthMm);
