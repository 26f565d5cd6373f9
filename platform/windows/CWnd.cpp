#include <platform/CWnd.h>

#include "core/Application.h"
#include "core/Text.h"
#include "shell-ui/InstanceChannel.h"
#include "shell/IconStore.h"
#include "windows/WindowState.h"
#include "windows/X11Window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QPixmap>

#include <unordered_map>
#include <vector>

namespace platform::detail {

namespace {

struct Handles {
    std::unordered_map<HWND, WindowState*> live;
    std::uintptr_t next = 0x1000;
    HWND capture = nullptr;
};

Handles& TheHandles() {
    static Handles handles;
    return handles;
}

// The message being handled, so that Default() can hand it on.
struct Current {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local std::vector<Current> g_current;

class PostedEvent : public QEvent {
public:
    static QEvent::Type Kind() {
        static const int kind = QEvent::registerEventType();
        return static_cast<QEvent::Type>(kind);
    }
    PostedEvent(MSG msg, QRect anchor) : QEvent(Kind()), m_msg(msg), m_anchor(anchor) {}
    MSG m_msg;
    QRect m_anchor;
};

thread_local QRect g_anchor;

// Delivers posted messages the way a message loop does: filters first, then the window.
class Dispatcher : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() != PostedEvent::Kind())
            return QObject::event(event);
        MSG msg = static_cast<PostedEvent*>(event)->m_msg;
        struct Anchor {
            explicit Anchor(QRect anchor) : previous(g_anchor) { g_anchor = anchor; }
            ~Anchor() { g_anchor = previous; }
            QRect previous;
        } anchor(static_cast<PostedEvent*>(event)->m_anchor);
        for (HWND h = msg.hwnd; h; h = WindowState::Of(h) ? WindowState::Of(h)->parent : nullptr) {
            CWnd* wnd = WindowState::Owner(h);
            if (wnd && wnd->PreTranslateMessage(&msg))
                return true;
        }
        if (CWnd* target = WindowState::Owner(msg.hwnd))
            target->WindowProc(msg.message, msg.wParam, msg.lParam);
        return true;
    }
};

Dispatcher& TheDispatcher() {
    static Dispatcher dispatcher;
    return dispatcher;
}

} // namespace

QImage& WindowState::Screen() {
    if (screen.isNull()) {
        screen = QImage(screenSize, QImage::Format_RGB32);
        screen.fill(Qt::white);
    }
    return screen;
}

WindowState* WindowState::Of(HWND hWnd) {
    auto& live = TheHandles().live;
    auto it = live.find(hWnd);
    return it == live.end() ? nullptr : it->second;
}

CWnd* WindowState::Owner(HWND hWnd) {
    WindowState* state = Of(hWnd);
    return state ? state->owner : nullptr;
}

} // namespace platform::detail

using platform::detail::WindowState;
using platform::detail::WindowWidget;

CWnd::CWnd() : m_state(std::make_unique<WindowState>()) {
    m_state->owner = this;
}

CWnd::~CWnd() {
    if (m_hWnd)
        DestroyWindow();
}

const platform::MessageMap* CWnd::GetThisMessageMap() {
    static const platform::MessageEntry entries[] = {platform::MessageEntry{}};
    static const platform::MessageMap map{nullptr, entries};
    return &map;
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID pContext) {
    if (m_hWnd)
        return FALSE;
    platform::detail::EnsureApplication();
    auto& handles = platform::detail::TheHandles();
    m_hWnd = reinterpret_cast<HWND>(handles.next++);
    handles.live[m_hWnd] = m_state.get();
    m_state->parent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    m_state->id = nID;
    m_state->text = lpszWindowName ? lpszWindowName : u"";
    CRect r(rect);
    QWidget* parentWidget = nullptr;
    if (WindowState* parent = WindowState::Of(m_state->parent)) {
        parent->children.push_back(m_hWnd);
        parentWidget = parent->widget;
    }
    m_state->widget = new WindowWidget(m_hWnd, parentWidget);
    m_state->widget->setGeometry(r.left, r.top, std::max<LONG>(r.Width(), 0),
                                 std::max<LONG>(r.Height(), 0));
    if (!parentWidget) {
        m_state->widget->setWindowTitle(QString::fromStdU16String(m_state->text.str()));
        platform::detail::ServeTopLevelWindows();
    }
    m_state->screenSize = QSize(std::max<LONG>(r.Width(), 1), std::max<LONG>(r.Height(), 1));

    CREATESTRUCT cs;
    cs.lpCreateParams = pContext;
    cs.hwndParent = m_state->parent;
    cs.hMenu = nID;
    cs.x = r.left;
    cs.y = r.top;
    cs.cx = r.Width();
    cs.cy = r.Height();
    cs.style = dwStyle;
    cs.lpszName = lpszWindowName;
    cs.lpszClass = lpszClassName;
    if (SendMessage(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow();
        return FALSE;
    }
    if (dwStyle & WS_VISIBLE)
        ShowWindow(SW_SHOW);
    Invalidate();
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    HWND hWnd = m_hWnd;
    SendMessage(WM_DESTROY);
    for (HWND child : std::vector<HWND>(m_state->children))
        if (CWnd* wnd = WindowState::Owner(child))
            wnd->DestroyWindow();
    auto& handles = platform::detail::TheHandles();
    if (handles.capture == hWnd)
        handles.capture = nullptr;
    if (WindowState* parent = WindowState::Of(m_state->parent))
        std::erase(parent->children, hWnd);
    handles.live.erase(hWnd);
    if (m_state->widget) {
        // The widget may be inside one of its own event handlers; Qt deletes it later.
        m_state->widget->Forget();
        m_state->widget->hide();
        m_state->widget->setParent(nullptr);
        m_state->widget->deleteLater();
    }
    *m_state = WindowState{};
    m_state->owner = this;
    m_hWnd = nullptr;
    PostNcDestroy();
    return TRUE;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    return WindowState::Owner(hWnd);
}

CWnd* CWnd::GetParent() const {
    return WindowState::Owner(m_state->parent);
}

UINT CWnd::GetDlgCtrlID() const {
    return m_state->id;
}

CString CWnd::GetWindowText() const {
    return m_state->text;
}

void CWnd::SetWindowText(LPCWSTR text) {
    m_state->text = text ? text : u"";
    if (m_state->widget && !m_state->parent)
        m_state->widget->setWindowTitle(QString::fromStdU16String(m_state->text.str()));
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    HICON& slot = bBigIcon ? m_state->bigIcon : m_state->smallIcon;
    HICON previous = slot;
    slot = hIcon;
    if (m_state->widget && !m_state->parent) {
        QIcon icon;
        for (HICON each : {m_state->bigIcon, m_state->smallIcon})
            if (const QImage* image = each ? platform::detail::IconImage(each) : nullptr)
                icon.addPixmap(QPixmap::fromImage(*image));
        m_state->widget->setWindowIcon(icon);
    }
    return previous;
}

HICON CWnd::GetIcon(BOOL bBigIcon) const {
    return bBigIcon ? m_state->bigIcon : m_state->smallIcon;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_hWnd ? WindowProc(message, wParam, lParam) : 0;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageW(m_hWnd, message, wParam, lParam);
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    QWidget* w = m_state->widget;
    *lpRect = RECT{0, 0, w ? w->width() : 0, w ? w->height() : 0};
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
    QWidget* w = m_state->widget;
    if (!w) {
        *lpRect = RECT{};
        return;
    }
    QRect g = w->geometry();
    *lpRect = RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    if (QWidget* w = m_state->widget) {
        w->setGeometry(x, y, nWidth, nHeight);
        if (bRepaint)
            Invalidate();
    }
}

void CWnd::Invalidate(BOOL bErase) {
    InvalidateRect(nullptr, bErase);
}

void CWnd::InvalidateRect(const RECT* lpRect, BOOL) {
    QWidget* w = m_state->widget;
    if (!w)
        return;
    QRect r = lpRect ? QRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                             lpRect->bottom - lpRect->top)
                     : QRect(0, 0, w->width(), w->height());
    m_state->invalid = m_state->invalid.united(r);
    w->update(r);
}

void CWnd::UpdateWindow() {
    if (m_hWnd && !m_state->invalid.isEmpty() && !m_state->painting) {
        m_state->painting = true;
        SendMessage(WM_PAINT);
        m_state->painting = false;
        m_state->invalid = QRect();
    }
}

CWnd* CWnd::SetCapture() {
    return FromHandle(::SetCapture(m_hWnd));
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    return ::ShowWindow(m_hWnd, nCmdShow);
}

BOOL CWnd::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::SetForegroundWindow() {
    return ::SetForegroundWindow(m_hWnd);
}

CWnd* CWnd::SetFocus() {
    CWnd* previous = FromHandle(GetFocus());
    if (QWidget* w = m_state->widget) {
        w->setFocusPolicy(Qt::StrongFocus);
        w->setFocus();
    }
    return previous;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    platform::detail::g_current.push_back({message, wParam, lParam});
    struct Pop {
        ~Pop() { platform::detail::g_current.pop_back(); }
    } pop;
    UINT code = HIWORD(wParam);
    UINT id = LOWORD(wParam);
    for (const platform::MessageMap* map = GetMessageMap(); map;
         map = map->base ? map->base() : nullptr) {
        for (const platform::MessageEntry* e = map->entries; e->call; ++e) {
            if (e->message != message)
                continue;
            if (message == WM_COMMAND && (e->id != id || e->code != code))
                continue;
            return e->call(this, wParam, lParam);
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (platform::detail::g_current.empty())
        return 0;
    auto current = platform::detail::g_current.back();
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_PAINT:
        m_state->invalid = QRect();
        return 0;
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    default:
        return 0;
    }
}

LRESULT SendMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandle(hWnd);
    return wnd ? wnd->SendMessage(message, wParam, lParam) : 0;
}

BOOL PostMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return platform::detail::PostMessageFrom(QRect(), hWnd, message, wParam, lParam);
}

BOOL platform::detail::PostMessageFrom(QRect anchor, HWND hWnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
    if (!CWnd::FromHandle(hWnd))
        return FALSE;
    QCoreApplication::postEvent(&TheDispatcher(),
                                new PostedEvent(MSG{hWnd, message, wParam, lParam}, anchor));
    return TRUE;
}

QRect platform::detail::PopupAnchor() {
    return g_anchor;
}

HWND SetCapture(HWND hWnd) {
    auto& handles = platform::detail::TheHandles();
    HWND previous = handles.capture;
    handles.capture = WindowState::Of(hWnd) ? hWnd : nullptr;
    return previous;
}

BOOL ReleaseCapture() {
    platform::detail::TheHandles().capture = nullptr;
    return TRUE;
}

HWND GetCapture() {
    return platform::detail::TheHandles().capture;
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    WindowState* state = WindowState::Of(hWnd);
    if (!state || !state->widget)
        return FALSE;
    BOOL wasVisible = state->widget->isVisible() ? TRUE : FALSE;
    state->widget->setVisible(nCmdShow != SW_HIDE);
    if (!state->parent && nCmdShow != SW_HIDE && !wasVisible)
        platform::detail::FocusShownWindow(state->widget);
    return wasVisible;
}

BOOL IsWindow(HWND hWnd) {
    return WindowState::Of(hWnd) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hWnd) {
    WindowState* state = WindowState::Of(hWnd);
    return state && state->widget && state->widget->isVisible() ? TRUE : FALSE;
}

BOOL SetForegroundWindow(HWND hWnd) {
    if (platform::detail::IsRemoteWindow(hWnd))
        return platform::detail::RaiseRemoteWindow(hWnd) ? TRUE : FALSE;
    WindowState* state = WindowState::Of(hWnd);
    if (!state || !state->widget)
        return FALSE;
    platform::detail::BringToFront(state->widget->window());
    return TRUE;
}

HWND GetFocus() {
    for (auto& [hWnd, state] : platform::detail::TheHandles().live)
        if (state->widget && state->widget->hasFocus())
            return hWnd;
    return nullptr;
}

HWND platform::detail::FindLocalWindow(const WCHAR* title) {
    for (auto& [hWnd, state] : TheHandles().live)
        if (!state->parent && state->text == title)
            return hWnd;
    return nullptr;
}

HWND FindWindowW(LPCWSTR, LPCWSTR lpWindowName) {
    if (!lpWindowName)
        return nullptr;
    if (HWND local = platform::detail::FindLocalWindow(lpWindowName))
        return local;
    // The program may be running in another process on the same device.
    platform::detail::EnsureApplication();
    return platform::detail::FindRemoteWindow(lpWindowName);
}

namespace platform {

void PumpMessages() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void SetWheelKeys(HWND hWnd, UINT backKey, UINT forwardKey) {
    if (WindowState* state = WindowState::Of(hWnd)) {
        state->wheelBack = backKey;
        state->wheelForward = forwardKey;
    }
}

} // namespace platform
