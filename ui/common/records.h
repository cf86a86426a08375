// Records shared with the host driver. Their layout is a fixed binary format:
// little-endian, no padding but the spans named here, the same on every ABI.
#pragma once

#include <cstddef>
#include <cstdint>

// Page kinds of the forwarded property pages.
enum : int32_t {
    PageKindMain = 1001,
    PageKindColor = 1002,
    PageKindOption = 1003,
    PageKindVersion = 1004,
};

// Window messages forwarded by the host (values of the platform's WM_ codes).
enum : uint32_t {
    PageMsgPaint = 0x000F,
    PageMsgDrawItem = 0x002B,
    PageMsgNotify = 0x004E,
    PageMsgInitDialog = 0x0110,
    PageMsgCommand = 0x0111,
    PageMsgHScroll = 0x0114,
};

// Values of settings fields that the rules of more than one page test.
constexpr int32_t ColorModeMonochrome = 3;
constexpr int32_t ColorModeUser = 4;  // a registered user setting
enum : int32_t {
    PrintModeStandard = 0,
    PrintModeSpeed = 1,
    PrintModeHighQuality = 2,
};
constexpr int32_t PaperA3Code = 8;
constexpr int32_t PaperA3WideCode = 257;  // "A3ﾉﾋﾞ"

// Notification codes read at byte 8 of a notification header.
enum : uint16_t {
    NotifySetActive = 0xFF38,   // -200
    NotifyKillActive = 0xFF37,  // -201
};
constexpr size_t NotifyCodeOffset = 8;

// The host-side page message: always seven 32-bit words. NotifyHeader is a
// 16:16 pointer to the notification header, or 0.
struct HostPageMessage {
    int32_t PageKind;
    uint32_t HostValue;
    uint32_t PageWindow;
    uint32_t Message;
    uint32_t WParam;
    uint32_t LParam;
    uint32_t NotifyHeader;
};
static_assert(sizeof(HostPageMessage) == 28, "host page message is 28 bytes");

// The flat copy that the bridge hands to the pages. On the 32-bit ABI it has
// the host's 28-byte layout; on 64-bit the window, LParam and the header are
// pointer-sized. A command's notification code is bits 16..31 of LParam.
struct PageMessage {
    int32_t PageKind;
    uint32_t HostValue;
    uintptr_t PageWindow;
    uint32_t Message;
    uint32_t WParam;
    uintptr_t LParam;
    uintptr_t NotifyHeader;
};
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(PageMessage) == 28, "flat page message is 28 bytes on 32-bit");
static_assert(offsetof(PageMessage, PageWindow) == 8, "PageWindow");
static_assert(offsetof(PageMessage, Message) == 12, "Message");
static_assert(offsetof(PageMessage, WParam) == 16, "WParam");
static_assert(offsetof(PageMessage, LParam) == 20, "LParam");
static_assert(offsetof(PageMessage, NotifyHeader) == 24, "NotifyHeader");
#endif

inline uint16_t CommandCode(const PageMessage& m) { return static_cast<uint16_t>((m.LParam >> 16) & 0xFFFF); }

struct LayoutDetail {
    int32_t BindingSide;
    int32_t Reserved;  // carried along unchanged
    int32_t BindingMargin;
    int32_t TwoUpOrder;
    int32_t FourUpOrder;
    int32_t PageFrame;
    int32_t FrameKind;
};

struct ColorAdjustment {
    int32_t SampleImage;
    int32_t BaseColor;
    int32_t Bright;
    int32_t Fullness;
    int32_t Contrast;
    int32_t CyanRed;
    int32_t MagentaGreen;
    int32_t YellowBlue;
};

struct DensityAdjustment {
    int32_t Gannma;
    int32_t Black;
    int32_t Cyan;
    int32_t Magenta;
    int32_t Yellow;
};

struct StampSettings {
    int32_t StampOn;
    int32_t StampIndex;
    char StampName[20];
    char StampFile[260];
    int32_t StampPosition;
    int32_t StampColor;
    int32_t StampDensity;
    int32_t StampSize;
    int32_t StampOutline;
};

struct UserStampEntry {
    char Name[20];
    char File[260];
};

constexpr int UserStampCount = 10;

struct PrintSettings {
    int32_t PaperSize;
    int32_t CustomUnit;
    double CustomWidth;
    double CustomLength;
    int32_t OutputSize;
    int32_t PaperSource;
    int32_t MediaType;
    int32_t Orientation;
    int32_t PagesPerSheet;
    int32_t Duplex;
    int32_t PrintMode;
    int32_t Copies;
    int32_t CodeSwitch;
    char CodeText[12];
    LayoutDetail Layout;
    int32_t ColorMode;
    char UserSettingName[20];
    int32_t Rendering;
    int32_t Color1049;
    int32_t Color1042;
    int32_t Color1044;
    int32_t BlackComposition;
    ColorAdjustment Color;
    DensityAdjustment Density;
    int32_t Option1079;
    int32_t Option1074;
    int32_t Option1077;
    int32_t NumberSwitch;
    char NumberText[20];
    int32_t Smoothing;
    int32_t TonerSave;
    int32_t Option1080;
    int32_t Option1102;
    int32_t Option1071;
    int32_t Option1072Off;
    int32_t Option1081;
    int32_t DuplexUnit;
    int32_t Option1226Off;
    uint16_t MemoryNotice;
    uint8_t Unused270[2];
    StampSettings Stamp;
    UserStampEntry UserStamps[UserStampCount];
    uint8_t Unused3380[4];
};

static_assert(sizeof(LayoutDetail) == 28, "LayoutDetail");
static_assert(sizeof(ColorAdjustment) == 32, "ColorAdjustment");
static_assert(sizeof(DensityAdjustment) == 20, "DensityAdjustment");
static_assert(sizeof(StampSettings) == 308, "StampSettings");
static_assert(sizeof(UserStampEntry) == 280, "UserStampEntry");
static_assert(sizeof(PrintSettings) == 3384, "PrintSettings");

#define QV_OFFSET(rec, field, off) static_assert(offsetof(rec, field) == (off), #rec "." #field)
QV_OFFSET(PrintSettings, PaperSize, 0);
QV_OFFSET(PrintSettings, CustomUnit, 4);
QV_OFFSET(PrintSettings, CustomWidth, 8);
QV_OFFSET(PrintSettings, CustomLength, 16);
QV_OFFSET(PrintSettings, OutputSize, 24);
QV_OFFSET(PrintSettings, PaperSource, 28);
QV_OFFSET(PrintSettings, MediaType, 32);
QV_OFFSET(PrintSettings, Orientation, 36);
QV_OFFSET(PrintSettings, PagesPerSheet, 40);
QV_OFFSET(PrintSettings, Duplex, 44);
QV_OFFSET(PrintSettings, PrintMode, 48);
QV_OFFSET(PrintSettings, Copies, 52);
QV_OFFSET(PrintSettings, CodeSwitch, 56);
QV_OFFSET(PrintSettings, CodeText, 60);
QV_OFFSET(PrintSettings, Layout, 72);
QV_OFFSET(PrintSettings, ColorMode, 100);
QV_OFFSET(PrintSettings, UserSettingName, 104);
QV_OFFSET(PrintSettings, Rendering, 124);
QV_OFFSET(PrintSettings, Color1049, 128);
QV_OFFSET(PrintSettings, Color1042, 132);
QV_OFFSET(PrintSettings, Color1044, 136);
QV_OFFSET(PrintSettings, BlackComposition, 140);
QV_OFFSET(PrintSettings, Color, 144);
QV_OFFSET(PrintSettings, Density, 176);
QV_OFFSET(PrintSettings, Option1079, 196);
QV_OFFSET(PrintSettings, Option1074, 200);
QV_OFFSET(PrintSettings, Option1077, 204);
QV_OFFSET(PrintSettings, NumberSwitch, 208);
QV_OFFSET(PrintSettings, NumberText, 212);
QV_OFFSET(PrintSettings, Smoothing, 232);
QV_OFFSET(PrintSettings, TonerSave, 236);
QV_OFFSET(PrintSettings, Option1080, 240);
QV_OFFSET(PrintSettings, Option1102, 244);
QV_OFFSET(PrintSettings, Option1071, 248);
QV_OFFSET(PrintSettings, Option1072Off, 252);
QV_OFFSET(PrintSettings, Option1081, 256);
QV_OFFSET(PrintSettings, DuplexUnit, 260);
QV_OFFSET(PrintSettings, Option1226Off, 264);
QV_OFFSET(PrintSettings, MemoryNotice, 268);
QV_OFFSET(PrintSettings, Stamp, 272);
QV_OFFSET(PrintSettings, UserStamps, 580);
QV_OFFSET(LayoutDetail, BindingMargin, 8);
QV_OFFSET(LayoutDetail, FrameKind, 24);
QV_OFFSET(ColorAdjustment, BaseColor, 4);
QV_OFFSET(ColorAdjustment, YellowBlue, 28);
QV_OFFSET(DensityAdjustment, Yellow, 16);
QV_OFFSET(StampSettings, StampName, 8);
QV_OFFSET(StampSettings, StampFile, 28);
QV_OFFSET(StampSettings, StampPosition, 288);
QV_OFFSET(StampSettings, StampOutline, 304);
QV_OFFSET(UserStampEntry, File, 20);
#undef QV_OFFSET

// Box 1072 of the Option page cannot be unchecked (Option1072Off is forced
// to 0) for high quality or the two A3 papers, unless the job prints in
// monochrome. The Main page applies it when those fields change.
inline bool Option1072Forced(const PrintSettings& s) {
    return s.ColorMode != ColorModeMonochrome &&
           (s.PrintMode == PrintModeHighQuality || s.PaperSize == PaperA3Code || s.PaperSize == PaperA3WideCode);
}

// The rendering data table: 17 x 17 x 17 entries of device red, green, blue.
constexpr int RdtGrid = 17;
constexpr size_t RdtBytes = RdtGrid * RdtGrid * RdtGrid * 3;
static_assert(RdtBytes == 14739, "rendering data table is 14739 bytes");
