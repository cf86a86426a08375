// The artwork inside QV3810ui.dll: every bitmap and icon loads through the
// platform's own loader with the size and depth the code relies on, and the
// pictures keep the pure-white conventions of the drawing helpers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/common/artwork_ids.h"

namespace {

struct Module {
    HMODULE handle = LoadLibraryExA("QV3810ui.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ~Module() {
        if (handle) FreeLibrary(handle);
    }
};

HMODULE Dll() {
    static Module module;
    return module.handle;
}

struct Bitmap {
    HBITMAP handle;
    explicit Bitmap(int id)
        : handle(static_cast<HBITMAP>(
              LoadImageA(Dll(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {}
    ~Bitmap() {
        if (handle) DeleteObject(handle);
    }
    DIBSECTION Info() const {
        DIBSECTION ds{};
        GetObjectA(handle, sizeof ds, &ds);
        return ds;
    }
    // Pixels as 0xRRGGBB, row 0 at the top.
    std::vector<uint32_t> Pixels(int& w, int& h) const {
        DIBSECTION ds = Info();
        w = ds.dsBm.bmWidth;
        h = ds.dsBm.bmHeight;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        std::vector<uint32_t> px(static_cast<size_t>(w) * h);
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, handle, 0, h, px.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        for (auto& p : px) p &= 0xFFFFFF;
        return px;
    }
};

constexpr uint32_t White = 0xFFFFFF;

struct BitmapSpec {
    int id;
    int width, height;
    int bits;  // 0: any depth
};

const BitmapSpec Bitmaps[] = {
    {IDB_LOGO_COLOR, 140, 27, 0},
    {IDB_LOGO_MONO, 140, 27, 0},
    {IDB_LOGO_LARGE, 350, 68, 8},
    {IDB_BALANCE_SWATCH, 73, 4, 24},
    {IDB_BAR_BRIGHT, 146, 14, 24},
    {IDB_BAR_FULLNESS, 146, 14, 24},
    {IDB_BAR_CONTRAST, 146, 14, 24},
    {IDB_BAR_CYAN_RED, 146, 14, 24},
    {IDB_BAR_MAGENTA_GREEN, 147, 15, 24},
    {IDB_BAR_YELLOW_BLUE, 146, 14, 24},
    {IDB_DENSITY_BLACK, 226, 16, 4},
    {IDB_DENSITY_CYAN, 226, 16, 4},
    {IDB_DENSITY_MAGENTA, 226, 16, 4},
    {IDB_DENSITY_YELLOW, 226, 16, 4},
};

// Built-in stamps: small solid, small outline, large solid, large outline.
const int Stamps[6][4] = {
    {IDB_STAMP_CONFIDENTIAL_SMALL, IDB_STAMP_CONFIDENTIAL_SMALL_OUTLINE, IDB_STAMP_CONFIDENTIAL_LARGE,
     IDB_STAMP_CONFIDENTIAL_LARGE_OUTLINE},
    {IDB_STAMP_DONOTCOPY_SMALL, IDB_STAMP_DONOTCOPY_SMALL_OUTLINE, IDB_STAMP_DONOTCOPY_LARGE,
     IDB_STAMP_DONOTCOPY_LARGE_OUTLINE},
    {IDB_STAMP_HI_SMALL, IDB_STAMP_HI_SMALL_OUTLINE, IDB_STAMP_HI_LARGE, IDB_STAMP_HI_LARGE_OUTLINE},
    {IDB_STAMP_SHAGAIHI_SMALL, IDB_STAMP_SHAGAIHI_SMALL_OUTLINE, IDB_STAMP_SHAGAIHI_LARGE,
     IDB_STAMP_SHAGAIHI_LARGE_OUTLINE},
    {IDB_STAMP_COPYKINSHI_SMALL, IDB_STAMP_COPYKINSHI_SMALL_OUTLINE, IDB_STAMP_COPYKINSHI_LARGE,
     IDB_STAMP_COPYKINSHI_LARGE_OUTLINE},
    {IDB_STAMP_MIHON_SMALL, IDB_STAMP_MIHON_SMALL_OUTLINE, IDB_STAMP_MIHON_LARGE, IDB_STAMP_MIHON_LARGE_OUTLINE},
};

const int Icons[] = {
    // layout pictures of the Main page
    IDI_LAYOUT_PORTRAIT_1UP, IDI_LAYOUT_PORTRAIT_2UP_ORDER0, IDI_LAYOUT_PORTRAIT_2UP_ORDER1,
    IDI_LAYOUT_PORTRAIT_4UP_ORDER0, IDI_LAYOUT_PORTRAIT_4UP_ORDER1, IDI_LAYOUT_PORTRAIT_4UP_ORDER2,
    IDI_LAYOUT_PORTRAIT_4UP_ORDER3, IDI_LAYOUT_LANDSCAPE_1UP, IDI_LAYOUT_LANDSCAPE_2UP,
    IDI_LAYOUT_LANDSCAPE_4UP_ORDER0, IDI_LAYOUT_LANDSCAPE_4UP_ORDER1, IDI_LAYOUT_LANDSCAPE_4UP_ORDER2,
    IDI_LAYOUT_LANDSCAPE_4UP_ORDER3,
    // sheet direction, binding
    IDI_FEED_PORTRAIT, IDI_FEED_LANDSCAPE, IDI_BIND_LONG_LEFT, IDI_BIND_LONG_TOP, IDI_BIND_LONG_RIGHT,
    IDI_BIND_LONG_BOTTOM, IDI_BIND_SHORT_LEFT, IDI_BIND_SHORT_BOTTOM, IDI_BIND_SHORT_RIGHT, IDI_BIND_SHORT_TOP,
    // order buttons, normal and chosen
    IDI_ORDER_2UP_0, IDI_ORDER_2UP_0_CHOSEN, IDI_ORDER_2UP_1, IDI_ORDER_2UP_1_CHOSEN, IDI_ORDER_PORTRAIT_4UP_0,
    IDI_ORDER_PORTRAIT_4UP_0_CHOSEN, IDI_ORDER_PORTRAIT_4UP_1, IDI_ORDER_PORTRAIT_4UP_1_CHOSEN,
    IDI_ORDER_PORTRAIT_4UP_2, IDI_ORDER_PORTRAIT_4UP_2_CHOSEN, IDI_ORDER_PORTRAIT_4UP_3,
    IDI_ORDER_PORTRAIT_4UP_3_CHOSEN, IDI_ORDER_LANDSCAPE_4UP_0, IDI_ORDER_LANDSCAPE_4UP_0_CHOSEN,
    IDI_ORDER_LANDSCAPE_4UP_1, IDI_ORDER_LANDSCAPE_4UP_1_CHOSEN, IDI_ORDER_LANDSCAPE_4UP_2,
    IDI_ORDER_LANDSCAPE_4UP_2_CHOSEN, IDI_ORDER_LANDSCAPE_4UP_3, IDI_ORDER_LANDSCAPE_4UP_3_CHOSEN,
    // color modes
    IDI_COLORMODE_DOCUMENT, IDI_COLORMODE_PHOTO, IDI_COLORMODE_GRAPHICS, IDI_COLORMODE_MONO, IDI_COLORMODE_USER,
};

int Red(uint32_t p) { return (p >> 16) & 0xFF; }
int Green(uint32_t p) { return (p >> 8) & 0xFF; }
int Blue(uint32_t p) { return p & 0xFF; }

TEST(Artwork, LibraryLoads) { ASSERT_NE(Dll(), nullptr); }

TEST(Artwork, BitmapsHaveTheirSizesAndDepths) {
    for (const auto& expected : Bitmaps) {
        SCOPED_TRACE(expected.id);
        Bitmap bmp(expected.id);
        ASSERT_NE(bmp.handle, nullptr);
        DIBSECTION ds = bmp.Info();
        EXPECT_EQ(ds.dsBm.bmWidth, expected.width);
        EXPECT_EQ(ds.dsBm.bmHeight, expected.height);
        if (expected.bits) {
            EXPECT_EQ(ds.dsBmih.biBitCount, expected.bits);
        }
    }
}

TEST(Artwork, StampsAreBlackOnWhiteAtBothSizes) {
    for (int stamp = 0; stamp < 6; ++stamp) {
        for (int kind = 0; kind < 4; ++kind) {
            SCOPED_TRACE(Stamps[stamp][kind]);
            Bitmap bmp(Stamps[stamp][kind]);
            ASSERT_NE(bmp.handle, nullptr);
            const int width = kind < 2 ? 72 : 144;
            const int height = stamp < 3 ? width : width / 2;
            EXPECT_EQ(bmp.Info().dsBmih.biBitCount, 8);
            int w = 0, h = 0;
            auto px = bmp.Pixels(w, h);
            EXPECT_EQ(w, width);
            EXPECT_EQ(h, height);
            // Two tones only: the preview tints every pixel that is not
            // pure white, so grey edges would come out as solid ink.
            size_t ink = 0;
            for (auto p : px) {
                EXPECT_TRUE(p == White || p == 0) << std::hex << p;
                if (p != White) ++ink;
            }
            EXPECT_GT(ink, px.size() / 20);
            EXPECT_LT(ink, px.size() * 3 / 4);
        }
    }
}

TEST(Artwork, OutlineStampsAreHollow) {
    // An outline picture keeps the contour of the solid one and opens its
    // inside: a good part of the solid ink is white in the outline.
    for (const auto& stamp : Stamps) {
        for (int size = 0; size < 2; ++size) {
            const int solidId = stamp[size * 2], outlineId = stamp[size * 2 + 1];
            SCOPED_TRACE(outlineId);
            int w, h, w2, h2;
            auto solid = Bitmap(solidId).Pixels(w, h);
            auto outline = Bitmap(outlineId).Pixels(w2, h2);
            ASSERT_EQ(w, w2);
            ASSERT_EQ(h, h2);
            size_t ink = 0, opened = 0;
            for (size_t i = 0; i < solid.size(); ++i) {
                if (solid[i] == White) continue;
                ++ink;
                opened += outline[i] == White;
            }
            EXPECT_GT(opened * 100, ink * 15);
        }
    }
}

TEST(Artwork, LogosAreTransparentOnlyAroundTheBadge) {
    for (int id : {IDB_LOGO_COLOR, IDB_LOGO_MONO, IDB_LOGO_LARGE}) {
        SCOPED_TRACE(id);
        int w, h;
        auto px = Bitmap(id).Pixels(w, h);
        ASSERT_FALSE(px.empty());
        EXPECT_EQ(px[0], White);                       // rounded corner
        EXPECT_NE(px[(h / 2) * w + w / 2], White);     // inside the badge
        for (int x = h; x < w - h; ++x) EXPECT_NE(px[(h / 2) * w + x], White) << x;
    }
}

TEST(Artwork, DensityBarWhiteIsOneAreaAtTheCorner) {
    // The page colors the bars by flood-filling the white that touches 0,0:
    // every white pixel must be reached, and the figure must remain.
    for (int id : {IDB_DENSITY_BLACK, IDB_DENSITY_CYAN, IDB_DENSITY_MAGENTA, IDB_DENSITY_YELLOW}) {
        SCOPED_TRACE(id);
        int w, h;
        auto px = Bitmap(id).Pixels(w, h);
        ASSERT_EQ(px.size(), size_t(226 * 16));
        ASSERT_EQ(px[0], White);
        std::vector<char> seen(px.size(), 0);
        std::vector<int> stack{0};
        seen[0] = 1;
        size_t reached = 0;
        while (!stack.empty()) {
            int i = stack.back();
            stack.pop_back();
            ++reached;
            int x = i % w, y = i / w;
            const int nx[4] = {x - 1, x + 1, x, x};
            const int ny[4] = {y, y, y - 1, y + 1};
            for (int k = 0; k < 4; ++k) {
                if (nx[k] < 0 || ny[k] < 0 || nx[k] >= w || ny[k] >= h) continue;
                int j = ny[k] * w + nx[k];
                if (!seen[j] && px[j] == White) {
                    seen[j] = 1;
                    stack.push_back(j);
                }
            }
        }
        size_t white = 0;
        for (auto p : px) white += p == White;
        EXPECT_EQ(reached, white);
        EXPECT_LT(white, px.size() * 3 / 4);
        // light on the left, full ink on the right
        uint32_t left = px[(h - 3) * w + 8], right = px[(h - 3) * w + w - 8];
        EXPECT_GT(Red(left) + Green(left) + Blue(left), Red(right) + Green(right) + Blue(right));
    }
}

TEST(Artwork, GradientBarsRunBetweenTheirEndColors) {
    struct Ends {
        int id;
        uint32_t left, right;
    };
    const Ends bars[] = {
        {IDB_BAR_BRIGHT, 0x000000, 0xFFFFFF},         {IDB_BAR_CYAN_RED, 0x00FFFF, 0xFF0000},
        {IDB_BAR_MAGENTA_GREEN, 0xFF00FF, 0x00FF00}, {IDB_BAR_YELLOW_BLUE, 0xFFFF00, 0x0000FF},
    };
    for (const auto& bar : bars) {
        SCOPED_TRACE(bar.id);
        int w, h;
        auto px = Bitmap(bar.id).Pixels(w, h);
        ASSERT_FALSE(px.empty());
        EXPECT_EQ(px[(h / 2) * w], bar.left);
        EXPECT_EQ(px[(h / 2) * w + w - 1], bar.right);
        uint32_t mid = px[(h / 2) * w + w / 2];  // through grey
        EXPECT_LE(std::abs(Red(mid) - Green(mid)), 6);
        EXPECT_LE(std::abs(Green(mid) - Blue(mid)), 6);
    }
    int w, h;
    auto sat = Bitmap(IDB_BAR_FULLNESS).Pixels(w, h);
    ASSERT_FALSE(sat.empty());
    uint32_t grey = sat[0], red = sat[w - 1];  // top band: grey to full red
    EXPECT_EQ(Red(grey), Green(grey));
    EXPECT_EQ(red, 0xFF0000u);
    auto con = Bitmap(IDB_BAR_CONTRAST).Pixels(w, h);
    ASSERT_FALSE(con.empty());
    EXPECT_EQ(con[0], con[(h - 1) * w]);            // flat on the left
    EXPECT_EQ(con[w - 1], 0x000000u);               // full range on the right
    EXPECT_EQ(con[(h - 1) * w + w - 1], 0xFFFFFFu);
}

TEST(Artwork, BalanceSwatchRows) {
    int w, h;
    auto px = Bitmap(IDB_BALANCE_SWATCH).Pixels(w, h);
    ASSERT_EQ(h, 4);
    const uint32_t ends[4][2] = {{0x00FFFF, 0xFF0000}, {0xFF00FF, 0x00FF00}, {0xFFFF00, 0x0000FF}, {0, 0xFFFFFF}};
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(px[y * w], ends[y][0]) << y;
        EXPECT_EQ(px[y * w + w - 1], ends[y][1]) << y;
    }
}

TEST(Artwork, IconsLoadAtBothSizes) {
    for (int id : Icons) {
        for (int size : {32, 16}) {
            SCOPED_TRACE(testing::Message() << id << " at " << size);
            HICON icon = static_cast<HICON>(LoadImageA(Dll(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr);
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP color{};
            ASSERT_NE(info.hbmColor, nullptr);
            GetObjectA(info.hbmColor, sizeof color, &color);
            EXPECT_EQ(color.bmWidth, size);
            EXPECT_EQ(color.bmHeight, size);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST(Artwork, LayoutIconsDifferByOrder) {
    // Pictures of different page orders must not be the same picture.
    auto pixels = [](int id) {
        HICON icon = static_cast<HICON>(LoadImageA(Dll(), MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, 0));
        ICONINFO info{};
        GetIconInfo(icon, &info);
        std::vector<uint32_t> px(32 * 32);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof bi.bmiHeader, 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, info.hbmColor, 0, 32, px.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
        return px;
    };
    const int groups[][4] = {
        {IDI_LAYOUT_PORTRAIT_4UP_ORDER0, IDI_LAYOUT_PORTRAIT_4UP_ORDER1, IDI_LAYOUT_PORTRAIT_4UP_ORDER2,
         IDI_LAYOUT_PORTRAIT_4UP_ORDER3},
        {IDI_LAYOUT_LANDSCAPE_4UP_ORDER0, IDI_LAYOUT_LANDSCAPE_4UP_ORDER1, IDI_LAYOUT_LANDSCAPE_4UP_ORDER2,
         IDI_LAYOUT_LANDSCAPE_4UP_ORDER3},
        {IDI_ORDER_PORTRAIT_4UP_0, IDI_ORDER_PORTRAIT_4UP_0_CHOSEN, IDI_ORDER_PORTRAIT_4UP_1,
         IDI_ORDER_PORTRAIT_4UP_1_CHOSEN},
        {IDI_ORDER_2UP_0, IDI_ORDER_2UP_0_CHOSEN, IDI_ORDER_2UP_1, IDI_ORDER_2UP_1_CHOSEN},
    };
    for (const auto& g : groups)
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b) EXPECT_NE(pixels(g[a]), pixels(g[b])) << g[a] << " " << g[b];
}

}  // namespace
