#include "framework/ControlWindow.h"

#include <platform/CDialog.h>

#include "core/Text.h"
#include "windows/WindowState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

#include <functional>

namespace platform::detail {

namespace {

// Hands a widget's events to a function first; true from it means the event is taken.
class EventTap : public QObject {
public:
    EventTap(QObject* watched, QObject* parent, std::function<bool(QEvent*)> filter)
        : QObject(parent), m_filter(std::move(filter)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override { return m_filter(event); }

private:
    std::function<bool(QEvent*)> m_filter;
};

int RowAt(QTreeWidget* tree, QPoint point) {
    const QModelIndex index = tree->indexAt(point);
    return index.isValid() && !index.parent().isValid() ? index.row() : -1;
}

} // namespace

ControlWindow::~ControlWindow() {
    DestroyWindow();
}

BOOL ControlWindow::DestroyWindow() {
    m_context.reset();
    return CWnd::DestroyWindow();
}

ControlWindow* ControlWindow::Of(HWND hWnd) {
    return dynamic_cast<ControlWindow*>(CWnd::FromHandle(hWnd));
}

BOOL ControlWindow::Make(CWnd* dialog, const RECT& pixels, const QFont& font) {
    if (!Create(nullptr, m_item.text, WS_CHILD | (m_item.visible ? WS_VISIBLE : 0), pixels, dialog,
                m_item.id))
        return FALSE;
    WindowState* state = WindowState::Of(m_hWnd);
    QWidget* host = state->widget;
    host->setFont(font);
    // A control keeps its template's size: its widget fills the window without a layout.
    m_widget = MakeWidget(host);
    m_widget->setGeometry(0, 0, host->width(), host->height());
    // A window already shown (a page made while its sheet runs) shows no child of its own.
    m_widget->show();
    // The window has the focus while its widget has it.
    host->setFocusProxy(m_widget);
    if (m_item.style & WS_DISABLED)
        m_widget->setEnabled(false);
    if (!m_item.visible)
        ShowWindow(SW_HIDE);
    return TRUE;
}

QWidget* ControlWindow::MakeWidget(QWidget* host) {
    const QString text = ToQt(m_item.text);
    switch (m_item.kind) {
    case ControlKind::GroupBox:
        return new QGroupBox(text, host);
    case ControlKind::Static: {
        auto* label = new QLabel(text, host);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(host);
        QObject::connect(edit, &QLineEdit::textEdited, m_context.get(),
                         [this] { Command(EN_CHANGE); });
        new EventTap(edit, m_context.get(), [this](QEvent* event) {
            if (event->type() == QEvent::FocusIn)
                Command(EN_SETFOCUS);
            else if (event->type() == QEvent::FocusOut)
                Command(EN_KILLFOCUS);
            return false;
        });
        return edit;
    }
    case ControlKind::PushButton: {
        auto* button = new QPushButton(text, host);
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, m_context.get(),
                         [this] { Command(BN_CLICKED); });
        return button;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(text, host);
        QObject::connect(box, &QCheckBox::clicked, m_context.get(),
                         [this] { Command(BN_CLICKED); });
        return box;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(host);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        if (m_item.style & LBS_NOTIFY) {
            // After the selection has moved, so that the handler reads the new row.
            QObject::connect(list, &QListWidget::itemSelectionChanged, m_context.get(),
                             [this] { Command(LBN_SELCHANGE); });
            QObject::connect(list, &QListWidget::itemDoubleClicked, m_context.get(),
                             [this] { Command(LBN_DBLCLK); });
        }
        return list;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(host);
        QObject::connect(combo, &QComboBox::activated, m_context.get(),
                         [this] { Command(CBN_SELCHANGE); });
        return combo;
    }
    case ControlKind::ListView: {
        auto* tree = new QTreeWidget(host);
        tree->setRootIsDecorated(false);
        tree->setUniformRowHeights(true);
        tree->setItemsExpandable(false);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        tree->setIconSize(QSize(16, 16));
        tree->setColumnCount(0);
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionsMovable(false);
        new EventTap(tree->viewport(), m_context.get(),
                     [this](QEvent* event) { return FilterListView(event); });
        // Return on a row is its double tap, after the tap that names it.
        new EventTap(tree, m_context.get(), [this, tree](QEvent* event) {
            if (event->type() != QEvent::KeyPress)
                return false;
            const int key = static_cast<QKeyEvent*>(event)->key();
            const int row = tree->currentIndex().isValid() ? tree->currentIndex().row() : -1;
            if ((key != Qt::Key_Return && key != Qt::Key_Enter) || row < 0)
                return false;
            ListNotify(NM_CLICK, row, {});
            ListNotify(NM_DBLCLK, row, {});
            return true;
        });
        return tree;
    }
    }
    return new QWidget(host);
}

bool ControlWindow::FilterListView(QEvent* event) {
    auto* tree = As<QTreeWidget>();
    if (!tree || (event->type() != QEvent::MouseButtonRelease &&
                  event->type() != QEvent::MouseButtonDblClick))
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QPoint at = mouse->position().toPoint();
    if (event->type() == QEvent::MouseButtonDblClick) {
        // The release that ends a double tap is no tap of its own: the rows may be new.
        m_afterDoubleTap = true;
        ListNotify(NM_DBLCLK, RowAt(tree, at), at);
        return true;
    }
    if (m_afterDoubleTap) {
        m_afterDoubleTap = false;
        return false;
    }
    ListNotify(NM_CLICK, RowAt(tree, at), at);
    return false;
}

void ControlWindow::Command(UINT code) {
    if (m_quiet > 0)
        return;
    if (CWnd* dialog = GetParent())
        dialog->SendMessage(WM_COMMAND, (static_cast<WPARAM>(code & 0xFFFF) << 16) | m_item.id,
                            reinterpret_cast<LPARAM>(m_hWnd));
}

void ControlWindow::ListNotify(UINT code, int row, QPoint at) {
    if (m_quiet > 0)
        return;
    NMLISTVIEW notice;
    notice.hdr = NMHDR{m_hWnd, m_item.id, code};
    notice.iItem = row;
    notice.ptAction = POINT{at.x(), at.y()};
    if (CWnd* dialog = GetParent())
        dialog->SendMessage(WM_NOTIFY, m_item.id, reinterpret_cast<LPARAM>(&notice));
}

LRESULT ControlWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The keys that end a dialog reach the dialog from whichever control has the focus.
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE))
        if (CWnd* dialog = GetParent())
            return dialog->SendMessage(message, wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

QIcon ControlWindow::IconOf(int image) {
    auto it = m_icons.constFind(image);
    if (it != m_icons.constEnd())
        return *it;
    const QImage* picture = ImageListImage(m_smallImages, image);
    QIcon icon = picture ? QIcon(QPixmap::fromImage(*picture)) : QIcon();
    m_icons.insert(image, icon);
    return icon;
}

void ControlWindow::RefreshIcons() {
    m_icons.clear();
    auto* tree = As<QTreeWidget>();
    if (!tree)
        return;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree->topLevelItem(i);
        item->setIcon(0, IconOf(item->data(0, Qt::UserRole).toInt()));
    }
}

int FindExactRow(int count, int nStartAfter, std::u16string_view text,
                 const std::function<std::u16string(int row)>& textOf) {
    const int first = nStartAfter < 0 || nStartAfter >= count ? 0 : nStartAfter + 1;
    for (int i = 0; i < count; ++i) {
        const int row = (first + i) % count;
        if (CompareNoCase(textOf(row), text) == 0)
            return row;
    }
    return -1;
}

int SortedRow(int count, std::u16string_view text,
              const std::function<std::u16string(int row)>& textOf) {
    int row = 0;
    while (row < count && CompareNoCase(textOf(row), text) <= 0)
        ++row;
    return row;
}

QWidget* ControlWidget(CWnd* dialog, UINT id) {
    auto* owner = dynamic_cast<CDialog*>(dialog);
    CWnd* control = owner ? owner->GetDlgItem(static_cast<int>(id)) : nullptr;
    ControlWindow* window = control ? ControlWindow::Of(control->GetSafeHwnd()) : nullptr;
    return window ? window->Widget() : nullptr;
}

} // namespace platform::detail
