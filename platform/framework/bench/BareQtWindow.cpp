// The yardstick for the launcher's start-up: a bare Qt widgets program that opens one
// 240 x 294 window and draws one text.
#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace {

class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.drawText(20, 40, QStringLiteral("Tovalo"));
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(240, 294);
    window.show();
    return app.exec();
}
