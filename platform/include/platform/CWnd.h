#pragma once

#include <platform/CString.h>
#include <platform/Geometry.h>
#include <platform/MessageMap.h>
#include <platform/platform_export.h>

#include <memory>

namespace platform::detail {
struct WindowState;
}

// A message as the message loop sees it; PreTranslateMessage may rewrite it.
struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// The framework's window. Messages reach handler methods through the class's message map;
// unhandled messages get the default processing. A window without a parent is a top-level
// window; children lie in their parent's client area.
class PLATFORM_EXPORT CWnd {
public:
    CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    // Makes the window and sends it WM_CREATE; fails, leaving no window, when the handler
    // returns -1.
    virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                        const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID pContext = nullptr);
    // Sends WM_DESTROY and removes the window; the object stays.
    virtual BOOL DestroyWindow();

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    static CWnd* FromHandle(HWND hWnd);
    CWnd* GetParent() const;
    UINT GetDlgCtrlID() const;
    CString GetWindowText() const;
    void SetWindowText(LPCWSTR text);
    // The icon that desktops show for a top-level window, in its big or small form; returns
    // the one it replaces. The caller keeps the icon and destroys it after the window.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    void GetClientRect(LPRECT lpRect) const;
    // In the parent's client coordinates (screen coordinates for a top-level window).
    void GetWindowRect(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);

    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(const RECT* lpRect, BOOL bErase = TRUE);
    // Paints now what is invalid.
    void UpdateWindow();

    CWnd* SetCapture();
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL SetForegroundWindow();
    CWnd* SetFocus();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Posted messages pass here, from the target up to its top-level window, before they are
    // handled; TRUE means the message was dealt with.
    virtual BOOL PreTranslateMessage(MSG* pMsg) { return FALSE; }

    HWND m_hWnd = nullptr;

protected:
    static const platform::MessageMap* GetThisMessageMap();
    virtual const platform::MessageMap* GetMessageMap() const { return GetThisMessageMap(); }

    // The default processing of the message being handled.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void PostNcDestroy() {}

    int OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
    void OnDestroy() { Default(); }
    void OnPaint() { Default(); }
    void OnClose() { Default(); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnSize(UINT, int, int) { Default(); }

private:
    friend struct platform::detail::WindowState;
    std::unique_ptr<platform::detail::WindowState> m_state;
};

// Handle-level forms of the same services.
PLATFORM_EXPORT LRESULT SendMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_EXPORT BOOL PostMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
PLATFORM_EXPORT HWND SetCapture(HWND hWnd);
PLATFORM_EXPORT BOOL ReleaseCapture();
PLATFORM_EXPORT HWND GetCapture();
PLATFORM_EXPORT BOOL ShowWindow(HWND hWnd, int nCmdShow);
PLATFORM_EXPORT BOOL IsWindow(HWND hWnd);
PLATFORM_EXPORT BOOL IsWindowVisible(HWND hWnd);
PLATFORM_EXPORT BOOL SetForegroundWindow(HWND hWnd);
PLATFORM_EXPORT HWND GetFocus();
// A top-level window of this program by title (class names are not kept).
PLATFORM_EXPORT HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName);

namespace platform {

// Runs posted messages and window-system events until the queue is empty.
PLATFORM_EXPORT void PumpMessages();

// Lets the mouse wheel work a window as its keys do: each notch over it reaches it as a key
// press of backKey (turned away from the user, or to the left) or forwardKey. Notches that
// come faster than the window handles them are merged into a short turn. Without this, the
// wheel over a window goes to its parent.
PLATFORM_EXPORT void SetWheelKeys(HWND hWnd, UINT backKey, UINT forwardKey);

} // namespace platform
