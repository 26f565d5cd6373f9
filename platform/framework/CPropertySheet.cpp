#include <platform/CPropertySheet.h>
#include <platform/CWinApp.h>

#include "core/Application.h"
#include "windows/FramePlacement.h"
#include "windows/ModalHook.h"
#include "windows/WindowState.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace platform::detail {

namespace {

ModalHook& Hook() {
    static ModalHook hook;
    return hook;
}

// Over the parent's top-level window where there is one: the sheet takes the frame's place.
RECT SheetRect(CWnd* parent) {
    if (IsDeviceScreen())
        return RECT{0, kTitleBarHeight, kFrameWidth, kTitleBarHeight + kFrameHeight};
    QRect over;
    if (WindowState* state = parent ? WindowState::Of(parent->GetSafeHwnd()) : nullptr;
        state && state->widget)
        over = state->widget->window()->geometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        over = screen->availableGeometry();
    QPoint c = over.center();
    int left = c.x() - kFrameWidth / 2;
    int top = c.y() - kFrameHeight / 2;
    return RECT{left, top, left + kFrameWidth, top + kFrameHeight};
}

// Lays out a window that is not shown yet, so that a page knows its size when it is made.
void LayOutHidden(QWidget* widget) {
    if (QLayout* layout = widget->layout())
        layout->activate();
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        LayOutHidden(child);
}

} // namespace

ModalHook CurrentModalHook() {
    return Hook();
}

bool NoDisplay() {
    const QString qpa = QGuiApplication::platformName();
    return qpa == QStringLiteral("offscreen") || qpa == QStringLiteral("minimal");
}

} // namespace platform::detail

namespace platform {

void SetModalHook(ModalHook hook) {
    detail::Hook() = std::move(hook);
}

} // namespace platform

using platform::detail::WindowState;

CPropertySheet::CPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_strCaption(pszCaption), m_pParentWnd(pParentWnd), m_nSelectPage(iSelectPage) {}

void CPropertySheet::AddPage(CPropertyPage* pPage) {
    if (pPage)
        m_pages.push_back(pPage);
}

INT_PTR CPropertySheet::DoModal() {
    platform::detail::EnsureApplication();
    if (m_hWnd)
        return -1;
    // Without a parent the sheet belongs to the program's main window.
    CWnd* over = m_pParentWnd ? m_pParentWnd : (AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr);
    const RECT placed = platform::detail::SheetRect(over);
    if (!Create(nullptr, m_strCaption, WS_POPUP | WS_CAPTION, placed, nullptr, 0))
        return -1;
    const HWND sheet = m_hWnd;
    QWidget* window = WindowState::Of(sheet)->widget;
    window->setWindowFlags(Qt::Dialog);
    // New flags make the position count the decoration; the client area is what was asked.
    window->setGeometry(placed.left, placed.top, placed.right - placed.left,
                        placed.bottom - placed.top);
    window->setWindowModality(Qt::ApplicationModal);

    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(2, 2, 2, 2);
    // A tab bar over a stack of pages rather than a tab widget: a tab widget lays its pages
    // out only once shown, and a page must know its size when it is made.
    auto* tabs = new QTabBar(window);
    tabs->setExpanding(false);
    tabs->setUsesScrollButtons(true);
    layout->addWidget(tabs);
    auto* stack = new QStackedWidget(window);
    stack->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(stack, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, window);
    layout->addWidget(buttons);

    // A page's window is made when its tab is first shown, as the framework does.
    std::vector<CPropertyPage*> created;
    std::vector<QWidget*> holders;
    for (CPropertyPage* page : m_pages) {
        auto* holder = new QWidget;
        auto* holderLayout = new QVBoxLayout(holder);
        holderLayout->setContentsMargins(0, 0, 0, 0);
        tabs->addTab(QString::fromStdU16String(page->GetCaption().str()));
        stack->addWidget(holder);
        holders.push_back(holder);
    }
    auto activate = [&](int index) {
        if (index < 0 || static_cast<std::size_t>(index) >= m_pages.size() || !m_hWnd)
            return;
        CPropertyPage* page = m_pages[index];
        if (page->GetSafeHwnd())
            return;
        QWidget* holder = holders[index];
        if (!page->Create(nullptr, page->GetCaption(), WS_CHILD | WS_VISIBLE,
                          RECT{0, 0, holder->width(), holder->height()}, this,
                          page->GetTemplateId()))
            return;
        if (WindowState* state = WindowState::Of(page->GetSafeHwnd()); state && state->widget) {
            state->widget->setParent(holder);
            holder->layout()->addWidget(state->widget);
            state->widget->show();
        }
        created.push_back(page);
        page->OnInitDialog();
    };
    const int start =
        m_pages.empty()
            ? -1
            : static_cast<int>(std::min<std::size_t>(m_nSelectPage, m_pages.size() - 1));
    if (start >= 0) {
        tabs->setCurrentIndex(start);
        stack->setCurrentIndex(start);
    }
    platform::detail::LayOutHidden(window);
    activate(start);
    const QMetaObject::Connection activation =
        QObject::connect(tabs, &QTabBar::currentChanged, tabs, [&](int index) {
            stack->setCurrentIndex(index);
            activate(index);
        });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, buttons, &QDialogButtonBox::rejected);
    OnInitDialog();

    int result = IDCANCEL;
    // OnInitDialog may have taken the window down: then there is nothing to run.
    const auto hook = platform::detail::CurrentModalHook();
    if (m_hWnd == sheet && hook) {
        window->show();
        result = hook(this);
    } else if (m_hWnd == sheet && !platform::detail::NoDisplay()) {
        QEventLoop loop;
        QObject::connect(buttons, &QDialogButtonBox::accepted, &loop, [&] {
            result = IDOK;
            loop.quit();
        });
        QObject::connect(buttons, &QDialogButtonBox::rejected, &loop, [&] {
            result = IDCANCEL;
            loop.quit();
        });
        // Closing the window (or anything else destroying it) is a cancel.
        QObject::connect(window, &QObject::destroyed, &loop, [&] {
            result = IDCANCEL;
            loop.quit();
        });
        window->show();
        window->raise();
        window->activateWindow();
        loop.exec();
    }
    // No more page activations while the sheet is taken down.
    QObject::disconnect(activation);
    if (m_hWnd == sheet) {
        for (CPropertyPage* page : created) {
            if (!page->GetSafeHwnd())
                continue;
            if (result == IDOK)
                page->OnOK();
            else
                page->OnCancel();
        }
        DestroyWindow();
    }
    return result;
}
