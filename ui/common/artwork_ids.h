/* Resource identifiers of the library's artwork. Written by
   assets/generate.py; change the generator, not this file. Plain
   #defines: included by resource scripts as well as by C++. */
#pragma once

/* Bitmaps */
#define IDB_LOGO_COLOR                           2163 /* model-name logo, color, 24 bits */
#define IDB_LOGO_MONO                            2198 /* model-name logo, black and white, 8 bits */
#define IDB_LOGO_LARGE                           2164 /* model-name logo, large, 256 colors, 8 bits */
#define IDB_BALANCE_SWATCH                       2094 /* color balance swatch: cyan-red, magenta-green, yellow-blue, black-white, 24 bits */
#define IDB_BAR_BRIGHT                           2178 /* gradient bar: black to white, 24 bits */
#define IDB_BAR_FULLNESS                         2180 /* gradient bar: hues from grey to full color, 24 bits */
#define IDB_BAR_CONTRAST                         2067 /* gradient bar: tones from flat to full contrast, 24 bits */
#define IDB_BAR_CYAN_RED                         2182 /* gradient bar: cyan through grey to red, 24 bits */
#define IDB_BAR_MAGENTA_GREEN                    2184 /* gradient bar: magenta through grey to green, 24 bits */
#define IDB_BAR_YELLOW_BLUE                      2186 /* gradient bar: yellow through grey to blue, 24 bits */
#define IDB_DENSITY_BLACK                        2188 /* density wedge, black on white, 4 bits */
#define IDB_DENSITY_CYAN                         2196 /* density wedge, cyan on white, 4 bits */
#define IDB_DENSITY_MAGENTA                      2190 /* density wedge, magenta on white, 4 bits */
#define IDB_DENSITY_YELLOW                       2192 /* density wedge, yellow on white, 4 bits */
#define IDB_STAMP_CONFIDENTIAL_SMALL             2146 /* stamp CONFIDENTIAL, 72x72, 8 bits */
#define IDB_STAMP_CONFIDENTIAL_SMALL_OUTLINE     2148 /* stamp CONFIDENTIAL, 72x72, outline, 8 bits */
#define IDB_STAMP_CONFIDENTIAL_LARGE             2142 /* stamp CONFIDENTIAL, 144x144, 8 bits */
#define IDB_STAMP_CONFIDENTIAL_LARGE_OUTLINE     2144 /* stamp CONFIDENTIAL, 144x144, outline, 8 bits */
#define IDB_STAMP_DONOTCOPY_SMALL                2152 /* stamp DONOTCOPY, 72x72, 8 bits */
#define IDB_STAMP_DONOTCOPY_SMALL_OUTLINE        2154 /* stamp DONOTCOPY, 72x72, outline, 8 bits */
#define IDB_STAMP_DONOTCOPY_LARGE                2149 /* stamp DONOTCOPY, 144x144, 8 bits */
#define IDB_STAMP_DONOTCOPY_LARGE_OUTLINE        2150 /* stamp DONOTCOPY, 144x144, outline, 8 bits */
#define IDB_STAMP_HI_SMALL                       2138 /* stamp HI, 72x72, 8 bits */
#define IDB_STAMP_HI_SMALL_OUTLINE               2140 /* stamp HI, 72x72, outline, 8 bits */
#define IDB_STAMP_HI_LARGE                       2205 /* stamp HI, 144x144, 8 bits */
#define IDB_STAMP_HI_LARGE_OUTLINE               2136 /* stamp HI, 144x144, outline, 8 bits */
#define IDB_STAMP_SHAGAIHI_SMALL                 2203 /* stamp SHAGAIHI, 72x36, 8 bits */
#define IDB_STAMP_SHAGAIHI_SMALL_OUTLINE         2134 /* stamp SHAGAIHI, 72x36, outline, 8 bits */
#define IDB_STAMP_SHAGAIHI_LARGE                 2177 /* stamp SHAGAIHI, 144x72, 8 bits */
#define IDB_STAMP_SHAGAIHI_LARGE_OUTLINE         2201 /* stamp SHAGAIHI, 144x72, outline, 8 bits */
#define IDB_STAMP_COPYKINSHI_SMALL               2160 /* stamp COPYKINSHI, 72x36, 8 bits */
#define IDB_STAMP_COPYKINSHI_SMALL_OUTLINE       2161 /* stamp COPYKINSHI, 72x36, outline, 8 bits */
#define IDB_STAMP_COPYKINSHI_LARGE               2156 /* stamp COPYKINSHI, 144x72, 8 bits */
#define IDB_STAMP_COPYKINSHI_LARGE_OUTLINE       2158 /* stamp COPYKINSHI, 144x72, outline, 8 bits */
#define IDB_STAMP_MIHON_SMALL                    2171 /* stamp MIHON, 72x36, 8 bits */
#define IDB_STAMP_MIHON_SMALL_OUTLINE            2174 /* stamp MIHON, 72x36, outline, 8 bits */
#define IDB_STAMP_MIHON_LARGE                    2162 /* stamp MIHON, 144x72, 8 bits */
#define IDB_STAMP_MIHON_LARGE_OUTLINE            2168 /* stamp MIHON, 144x72, outline, 8 bits */

/* Icons (32 x 32 and 16 x 16) */
#define IDI_LAYOUT_PORTRAIT_1UP                  2001 /* portrait pages, 1 per sheet, order 0 */
#define IDI_LAYOUT_PORTRAIT_2UP_ORDER0           2239 /* portrait pages, 2 per sheet, order 0 */
#define IDI_LAYOUT_PORTRAIT_2UP_ORDER1           2240 /* portrait pages, 2 per sheet, order 1 */
#define IDI_LAYOUT_PORTRAIT_4UP_ORDER0           2221 /* portrait pages, 4 per sheet, order 0 */
#define IDI_LAYOUT_PORTRAIT_4UP_ORDER1           2237 /* portrait pages, 4 per sheet, order 1 */
#define IDI_LAYOUT_PORTRAIT_4UP_ORDER2           2243 /* portrait pages, 4 per sheet, order 2 */
#define IDI_LAYOUT_PORTRAIT_4UP_ORDER3           2244 /* portrait pages, 4 per sheet, order 3 */
#define IDI_LAYOUT_LANDSCAPE_1UP                 2238 /* landscape pages, 1 per sheet, order 0 */
#define IDI_LAYOUT_LANDSCAPE_2UP                 2224 /* landscape pages, 2 per sheet, order 0 */
#define IDI_LAYOUT_LANDSCAPE_4UP_ORDER0          2257 /* landscape pages, 4 per sheet, order 0 */
#define IDI_LAYOUT_LANDSCAPE_4UP_ORDER1          2245 /* landscape pages, 4 per sheet, order 1 */
#define IDI_LAYOUT_LANDSCAPE_4UP_ORDER2          2246 /* landscape pages, 4 per sheet, order 2 */
#define IDI_LAYOUT_LANDSCAPE_4UP_ORDER3          2247 /* landscape pages, 4 per sheet, order 3 */
#define IDI_FEED_PORTRAIT                        2219 /* upright sheet fed short edge first */
#define IDI_FEED_LANDSCAPE                       2220 /* wide sheet fed long edge first */
#define IDI_BIND_LONG_LEFT                       2070 /* upright sheet bound at the left */
#define IDI_BIND_LONG_TOP                        2072 /* wide sheet bound at the top */
#define IDI_BIND_LONG_RIGHT                      2073 /* upright sheet bound at the right */
#define IDI_BIND_LONG_BOTTOM                     2074 /* wide sheet bound at the bottom */
#define IDI_BIND_SHORT_LEFT                      2075 /* wide sheet bound at the left */
#define IDI_BIND_SHORT_BOTTOM                    2080 /* upright sheet bound at the bottom */
#define IDI_BIND_SHORT_RIGHT                     2078 /* wide sheet bound at the right */
#define IDI_BIND_SHORT_TOP                       2076 /* upright sheet bound at the top */
#define IDI_ORDER_2UP_0                          2241 /* two-page order 0 */
#define IDI_ORDER_2UP_0_CHOSEN                   2261 /* two-page order 0, chosen */
#define IDI_ORDER_2UP_1                          2242 /* two-page order 1 */
#define IDI_ORDER_2UP_1_CHOSEN                   2262 /* two-page order 1, chosen */
#define IDI_ORDER_PORTRAIT_4UP_0                 2249 /* portrait four-page order 0 */
#define IDI_ORDER_PORTRAIT_4UP_0_CHOSEN          2248 /* portrait four-page order 0, chosen */
#define IDI_ORDER_PORTRAIT_4UP_1                 2250 /* portrait four-page order 1 */
#define IDI_ORDER_PORTRAIT_4UP_1_CHOSEN          2251 /* portrait four-page order 1, chosen */
#define IDI_ORDER_PORTRAIT_4UP_2                 2252 /* portrait four-page order 2 */
#define IDI_ORDER_PORTRAIT_4UP_2_CHOSEN          2253 /* portrait four-page order 2, chosen */
#define IDI_ORDER_PORTRAIT_4UP_3                 2254 /* portrait four-page order 3 */
#define IDI_ORDER_PORTRAIT_4UP_3_CHOSEN          2255 /* portrait four-page order 3, chosen */
#define IDI_ORDER_LANDSCAPE_4UP_0                2227 /* landscape four-page order 0 */
#define IDI_ORDER_LANDSCAPE_4UP_0_CHOSEN         2256 /* landscape four-page order 0, chosen */
#define IDI_ORDER_LANDSCAPE_4UP_1                2228 /* landscape four-page order 1 */
#define IDI_ORDER_LANDSCAPE_4UP_1_CHOSEN         2258 /* landscape four-page order 1, chosen */
#define IDI_ORDER_LANDSCAPE_4UP_2                2229 /* landscape four-page order 2 */
#define IDI_ORDER_LANDSCAPE_4UP_2_CHOSEN         2259 /* landscape four-page order 2, chosen */
#define IDI_ORDER_LANDSCAPE_4UP_3                2230 /* landscape four-page order 3 */
#define IDI_ORDER_LANDSCAPE_4UP_3_CHOSEN         2260 /* landscape four-page order 3, chosen */
#define IDI_COLORMODE_DOCUMENT                   2231 /* pages of colored text lines */
#define IDI_COLORMODE_PHOTO                      2232 /* a photograph */
#define IDI_COLORMODE_GRAPHICS                   2233 /* a page of pictures and text */
#define IDI_COLORMODE_MONO                       2234 /* grey letters */
#define IDI_COLORMODE_USER                       2235 /* tools */
