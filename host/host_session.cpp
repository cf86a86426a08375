#include "host/host_session.h"

#include "host/system_personality.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr DWORD PageBytes = 0x1000;
// Layout of the host memory: current record, default record, message, header.
// The current record sits inside its page with spare bytes on both sides, so
// a write just before or after it lands in memory a test can inspect.
constexpr DWORD CurrentAt = 256;
static_assert(CurrentAt + sizeof(PrintSettings) < PageBytes, "current record page");
constexpr DWORD DefaultsAt = PageBytes;
constexpr DWORD MessageAt = 2 * PageBytes;
constexpr DWORD HeaderAt = 3 * PageBytes;
constexpr DWORD MemoryBytes = 4 * PageBytes;

// A notification header as the 16-bit driver builds it: the code is the
// 16-bit value at offset 8.
struct HostNotifyHeader {
    uint32_t From;
    uint32_t Id;
    uint32_t Code;
};

void Protect(void* at, DWORD bytes, DWORD protection) {
    DWORD old;
    VirtualProtect(at, bytes, protection, &old);
}

// A segment registered for the length of one call.
class CallSegment {
public:
    CallSegment(void* base, DWORD size) : m_pointer(StandInRegisterSegment(base, size)) {}
    ~CallSegment() {
        if (m_pointer) StandInReleaseSegment(m_pointer);
    }
    CallSegment(const CallSegment&) = delete;
    CallSegment& operator=(const CallSegment&) = delete;
    SEGPTR16 Pointer() const { return m_pointer; }

private:
    SEGPTR16 m_pointer;
};

std::string ProgramFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n < MAX_PATH ? n : 0);
    size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

}  // namespace

HostSession::HostSession() = default;

HostSession::~HostSession() {
    if (m_current16) StandInReleaseSegment(m_current16);
    if (m_defaults16) StandInReleaseSegment(m_defaults16);
    if (m_bridge) FreeLibrary(m_bridge);
    if (m_memory) VirtualFree(m_memory, 0, MEM_RELEASE);
}

bool HostSession::Open(const PrintSettings& current, const PrintSettings& defaults) {
    m_memory = static_cast<BYTE*>(VirtualAlloc(nullptr, MemoryBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!m_memory) return false;
    m_current = reinterpret_cast<PrintSettings*>(m_memory + CurrentAt);
    m_defaults = reinterpret_cast<PrintSettings*>(m_memory + DefaultsAt);
    *m_current = current;
    *m_defaults = defaults;
    Protect(m_defaults, PageBytes, PAGE_READONLY);
    m_current16 = StandInRegisterSegment(m_current, sizeof(PrintSettings));
    m_defaults16 = StandInRegisterSegment(m_defaults, sizeof(PrintSettings));

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    m_bridge = LoadShippedLibrary(ProgramFolder() + "QV3810T2.dll", &m_loadError);
    // The reason a personality refused the DLLs shows in every test's output.
    if (!m_bridge && !SystemPersonalityName().empty()) 
        fprintf(stderr, "QV_SYSTEM=%s: %s\n", SystemPersonalityName().c_str(), m_loadError.c_str());
    return m_bridge && m_current16 && m_defaults16 && StandInConnection()->Connected;
}

WORD HostSession::Forward(int32_t kind, HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<HostPageMessage*>(m_memory + MessageAt);
    auto* header = reinterpret_cast<HostNotifyHeader*>(m_memory + HeaderAt);
    Protect(host, 2 * PageBytes, PAGE_READWRITE);
    memset(host, 0, sizeof *host);
    host->PageKind = kind;
    host->HostValue = m_hostValue;
    host->PageWindow = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(page));
    host->Message = message;

    SEGPTR16 header16 = 0;
    CallSegment headerSegment(header, sizeof *header);
    switch (message) {
    case WM_COMMAND:
        // The 16-bit convention: the identifier alone in WParam, the code in
        // the high half of LParam and the control's window in the low half.
        host->WParam = LOWORD(wParam);
        host->LParam = MAKELONG(LOWORD(reinterpret_cast<uintptr_t>(reinterpret_cast<HWND>(lParam))), HIWORD(wParam));
        break;
    case WM_NOTIFY: {
        const NMHDR* nm = reinterpret_cast<const NMHDR*>(lParam);
        header->From = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(nm->hwndFrom));
        header->Id = static_cast<uint32_t>(nm->idFrom);
        header->Code = static_cast<uint32_t>(nm->code);
        header16 = headerSegment.Pointer();
        host->WParam = static_cast<uint32_t>(wParam);
        host->LParam = header16;
        host->NotifyHeader = header16;
        break;
    }
    default:
        host->WParam = static_cast<uint32_t>(wParam);
        host->LParam = static_cast<uint32_t>(lParam);
        break;
    }
    CallSegment messageSegment(host, sizeof *host);
    Protect(host, 2 * PageBytes, PAGE_READONLY);

    const SEGPTR16 args[3] = {messageSegment.Pointer(), m_current16, m_defaults16};
    return LOWORD(StandInCall16(1, args, 3));
}

bool HostSession::ForwardPageMessage(int32_t kind, HWND page, UINT message, WPARAM wParam, LPARAM lParam,
                                     WORD* answer) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_DRAWITEM:
    case WM_COMMAND:
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(page, &ps);
        EndPaint(page, &ps);
        break;
    }
    case WM_HSCROLL:
        if (kind != PageKindColor) return false;
        break;
    case WM_NOTIFY: {
        const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        if (code != static_cast<UINT>(PSN_SETACTIVE) && code != static_cast<UINT>(PSN_KILLACTIVE)) return false;
        break;
    }
    default:
        return false;
    }
    const WORD result = Forward(kind, page, message, wParam, lParam);
    if (answer) *answer = result;
    return true;
}

void HostSession::RenderingTable(const ColorAdjustment& color, uint8_t* table) {
    CallSegment colorSegment(const_cast<ColorAdjustment*>(&color), sizeof color);
    // The table is larger than nothing else the host passes, but well within a segment.
    CallSegment tableSegment(table, static_cast<DWORD>(RdtBytes));
    const SEGPTR16 args[2] = {colorSegment.Pointer(), tableSegment.Pointer()};
    StandInCall16(0, args, 2);
}
