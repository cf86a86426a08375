#include "ui/framework/window.h"

#include <cstring>
#include <exception>
#include <initializer_list>
#include <utility>
#include <vector>

#include "ui/framework/app_state.h"
#include "ui/framework/framework_access.h"

namespace {

const char ObjectProperty[] = "QvFrameworkObject";
int g_caughtExceptions;

struct CreateHookState {
    HHOOK Hook = nullptr;
    CWnd* Pending = nullptr;
    bool PendingIsChild = false;
};
// Windows are created on the host's one thread, one at a time.
CreateHookState g_create;

bool IsDialogClass(LPCSTR name) {
    if (IS_INTRESOURCE(name)) return LOWORD(reinterpret_cast<ULONG_PTR>(name)) == 0x8002;
    return lstrcmpA(name, "#32770") == 0;
}

// Gives the next window this thread creates to the pending object before
// the window sees its first message.
LRESULT CALLBACK CreateHookProc(int code, WPARAM wParam, LPARAM lParam) {
    HHOOK hook = g_create.Hook;
    LRESULT next = CallNextHookEx(hook, code, wParam, lParam);
    if (code == HCBT_CREATEWND && g_create.Pending) {
        const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        const bool child = (cs->style & WS_CHILD) != 0;
        if (child == g_create.PendingIsChild && IsDialogClass(cs->lpszClass)) {
            CWnd* target = std::exchange(g_create.Pending, nullptr);
            FrameworkAccess::Subclass(target, reinterpret_cast<HWND>(wParam));
            UnhookWindowsHookEx(hook);
            g_create.Hook = nullptr;
        }
    }
    return next;
}

}  // namespace

LRESULT CALLBACK FrameworkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CALLBACK FrameworkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* target = static_cast<CWnd*>(GetPropA(window, ObjectProperty));
    if (!target) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        WNDPROC original = target->m_originalProc;
        LRESULT result = original ? CallWindowProcA(original, window, message, wParam, lParam)
                                  : DefWindowProcA(window, message, wParam, lParam);
        RemovePropA(window, ObjectProperty);
        target->m_originalProc = nullptr;
        target->m_hWnd = nullptr;
        try {
            target->PostNcDestroy();
        } catch (...) {
            ReportCaughtException("PostNcDestroy");
        }
        return result;
    }
    return target->Dispatch(message, wParam, lParam);
}

int FrameworkCaughtExceptions() { return g_caughtExceptions; }

void ReportCaughtException(const char* where) {
    ++g_caughtExceptions;
    // A fixed buffer: nothing here may throw again.
    const char* what = "an exception of unknown type";
    try {
        throw;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    char text[512] = "";
    for (const char* part : {"QV3810ui: caught in ", where, ": ", what, "\n"})
        strncat(text, part, sizeof text - 1 - strlen(text));
    OutputDebugStringA(text);
}

void TermFrameworkThread() { FrameworkAccess::Unhook(); }

void RouteKeyOf(UINT message, WPARAM wParam, LPARAM lParam, UINT& id, UINT& code) {
    id = 0;
    code = 0;
    switch (message) {
    case WM_COMMAND:
        id = LOWORD(wParam);
        code = HIWORD(wParam);
        break;
    case WM_NOTIFY:
        if (lParam) {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            id = static_cast<UINT>(header->idFrom);
            code = header->code;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        id = lParam ? static_cast<UINT>(::GetDlgCtrlID(reinterpret_cast<HWND>(lParam))) : 0;
        code = LOWORD(wParam);
        break;
    }
}

const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam, LPARAM lParam) {
    UINT id, code;
    RouteKeyOf(message, wParam, lParam, id, code);
    for (; map; map = map->Base ? map->Base() : nullptr) {
        for (const MessageMapEntry* e = map->Entries; e && e->Invoke; ++e) {
            if (e->Message == message && (e->Id == AnyId || e->Id == id) && (e->Code == AnyCode || e->Code == code))
                return e;
        }
    }
    return nullptr;
}

IMPLEMENT_DYNAMIC(CWnd, CObject)

const MessageMap* CWnd::GetThisMessageMap() {
    static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd::~CWnd() {
    if (m_originalProc && m_hWnd && IsWindow(m_hWnd)) UnsubclassWindow();
}

std::string CWnd::GetWindowText() const {
    int length = GetWindowTextLengthA(m_hWnd);
    if (length <= 0) return {};
    std::vector<char> text(static_cast<size_t>(length) + 1);
    int got = ::GetWindowTextA(m_hWnd, text.data(), length + 1);
    return std::string(text.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

std::string CWnd::GetDlgItemText(int id) const {
    CWnd item(GetDlgItem(id));
    std::string text = item.m_hWnd ? item.GetWindowText() : std::string();
    item.Detach();
    return text;
}

std::string CListBox::GetText(int index) const {
    LRESULT length = SendMessage(LB_GETTEXTLEN, index);
    if (length == LB_ERR) return {};
    std::vector<char> text(static_cast<size_t>(length) + 1);
    LRESULT got = SendMessage(LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return got == LB_ERR ? std::string() : std::string(text.data(), static_cast<size_t>(got));
}

std::string CComboBox::GetLBText(int index) const {
    LRESULT length = SendMessage(CB_GETLBTEXTLEN, index);
    if (length == CB_ERR) return {};
    std::vector<char> text(static_cast<size_t>(length) + 1);
    LRESULT got = SendMessage(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return got == CB_ERR ? std::string() : std::string(text.data(), static_cast<size_t>(got));
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    return window ? static_cast<CWnd*>(GetPropA(window, ObjectProperty)) : nullptr;
}

LRESULT CWnd::Default() {
    if (!m_current) return 0;
    if (!m_current->DefaultDone) {
        m_current->DefaultDone = true;
        m_current->DefaultResult = DefWindowProc(m_current->Message, m_current->WParam, m_current->LParam);
    }
    return m_current->DefaultResult;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const MessageMapEntry* entry = FindMessageEntry(GetMessageMap(), message, wParam, lParam);
    if (!entry) return false;
    result = entry->Invoke(this, wParam, lParam);
    return true;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_originalProc) return CallWindowProcA(m_originalProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    Current current = {message, wParam, lParam, false, 0};
    Current* outer = std::exchange(m_current, &current);
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (...) {
        ReportCaughtException("the window procedure");
        try {
            Default();
        } catch (...) {
            ReportCaughtException("the default window procedure");
        }
    }
    m_current = outer;
    return current.DefaultDone ? current.DefaultResult : result;
}

bool CWnd::SubclassWindow(HWND window) {
    if (!window || FromHandlePermanent(window)) return false;
    SetPropA(window, ObjectProperty, this);
    m_hWnd = window;
    m_originalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameworkWindowProc)));
    return m_originalProc != nullptr;
}

HWND CWnd::UnsubclassWindow() {
    HWND window = m_hWnd;
    if (window && m_originalProc) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_originalProc));
        RemovePropA(window, ObjectProperty);
    }
    m_originalProc = nullptr;
    m_hWnd = nullptr;
    return window;
}

void CWnd::HookNextWindowCreate(CWnd* target, bool child) {
    g_create.Pending = target;
    g_create.PendingIsChild = child;
    if (!g_create.Hook) g_create.Hook = SetWindowsHookExA(WH_CBT, CreateHookProc, nullptr, GetCurrentThreadId());
}

void CWnd::UnhookWindowCreate() {
    g_create.Pending = nullptr;
    if (g_create.Hook) UnhookWindowsHookEx(g_create.Hook);
    g_create.Hook = nullptr;
}
