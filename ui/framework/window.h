// Windows as objects, and message maps.
//
// A framework window (dialog, property page, property sheet) is driven by
// one window procedure that looks the message up in the object's message
// map, walking from the class to its bases; the first matching entry runs
// and its result is the message's result. What no map names goes to the
// window's own procedure (for dialogs the dialog manager), as does a
// message whose handler calls Default(). No exception leaves the window
// procedure: one that escapes a handler is caught there, counted, and the
// message takes its default handling.
//
//   // .h
//   class CPrintModeDlg : public CDialog {
//       ...
//       void OnModeClicked();
//       void OnMarginKillFocus();
//       void OnSpin(UINT code, int position, HWND bar);
//       void OnContextMenu(HWND window, POINT screen);
//       DECLARE_MESSAGE_MAP()
//   };
//   // .cpp
//   BEGIN_MESSAGE_MAP(CPrintModeDlg, CDialog)
//       ON_BN_CLICKED(2068, OnModeClicked)
//       ON_EN_KILLFOCUS(2066, OnMarginKillFocus)
//       ON_WM_VSCROLL(OnSpin)
//       ON_WM_CONTEXTMENU(OnContextMenu)
//   END_MESSAGE_MAP()
//
// Handler signatures, by entry:
//   ON_COMMAND(id, f), ON_CONTROL(code, id, f), ON_BN_CLICKED, ON_EN_CHANGE,
//   ON_EN_UPDATE, ON_EN_KILLFOCUS, ON_CBN_SELCHANGE, ON_CBN_SELENDOK,
//   ON_LBN_SELCHANGE, ON_WM_PAINT, ON_WM_DESTROY        void f()
//   ON_NOTIFY(code, id, f)                              void f(NMHDR*, LRESULT* result)
//   ON_MESSAGE(message, f)                              LRESULT f(WPARAM, LPARAM)
//   ON_WM_HSCROLL(f), ON_WM_VSCROLL(f)                  void f(UINT code, int position, HWND bar)
//   ON_SCROLL(message, id, f): a scroll message from one control only, same signature
//   ON_WM_CONTEXTMENU(f)                                void f(HWND window, POINT screenPoint)
//   ON_WM_CREATE(f)                                     int f(CREATESTRUCTA*)   (-1 fails the creation)
//
// The scroll position is the 16-bit position of the message sign-extended,
// so bars with negative ranges report negative positions.
// WM_INITDIALOG is not a map entry: override OnInitDialog.
#pragma once

#include <windows.h>

#include <string>

#include "ui/framework/runtime_class.h"

class CWnd;

// Wildcards of a map entry's control identifier and notification code.
constexpr UINT AnyId = 0xFFFFFFFFu;
constexpr UINT AnyCode = 0xFFFFFFFFu;

using MessageInvoker = LRESULT (*)(CWnd* target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT Message;  // 0 ends the table
    UINT Id;       // control identifier, or AnyId
    UINT Code;     // notification or scroll code, or AnyCode
    MessageInvoker Invoke;
};

struct MessageMap {
    const MessageMap* (*Base)();  // null for the root
    const MessageMapEntry* Entries;
};

// The (control identifier, code) a message is routed by: WM_COMMAND its
// control and notification, WM_NOTIFY its idFrom and code, WM_HSCROLL and
// WM_VSCROLL the bar's control identifier (0 for a window's own bar) and the
// scroll code; every other message (0, 0).
void RouteKeyOf(UINT message, WPARAM wParam, LPARAM lParam, UINT& id, UINT& code);

// The first entry of the map chain that matches, or null.
const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam, LPARAM lParam);

// How many exceptions the window procedure has caught so far.
int FrameworkCaughtExceptions();

class CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() = default;
    explicit CWnd(HWND window) : m_hWnd(window) {}
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Wraps an existing window without taking over its messages (controls
    // bound by DDX_Control are wrapped this way).
    void Attach(HWND window) { m_hWnd = window; }
    HWND Detach() {
        HWND w = m_hWnd;
        m_hWnd = nullptr;
        return w;
    }

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    std::string GetWindowText() const;
    void SetDlgItemText(int id, const char* text) { ::SetDlgItemTextA(m_hWnd, id, text); }
    std::string GetDlgItemText(int id) const;
    void CheckDlgButton(int id, UINT state) { ::CheckDlgButton(m_hWnd, id, state); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int show) { return ::ShowWindow(m_hWnd, show); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }

    // The plain functions under the same names, so that code inside a
    // window class may call them on other windows without "::".
    static LRESULT SendMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) { return ::SendMessageA(w, m, wp, lp); }
    static BOOL PostMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) { return ::PostMessageA(w, m, wp, lp); }
    static HWND GetDlgItem(HWND w, int id) { return ::GetDlgItem(w, id); }
    static int GetDlgCtrlID(HWND w) { return ::GetDlgCtrlID(w); }
    static HWND GetParent(HWND w) { return ::GetParent(w); }
    static BOOL SetWindowText(HWND w, const char* text) { return ::SetWindowTextA(w, text); }
    static int GetWindowText(HWND w, char* text, int size) { return ::GetWindowTextA(w, text, size); }
    static BOOL SetDlgItemText(HWND w, int id, const char* text) { return ::SetDlgItemTextA(w, id, text); }
    static UINT GetDlgItemText(HWND w, int id, char* text, int size) { return ::GetDlgItemTextA(w, id, text, size); }
    static BOOL CheckDlgButton(HWND w, int id, UINT state) { return ::CheckDlgButton(w, id, state); }
    static UINT IsDlgButtonChecked(HWND w, int id) { return ::IsDlgButtonChecked(w, id); }
    static BOOL EnableWindow(HWND w, BOOL enable) { return ::EnableWindow(w, enable); }
    static BOOL IsWindowEnabled(HWND w) { return ::IsWindowEnabled(w); }
    static BOOL ShowWindow(HWND w, int show) { return ::ShowWindow(w, show); }
    static HWND SetFocus(HWND w) { return ::SetFocus(w); }

    // The default handling of the message being dispatched, run now; the
    // window procedure then returns its result, whatever the handler returns.
    LRESULT Default();

    // The object that drives `window`, or null for a window the framework
    // does not drive.
    static CWnd* FromHandlePermanent(HWND window);

protected:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

    // Looks the message up in the map chain; false when no entry matches.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The map first, then the default.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's procedure from before the framework took it over.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // After the window is gone (WM_NCDESTROY); m_hWnd is already null.
    virtual void PostNcDestroy() {}

    // Takes over `window`'s messages for this object until WM_NCDESTROY.
    bool SubclassWindow(HWND window);
    HWND UnsubclassWindow();

    // Makes the next window this thread creates (a child window when
    // `child`) belong to `target` from its very first message on, so that
    // WM_CREATE reaches the map.
    static void HookNextWindowCreate(CWnd* target, bool child = false);
    static void UnhookWindowCreate();

private:
    friend LRESULT CALLBACK FrameworkWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend struct FrameworkAccess;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_originalProc = nullptr;
    struct Current {
        UINT Message;
        WPARAM WParam;
        LPARAM LParam;
        bool DefaultDone;
        LRESULT DefaultResult;
    };
    Current* m_current = nullptr;
};

// Thin wrappers of controls, for DDX_Control members and GetDlgItem results.
class CStatic : public CWnd {
public:
    HICON SetIcon(HICON icon) { return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon))); }
    HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }
    HBITMAP SetBitmap(HBITMAP bitmap) {
        return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
};

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) { SendMessage(BM_SETCHECK, state); }
    HICON SetIcon(HICON icon) { return reinterpret_cast<HICON>(SendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon))); }
};

class CEdit : public CWnd {
public:
    void LimitText(int chars) { SendMessage(EM_LIMITTEXT, chars); }
    void SetSel(int start, int end, bool noScroll = false) {
        SendMessage(EM_SETSEL, start, end);
        if (!noScroll) SendMessage(EM_SCROLLCARET);
    }
};

class CListBox : public CWnd {
public:
    int AddString(const char* text) { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    int DeleteString(int index) { return static_cast<int>(SendMessage(LB_DELETESTRING, index)); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, index)); }
    std::string GetText(int index) const;
    // Exact match ignoring letter case, from after `startAfter` (-1: all).
    int FindStringExact(int startAfter, const char* text) const {
        return static_cast<int>(SendMessage(LB_FINDSTRINGEXACT, startAfter, reinterpret_cast<LPARAM>(text)));
    }
    int SelectString(int startAfter, const char* prefix) {
        return static_cast<int>(SendMessage(LB_SELECTSTRING, startAfter, reinterpret_cast<LPARAM>(prefix)));
    }
};

class CComboBox : public CWnd {
public:
    int AddString(const char* text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    int DeleteString(int index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index)); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, index)); }
    std::string GetLBText(int index) const;
    int FindStringExact(int startAfter, const char* text) const {
        return static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, startAfter, reinterpret_cast<LPARAM>(text)));
    }
    int SelectString(int startAfter, const char* prefix) {
        return static_cast<int>(SendMessage(CB_SELECTSTRING, startAfter, reinterpret_cast<LPARAM>(prefix)));
    }
};

class CScrollBar : public CWnd {
public:
    void SetScrollRange(int low, int high, BOOL redraw = TRUE) { ::SetScrollRange(m_hWnd, SB_CTL, low, high, redraw); }
    int SetScrollPos(int position, BOOL redraw = TRUE) { return ::SetScrollPos(m_hWnd, SB_CTL, position, redraw); }
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
};

// ---- message map machinery -------------------------------------------------

namespace fw_detail {

template <class T> struct MemberOf;
template <class C, class R, class... A> struct MemberOf<R (C::*)(A...)> { using Class = C; };
template <class C, class R, class... A> struct MemberOf<R (C::*)(A...) const> { using Class = C; };
template <auto Handler> using ClassOf = typename MemberOf<decltype(Handler)>::Class;

template <auto Handler> LRESULT InvokeVoid(CWnd* w, WPARAM, LPARAM) {
    (static_cast<ClassOf<Handler>*>(w)->*Handler)();
    return 0;
}
template <auto Handler> LRESULT InvokeMessage(CWnd* w, WPARAM wParam, LPARAM lParam) {
    return (static_cast<ClassOf<Handler>*>(w)->*Handler)(wParam, lParam);
}
template <auto Handler> LRESULT InvokeNotify(CWnd* w, WPARAM, LPARAM lParam) {
    LRESULT result = 0;
    (static_cast<ClassOf<Handler>*>(w)->*Handler)(reinterpret_cast<NMHDR*>(lParam), &result);
    return result;
}
template <auto Handler> LRESULT InvokeScroll(CWnd* w, WPARAM wParam, LPARAM lParam) {
    (static_cast<ClassOf<Handler>*>(w)->*Handler)(LOWORD(wParam), static_cast<short>(HIWORD(wParam)),
                                                   reinterpret_cast<HWND>(lParam));
    return 0;
}
template <auto Handler> LRESULT InvokeContextMenu(CWnd* w, WPARAM wParam, LPARAM lParam) {
    POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    (static_cast<ClassOf<Handler>*>(w)->*Handler)(reinterpret_cast<HWND>(wParam), at);
    return 0;
}
template <auto Handler> LRESULT InvokeCreate(CWnd* w, WPARAM, LPARAM lParam) {
    return (static_cast<ClassOf<Handler>*>(w)->*Handler)(reinterpret_cast<CREATESTRUCTA*>(lParam));
}

}  // namespace fw_detail

#define DECLARE_MESSAGE_MAP()                        \
protected:                                           \
    static const ::MessageMap* GetThisMessageMap();  \
    const ::MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                           \
    const ::MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const ::MessageMap* theClass::GetThisMessageMap() {                                 \
        using ThisClass = theClass;                                                      \
        using TheBaseClass = baseClass;                                                  \
        static const ::MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                            \
            {0, 0, 0, nullptr}};                                                     \
        static const ::MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                                 \
    }

#define ON_CONTROL(code, id, fn) {WM_COMMAND, static_cast<UINT>(id), static_cast<UINT>(code), &::fw_detail::InvokeVoid<&ThisClass::fn>},
#define ON_COMMAND(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_UPDATE(id, fn) ON_CONTROL(EN_UPDATE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_SELENDOK(id, fn) ON_CONTROL(CBN_SELENDOK, id, fn)
#define ON_LBN_SELCHANGE(id, fn) ON_CONTROL(LBN_SELCHANGE, id, fn)
#define ON_NOTIFY(code, id, fn) {WM_NOTIFY, static_cast<UINT>(id), static_cast<UINT>(code), &::fw_detail::InvokeNotify<&ThisClass::fn>},
#define ON_MESSAGE(message, fn) {static_cast<UINT>(message), AnyId, AnyCode, &::fw_detail::InvokeMessage<&ThisClass::fn>},
#define ON_WM_PAINT(fn) {WM_PAINT, AnyId, AnyCode, &::fw_detail::InvokeVoid<&ThisClass::fn>},
#define ON_WM_DESTROY(fn) {WM_DESTROY, AnyId, AnyCode, &::fw_detail::InvokeVoid<&ThisClass::fn>},
#define ON_WM_HSCROLL(fn) {WM_HSCROLL, AnyId, AnyCode, &::fw_detail::InvokeScroll<&ThisClass::fn>},
#define ON_WM_VSCROLL(fn) {WM_VSCROLL, AnyId, AnyCode, &::fw_detail::InvokeScroll<&ThisClass::fn>},
#define ON_SCROLL(message, id, fn) {static_cast<UINT>(message), static_cast<UINT>(id), AnyCode, &::fw_detail::InvokeScroll<&ThisClass::fn>},
#define ON_WM_CONTEXTMENU(fn) {WM_CONTEXTMENU, AnyId, AnyCode, &::fw_detail::InvokeContextMenu<&ThisClass::fn>},
#define ON_WM_CREATE(fn) {WM_CREATE, AnyId, AnyCode, &::fw_detail::InvokeCreate<&ThisClass::fn>},
