#include "ui/main/paper_tables.h"

#include <cstring>

#include "ui/common/format_text.h"

#define LIST_END(def) {'\xFF', static_cast<char>(def)}

const int32_t PaperCodes[PaperCount + 1] = {PaperA3WideCode, PaperA3Code, 9, 11, 70, 12, 13, 88, 1, 7, 5, 4, 258, 43, CustomPaperCode, -1};

const ListText PaperSizeList[CustomPaperIndex + 1] = {
    "A3ﾉﾋﾞ 330 x 482 mm",
    "A3 297 x 420 mm",
    "A4 210 x 297 mm",
    "A5 148 x 210 mm",
    "A6 105 x 148 mm",
    "B4 257 x 364 mm",
    "B5 182 x 257 mm",
    "B6 128 x 182 mm",
    "Letter 8.5 x 11 in",
    "Executive 7.25 x 10.5 in",
    "Legal 8.5 x 14 in",
    "Ledger 11 x 17 in",
    "B5(ISO) 176 x 250 mm",
    "ﾊｶﾞｷ 100 x 148 mm",
    LIST_END(2),
};

const char CustomSizeName[] = "ﾕｰｻﾞ定義ｻｲｽﾞ";

#define FOLLOW_PAPER(list, p1, p2, p4) {FollowPaperCode, "用紙ｻｲｽﾞに従う", list, {p1, p2, p4}}
#define ROW_END {-1, "", 0, {0, 0, 0}}

const OutputRow OutputRows[PaperCount] = {
    // 0 A3ﾉﾋﾞ
    {{{513, "A3ﾉﾋﾞ", 0, {100, 0, 0}}, FOLLOW_PAPER(0, 100, 0, 0), ROW_END}, 1},
    // 1 A3
    {{{514, "A3", 2, {100, 71, 50}},
      {519, "A4", 1, {71, 50, 0}},
      {526, "B4", 1, {87, 61, 0}},
      {532, "B5", 0, {61, 0, 0}},
      FOLLOW_PAPER(2, 100, 71, 50),
      ROW_END},
     4},
    // 2 A4
    {{{515, "A3", 2, {100, 100, 71}},
      {520, "A4", 2, {100, 71, 50}},
      {527, "B4", 2, {100, 87, 61}},
      {533, "B5", 1, {87, 61, 0}},
      FOLLOW_PAPER(2, 100, 71, 50),
      ROW_END},
     4},
    // 3 A5
    {{{516, "A3", 2, {100, 100, 100}},
      {521, "A4", 2, {100, 100, 71}},
      {528, "B4", 2, {100, 100, 87}},
      {534, "B5", 2, {100, 87, 61}},
      FOLLOW_PAPER(2, 100, 100, 71),
      ROW_END},
     4},
    // 4 A6
    {{{522, "A4", 2, {100, 100, 100}}, {535, "B5", 2, {100, 100, 87}}, FOLLOW_PAPER(2, 100, 100, 100), ROW_END}, 2},
    // 5 B4
    {{{517, "A3", 2, {100, 82, 58}},
      {523, "A4", 1, {82, 58, 0}},
      {529, "B4", 2, {100, 71, 50}},
      {536, "B5", 1, {71, 50, 0}},
      FOLLOW_PAPER(2, 100, 71, 50),
      ROW_END},
     4},
    // 6 B5
    {{{518, "A3", 2, {100, 100, 82}},
      {524, "A4", 2, {100, 82, 58}},
      {530, "B4", 2, {100, 100, 71}},
      {537, "B5", 2, {100, 71, 50}},
      FOLLOW_PAPER(2, 100, 71, 50),
      ROW_END},
     4},
    // 7 B6
    {{{525, "A4", 2, {100, 100, 82}},
      {531, "B4", 2, {100, 100, 100}},
      {538, "B5", 2, {100, 100, 71}},
      FOLLOW_PAPER(2, 100, 100, 71),
      ROW_END},
     3},
    // 8 Letter
    {{{540, "A4", 0, {97, 0, 0}}, {539, "Letter", 0, {100, 0, 0}}, FOLLOW_PAPER(0, 100, 0, 0), ROW_END}, 2},
    // 9 Executive
    {{{541, "Executive", 0, {100, 0, 0}}, FOLLOW_PAPER(0, 100, 0, 0), ROW_END}, 1},
    // 10 Legal
    {{{542, "Legal", 0, {100, 0, 0}}, FOLLOW_PAPER(0, 100, 0, 0), ROW_END}, 1},
    // 11 Ledger
    {{{543, "Ledger", 0, {100, 0, 0}}, FOLLOW_PAPER(0, 100, 0, 0), ROW_END}, 1},
    // 12 B5(ISO)
    {{{544, "B5(ISO)", 0, {100, 0, 0}}, FOLLOW_PAPER(0, 100, 0, 0), ROW_END}, 1},
    // 13 ﾊｶﾞｷ
    {{{547, "ﾊｶﾞｷ", 0, {100, 0, 0}}, FOLLOW_PAPER(0, 100, 0, 0), ROW_END}, 1},
    // 14 user defined
    {{FOLLOW_PAPER(0, 100, 0, 0), ROW_END}, 0},
};

namespace {
const ListText OnePage[] = {"1ページ", LIST_END(0)};
const ListText UpToTwo[] = {"1ページ", "2ページ", LIST_END(0)};
const ListText UpToFour[] = {"1ページ", "2ページ", "4ページ", LIST_END(0)};
}  // namespace
const ListText* const PagesLists[3] = {OnePage, UpToTwo, UpToFour};

const int32_t SourceCodes[5] = {1, 2, 3, 7, -1};
const ListText SourceList[5] = {"ｶｾｯﾄ1", "ｶｾｯﾄ2", "ｶｾｯﾄ3", "自動選択", LIST_END(0)};
const int32_t MediaCodes[5] = {0, 1, 2, 3, -1};
const ListText MediaList[5] = {"普通紙", "OHP", "ﾗﾍﾞﾙ", "厚紙", LIST_END(0)};

// Rows: source position; columns: media position (OHP and labels only from cassette 1).
const uint8_t Cassette1Table[4][7] = {
    {0, 0, 0, 0, 0, 0, 0},
    {0, 1, 1, 0, 0, 0, 0},
    {0, 1, 1, 0, 0, 0, 0},
    {0, 1, 1, 0, 0, 0, 0},
};

namespace {
// Layout icons by orientation row (portrait, landscape), then one page,
// two pages by order, four pages by order.
struct LayoutIcons {
    int OnePage;
    int TwoPages[2];
    int FourPages[4];
};
const LayoutIcons LayoutIconTable[2] = {
    {2001, {2239, 2240}, {2221, 2237, 2243, 2244}},
    {2238, {2224, 2224}, {2257, 2245, 2246, 2247}},
};
}  // namespace

int FindCodeIndex(const int32_t* codes, int32_t code) {
    for (int i = 0; codes[i] != -1; ++i)
        if (codes[i] == code) return i;
    return 0;
}

int FindPaperIndex(int32_t code) { return FindCodeIndex(PaperCodes, code); }
int FindSourceIndex(int32_t code) { return FindCodeIndex(SourceCodes, code); }
int FindMediaIndex(int32_t code) { return FindCodeIndex(MediaCodes, code); }

namespace {
int ValidPaper(int paperIndex) { return paperIndex >= 0 && paperIndex < PaperCount ? paperIndex : 0; }
}  // namespace

int FindOutputSlot(int32_t code, int paperIndex) {
    const OutputSlot* slots = OutputRows[ValidPaper(paperIndex)].Slots;
    for (int i = 0; slots[i].Code != -1; ++i)
        if (slots[i].Code == code) return i;
    return 0;
}

int OutputSlotCount(int paperIndex) {
    const OutputSlot* slots = OutputRows[ValidPaper(paperIndex)].Slots;
    int n = 0;
    while (slots[n].Code != -1) ++n;
    return n;
}

const OutputSlot& OutputSlotAt(int paperIndex, int slot) {
    paperIndex = ValidPaper(paperIndex);
    if (slot < 0 || slot >= OutputSlotCount(paperIndex)) slot = 0;
    return OutputRows[paperIndex].Slots[slot];
}

void BuildOutputList(int paperIndex, ListText (&list)[MaxOutputSlots + 1]) {
    paperIndex = ValidPaper(paperIndex);
    memset(list, 0, sizeof list);
    int n = OutputSlotCount(paperIndex);
    for (int i = 0; i < n; ++i) memcpy(list[i], OutputRows[paperIndex].Slots[i].Text, sizeof(ListText));
    list[n][0] = '\xFF';
    list[n][1] = static_cast<char>(OutputRows[paperIndex].DefaultSlot);
}

int32_t ValidPagesPerSheet(int32_t pagesPerSheet, int listNumber) {
    return pagesPerSheet >= 0 && pagesPerSheet <= listNumber ? pagesPerSheet : 0;
}

int ScalePercent(int paperIndex, int slot, int32_t pagesPerSheet) {
    const OutputSlot& s = OutputSlotAt(paperIndex, slot);
    return s.Percent[ValidPagesPerSheet(pagesPerSheet, s.PagesList)];
}

bool NeedsCassette1(int sourceIndex, int mediaIndex) {
    if (sourceIndex < 0 || sourceIndex >= 4 || mediaIndex < 0 || mediaIndex >= 7) return false;
    return Cassette1Table[sourceIndex][mediaIndex] != 0;
}

int LayoutIconFor(int32_t orientation, int32_t pagesPerSheet, const LayoutDetail& layout) {
    const LayoutIcons& row = LayoutIconTable[orientation == 1 ? 0 : 1];
    switch (pagesPerSheet) {
    case 1: return row.TwoPages[layout.TwoUpOrder == 1 ? 1 : 0];
    case 2: {
        int32_t order = layout.FourUpOrder;
        return row.FourPages[order >= 0 && order < 4 ? order : 0];
    }
    default: return row.OnePage;
    }
}

// ---- summary of the other pages' settings

const char SummarySeparator[] = "：";

namespace {
const ListText ColorModeTexts[] = {"文書", "写真", "ｸﾞﾗﾌｨｯｸ", "ﾓﾉｸﾛ", "ﾕｰｻﾞ設定", "ICM", "補正なし"};
const int32_t BaseColorCodes[] = {3, 1, 2, 4, -1};
const ListText BaseColorTexts[] = {"写真", "ﾉｰﾏﾙ", "文書", "ｸﾞﾗﾌｨｯｸ", "補正しない"};
const ListText PrintModeTexts[] = {"標準", "速度優先", "高品質"};
const ListText BlackTexts[] = {"しない", "する"};
const ListText OnOffTexts[] = {"行わない", "行う"};

template <size_t N>
void ValueText(const ListText (&texts)[N], int32_t value, char (&out)[32]) {
    // A value no table names shows as an empty text rather than a stray read.
    if (value >= 0 && static_cast<size_t>(value) < N) memcpy(out, texts[value], sizeof out);
    else out[0] = '\0';
}

void SwitchText(const ListText (&texts)[2], int32_t value, char (&out)[32]) {
    memcpy(out, texts[value != 0 ? 1 : 0], sizeof out);
}
}  // namespace

int BuildSummary(const PrintSettings& s, SummaryLine (&lines)[6]) {
    int n = 0;
    lines[n].Label = "ｶﾗｰﾓｰﾄﾞ";
    if (s.ColorMode == ColorModeUser) {
        size_t len = strnlen(s.UserSettingName, sizeof s.UserSettingName);
        if (len == 0) FormatText(lines[n].Value, sizeof lines[n].Value, "%s", "現在の設定");
        else FormatText(lines[n].Value, sizeof lines[n].Value, "%.*s", static_cast<int>(len), s.UserSettingName);
        ++n;
        lines[n].Label = "ﾍﾞｰｽｶﾗｰ";
        int position = 4;
        for (int i = 0; BaseColorCodes[i] != -1; ++i)
            if (BaseColorCodes[i] == s.Color.BaseColor) position = i;
        ValueText(BaseColorTexts, position, lines[n].Value);
    } else {
        ValueText(ColorModeTexts, s.ColorMode, lines[n].Value);
    }
    ++n;
    lines[n].Label = "印刷ﾓｰﾄﾞ";
    ValueText(PrintModeTexts, s.PrintMode, lines[n++].Value);
    lines[n].Label = "黒合成";
    SwitchText(BlackTexts, s.BlackComposition, lines[n++].Value);
    lines[n].Label = "ｽﾑｰｼﾞﾝｸﾞ";
    SwitchText(OnOffTexts, s.Smoothing, lines[n++].Value);
    lines[n].Label = "ﾄﾅｰｾｰﾌﾞ";
    SwitchText(OnOffTexts, s.TonerSave, lines[n++].Value);
    return n;
}
