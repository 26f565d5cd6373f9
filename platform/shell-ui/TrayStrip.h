#pragma once

#include <platform/Types.h>
#include <platform/platform_export.h>

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace platform::detail {

// The notification area of our own where the desktop has none: a 26-pixel strip above the
// frame with the icons at its right end. It is a window of its own, so it stays when the
// frame is hidden.
class PLATFORM_EXPORT TrayStrip : public QWidget {
public:
    struct Icon {
        UINT id = 0;
        QImage image;
    };

    // onClick gets the icon and its place on the screen.
    explicit TrayStrip(std::function<void(UINT id, QRect icon)> onClick);
    // Newest icon leftmost, as notification areas grow.
    void SetIcons(std::vector<Icon> icons);
    // Keeps the strip just above this frame window as it moves.
    void Follow(QWidget* frame);
    // The icon under a point of the strip, 0 for none.
    UINT IconAt(QPoint point) const;
    // A short line shown at the strip's left for a while, then gone by itself.
    void ShowNotice(const QString& text);
    QString Notice() const { return m_notice; }
    void SetNoticeDuration(int milliseconds) { m_noticeDuration = milliseconds; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect IconRect(std::size_t index) const;
    void Place();

    std::function<void(UINT id, QRect icon)> m_onClick;
    std::vector<Icon> m_icons;
    QPointer<QWidget> m_frame;
    int m_framePushes = 0;
    QString m_notice;
    QTimer m_noticeTimer;
    int m_noticeDuration = 6000;
};

// The strip while it exists (tests render and click it).
PLATFORM_EXPORT TrayStrip* TheTrayStrip();

// Tells the user something in passing: a message from the icon in the desktop's tray, or a
// notice in the strip. Without either, nobody is told (callers log what they report).
void ShowNotice(const std::u16string& text);

} // namespace platform::detail
