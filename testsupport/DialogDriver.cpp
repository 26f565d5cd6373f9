#include <testsupport/DialogDriver.h>

#include <platform/CPropertySheet.h>

#include "framework/ControlWindow.h"
#include "windows/WindowState.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

void PrintTo(const CString& text, std::ostream* out) {
    *out << '"' << QString::fromStdU16String(text.str()).toStdString() << '"';
}

namespace testsupport {

namespace {

using platform::detail::WindowState;

QWidget* TopWidget(CWnd* window) {
    WindowState* state = window ? WindowState::Of(window->GetSafeHwnd()) : nullptr;
    return state ? state->widget.data() : nullptr;
}

// A person's tap lands in the window they look at: it is the active one.
void Activate(QWidget* widget) {
    if (widget && QApplication::activeWindow() != widget->window())
        QApplication::setActiveWindow(widget->window());
}

// Where a row of an item view is, scrolled into view first as a person would.
QPoint RowPoint(QAbstractItemView* view, int row) {
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    return view->visualRect(index).center();
}

// The toolkit's test double click is the second press alone; a person also taps and lifts.
void DoubleClick(QAbstractItemView* view, QPoint at) {
    Activate(view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
}

// The rows of a combo box or an item view.
QAbstractItemModel* ModelOf(QWidget* widget) {
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->model();
    auto* view = qobject_cast<QAbstractItemView*>(widget);
    return view ? view->model() : nullptr;
}

} // namespace

QWidget* DialogDriver::Widget(UINT id) const {
    QWidget* widget = platform::detail::ControlWidget(m_window, id);
    EXPECT_NE(widget, nullptr) << "no control " << id;
    return widget;
}

void DialogDriver::Click(UINT id) {
    QWidget* widget = Widget(id);
    Activate(widget);
    if (auto* box = qobject_cast<QCheckBox*>(widget))
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    else if (widget)
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void DialogDriver::Focus(UINT id) {
    if (QWidget* widget = Widget(id)) {
        // Without a window system nothing activates the window, and an inactive window's
        // widgets hear nothing of the focus.
        Activate(widget);
        widget->setFocus(Qt::MouseFocusReason);
    }
}

void DialogDriver::Type(UINT id, std::u16string_view text) {
    auto* edit = qobject_cast<QLineEdit*>(Widget(id));
    ASSERT_NE(edit, nullptr) << "control " << id << " is no edit field";
    Focus(id);
    edit->selectAll();
    if (text.empty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, QString::fromStdU16String(std::u16string(text)));
}

void DialogDriver::Select(UINT id, int row) {
    QWidget* widget = Widget(id);
    Activate(widget);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        ASSERT_LT(row, combo->count());
        combo->setCurrentIndex(row);
        Q_EMIT combo->activated(row);
    } else if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
        ASSERT_LT(row, view->model()->rowCount());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, RowPoint(view, row));
    } else {
        ADD_FAILURE() << "control " << id << " has no rows";
    }
}

void DialogDriver::DoubleTap(UINT id, int row) {
    auto* view = qobject_cast<QAbstractItemView*>(Widget(id));
    ASSERT_NE(view, nullptr) << "control " << id << " has no rows";
    ASSERT_LT(row, view->model()->rowCount());
    const QPoint below(view->viewport()->width() / 2, view->viewport()->height() - 2);
    if (row < 0)
        ASSERT_FALSE(view->indexAt(below).isValid()) << "the rows fill the view";
    DoubleClick(view, row < 0 ? below : RowPoint(view, row));
}

std::u16string DialogDriver::Text(UINT id) const {
    if (auto* combo = qobject_cast<QComboBox*>(Widget(id)))
        return combo->currentText().toStdU16String();
    // What the control shows is what the program reads from it.
    auto* dialog = dynamic_cast<CDialog*>(m_window);
    CWnd* window = dialog ? dialog->GetDlgItem(static_cast<int>(id)) : nullptr;
    CDialogControl control;
    control.m_hWnd = window ? window->GetSafeHwnd() : nullptr;
    return control.GetWindowText().str();
}

std::vector<std::u16string> DialogDriver::Rows(UINT id) const {
    std::vector<std::u16string> rows;
    QAbstractItemModel* model = ModelOf(Widget(id));
    for (int i = 0; model && i < model->rowCount(); ++i)
        rows.push_back(Cell(id, i, 0));
    return rows;
}

std::u16string DialogDriver::Cell(UINT id, int row, int column) const {
    QAbstractItemModel* model = ModelOf(Widget(id));
    return model ? model->index(row, column).data().toString().toStdU16String() : u"";
}

int DialogDriver::Selected(UINT id) const {
    QWidget* widget = Widget(id);
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->currentIndex();
    if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
        const QModelIndexList rows = view->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.front().row();
    }
    return -1;
}

bool DialogDriver::Checked(UINT id) const {
    auto* button = qobject_cast<QAbstractButton*>(Widget(id));
    return button && button->isChecked();
}

bool DialogDriver::Enabled(UINT id) const {
    QWidget* widget = Widget(id);
    return widget && widget->isEnabled();
}

bool DialogDriver::Shown(UINT id) const {
    QWidget* widget = Widget(id);
    return widget && widget->isVisible();
}

RECT DialogDriver::Place(UINT id) const {
    QWidget* widget = Widget(id);
    QWidget* top = TopWidget(m_window);
    if (!widget || !top)
        return RECT{};
    const QPoint at = widget->mapTo(top, QPoint(0, 0));
    return RECT{at.x(), at.y(), at.x() + widget->width(), at.y() + widget->height()};
}

void DialogDriver::Press(int button) {
    QWidget* top = TopWidget(m_window);
    ASSERT_NE(top, nullptr) << "the window is gone";
    if (auto* box = top->findChild<QDialogButtonBox*>()) {
        QPushButton* pressed =
            box->button(button == IDOK ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
        ASSERT_NE(pressed, nullptr);
        QTest::mouseClick(pressed, Qt::LeftButton);
        return;
    }
    Click(static_cast<UINT>(button));
}

DialogDriver DialogDriver::Page(int index) {
    QWidget* top = TopWidget(m_window);
    auto* tabs = top ? top->findChild<QTabBar*>() : nullptr;
    auto* stack = top ? top->findChild<QStackedWidget*>() : nullptr;
    if (!tabs || !stack || index >= tabs->count()) {
        ADD_FAILURE() << "no page " << index;
        return DialogDriver(nullptr);
    }
    tabs->setCurrentIndex(index);
    QWidget* holder = stack->widget(index);
    for (HWND child : WindowState::Of(m_window->GetSafeHwnd())->children)
        if (WindowState* state = WindowState::Of(child);
            state && state->widget && holder->isAncestorOf(state->widget))
            return DialogDriver(state->owner);
    ADD_FAILURE() << "page " << index << " has no window";
    return DialogDriver(nullptr);
}

QImage DialogDriver::Picture() const {
    QWidget* top = TopWidget(m_window);
    return top ? top->grab().toImage() : QImage();
}

ModalScript::ModalScript() {
    platform::SetModalHook([this](CWnd* window) {
        m_titles.push_back(window->GetWindowText().str());
        DialogDriver driver(window);
        if (m_steps.empty())
            return m_otherwise ? m_otherwise(driver) : IDCANCEL;
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        return step(driver);
    });
}

ModalScript::~ModalScript() {
    platform::SetModalHook(nullptr);
}

} // namespace testsupport
