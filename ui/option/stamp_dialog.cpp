#include "ui/option/stamp_dialog.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/color/registration_dialog.h"
#include "ui/color/setting_names.h"
#include "ui/common/dialog_toolkit.h"
#include "ui/common/file_size.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"
#include "ui/option/option_resource.h"
#include "ui/option/stamp_bitmap_file.h"
#include "ui/option/stamp_tables.h"

IMPLEMENT_DYNAMIC(CStampDlg, CDialog)

BEGIN_MESSAGE_MAP(CStampDlg, CDialog)
    ON_WM_CREATE(OnCreate)
    ON_WM_PAINT(OnPaint)
    ON_BN_CLICKED(IDC_STAMP_SWITCH, OnSwitchClicked)
    ON_CBN_SELENDOK(IDC_STAMP_LIST, OnStampChosen)
    ON_CBN_SELENDOK(IDC_STAMP_POSITION, OnPositionChosen)
    ON_CBN_SELENDOK(IDC_STAMP_COLOR, OnColorChosen)
    ON_WM_HSCROLL(OnHScroll)
    ON_BN_CLICKED(IDC_STAMP_OUTLINE, OnOutlineClicked)
    ON_BN_CLICKED(IDC_STAMP_REGISTER, OnRegisterClicked)
    ON_BN_CLICKED(IDC_RESET_DEFAULTS, OnResetClicked)
    ON_WM_CONTEXTMENU(OnContextMenu)
END_MESSAGE_MAP()

namespace {

constexpr auto StampList =
    MakeListTable(0, "CONFIDENTIAL", "DO NOT COPY", "(秘)", "社外秘", "ｺﾋﾟｰ禁止", "見本");
constexpr auto PositionList = MakeListTable(0, "中央", "上端左", "上端中央", "上端右", "下端左", "下端中央", "下端右");
constexpr auto ColorList = MakeListTable(0, "黒", "赤", "緑", "青", "ｼｱﾝ", "ﾏｾﾞﾝﾀ", "ｲｴﾛｰ");
static_assert(StampList.size() == BuiltInStampCount + 1, "six built-in stamps");
static_assert(PositionList.size() == StampPositionCount + 1, "seven positions");
static_assert(ColorList.size() == StampColorCount + 1, "seven colors");

constexpr size_t RememberedTextBytes = 17;
constexpr int PaletteEntriesSet = 255;

const HelpPair StampHelp[] = {
    {IDC_STAMP_SWITCH, HID_STAMP_SWITCH},
    {IDC_STAMP_PREVIEW, HID_STAMP_LIST},
    {IDC_STAMP_LIST_LABEL, HID_STAMP_LIST},
    {IDC_STAMP_LIST, HID_STAMP_LIST},
    {IDC_STAMP_REGISTER, HID_STAMP_REGISTER},
    {IDC_STAMP_POSITION_LABEL, HID_STAMP_POSITION},
    {IDC_STAMP_POSITION, HID_STAMP_POSITION},
    {IDC_STAMP_COLOR_LABEL, HID_STAMP_COLOR},
    {IDC_STAMP_COLOR, HID_STAMP_COLOR},
    {IDC_STAMP_DENSITY_LABEL, HID_STAMP_DENSITY},
    {IDC_STAMP_DENSITY, HID_STAMP_DENSITY},
    {IDC_STAMP_SIZE_LABEL, HID_STAMP_SIZE},
    {IDC_STAMP_SIZE, HID_STAMP_SIZE},
    {IDC_STAMP_OUTLINE, HID_STAMP_OUTLINE},
    {IDOK, HID_OK},
    {IDCANCEL, HID_CANCEL},
    {IDC_RESET_DEFAULTS, HID_RESET_DEFAULTS},
    {0, 0},
};

// Controls that follow the stamp switch alone.
const int SwitchGroup[] = {
    IDC_STAMP_LIST_LABEL, IDC_STAMP_LIST,      IDC_STAMP_REGISTER,   IDC_STAMP_POSITION_LABEL, IDC_STAMP_POSITION,
    IDC_STAMP_SIZE_LABEL, IDC_STAMP_SIZE,      IDC_STAMP_SIZE_SMALL, IDC_STAMP_SIZE_LARGE,
};
// Controls that apply to built-in stamps only.
const int ColorGroup[] = {
    IDC_STAMP_COLOR_LABEL,   IDC_STAMP_COLOR,        IDC_STAMP_DENSITY_LABEL, IDC_STAMP_DENSITY,
    IDC_STAMP_DENSITY_LIGHT, IDC_STAMP_DENSITY_DARK, IDC_STAMP_OUTLINE,
};

std::string Terminated(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }


// A stamp picture as 32-bit top-down pixels selected into a memory device
// context, ready to be tinted and stretched.
class StampPicture {
public:
    explicit StampPicture(HDC like) : m_dc(like) {}

    bool LoadResource(int id) {
        BitmapHolder source(static_cast<HBITMAP>(
            LoadImageA(g_resourceInstance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        BITMAP info;
        if (!source || !GetObjectA(source, sizeof info, &info) || !Allocate(info.bmWidth, info.bmHeight)) return false;
        MemoryDC sourceDc(m_dc.Get());
        SelectedObject selected(sourceDc, source);
        return selected.Selected() && BitBlt(m_dc, 0, 0, m_width, m_height, sourceDc, 0, 0, SRCCOPY);
    }

    // The file is the user's: read it whole (within a bound), check its
    // header against its length, and only then let GDI decode it.
    bool LoadFile(const char* path) {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(path, bytes)) return false;
        StampBitmapLayout layout;
        if (!CheckStampBitmap(bytes.data(), bytes.size(), &layout)) return false;
        auto* info = reinterpret_cast<BITMAPINFO*>(bytes.data() + layout.InfoOffset);
        if (info->bmiHeader.biSize >= sizeof(BITMAPINFOHEADER) &&
            (layout.Compression == BI_RLE8 || layout.Compression == BI_RLE4))
            info->bmiHeader.biSizeImage = static_cast<DWORD>(layout.BitsBytes);  // decoding stops at the file's end
        if (!Allocate(layout.Width, layout.Height)) return false;
        return StretchDIBits(m_dc, 0, 0, m_width, m_height, 0, 0, m_width, m_height, bytes.data() + layout.BitsOffset,
                             info, DIB_RGB_COLORS, SRCCOPY) > 0;
    }

    // Every pixel that is not pure white takes `tint`, row by row.
    void Tint(StampRgb tint) {
        GdiFlush();
        const uint32_t color = uint32_t{tint.Red} << 16 | uint32_t{tint.Green} << 8 | tint.Blue;
        for (int y = 0; y < m_height; ++y) {
            uint32_t* row = m_pixels + static_cast<size_t>(y) * m_width;
            for (int x = 0; x < m_width; ++x)
                if ((row[x] & 0xFFFFFF) != 0xFFFFFF) row[x] = color;
        }
    }

    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    static bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        uint64_t size = 0;
        bool ok = ReadFileSize(file, size) && size > 0 && size <= MaxStampFileBytes;
        if (ok) {
            bytes.resize(static_cast<size_t>(size));
            DWORD read = 0;
            ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
        }
        CloseHandle(file);
        return ok;
    }

    bool Allocate(int width, int height) {
        if (!m_dc || width <= 0 || height <= 0) return false;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap.Reset(CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!m_bitmap || !bits) return false;
        SelectObject(m_dc, m_bitmap);  // the DC goes first (members in reverse), taking the selection with it
        m_pixels = static_cast<uint32_t*>(bits);
        memset(m_pixels, 0xFF, static_cast<size_t>(width) * height * 4);
        m_width = width;
        m_height = height;
        return true;
    }

    BitmapHolder m_bitmap;
    MemoryDC m_dc;
    uint32_t* m_pixels = nullptr;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace

CStampDlg::CStampDlg(HWND owner) : CDialog(IDD_STAMP, owner) {}

int CStampDlg::OnCreate(CREATESTRUCTA*) {
    if (Default() == -1) return -1;
    WindowDC dc(m_hWnd);
    m_paletteMode = dc && (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0;
    if (m_paletteMode) m_palette.Reset(CreateHalftonePalette(dc));
    return 0;
}

BOOL CStampDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (g_pages.Current) m_work = g_pages.Current->Stamp;
    LoadControls();
    return TRUE;
}

void CStampDlg::OnOK() {
    if (g_pages.Current) g_pages.Current->Stamp = m_work;
    EndDialog(IDOK);
}

void CStampDlg::LoadControls() {
    ApplySwitchRule(m_work.StampOn != 0);
    FillStampList();

    // A registered stamp is found by its name when the list has moved under
    // its index (a stamp registered in a free entry before it). An index
    // that names no item, or a registered name no longer listed, falls back
    // to the first built-in stamp.
    HWND list = GetDlgItem(IDC_STAMP_LIST);
    const std::vector<std::string> items = ComboItemTexts(list);
    const int count = static_cast<int>(items.size());
    int index = m_work.StampIndex;
    const std::string name = Terminated(m_work.StampName, sizeof m_work.StampName);
    if (index >= BuiltInStampCount && (index >= count || items[index] != name)) {
        index = -1;
        for (int i = BuiltInStampCount; i < count && index < 0; ++i)
            if (items[i] == name) index = i;
    }
    if (index > 0 && index < count) {
        SendMessageA(list, CB_SETCURSEL, index, 0);
    } else {
        SendMessageA(list, CB_SETCURSEL, 0, 0);
        m_work.StampIndex = 0;
        CopyCut(m_work.StampName, sizeof m_work.StampName, StampList[0].Text, sizeof m_work.StampName - 1);
    }

    // Stored values outside a list leave it without a selection; they stay
    // in the working copy until the user chooses.
    auto select = [this](int id, int value, int itemCount) {
        SendDlgItemMessageA(m_hWnd, id, CB_SETCURSEL, value >= 0 && value < itemCount ? value : -1, 0);
    };
    FillListFromTable(m_hWnd, IDC_STAMP_POSITION, PositionList);
    select(IDC_STAMP_POSITION, m_work.StampPosition, StampPositionCount);
    FillListFromTable(m_hWnd, IDC_STAMP_COLOR, ColorList);
    select(IDC_STAMP_COLOR, m_work.StampColor, StampColorCount);

    for (auto [id, value] : {std::pair<int, int>{IDC_STAMP_DENSITY, m_work.StampDensity},
                             std::pair<int, int>{IDC_STAMP_SIZE, m_work.StampSize}}) {
        SendDlgItemMessageA(m_hWnd, id, TBM_SETRANGE, TRUE, MAKELPARAM(0, StampLevelCount - 1));
        SendDlgItemMessageA(m_hWnd, id, TBM_SETPOS, TRUE, value);
    }
    CheckDlgButton(IDC_STAMP_OUTLINE, m_work.StampOutline != 0 ? BST_CHECKED : BST_UNCHECKED);
    RebuildPalette();
    SelectStampStep();
}

void CStampDlg::ApplySwitchRule(bool on) {
    CheckDlgButton(IDC_STAMP_SWITCH, on ? BST_CHECKED : BST_UNCHECKED);
    for (int id : SwitchGroup) ::EnableWindow(GetDlgItem(id), on);
    const int selected = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_STAMP_LIST, CB_GETCURSEL, 0, 0));
    EnableColorGroup(on && IsBuiltInStamp(selected));
}

void CStampDlg::EnableColorGroup(bool on) {
    for (int id : ColorGroup) ::EnableWindow(GetDlgItem(id), on);
}

void CStampDlg::FillStampList() {
    HWND list = GetDlgItem(IDC_STAMP_LIST);
    FillListFromTable(list, StampList);
    if (!g_pages.Current) return;
    for (const UserStampEntry& entry : g_pages.Current->UserStamps) {
        const std::string name = Terminated(entry.Name, sizeof entry.Name);
        if (!name.empty()) SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
}

void CStampDlg::SelectStampStep() {
    HWND list = GetDlgItem(IDC_STAMP_LIST);
    m_work.StampIndex = static_cast<int32_t>(SendMessageA(list, CB_GETCURSEL, 0, 0));
    const std::string name = ComboItemText(list, m_work.StampIndex);
    CopyCut(m_work.StampName, sizeof m_work.StampName, name.c_str(), sizeof m_work.StampName - 1);
    memset(m_work.StampFile, 0, sizeof m_work.StampFile);
    const bool builtIn = IsBuiltInStamp(m_work.StampIndex);
    if (m_work.StampIndex > BuiltInStampCount - 1 && g_pages.Current) {
        for (const UserStampEntry& entry : g_pages.Current->UserStamps) {
            if (Terminated(entry.Name, sizeof entry.Name) == name) {
                CopyCut(m_work.StampFile, sizeof m_work.StampFile, Terminated(entry.File, sizeof entry.File).c_str(),
                        sizeof m_work.StampFile - 1);
                break;
            }
        }
    }
    if (IsDlgButtonChecked(IDC_STAMP_SWITCH) == BST_CHECKED) EnableColorGroup(builtIn);
    RebuildPalette();
    DrawPreview();
}

void CStampDlg::RebuildPalette() {
    if (!m_paletteMode || !m_palette) return;
    PALETTEENTRY entries[256];
    if (IsBuiltInStamp(m_work.StampIndex)) {
        for (int i = 0; i < 256; ++i) {
            const StampRgb c = StampRampEntry(m_work.StampColor, i);
            entries[i] = {c.Red, c.Green, c.Blue, PC_RESERVED};
        }
    } else {
        WindowDC dc(m_hWnd);
        PaletteHolder halftone(CreateHalftonePalette(dc));
        if (!halftone || GetPaletteEntries(halftone, 0, PaletteEntriesSet, entries) != PaletteEntriesSet) return;
    }
    SetPaletteEntries(m_palette, 0, PaletteEntriesSet, entries);
    UnrealizeObject(m_palette);
}

void CStampDlg::DrawPreview() {
    HWND area = GetDlgItem(IDC_STAMP_PREVIEW);
    if (!area) return;
    RECT r;
    GetWindowRect(area, &r);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    const StampRect preview{r.left, r.top, r.right, r.bottom};

    WindowDC dc(m_hWnd);
    if (!dc) return;
    const int saved = SaveDC(dc);
    if (!SetStretchBltMode(dc, HALFTONE)) SetStretchBltMode(dc, COLORONCOLOR);  // Windows 95 and 98
    SetBrushOrgEx(dc, r.left, r.top, nullptr);
    const StampRect clip = PreviewClip(preview);
    IntersectClipRect(dc, clip.Left, clip.Top, clip.Right, clip.Bottom);
    {
        SelectedPalette palette(dc, m_paletteMode ? m_palette.Get() : nullptr);
        if (m_paletteMode) RealizePalette(dc);
        // White first: a picture that cannot be loaded leaves an empty page,
        // not the previous stamp.
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

        const bool builtIn = IsBuiltInStamp(m_work.StampIndex);
        StampPicture picture(dc);
        const bool loaded =
            builtIn ? picture.LoadResource(BuiltInStampPicture(m_work.StampIndex, m_work.StampSize, m_work.StampOutline != 0))
                    : picture.LoadFile(Terminated(m_work.StampFile, sizeof m_work.StampFile).c_str());
        if (loaded) {
            if (builtIn) picture.Tint(StampTint(m_work.StampColor, m_work.StampDensity));
            const StampExtent extent = ScaledStampExtent(picture.Width(), picture.Height(), m_work.StampSize, builtIn);
            const StampRect at = PlaceStamp(preview, extent, m_work.StampPosition);
            StretchBlt(dc, at.Left, at.Top, extent.Width, extent.Height, picture.Dc(), 0, 0, picture.Width(),
                       picture.Height(), SRCCOPY);
        }
    }
    RestoreDC(dc, saved);
}

void CStampDlg::OnPaint() {
    { PaintDC validate(m_hWnd); }
    DrawPreview();
}

void CStampDlg::OnSwitchClicked() {
    SelectStampStep();
    const bool on = IsDlgButtonChecked(IDC_STAMP_SWITCH) == BST_CHECKED;
    ApplySwitchRule(on);
    m_work.StampOn = on ? 1 : 0;
}

void CStampDlg::OnStampChosen() { SelectStampStep(); }

void CStampDlg::OnPositionChosen() {
    m_work.StampPosition = static_cast<int32_t>(SendDlgItemMessageA(m_hWnd, IDC_STAMP_POSITION, CB_GETCURSEL, 0, 0));
    DrawPreview();
}

void CStampDlg::OnColorChosen() {
    m_work.StampColor = static_cast<int32_t>(SendDlgItemMessageA(m_hWnd, IDC_STAMP_COLOR, CB_GETCURSEL, 0, 0));
    RebuildPalette();
    DrawPreview();
}

void CStampDlg::OnHScroll(UINT, int, HWND bar) {
    const int id = bar ? ::GetDlgCtrlID(bar) : 0;
    int32_t* field = id == IDC_STAMP_DENSITY ? &m_work.StampDensity : id == IDC_STAMP_SIZE ? &m_work.StampSize : nullptr;
    if (field) {
        const int32_t position = static_cast<int32_t>(SendMessageA(bar, TBM_GETPOS, 0, 0));
        if (position != *field) {
            *field = position;
            DrawPreview();
        }
    }
    Default();
}

void CStampDlg::OnOutlineClicked() {
    m_work.StampOutline = IsDlgButtonChecked(IDC_STAMP_OUTLINE) == BST_CHECKED ? 1 : 0;
    SelectStampStep();
}

void CStampDlg::OnRegisterClicked() {
    HWND list = GetDlgItem(IDC_STAMP_LIST);
    const int selected = static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
    std::string remembered = ComboItemText(list, selected);
    remembered.resize(FitLength(remembered.c_str(), RememberedTextBytes));

    RegistrationDialog registration;
    registration.RegistrationMode = RegistrationDialog::StampMode;
    registration.DoModal();

    FillStampList();
    // An exact name first, among the registered stamps when the new or the
    // remembered one is registered: a new stamp called "見" must not select
    // "見本", and a registered "見本" must not turn into the built-in one.
    const std::string registered = Terminated(LastRegisteredName, sizeof LastRegisteredName);
    const std::string& wanted = registered.empty() ? remembered : registered;
    const bool amongRegistered = !registered.empty() || !IsBuiltInStamp(selected);
    int index = FindNamedItem(ComboItemTexts(list), wanted, amongRegistered ? BuiltInStampCount : 0);
    if (index < 0) index = 0;
    SendMessageA(list, CB_SETCURSEL, index, 0);
    SelectStampStep();
}

void CStampDlg::OnResetClicked() {
    if (g_pages.Defaults) m_work = g_pages.Defaults->Stamp;
    LoadControls();
}

void CStampDlg::OnContextMenu(HWND window, POINT) { ShowContextHelp(window, StampHelp); }
