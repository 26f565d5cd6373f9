#include "input/InputPanelKeyboard.h"

#include "windows/FramePlacement.h"

#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QToolButton>

namespace platform::detail {

namespace {

constexpr int kWidth = 240;
constexpr int kKeyHeight = 22;
constexpr int kColumns = 10;
const char* const kRows[] = {"1234567890", "qwertyuiop", "asdfghjkl", "zxcvbnm"};

QToolButton* MakeKey(QWidget* parent, const QString& text, const QString& name) {
    auto* key = new QToolButton(parent);
    key->setText(text);
    key->setObjectName(name);
    key->setFocusPolicy(Qt::NoFocus);
    key->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    key->setFixedHeight(kKeyHeight);
    return key;
}

} // namespace

InputPanelKeyboard::InputPanelKeyboard() {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                   Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("Tovalo input panel"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    int row = 0;
    for (const char* letters : kRows) {
        const QString keys = QString::fromLatin1(letters);
        for (int i = 0; i < keys.size(); ++i) {
            const QString text = keys.mid(i, 1);
            QToolButton* key = MakeKey(this, text, text);
            connect(key, &QToolButton::clicked, this, [this, text] {
                const QString typed = m_shift ? text.toUpper() : text;
                Press(0, typed);
                SetShift(false);
            });
            // Each key is two half-columns wide; the letters of the last row sit between
            // shift and enter.
            grid->addWidget(key, row, (row == 3 ? 3 : 0) + i * 2, 1, 2);
        }
        ++row;
    }
    QToolButton* backspace = MakeKey(this, QStringLiteral("\u232B"), QStringLiteral("Backspace"));
    connect(backspace, &QToolButton::clicked, this, [this] { Press(Qt::Key_Backspace, {}); });
    grid->addWidget(backspace, 2, 18, 1, 2);
    QToolButton* shift = MakeKey(this, QStringLiteral("\u21E7"), QStringLiteral("Shift"));
    shift->setCheckable(true);
    connect(shift, &QToolButton::clicked, this, [this](bool on) { SetShift(on); });
    grid->addWidget(shift, 3, 0, 1, 3);
    QToolButton* enter = MakeKey(this, QStringLiteral("\u23CE"), QStringLiteral("Enter"));
    connect(enter, &QToolButton::clicked, this, [this] { Press(Qt::Key_Return, {}); });
    grid->addWidget(enter, 3, 17, 1, 3);
    QToolButton* space = MakeKey(this, QString(), QStringLiteral("Space"));
    connect(space, &QToolButton::clicked, this,
            [this] { Press(Qt::Key_Space, QStringLiteral(" ")); });
    grid->addWidget(space, 4, 4, 1, 12);
    for (int column = 0; column < 2 * kColumns; ++column)
        grid->setColumnStretch(column, 1);
    setFixedSize(kWidth, 5 * kKeyHeight);
}

QAbstractButton* InputPanelKeyboard::Key(const QString& name) const {
    return findChild<QAbstractButton*>(name);
}

void InputPanelKeyboard::PlaceFor(const QWidget* window) {
    QRect area;
    if (IsDeviceScreen())
        area = QRect(0, 0, kDeviceScreenWidth, kDeviceScreenHeight);
    else if (window)
        area = window->geometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    move(area.left(), area.bottom() + 1 - height());
}

void InputPanelKeyboard::Press(int key, const QString& text) {
    QWidget* target = QApplication::focusWidget();
    if (!target)
        return;
    int code = key;
    if (code == 0 && !text.isEmpty())
        code = text.at(0).isDigit() ? Qt::Key_0 + text.at(0).digitValue()
                                    : Qt::Key_A + (text.at(0).toLower().unicode() - u'a');
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

void InputPanelKeyboard::SetShift(bool on) {
    m_shift = on;
    if (QAbstractButton* shift = Key(QStringLiteral("Shift")))
        shift->setChecked(on);
    for (const char* letters : kRows)
        for (QChar letter : QString::fromLatin1(letters))
            if (QAbstractButton* key = Key(QString(letter)); key && letter.isLetter())
                key->setText(on ? QString(letter.toUpper()) : QString(letter));
}

} // namespace platform::detail
