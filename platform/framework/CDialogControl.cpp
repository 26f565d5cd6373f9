#include <platform/Controls.h>

#include "framework/ControlWindow.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

using platform::detail::ControlWindow;
using platform::detail::ToQt;

UINT CDialogControl::GetDlgCtrlID() const {
    ControlWindow* control = ControlWindow::Of(m_hWnd);
    return control ? control->Item().id : 0;
}

BOOL CDialogControl::EnableWindow(BOOL bEnable) {
    ControlWindow* control = ControlWindow::Of(m_hWnd);
    if (!control || !control->Widget())
        return FALSE;
    const BOOL wasDisabled = control->Widget()->isEnabled() ? FALSE : TRUE;
    control->Widget()->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

BOOL CDialogControl::IsWindowEnabled() const {
    ControlWindow* control = ControlWindow::Of(m_hWnd);
    return control && control->Widget() && control->Widget()->isEnabled() ? TRUE : FALSE;
}

BOOL CDialogControl::ShowWindow(int nCmdShow) {
    return ::ShowWindow(m_hWnd, nCmdShow);
}

BOOL CDialogControl::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}

void CDialogControl::SetFocus() {
    if (ControlWindow* control = ControlWindow::Of(m_hWnd); control && control->Widget())
        control->Widget()->setFocus(Qt::OtherFocusReason);
}

CString CDialogControl::GetWindowText() const {
    ControlWindow* control = ControlWindow::Of(m_hWnd);
    if (!control)
        return CString();
    QWidget* widget = control->Widget();
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        text = edit->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        text = button->text();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        text = label->text();
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        text = group->title();
    else
        return control->GetWindowText();
    return CString(text.toStdU16String());
}

void CDialogControl::SetWindowText(LPCWSTR text) {
    ControlWindow* control = ControlWindow::Of(m_hWnd);
    if (!control)
        return;
    ControlWindow::Quiet quiet(control);
    QWidget* widget = control->Widget();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(ToQt(text));
        // A text the program sets shows from its start, as on the device.
        edit->setCursorPosition(0);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(ToQt(text));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(ToQt(text));
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(ToQt(text));
    }
    control->SetWindowText(text);
}
