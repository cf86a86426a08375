// The standard settings of a new job on this printer. Every "標準値に戻す"
// button and the Version page's restore put these values back.
#include "host/job/default_settings.h"

#include <cstring>

PrintSettings MakeDefaultSettings() {
    PrintSettings s;
    memset(&s, 0, sizeof s);
    s.PaperSize = 9;           // A4 210 x 297 mm
    s.CustomUnit = 0;          // user defined size in millimetres
    s.CustomWidth = 210.0;     // ... A4 width, within 198.0 to 330.2
    s.CustomLength = 297.0;    // ... A4 length, within 176.0 to 482.6
    s.OutputSize = 548;        // follow the paper size
    s.PaperSource = 7;         // automatic selection
    s.MediaType = 0;           // plain paper
    s.Orientation = 1;         // portrait
    s.PagesPerSheet = 0;       // one page per sheet
    s.Duplex = 0;              // one-sided
    s.PrintMode = 0;           // standard
    s.Copies = 1;
    s.CodeSwitch = 0;          // no department code
    s.Layout.BindingSide = 0;  // long edge, left/top
    s.Layout.BindingMargin = 0;
    s.Layout.TwoUpOrder = 0;   // left to right
    s.Layout.FourUpOrder = 0;  // across, then down
    s.Layout.PageFrame = 0;    // no frame
    s.Layout.FrameKind = 0;    // solid line
    s.ColorMode = 1;           // photo
    s.Rendering = 1;           // vividness
    s.Color1049 = 0;           // halftone left to the printer
    s.Color1042 = 0;           // cluster screen
    s.Color1044 = 0;           // coarse screen
    s.BlackComposition = 0;    // black toner for black
    s.Color.SampleImage = 0;   // portrait sample
    s.Color.BaseColor = 3;     // photo base color; all adjustments neutral (0)
    s.Density.Gannma = 0;      // density adjustment off; all densities 0
    s.Option1079 = 0;          // no separator sheets
    s.Option1074 = 0;          // ... per job
    s.Option1077 = 0;          // ... from cassette 1
    s.NumberSwitch = 0;        // no user number
    s.Smoothing = 1;           // smoothing on
    s.TonerSave = 0;
    s.Option1080 = 0;          // print blank pages
    s.Option1102 = 0;          // no page protection
    s.Option1071 = 0;          // stop on errors
    s.Option1072Off = 1;       // no data compression unless a rule asks for it
    s.Option1081 = 0;          // no fine-line emphasis
    s.DuplexUnit = 0;          // no duplex unit installed
    s.Option1226Off = 0;       // job spooling on
    s.MemoryNotice = 1;        // show the extra-memory notice
    s.Stamp.StampOn = 0;       // no stamp
    s.Stamp.StampIndex = 0;    // "CONFIDENTIAL"
    strcpy(s.Stamp.StampName, "CONFIDENTIAL");
    s.Stamp.StampPosition = 0; // center
    s.Stamp.StampColor = 1;    // red
    s.Stamp.StampDensity = 4;  // middle density
    s.Stamp.StampSize = 4;     // middle size
    s.Stamp.StampOutline = 0;  // solid lettering
    return s;                  // no registered stamps
}
