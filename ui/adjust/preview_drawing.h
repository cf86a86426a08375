// Drawing of the color adjustment page: pictures passed through the
// rendering data table, and plain stretched bitmaps.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/rdt_mapper.h"
#include "ui/common/gdi_holders.h"

// Where the platform finds a file given by bare name (the loader's search
// order), or an empty string when it finds none.
std::string ResolvePictureFile(const char* fileName);

// A picture loaded as a device-independent section: a bitmap file by name,
// or a bitmap resource of the library. Null when it cannot be loaded.
BitmapHolder LoadPictureFile(const char* fileName);
BitmapHolder LoadPictureResource(int bitmapId);

// A picture that the page draws through the table again and again: a
// sample file or a bitmap resource. A 24-bit section stays loaded between
// drawings and is mapped from its pristine pixels into a second section of
// the same shape, which is what gets stretched; the file is loaded again
// when its name resolves to another file or the file's size or write time
// changed. Any other bitmap is loaded afresh for every drawing and mapped
// pixel by pixel in place. The kept section's cells in the table (MapCells)
// are kept with it.
class PreviewPicture {
public:
    void SetFile(const char* fileName);  // null: nothing to draw
    void SetResource(int bitmapId);

    // Maps the picture through the table, then stretches it into the
    // control's client area at 0,0 with the halftone mode. A width or
    // height of 0 stands for the picture's own. `palette` is selected and
    // realised when not null. A picture that does not load draws nothing.
    void Draw(HWND control, const RdtMapper& mapper, int width, int height, HPALETTE palette);

    // How many times the picture was read from its file or resource.
    long Loads() const { return m_loads; }

private:
    struct FileStamp {
        std::string Path;
        uint64_t Size = 0;
        FILETIME Written = {};
        bool operator==(const FileStamp& o) const;
    };
    bool CurrentStamp(FileStamp* stamp) const;
    BitmapHolder Load();
    void ForgetSource();
    bool PrepareSections();

    std::string m_fileName;
    int m_resource = 0;
    FileStamp m_stamp;
    BitmapHolder m_source;  // 24-bit section kept between drawings
    BitmapHolder m_mapped;  // its mapped copy
    MapCells m_cells;       // the kept source's cells, for every new table
    long m_loads = 0;
};

// Stretches bitmap `bitmapId` over the control's whole window size, with no
// color transform.
void DrawStretchedResource(HWND control, int bitmapId, HPALETTE palette);

// Called after the mapping, before the stretch (tests).
using MappedPictureHook = void (*)(HWND control, HDC memory, HBITMAP bitmap, void* context);
void SetMappedPictureHook(MappedPictureHook hook, void* context);
