// Hostile user files: randomly damaged user settings files, stamp bitmaps and
// sample pictures. The settings store is run in this process for exact
// checks and the real Color page through the bridge; the stamp dialog and
// the color adjustment sheet run in this process and paint every picture.
// Nothing may crash, a section the damage did not reach keeps its name and
// values, loading writes nothing beside the record fields, and every dialog
// gives back its GDI objects.
//
// ctest runs a fixed seed. A long run:
//   QV_FILES_CASES=5000 QV_FILES_SEED=7 scripts/wine-run hostile_files_test.exe
// A failure names its seed and case number; the same seed repeats the cases,
// QV_FILES_FROM=n starts at case n (the earlier ones are drawn, not run) and
// QV_FILES_SAVE=1 keeps every damaged settings file in the test's folder.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "host/host_resource.h"
#include "host/host_session.h"
#include "host/job/default_settings.h"
#include "tests/win32/process_objects.h"
#include "tests/win32/record_guard.h"
#include "tests/win32/test_support.h"
#include "ui/adjust/adjust_resource.h"
#include "ui/adjust/adjust_sheet.h"
#include "ui/color/setting_names.h"
#include "ui/color/user_settings_store.h"
#include "ui/common/gdi_holders.h"
#include "ui/common/host_controls.h"
#include "ui/common/page_state.h"
#include "ui/common/resource.h"
#include "ui/framework/app_state.h"
#include "ui/option/stamp_dialog.h"

namespace {

constexpr uint32_t DefaultSeed = 20261207;
constexpr long DefaultSettingsCases = 70;
constexpr long DefaultPictureCases = 50;  // per dialog


uint32_t Seed() { return static_cast<uint32_t>(EnvNumber("QV_FILES_SEED", DefaultSeed)); }
long Cases(long fallback) { return EnvNumber("QV_FILES_CASES", fallback); }

std::string TempFolder(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}



template <class T, size_t N>
const T& Pick(std::mt19937& rng, const T (&items)[N]) {
    return items[rng() % N];
}

// Closes every dialog of this thread with Cancel on a short timer, after
// painting it whole once when `paint` is set; by force when Cancel is not
// taken.
class DialogCloser {
public:
    explicit DialogCloser(bool paint) : m_paint(paint) {
        s_self = this;
        m_timer = SetTimer(nullptr, 0, 15, Tick);
    }
    ~DialogCloser() {
        KillTimer(nullptr, m_timer);
        s_self = nullptr;
    }
    long Opened() const { return m_opened; }
    long Painted() const { return m_painted; }

    static bool IsDialog(HWND window) {
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        return strcmp(name, "#32770") == 0 && !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD);
    }
    static std::vector<HWND> OpenDialogs() {
        std::vector<HWND> found;
        EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&found));
        return found;
    }

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM list) {
        if (IsDialog(window) && IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    }
    static BOOL CALLBACK Nudge(HWND window, LPARAM) {
        if (!IsDialog(window) || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
        int& ticks = s_self->Ticks(window);
        if (ticks++ == 0) {
            ++s_self->m_opened;
            if (s_self->m_paint) {
                RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                ++s_self->m_painted;
            }
        }
        if (ticks < 6) {
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        } else {
            EndDialog(window, IDCANCEL);
            if (ticks > 10) DestroyWindow(window);
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (s_self) EnumThreadWindows(GetCurrentThreadId(), Nudge, 0);
    }
    int& Ticks(HWND window) {
        for (auto& item : m_ticks)
            if (item.first == window) return item.second;
        if (m_ticks.size() > 64) m_ticks.erase(m_ticks.begin());
        m_ticks.push_back({window, 0});
        return m_ticks.back().second;
    }

    static inline DialogCloser* s_self = nullptr;
    bool m_paint;
    UINT_PTR m_timer = 0;
    std::vector<std::pair<HWND, int>> m_ticks;
    long m_opened = 0;
    long m_painted = 0;
};

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// ===== user settings files ==================================================

// What one section of the undamaged file holds.
struct SectionValues {
    std::string Name;  // as written; empty = free
    int32_t Values[UserValueKeyCount] = {};
};

struct SettingsFile {
    std::string Text;
    SectionValues Sections[UserEntryCount];
    std::string Blocks[UserEntryCount];  // each section's text, header to the next header
};

const char* const NamePool[] = {
    "Photo",   "写真",       "表示用",           "ﾓﾉｸﾛ ｶﾅ",  "12345678901234567890",
    "a=b",     "x",          "あいうえおかきくけこ", "a写真写真写真写真写真", "Graph 2",
};

SettingsFile MakeSettingsFile(std::mt19937& rng) {
    SettingsFile f;
    for (int n = 0; n < UserEntryCount; ++n) {
        SectionValues& s = f.Sections[n];
        if (rng() % 3) s.Name = Pick(rng, NamePool);
        std::string block = "[" + UserSectionName(n) + "]\r\n" + UserNameKey + "=" + s.Name + "\r\n";
        for (int k = 0; k < UserValueKeyCount; ++k) {
            s.Values[k] = static_cast<int32_t>(rng() % 2001) - 1000;
            block += std::string(UserValueKeys[k]) + "=" + std::to_string(s.Values[k]) + "\r\n";
            if (k == 6 && rng() % 2) block += "\r\n";
        }
        if (rng() % 2) block += "\r\n";
        f.Blocks[n] = block;
        f.Text += block;
    }
    return f;
}

// A line [begin, end) without its terminator; lines end at CR or LF here,
// which is the widest reading any parser may take.
struct Line {
    size_t Begin, End;
};
std::vector<Line> Lines(const std::string& text) {
    std::vector<Line> lines;
    size_t begin = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back({begin, i});
        begin = i + 1;
    }
    if (begin < text.size()) lines.push_back({begin, text.size()});
    return lines;
}

std::string Trimmed(const std::string& text, Line l) {
    while (l.Begin < l.End && (text[l.Begin] == ' ' || text[l.Begin] == '\t')) ++l.Begin;
    while (l.End > l.Begin && (text[l.End - 1] == ' ' || text[l.End - 1] == '\t')) --l.End;
    return text.substr(l.Begin, l.End - l.Begin);
}

// Lines that start a section: '[' first, ']' last.
bool IsHeaderLine(const std::string& line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }

// The damage done to the file, one kind at a time.
class SettingsMutator {
public:
    explicit SettingsMutator(std::mt19937& rng) : m_rng(rng) {}

    std::string Describe() const { return m_done; }

    void Mutate(std::string& text, const SettingsFile& base) {
        const int count = 1 + m_rng() % 3;
        for (int i = 0; i < count; ++i) {
            switch (m_rng() % 9) {
            case 0: Truncate(text); break;
            case 1: FlipBytes(text); break;
            case 2: DeleteKeyLine(text); break;
            case 3: DuplicateSection(text, base); break;
            case 4: HugeLine(text); break;
            case 5: LineEnds(text); break;
            case 6: DeleteSection(text); break;
            case 7: DeleteRange(text); break;
            default: FlipBytes(text); break;
            }
        }
    }

private:
    size_t Any(size_t size) { return size ? m_rng() % size : 0; }
    // The start of a random line (or the end of the text).
    size_t LineStart(const std::string& text) {
        const auto lines = Lines(text);
        if (lines.empty() || m_rng() % 8 == 0) return text.size();
        const Line& l = lines[m_rng() % lines.size()];
        return l.Begin;
    }
    void Note(const std::string& what) { m_done += (m_done.empty() ? "" : ", ") + what; }

    void Truncate(std::string& text) {
        // Mostly late in the file, so that something remains to check.
        const size_t at = text.size() - Any(text.size() / (m_rng() % 2 ? 1 : 8) + 1);
        text.resize(std::min(at, text.size()));
        Note("cut at " + std::to_string(text.size()));
    }
    void FlipBytes(std::string& text) {
        static const char special[] = {'\r', '\n', '[', ']', '=', ' ', ';', '\0', '\x81', '\xFC', '\x5C', '\xEF'};
        const int count = 1 + m_rng() % 4;
        for (int i = 0; i < count && !text.empty(); ++i) {
            const size_t at = Any(text.size());
            text[at] = (m_rng() % 2) ? Pick(m_rng, special) : static_cast<char>(m_rng());
            Note("byte " + std::to_string(at));
        }
    }
    void DeleteKeyLine(std::string& text) {
        const auto lines = Lines(text);
        std::vector<Line> keys;
        for (const Line& l : lines)
            if (text.find('=', l.Begin) < l.End) keys.push_back(l);
        if (keys.empty()) return;
        const Line l = keys[m_rng() % keys.size()];
        size_t end = l.End;
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        Note("key line at " + std::to_string(l.Begin));
        text.erase(l.Begin, end - l.Begin);
    }
    void DuplicateSection(std::string& text, const SettingsFile& base) {
        const int n = m_rng() % UserEntryCount;
        std::string copy = base.Blocks[n];
        // The copy carries other values, so that reading the wrong one shows.
        const size_t eq = copy.find("Bright=");
        if (eq != std::string::npos) copy.insert(eq + 7, "7");
        const size_t at = LineStart(text);
        Note("section " + std::to_string(n) + " again at " + std::to_string(at));
        text.insert(at, copy);
    }
    void HugeLine(std::string& text) {
        static const char* const starts[] = {"", "Bright=", "UserEntName=", "[", ";"};
        std::string line = Pick(m_rng, starts);
        const size_t size = 100 * 1024 + Any(64);
        const unsigned style = m_rng() % 3;
        while (line.size() < size) line += style == 0 ? "A" : style == 1 ? "写" : "9";
        line += "\r\n";
        const size_t at = LineStart(text);
        Note("huge line at " + std::to_string(at));
        text.insert(at, line);
    }
    void LineEnds(std::string& text) {
        const bool crOnly = m_rng() % 2;
        size_t from = 0, to = text.size();
        if (m_rng() % 3) {
            from = Any(text.size());
            to = std::min(text.size(), from + Any(600) + 1);
        }
        std::string out = text.substr(0, from);
        size_t i = from;
        for (; i < to; ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                out += crOnly ? '\r' : '\n';
                ++i;
            } else {
                out += text[i];
            }
        }
        out += text.substr(std::min(i, text.size()));
        Note(std::string(crOnly ? "CR" : "LF") + " line ends " + std::to_string(from) + ".." + std::to_string(to));
        text = out;
    }
    void DeleteSection(std::string& text) {
        const int n = m_rng() % UserEntryCount;
        const std::string header = "[" + UserSectionName(n) + "]";
        const size_t begin = text.find(header);
        if (begin == std::string::npos) return;
        size_t end = text.find("\n[", begin + 1);
        end = end == std::string::npos ? text.size() : end + 1;
        Note("section " + std::to_string(n) + " deleted");
        text.erase(begin, end - begin);
    }
    void DeleteRange(std::string& text) {
        if (text.empty()) return;
        const size_t at = Any(text.size());
        const size_t count = std::min(text.size() - at, Any(40) + 1);
        Note("bytes " + std::to_string(at) + "+" + std::to_string(count) + " deleted");
        text.erase(at, count);
    }

    std::mt19937& m_rng;
    std::string m_done;
};

// Whether section `n` came through the damage: its whole text is still
// there, after a line end, it is the only section of its name, and what
// follows it is the end or a plain section header. A file that now opens
// with a byte order mark is read in another encoding and keeps nothing.
bool Untouched(const std::string& text, const SettingsFile& base, int n) {
    for (const char* bom : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"})
        if (text.compare(0, strlen(bom), bom) == 0) return false;
    const std::string name = UserSectionName(n);
    int headers = 0;
    for (const Line& l : Lines(text)) {
        // A header as the profile functions take it: up to the first "]".
        const std::string line = Trimmed(text, l);
        const size_t close = line.find(']');
        if (line.empty() || line[0] != '[' || close == std::string::npos) continue;
        std::string inner = line.substr(1, close - 1);
        while (!inner.empty() && (inner.front() == ' ' || inner.front() == '\t')) inner.erase(0, 1);
        while (!inner.empty() && (inner.back() == ' ' || inner.back() == '\t')) inner.pop_back();
        if (EqualIgnoringCase(inner.c_str(), name.c_str())) ++headers;
    }
    if (headers != 1) return false;
    const std::string& block = base.Blocks[n];
    for (size_t at = text.find(block); at != std::string::npos; at = text.find(block, at + 1)) {
        if (at != 0 && (at < 2 || text.compare(at - 2, 2, "\r\n") != 0)) continue;
        const size_t after = at + block.size();
        if (after == text.size()) return true;
        size_t end = after;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        const std::string next = text.substr(after, end - after);
        if (!IsHeaderLine(next)) return false;
        for (char c : next)
            if (c < 0x20 || c > 0x7E) return false;
        return true;
    }
    return false;
}

std::string ProfileText(const std::string& path, const std::string& section, const char* key) {
    char buffer[256];
    GetPrivateProfileStringA(section.c_str(), key, "<absent>", buffer, sizeof buffer, path.c_str());
    return buffer;
}

// The name a record gets from a stored name.
std::string LoadedName(const std::string& stored) {
    char name[sizeof(UserEntry::Name)];
    CopyCut(name, sizeof name, stored.c_str(), StoredNameReadBytes);
    return name;
}

int32_t RecordValue(const UserEntry& e, int k) {
    const int32_t values[] = {e.Color.BaseColor,  e.Color.Bright,    e.Color.Fullness,  e.Color.Contrast,
                              e.Color.CyanRed,    e.Color.MagentaGreen, e.Color.YellowBlue, e.Density.Gannma,
                              e.Density.Black,    e.Density.Cyan,    e.Density.Magenta, e.Density.Yellow};
    return values[k];
}

// True when `small` is `big` with bytes inserted only.
bool IsSubsequence(const std::string& small, const std::string& big) {
    size_t i = 0;
    for (size_t j = 0; j < big.size() && i < small.size(); ++j)
        if (big[j] == small[i]) ++i;
    return i == small.size();
}

constexpr uint8_t GuardByte = 0xA5;

// The bytes of the store's neighbourhood, to see that a load writes only
// into the table.
class Surroundings {
public:
    // Up to 1 KB on either side, within the table's memory region.
    Surroundings() {
        const auto table = reinterpret_cast<uintptr_t>(g_userEntries);
        MEMORY_BASIC_INFORMATION info = {};
        VirtualQuery(g_userEntries, &info, sizeof info);
        const auto regionBegin = reinterpret_cast<uintptr_t>(info.BaseAddress);
        m_before = {std::max(regionBegin, table - 1024), table};
        const uintptr_t end = table + sizeof g_userEntries;
        m_after = {end, std::min<uintptr_t>(regionBegin + info.RegionSize, end + 1024)};
    }
    // The zero bytes right at the table's ends (alignment, most likely) are
    // painted for the time of a load, so that zeros written there show too.
    void Take() {
        m_painted.clear();
        auto* end = reinterpret_cast<uint8_t*>(m_after.Begin);
        for (size_t i = 0; i < PaintBytes && m_after.Begin + i < m_after.End && end[i] == 0; ++i)
            m_painted.push_back(end + i);
        auto* begin = reinterpret_cast<uint8_t*>(m_before.End);
        for (size_t i = 1; i <= PaintBytes && m_before.End - i >= m_before.Begin && begin[-i] == 0; ++i)
            m_painted.push_back(begin - i);
        for (uint8_t* p : m_painted) *p = GuardByte;
        m_saved = Bytes(m_before) + Bytes(m_after);
    }
    bool SameAndRestored() {
        const bool same = m_saved == Bytes(m_before) + Bytes(m_after);
        for (uint8_t* p : m_painted) *p = 0;
        return same;
    }

private:
    static constexpr size_t PaintBytes = 16;
    std::vector<uint8_t*> m_painted;
    struct Range {
        uintptr_t Begin, End;
    };
    static std::string Bytes(Range r) { return std::string(reinterpret_cast<const char*>(r.Begin), r.End - r.Begin); }
    Range m_before = {}, m_after = {};
    std::string m_saved;
};

constexpr int32_t Untold = 0x5A5A5A5A;  // in every field a load does not write

class HostileSettingsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        seed = Seed();
        cases = Cases(DefaultSettingsCases);
        folder = TempFolder("qv-hostile-settings");  // for QV_FILES_SAVE
        // The library's own file, which the Color page of the DLL reads too.
        path = settingsFile.Path();
        QvUseUserSettingsFile(path.c_str());
    }
    void TearDown() override {
        QvUseUserSettingsFile(nullptr);
        if (frame) DestroyWindow(frame);
        Pump();
        s_test = nullptr;
        RemoveDirectoryA(folder.c_str());
    }

    std::string Where() const {
        return "seed " + std::to_string(seed) + " case #" + std::to_string(step) + " (" + what + ")";
    }

    // The untouched sections in the file as the profile functions read it.
    void ExpectFileKeeps(const char* when, int written = -1) {
        for (int n = 0; n < UserEntryCount; ++n) {
            if (!untouched[n] || n == written) continue;
            const std::string section = UserSectionName(n);
            const SectionValues& s = base.Sections[n];
            EXPECT_EQ(ProfileText(path, section, UserNameKey), s.Name) << Where() << " " << when << ": " << section;
            for (int k = 0; k < UserValueKeyCount; ++k)
                EXPECT_EQ(ProfileText(path, section, UserValueKeys[k]), std::to_string(s.Values[k]))
                    << Where() << " " << when << ": " << section << " " << UserValueKeys[k];
        }
    }

    // Loads in this process: untouched sections fill their records, and
    // nothing outside the records' fields is written.
    bool LoadAndCheck(const char* when) {
        for (UserEntry& e : g_userEntries) {
            memset(e.Name, 0x5A, sizeof e.Name);
            e.Name[0] = 'q';
            e.Color.SampleImage = Untold;
        }
        surroundings.Take();
        const bool intact = LoadUserEntries();
        EXPECT_TRUE(surroundings.SameAndRestored()) << Where() << " " << when << ": a load wrote beside the table";
        for (int n = 0; n < UserEntryCount; ++n) {
            const UserEntry& e = g_userEntries[n];
            const size_t length = strnlen(e.Name, sizeof e.Name);
            EXPECT_LE(length, StoredNameReadBytes) << Where() << ": record " << n;
            for (size_t i = length; i < sizeof e.Name; ++i)
                EXPECT_EQ(e.Name[i], 0) << Where() << ": record " << n << " name byte " << i;
            if (e.Name[0]) {
                EXPECT_EQ(e.Color.SampleImage, Untold) << Where() << ": record " << n;
            }
            if (!untouched[n]) continue;
            const SectionValues& s = base.Sections[n];
            EXPECT_EQ(std::string(e.Name), LoadedName(s.Name)) << Where() << " " << when << ": record " << n;
            if (s.Name.empty()) continue;
            for (int k = 0; k < UserValueKeyCount; ++k)
                EXPECT_EQ(RecordValue(e, k), s.Values[k]) << Where() << " " << when << ": record " << n << " "
                                                          << UserValueKeys[k];
        }
        return intact;
    }

    // A registration writes through the profile functions, which rewrite
    // the whole file: only the section it takes may change.
    void SaveNewEntry() {
        UserEntry* free = nullptr;
        for (UserEntry& e : g_userEntries)
            if (!e.Name[0] && !free) free = &e;
        if (!free) return;
        memset(free, 0, sizeof *free);
        strcpy(free->Name, "新規");
        free->Color.Bright = 5;
        free->Density.Yellow = -5;
        if (!SaveUserEntry(free->Name)) return;
        int written = -1;
        for (int n = 0; n < UserEntryCount && written < 0; ++n)
            if (ProfileText(path, UserSectionName(n), UserNameKey) == free->Name) written = n;
        EXPECT_GE(written, 0) << Where() << ": the saved entry is not in the file";
        ExpectFileKeeps("after a save", written);
    }

    // ---- the real Color page through the bridge ----
    void OpenPage() {
        PrintSettings defaults = MakeDefaultSettings();
        ASSERT_TRUE(session.Open(defaults, defaults));
        guard.Arm(session.Current());
        frame = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40, 560, 560, nullptr,
                                nullptr, nullptr, nullptr);
        s_test = this;
        page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_COLOR_PAGE), frame, PageProc, 0);
        ASSERT_NE(page, nullptr);
        ShowWindow(page, SW_SHOW);
    }
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        HostileSettingsFiles* t = s_test;
        if (!t) return message == WM_INITDIALOG;
        WORD answer = 0;
        if (!t->session.ForwardPageMessage(PageKindColor, window, message, wParam, lParam, &answer)) return FALSE;
        if (answer != 1) ADD_FAILURE() << t->Where() << ": message " << message << " answered " << answer;
        return TRUE;
    }
    void Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        const WORD result = session.Forward(PageKindColor, window, message, wParam, lParam);
        if (result != 1) ADD_FAILURE() << Where() << ": message " << message << " answered " << result;
    }
    void Command(int id, WORD code) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }

    // Init, set-active, the user mode, every list item, the registration
    // dialog and a paint; the list shows every untouched registered name.
    void DrivePage() {
        session.Current().ColorMode = 4;
        Send(page, WM_INITDIALOG, 0, 0);
        NMHDR header = {frame, 0, static_cast<UINT>(PSN_SETACTIVE)};
        SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
        Command(IDC_MODE_USER, BN_CLICKED);
        HWND list = GetDlgItem(page, IDC_USER_SETTINGS);
        const int items = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
        EXPECT_GE(items, 1) << Where();
        for (int n = 0; n < UserEntryCount; ++n) {
            if (!untouched[n] || base.Sections[n].Name.empty()) continue;
            const std::string name = LoadedName(base.Sections[n].Name);
            EXPECT_NE(SendMessageA(list, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(name.c_str())), CB_ERR)
                << Where() << ": the list lost " << name;
        }
        for (int i = 0; i < items; ++i) {
            SendMessageA(list, CB_SETCURSEL, i, 0);
            Command(IDC_USER_SETTINGS, CBN_SELENDOK);
        }
        Command(IDC_COLOR_REGISTER, BN_CLICKED);
        RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
        const auto open = DialogCloser::OpenDialogs();
        EXPECT_TRUE(open.empty()) << Where() << ": a dialog stayed open";
        if (const ptrdiff_t at = guard.FirstChange())
            ADD_FAILURE() << Where() << ": guard byte at " << at << " from the current record changed";
    }

    using Damage = void (*)(std::string& text, const SettingsFile& base);
    // `skip`: only draws the case from `rng`, to reach a later one.
    void OneCase(std::mt19937& rng, bool withPage, Damage fixed = nullptr, bool skip = false) {
        base = MakeSettingsFile(rng);
        std::string text = base.Text;
        if (fixed) {
            fixed(text, base);
            what = "fixed";
        } else {
            SettingsMutator mutator(rng);
            mutator.Mutate(text, base);
            what = mutator.Describe();
        }
        if (skip) return;
        for (int n = 0; n < UserEntryCount; ++n) untouched[n] = Untouched(text, base, n);
        if (saveCases) WriteBytes(folder + "\\case" + std::to_string(step) + ".ini", text);

        WriteBytes(path, text);
        ExpectFileKeeps("as damaged");
        LoadAndCheck("first load");
        EXPECT_TRUE(RepairUserFile()) << Where();
        const std::string repaired = ReadBytes(path);
        EXPECT_TRUE(IsSubsequence(text, repaired)) << Where() << ": the repair dropped bytes of the file";
        ExpectFileKeeps("after the repair");
        // Else every opening of the page would repair (and grow) the file again.
        EXPECT_TRUE(LoadAndCheck("load after the repair")) << Where() << ": the repair left the file damaged";
        SaveNewEntry();
        if (!withPage) return;

        WriteBytes(path, text);
        DrivePage();
        ExpectFileKeeps("after the page");
    }

    static inline HostileSettingsFiles* s_test = nullptr;
    uint32_t seed = DefaultSeed;
    long cases = DefaultSettingsCases;
    long step = 0;
    bool saveCases = EnvNumber("QV_FILES_SAVE", 0) != 0;  // keeps each damaged file beside the test's
    LibrarySettingsFile settingsFile;
    std::string folder, path, what;
    SettingsFile base;
    bool untouched[UserEntryCount] = {};
    Surroundings surroundings;
    HostSession session;
    HWND frame = nullptr;
    HWND page = nullptr;
    RecordGuard guard;
};

// Damage that random runs found. A header ended by a CR alone: the profile
// functions end lines there, and the repair must put the missing keys where
// they read them, not append another section of the name after the first.
void HeaderEndedByCr(std::string& text, const SettingsFile& base) {
    text.insert(text.find("\r\n") + 1, base.Blocks[8]);  // "[UserEnt0]\r[UserEnt8]\r\n..."
}
// A section in CR-only lines that lost its name key.
void CrOnlySectionWithoutName(std::string& text, const SettingsFile& base) {
    std::string block = base.Blocks[3];
    const size_t name = block.find(UserNameKey);
    block.erase(name, block.find("\r\n", name) + 2 - name);
    for (size_t at = block.find("\r\n"); at != std::string::npos; at = block.find("\r\n", at)) block.erase(at + 1, 1);
    text.replace(text.find(base.Blocks[3]), base.Blocks[3].size(), block);
}
// A lead byte at the end of a header line takes its LF: the name line
// becomes part of the header line.
void HeaderLineEndTakenByALeadByte(std::string& text, const SettingsFile&) {
    text.replace(text.find("[UserEnt4]\r\n"), 12, "[UserEnt4]\xF0\n");
}
// Text after the "]" of a header whose section lost its name key.
void HeaderWithTextAfterItAndNoName(std::string& text, const SettingsFile&) {
    const size_t header = text.find("[UserEnt6]\r\n");
    const size_t name = text.find(UserNameKey, header);
    text.erase(name, text.find("\r\n", name) + 2 - name);
    text.insert(header + 10, " ; 6");
}

TEST_F(HostileSettingsFiles, FoundDamageIsRepairedWhereTheProfileFunctionsRead) {
    OpenPage();
    DialogCloser closer(false);
    std::mt19937 rng(seed);
    for (Damage damage :
         {HeaderEndedByCr, CrOnlySectionWithoutName, HeaderLineEndTakenByALeadByte, HeaderWithTextAfterItAndNoName}) {
        OneCase(rng, true, damage);
        EXPECT_FALSE(untouched[0] && damage == HeaderEndedByCr) << "the case no longer damages section 0";
        ++step;
    }
}

TEST_F(HostileSettingsFiles, UntouchedSectionsSurviveLoadRepairAndThePage) {
    OpenPage();
    DialogCloser closer(false);
    std::mt19937 rng(seed);
    const DWORD start = GetTickCount();
    const long from = EnvNumber("QV_FILES_FROM", 0);
    long intact = 0;
    for (step = 0; step < cases && !HasFatalFailure(); ++step) {
        OneCase(rng, step % 2 == 0, nullptr, step < from);
        if (step < from) continue;
        for (bool u : untouched) intact += u;
        if (HasFailure()) break;
    }
    printf("seed %u: %ld settings files (%ld sections untouched), %ld dialogs closed, %lu ms\n", seed, step - from,
           intact, closer.Opened(), static_cast<unsigned long>(GetTickCount() - start));
    EXPECT_EQ(step, cases);
    EXPECT_GT(intact, cases - from);  // the checks had something to check
}

// ===== pictures =============================================================

struct Picture {
    int Width = 0;
    int Height = 0;
    int Bits = 24;
    uint32_t Compression = BI_RGB;
    std::vector<RGBQUAD> Colors;
    std::vector<std::vector<uint8_t>> Ops;  // run-length: the stream, one code per item
    std::vector<uint8_t> Data;              // plain: rows bottom-up, padded to 4 bytes
};

int Stride(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

Picture Plain(std::mt19937& rng, int width, int height, int bits, bool topDown) {
    Picture p;
    p.Width = width;
    p.Height = topDown ? -height : height;
    p.Bits = bits;
    for (int i = 0; bits <= 8 && i < (1 << bits); ++i)
        p.Colors.push_back({static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), 0});
    p.Data.resize(static_cast<size_t>(Stride(width, bits)) * height);
    for (uint8_t& b : p.Data) b = static_cast<uint8_t>(rng());
    return p;
}

// A run-length picture: per row, encoded runs and absolute pieces, a delta
// now and then, end of line, and the end of the bitmap.
Picture RunLength(std::mt19937& rng, int width, int height, bool four) {
    Picture p;
    p.Width = width;
    p.Height = height;
    p.Bits = four ? 4 : 8;
    p.Compression = four ? BI_RLE4 : BI_RLE8;
    for (int i = 0; i < (1 << p.Bits); ++i)
        p.Colors.push_back({static_cast<BYTE>(i * 15), static_cast<BYTE>(255 - i), static_cast<BYTE>(rng()), 0});
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            const int left = width - x;
            if (left >= 3 && rng() % 3 == 0) {
                const int n = 3 + static_cast<int>(rng() % std::min(left - 2, 40));
                std::vector<uint8_t> op = {0, static_cast<uint8_t>(n)};
                const int bytes = four ? (n + 1) / 2 : n;
                for (int i = 0; i < bytes; ++i) op.push_back(static_cast<uint8_t>(rng()));
                if (op.size() % 2) op.push_back(0);
                p.Ops.push_back(op);
                x += n;
            } else {
                const int n = 1 + static_cast<int>(rng() % std::min(left, 255));
                p.Ops.push_back({static_cast<uint8_t>(n), static_cast<uint8_t>(rng())});
                x += n;
            }
        }
        if (y + 2 < height && rng() % 8 == 0) {
            p.Ops.push_back({0, 2, 0, 1});  // one row down, same column: the rest of the row stays
            ++y;
        }
        p.Ops.push_back({0, 0});
    }
    p.Ops.push_back({0, 1});
    return p;
}

std::vector<uint8_t> BmpFile(const Picture& p) {
    std::vector<uint8_t> data = p.Data;
    for (const auto& op : p.Ops) data.insert(data.end(), op.begin(), op.end());
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = p.Width;
    info.biHeight = p.Height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(p.Bits);
    info.biCompression = p.Compression;
    info.biSizeImage = static_cast<DWORD>(data.size());
    info.biClrUsed = static_cast<DWORD>(p.Colors.size());
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = static_cast<DWORD>(sizeof file + sizeof info + p.Colors.size() * sizeof(RGBQUAD));
    file.bfSize = static_cast<DWORD>(file.bfOffBits + data.size());
    std::vector<uint8_t> bytes(sizeof file + sizeof info);
    memcpy(bytes.data(), &file, sizeof file);
    memcpy(bytes.data() + sizeof file, &info, sizeof info);
    for (const RGBQUAD& c : p.Colors) bytes.insert(bytes.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed, c.rgbReserved});
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

// The same picture with the old 12-byte core header and 3-byte colors.
std::vector<uint8_t> CoreBmpFile(const Picture& p) {
    const size_t offBits = 14 + 12 + p.Colors.size() * 3;
    std::vector<uint8_t> b(offBits);
    auto put16 = [&](size_t at, uint32_t v) { b[at] = v & 0xFF, b[at + 1] = (v >> 8) & 0xFF; };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF), put16(at + 2, v >> 16); };
    b[0] = 'B', b[1] = 'M';
    put32(2, static_cast<uint32_t>(offBits + p.Data.size()));
    put32(10, static_cast<uint32_t>(offBits));
    put32(14, 12);
    put16(18, static_cast<uint32_t>(p.Width));
    put16(20, static_cast<uint32_t>(std::abs(p.Height)));
    put16(22, 1);
    put16(24, static_cast<uint32_t>(p.Bits));
    for (size_t i = 0; i < p.Colors.size(); ++i) {
        b[26 + i * 3] = p.Colors[i].rgbBlue;
        b[27 + i * 3] = p.Colors[i].rgbGreen;
        b[28 + i * 3] = p.Colors[i].rgbRed;
    }
    b.insert(b.end(), p.Data.begin(), p.Data.end());
    return b;
}

struct HeaderField {
    size_t Offset;
    size_t Size;
    const char* Name;
};
const HeaderField HeaderFields[] = {
    {2, 4, "bfSize"},        {10, 4, "bfOffBits"},    {14, 4, "biSize"},          {18, 4, "biWidth"},
    {22, 4, "biHeight"},     {26, 2, "biPlanes"},     {28, 2, "biBitCount"},      {30, 4, "biCompression"},
    {34, 4, "biSizeImage"},  {46, 4, "biClrUsed"},    {50, 4, "biClrImportant"},
};
const int64_t FieldEdges[] = {0,     1,     2,      3,      4,      8,        12,         16,        24,
                              32,    40,    54,     64,     108,    124,      255,        256,       257,
                              4095,  4096,  4097,   32767,  32768,  65535,    65536,      65537,     1 << 22,
                              -1,    -2,    -4096,  -65536, INT_MIN, INT_MAX, 0xFFFFFFFFLL, 0x80000001LL};

// Random damage to a bitmap file: header fields, truncation, bytes, and for
// run-length pictures hostile codes in the stream.
class PictureMutator {
public:
    explicit PictureMutator(std::mt19937& rng) : m_rng(rng) {}
    std::string Describe() const { return m_done; }
    bool Pristine() const { return m_pristine; }

    std::vector<uint8_t> Make() {
        const int width = 1 + m_rng() % 64, height = 1 + m_rng() % 48;
        Picture p;
        const unsigned kind = m_rng() % 8;
        switch (kind) {
        case 0: p = Plain(m_rng, width, height, 1, false); break;
        case 1: p = Plain(m_rng, width, height, 4, false); break;
        case 2: p = Plain(m_rng, width, height, 8, m_rng() % 2); break;
        case 3: p = Plain(m_rng, width, height, 24, m_rng() % 2); break;
        case 4:
        case 5: p = RunLength(m_rng, width, height, false); break;
        default: p = RunLength(m_rng, width, height, true); break;
        }
        Note(std::to_string(width) + "x" + std::to_string(height) + " " + std::to_string(p.Bits) + " bits" +
             (p.Compression ? " RLE" : ""));
        if (!p.Ops.empty() && m_rng() % 2) CorruptStream(p), m_pristine = false;
        std::vector<uint8_t> bytes = (kind == 2 && m_rng() % 4 == 0) ? CoreBmpFile(p) : BmpFile(p);
        if (kind == 2 && bytes[14] == 12) Note("core header");
        const int rounds = m_rng() % 6 ? 1 + m_rng() % 3 : 0;
        if (rounds) m_pristine = false;
        for (int i = 0; i < rounds; ++i) {
            switch (m_rng() % 5) {
            case 0:
            case 1: SetField(bytes); break;
            case 2: Truncate(bytes); break;
            case 3: FlipBytes(bytes); break;
            default: Grow(bytes); break;
            }
        }
        return bytes;
    }

private:
    void Note(const std::string& what) { m_done += (m_done.empty() ? "" : ", ") + what; }

    void SetField(std::vector<uint8_t>& bytes) {
        const HeaderField& f = Pick(m_rng, HeaderFields);
        if (f.Offset + f.Size > bytes.size()) return;
        int64_t value = Pick(m_rng, FieldEdges);
        if (m_rng() % 5 == 0) value = static_cast<int32_t>(m_rng());
        for (size_t i = 0; i < f.Size; ++i) bytes[f.Offset + i] = static_cast<uint8_t>(value >> (8 * i));
        Note(std::string(f.Name) + "=" + std::to_string(value));
    }
    void Truncate(std::vector<uint8_t>& bytes) {
        const size_t at = m_rng() % (bytes.size() + 1);
        bytes.resize(at);
        Note("cut at " + std::to_string(at));
    }
    void FlipBytes(std::vector<uint8_t>& bytes) {
        const int count = 1 + m_rng() % 6;
        for (int i = 0; i < count && !bytes.empty(); ++i) {
            // Half of them in the headers and the color table.
            const size_t span = (m_rng() % 2) ? std::min<size_t>(bytes.size(), 60) : bytes.size();
            const size_t at = m_rng() % span;
            bytes[at] = static_cast<uint8_t>(m_rng());
            Note("byte " + std::to_string(at));
        }
    }
    void Grow(std::vector<uint8_t>& bytes) {
        const size_t extra = m_rng() % 4096;
        for (size_t i = 0; i < extra; ++i) bytes.push_back(static_cast<uint8_t>(m_rng()));
        Note(std::to_string(extra) + " bytes more");
    }

    // Codes a run-length decoder must not trust: runs past the row end,
    // deltas past the edges, absolute pieces longer than the stream, odd
    // escapes, a missing end; put between the picture's own codes.
    void CorruptStream(Picture& p) {
        const int count = 1 + m_rng() % 4;
        for (int i = 0; i < count; ++i) {
            std::vector<uint8_t> op;
            const uint8_t big = static_cast<uint8_t>(200 + m_rng() % 56);
            switch (m_rng() % 8) {
            case 0: op = {255, static_cast<uint8_t>(m_rng())}; break;                        // a long run
            case 1: op = {0, 2, big, static_cast<uint8_t>(m_rng() % 4)}; break;              // right, off the row
            case 2: op = {0, 2, static_cast<uint8_t>(m_rng() % 4), big}; break;              // down, off the picture
            case 3: op = {0, 255}; for (int k = 0; k < 7; ++k) op.push_back(0x11); break;    // absolute, short of data
            case 4: op = {0, 2}; break;                                                      // delta without offsets
            case 5: op = {0, static_cast<uint8_t>(m_rng())}; break;                          // any escape
            case 6: op = {0, 1}; break;                                                      // an early end
            default: op = {static_cast<uint8_t>(m_rng()), static_cast<uint8_t>(m_rng())}; break;
            }
            const size_t at = m_rng() % (p.Ops.size() + 1);
            p.Ops.insert(p.Ops.begin() + at, op);
            Note("code " + std::to_string(op[0]) + "," + std::to_string(op[1]) + " at " + std::to_string(at));
        }
        if (m_rng() % 3 == 0) {
            p.Ops.pop_back();
            Note("no end code");
        }
    }

    std::mt19937& m_rng;
    std::string m_done;
    bool m_pristine = true;
};

const char* const SampleNames[] = {"QV3810A1.BMP", "QV3810A2.BMP", "QV3810A3.BMP", "QV3810A4.BMP"};

class HostilePictures : public ::testing::Test {
protected:
    void SetUp() override {
        seed = Seed();
        cases = Cases(DefaultPictureCases);
        g_resourceInstance = GetModuleHandleA(nullptr);
        SetFrameworkResourceHandle(g_resourceInstance);
        defaults = MakeDefaultSettings();
        current = defaults;
        g_pages.Current = &current;
        g_pages.Defaults = &defaults;
        folder = TempFolder("qv-hostile-pictures");
        GetCurrentDirectoryA(sizeof previousFolder, previousFolder);
        SetCurrentDirectoryA(folder.c_str());
    }
    void TearDown() override {
        for (const char* name : SampleNames) DeleteFileA(name);
        for (const char* name : {"stamp.bmp", "stamp.rle"}) DeleteFileA(name);
        SetCurrentDirectoryA(previousFolder);
        RemoveDirectoryA(folder.c_str());
        g_pages.Current = nullptr;
        g_pages.Defaults = nullptr;
    }
    std::string Where() const {
        return "seed " + std::to_string(seed) + " case #" + std::to_string(step) + " (" + what + ")";
    }

    // The stamp dialog with the picture as the chosen registered stamp.
    INT_PTR ShowStamp(const std::vector<uint8_t>& bytes) {
        const std::string file = folder + ((step % 2) ? "\\stamp.rle" : "\\stamp.bmp");
        WriteBytes(file, bytes);
        current = defaults;
        current.Stamp.StampOn = 1;
        current.Stamp.StampIndex = 6;
        strcpy(current.Stamp.StampName, "hostile");
        strcpy(current.Stamp.StampFile, file.c_str());
        strcpy(current.UserStamps[0].Name, "hostile");
        strcpy(current.UserStamps[0].File, file.c_str());
        current.Stamp.StampSize = static_cast<int32_t>(step % 9);
        CStampDlg dialog;
        return dialog.DoModal();
    }

    // The color adjustment sheet with the picture as every sample.
    INT_PTR ShowSample(const std::vector<uint8_t>& bytes) {
        for (const char* name : SampleNames) WriteBytes(name, bytes);
        current = defaults;
        current.ColorMode = 4;
        current.Color.SampleImage = static_cast<int32_t>(step % 4);
        int firstPage = 0;
        CColPS sheet(IDS_COLOR_SHEET_CAPTION, &firstPage, nullptr, nullptr);
        sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
        return sheet.DoModal();
    }

    static void CountSampleDraws(HWND control, HDC, HBITMAP, void* context) {
        if (GetDlgCtrlID(control) == IDC_ADJ_SAMPLE) ++*static_cast<long*>(context);
    }

    // Opens the dialog on every picture; `drawn` (when given) counts the
    // pictures drawn, and an undamaged picture must be.
    template <class Show>
    void Run(const char* dialogName, Show show, const std::vector<std::vector<uint8_t>>& fixed,
             const long* drawn = nullptr) {
        DialogCloser closer(true);
        std::mt19937 rng(seed);
        // A first opening makes what the dialog keeps for the process.
        PictureMutator warm(rng);
        ASSERT_NE(show(warm.Make()), -1);
        Pump();
        const int objects = GdiObjectCount();
        const int holders = LiveGdiHolders();
        const DWORD start = GetTickCount();
        const long from = EnvNumber("QV_FILES_FROM", 0);
        const long total = cases + static_cast<long>(fixed.size());
        for (step = 0; step < total; ++step) {
            std::vector<uint8_t> bytes;
            bool pristine = false;
            if (step < static_cast<long>(fixed.size())) {
                bytes = fixed[step];
                what = "fixed";
            } else {
                PictureMutator mutator(rng);
                bytes = mutator.Make();
                what = mutator.Describe();
                pristine = mutator.Pristine();
                if (step - static_cast<long>(fixed.size()) < from) continue;
            }
            const long painted = closer.Painted();
            const long draws = drawn ? *drawn : 0;
            ASSERT_NE(show(bytes), -1) << Where() << ": the " << dialogName << " did not open";
            Pump();
            EXPECT_GT(closer.Painted(), painted) << Where() << ": the " << dialogName << " was not painted";
            if (drawn && pristine) {
                EXPECT_GT(*drawn, draws) << Where() << ": an undamaged picture was not drawn";
            }
            pristines += pristine;
            ASSERT_TRUE(DialogCloser::OpenDialogs().empty()) << Where();
            ASSERT_EQ(LiveGdiHolders(), holders) << Where();
            ASSERT_EQ(GdiObjectCount(), objects) << Where() << ": GDI objects of the " << dialogName;
        }
        printf("seed %u: %ld pictures in the %s (%ld undamaged), %lu ms\n", seed, step - from, dialogName, pristines,
               static_cast<unsigned long>(GetTickCount() - start));
    }

    uint32_t seed = DefaultSeed;
    long cases = DefaultPictureCases;
    long step = 0;
    long pristines = 0;
    std::string what;
    std::string folder;
    char previousFolder[MAX_PATH] = {};
    PrintSettings defaults, current;
};

TEST_F(HostilePictures, StampDialogPaintsEveryStampFileAndGivesBackItsObjects) {
    Run("stamp dialog", [this](const std::vector<uint8_t>& b) { return ShowStamp(b); }, {});
}

TEST_F(HostilePictures, AdjustmentSheetPaintsEverySampleFileAndGivesBackItsObjects) {
    long drawn = 0;
    SetPreviewMappedHook(CountSampleDraws, &drawn);
    Run("adjustment sheet", [this](const std::vector<uint8_t>& b) { return ShowSample(b); }, {}, &drawn);
    SetPreviewMappedHook(nullptr, nullptr);
}

}  // namespace
