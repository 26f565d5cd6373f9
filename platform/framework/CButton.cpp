#include <platform/Controls.h>

#include "framework/ControlWindow.h"

#include <QAbstractButton>

using platform::detail::ControlWindow;

int CButton::GetCheck() const {
    ControlWindow* control = ControlWindow::Of(m_hWnd);
    auto* button = control ? control->As<QAbstractButton>() : nullptr;
    return button && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int nCheck) {
    ControlWindow* control = ControlWindow::Of(m_hWnd);
    auto* button = control ? control->As<QAbstractButton>() : nullptr;
    if (!button || !button->isCheckable())
        return;
    ControlWindow::Quiet quiet(control);
    button->setChecked(nCheck == BST_CHECKED);
}
