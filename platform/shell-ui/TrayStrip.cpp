#include "shell-ui/TrayStrip.h"

#include "input/InputPanelButton.h"
#include "windows/FramePlacement.h"
#include "windows/X11Window.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace platform::detail {

namespace {

constexpr int kIconSize = 16;
constexpr int kIconGap = 6;
constexpr int kEdge = 6;
const QColor kBackground(34, 38, 46);
const QColor kRule(62, 68, 80);
const QColor kNoticeText(236, 238, 242);

} // namespace

TrayStrip::TrayStrip(std::function<void(UINT id, QRect icon)> onClick)
    : m_onClick(std::move(onClick)) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Tovalo notifications"));
    setFixedSize(kFrameWidth, kTitleBarHeight);
    m_noticeTimer.setSingleShot(true);
    QObject::connect(&m_noticeTimer, &QTimer::timeout, this, [this] {
        m_notice.clear();
        update();
    });
    Place();
}

void TrayStrip::ShowNotice(const QString& text) {
    m_notice = text;
    m_noticeTimer.start(m_noticeDuration);
    update();
}

void TrayStrip::SetIcons(std::vector<Icon> icons) {
    m_icons = std::move(icons);
    update();
}

void TrayStrip::Follow(QWidget* frame) {
    if (m_frame == frame)
        return;
    if (m_frame)
        m_frame->removeEventFilter(this);
    m_frame = frame;
    if (m_frame)
        m_frame->installEventFilter(this);
    Place();
}

QRect TrayStrip::IconRect(std::size_t index) const {
    // Index 0 is the oldest icon, at the right end.
    int right =
        width() - kEdge - InputPanelButtonRoom() - static_cast<int>(index) * (kIconSize + kIconGap);
    return QRect(right - kIconSize, (height() - kIconSize) / 2, kIconSize, kIconSize);
}

UINT TrayStrip::IconAt(QPoint point) const {
    for (std::size_t i = 0; i < m_icons.size(); ++i)
        if (IconRect(i)
                .adjusted(-kIconGap / 2, -kIconGap / 2, kIconGap / 2, kIconGap / 2)
                .contains(point))
            return m_icons[i].id;
    return 0;
}

void TrayStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    painter.fillRect(QRect(0, height() - 1, width(), 1), kRule);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (std::size_t i = 0; i < m_icons.size(); ++i)
        if (!m_icons[i].image.isNull())
            painter.drawImage(IconRect(i), m_icons[i].image);
    if (m_notice.isEmpty())
        return;
    const int right = m_icons.empty() ? width() - kEdge : IconRect(m_icons.size() - 1).left();
    const QRect area(kEdge, 0, right - kIconGap - kEdge, height() - 1);
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    painter.setPen(kNoticeText);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(m_notice, Qt::ElideRight, area.width()));
}

void TrayStrip::mousePressEvent(QMouseEvent* event) {
    // Any button, and a touch (which reaches here as a press), opens the icon's menu.
    const QPoint at = event->position().toPoint();
    for (std::size_t i = 0; i < m_icons.size(); ++i)
        if (m_icons[i].id == IconAt(at) && m_onClick) {
            m_onClick(m_icons[i].id, QRect(mapToGlobal(IconRect(i).topLeft()), IconRect(i).size()));
            return;
        }
}

bool TrayStrip::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_frame &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
         event->type() == QEvent::Show || event->type() == FrameExtentsChangedEvent()))
        Place();
    return QWidget::eventFilter(watched, event);
}

void TrayStrip::Place() {
    // A frame too high for the strip above its title bar moves down rather than be covered;
    // its move places the strip again.
    // A window manager that keeps the frame where it is gets no endless requests.
    if (const int missing = StripRoomMissing(m_frame); missing > 0 && m_framePushes < 3) {
        ++m_framePushes;
        m_frame->setGeometry(m_frame->geometry().translated(0, missing));
        return;
    }
    move(StripGeometry(m_frame).topLeft());
}

} // namespace platform::detail
