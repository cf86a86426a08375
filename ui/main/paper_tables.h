// The Main page's lists and the tables behind its rules: paper sizes, output
// sizes with their scaling, pages per sheet, sources, media, layout icons and
// the summary texts. Data only, no windows; every lookup is bounds-safe.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/common/records.h"

// A list table: 32-byte Shift-JIS texts closed by an entry whose first byte
// is 0xFF and whose second byte is the default position (signed).
typedef char ListText[32];

constexpr int PaperCount = 15;
constexpr int CustomPaperIndex = 14;
constexpr int32_t CustomPaperCode = 256;
constexpr int32_t FollowPaperCode = 548;
constexpr int MaxOutputSlots = 7;

extern const int32_t PaperCodes[PaperCount + 1];      // ends with -1
extern const ListText PaperSizeList[CustomPaperIndex + 1];  // fixed entries 0..13 and the end entry
extern const char CustomSizeName[];                   // "ﾕｰｻﾞ定義ｻｲｽﾞ"

struct OutputSlot {
    int32_t Code;        // -1 closes a paper's row
    char Text[32];
    int8_t PagesList;    // 0, 1, 2: also the largest valid PagesPerSheet
    uint8_t Percent[3];  // scaling for one, two, four pages per sheet
};
struct OutputRow {
    OutputSlot Slots[MaxOutputSlots + 1];
    int8_t DefaultSlot;
};
extern const OutputRow OutputRows[PaperCount];

extern const ListText* const PagesLists[3];

extern const int32_t SourceCodes[5];
extern const ListText SourceList[5];
extern const int32_t MediaCodes[5];
extern const ListText MediaList[5];
extern const uint8_t Cassette1Table[4][7];

// Position of `code` in a list closed by -1; 0 when it is not there.
int FindCodeIndex(const int32_t* codes, int32_t code);
int FindPaperIndex(int32_t code);
int FindOutputSlot(int32_t code, int paperIndex);
int FindSourceIndex(int32_t code);
int FindMediaIndex(int32_t code);

int OutputSlotCount(int paperIndex);
const OutputSlot& OutputSlotAt(int paperIndex, int slot);
// The output size list of a paper as a list table (slots, then the end entry).
void BuildOutputList(int paperIndex, ListText (&list)[MaxOutputSlots + 1]);
// Scaling in percent; pages per sheet outside the slot's list counts as one page.
int ScalePercent(int paperIndex, int slot, int32_t pagesPerSheet);

// True when the media position must be fed from cassette 1 with that source.
bool NeedsCassette1(int sourceIndex, int mediaIndex);

// The layout icon for the settings. Any orientation other than portrait (1)
// is shown as landscape; orders and pages out of range count as 0.
int LayoutIconFor(int32_t orientation, int32_t pagesPerSheet, const LayoutDetail& layout);

// Pages per sheet kept when within the slot's list, else 0.
int32_t ValidPagesPerSheet(int32_t pagesPerSheet, int listNumber);

// The summary of the other pages' settings: up to six lines of label and value.
struct SummaryLine {
    const char* Label;
    char Value[32];
};
int BuildSummary(const PrintSettings& settings, SummaryLine (&lines)[6]);
extern const char SummarySeparator[];  // "："
