#include <platform/CPropertySheet.h>
#include <platform/CWinApp.h>

#include "core/Application.h"
#include "framework/ModalRun.h"
#include "windows/FramePlacement.h"
#include "windows/WindowState.h"

#include <QDialogButtonBox>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace platform::detail {

namespace {

// Lays out a window that is not shown yet, so that a page knows its size when it is made.
void LayOutHidden(QWidget* widget) {
    if (QLayout* layout = widget->layout())
        layout->activate();
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        LayOutHidden(child);
}

// The first control of a page that the keyboard reaches.
QWidget* FirstFocusable(QWidget* page) {
    for (QWidget* child : page->findChildren<QWidget*>())
        if ((child->focusPolicy() & Qt::TabFocus) && child->isEnabled() &&
            child->isVisibleTo(page) && !child->focusProxy())
            return child;
    return nullptr;
}

} // namespace

} // namespace platform::detail

using platform::detail::WindowState;

CPropertySheet::CPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_strCaption(pszCaption), m_pParentWnd(pParentWnd), m_nSelectPage(iSelectPage) {}

void CPropertySheet::AddPage(CPropertyPage* pPage) {
    if (pPage)
        m_pages.push_back(pPage);
}

void CPropertySheet::PressButton(int nID) {
    if (m_run)
        m_run->Finish(nID == IDOK ? IDOK : IDCANCEL);
}

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A page hands on the keys that end the sheet.
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        PressButton(LOWORD(wParam));
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

INT_PTR CPropertySheet::DoModal() {
    platform::detail::EnsureApplication();
    if (m_hWnd)
        return -1;
    // Without a parent the sheet belongs to the program's main window.
    CWnd* over = m_pParentWnd ? m_pParentWnd : (AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr);
    const RECT placed = platform::detail::ModalPlacement(
        over, SIZE{platform::detail::kFrameWidth, platform::detail::kFrameHeight});
    if (!Create(nullptr, m_strCaption, WS_POPUP | WS_CAPTION, placed, nullptr, 0))
        return -1;
    const HWND sheet = m_hWnd;
    QWidget* window = platform::detail::MakeModalWindow(this, placed);

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

    platform::detail::ModalRun run(this);
    m_run = &run;
    QObject::connect(buttons, &QDialogButtonBox::accepted, window, [this] { PressButton(IDOK); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, window,
                     [this] { PressButton(IDCANCEL); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, [this] { PressButton(IDCANCEL); });

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
        if (!page->CreateAsChild(this, RECT{0, 0, holder->width(), holder->height()}))
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
    // The keyboard starts on the first page's first control, as on the device.
    if (start >= 0)
        if (QWidget* first = platform::detail::FirstFocusable(holders[start]))
            first->setFocus(Qt::TabFocusReason);
    const QMetaObject::Connection activation =
        QObject::connect(tabs, &QTabBar::currentChanged, tabs, [&](int index) {
            stack->setCurrentIndex(index);
            activate(index);
        });
    OnInitDialog();

    int result = IDCANCEL;
    // OnInitDialog may have taken the window down: then there is nothing to run.
    if (m_hWnd == sheet)
        result = run.Exec([this](int answer) { PressButton(answer); });
    m_run = nullptr;
    // No more page activations while the sheet is taken down.
    QObject::disconnect(activation);
    if (m_hWnd == sheet) {
        for (CPropertyPage* page : created) {
            if (!page->GetSafeHwnd())
                continue;
            // A page applies what its controls last held.
            if (result == IDOK) {
                page->UpdateData(TRUE);
                page->OnOK();
            } else
                page->OnCancel();
        }
        DestroyWindow();
    }
    return result;
}
