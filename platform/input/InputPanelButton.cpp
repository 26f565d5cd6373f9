#include "input/InputPanelButton.h"

#include <platform/InputPanel.h>
#include <platform/Tray.h>

#include "windows/FramePlacement.h"
#include "windows/WindowState.h"

#include <QEvent>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

namespace platform::detail {

namespace {

// Kept for the rest of the process, as the application object is: destroyed at exit it
// would outlive the window system's own state.
InputPanelButton*& TheButton() {
    static InputPanelButton* button = nullptr;
    return button;
}

// Follows the frame as it moves, and stays above the strip when shown.
class Follower : public QObject {
public:
    Follower(QObject* parent, InputPanelButton* button) : QObject(parent), m_button(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show)
            m_button->Place();
        return QObject::eventFilter(watched, event);
    }

private:
    InputPanelButton* m_button;
};

} // namespace

InputPanelButton* InputPanelButton::Existing() {
    InputPanelButton* button = TheButton();
    return button && button->GetSafeHwnd() ? button : nullptr;
}

InputPanelButton* InputPanelButton::For(QWidget* frame) {
    if (!platform::InputPanelEnabled())
        return nullptr;
    InputPanelButton*& button = TheButton();
    if (!button) {
        button = new InputPanelButton;
        const QRect strip = StripGeometry(frame);
        const RECT place{strip.right() + 1 - kWidth, strip.top(), strip.right() + 1,
                         strip.bottom() + 1};
        if (!button->Create(nullptr, u"MS_SIPBUTTON", WS_POPUP, place, nullptr, 0))
            return nullptr;
        QWidget* host = WindowState::Of(button->GetSafeHwnd())->widget;
        host->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                             Qt::WindowStaysOnTopHint);
        host->setAttribute(Qt::WA_ShowWithoutActivating);
        host->setGeometry(place.left, place.top, kWidth, place.bottom - place.top);
        host->setFixedSize(kWidth, place.bottom - place.top);
        auto* layout = new QVBoxLayout(host);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* key = new QToolButton(host);
        key->setText(QStringLiteral("\u2328"));
        key->setFocusPolicy(Qt::NoFocus);
        key->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        key->setAutoRaise(true);
        layout->addWidget(key);
        QObject::connect(key, &QToolButton::clicked, key,
                         [] { SipShowIM(platform::InputPanelShown() ? SIPF_OFF : SIPF_ON); });
        host->installEventFilter(new Follower(host, button));
    }
    if (frame && button->m_frame != frame) {
        button->m_frame = frame;
        frame->installEventFilter(new Follower(frame, button));
    }
    button->Place();
    return button;
}

void InputPanelButton::Place() {
    WindowState* state = WindowState::Of(m_hWnd);
    if (!state || !state->widget)
        return;
    const QRect strip = StripGeometry(m_frame);
    state->widget->move(strip.right() + 1 - kWidth, strip.top());
    if (state->widget->isVisible())
        state->widget->raise();
}

void ShowInputPanelButton(QWidget* frame, DWORD dwState) {
    InputPanelButton* button = InputPanelButton::For(frame);
    if (!button)
        return;
    if (dwState & SHFS_HIDESIPBUTTON)
        button->ShowWindow(SW_HIDE);
    else if (dwState & SHFS_SHOWSIPBUTTON)
        button->ShowWindow(SW_SHOW);
}

int InputPanelButtonRoom() {
    return platform::InputPanelEnabled() ? InputPanelButton::kWidth : 0;
}

} // namespace platform::detail
