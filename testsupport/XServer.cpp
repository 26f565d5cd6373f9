#include <testsupport/XServer.h>

#include <QStandardPaths>

namespace testsupport {

XServer::XServer() {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return;
    // -displayfd: the server takes a free display and writes its number once it accepts
    // clients. -noreset: a server that resets when its last client leaves refuses the next.
    m_server.start(xvfb, QStringLiteral("-displayfd 1 -screen 0 240x320x24 -nolisten tcp -noreset")
                             .split(QLatin1Char(' ')));
    if (!m_server.waitForStarted(10000))
        return;
    while (!m_server.canReadLine())
        if (!m_server.waitForReadyRead(10000))
            return;
    const QByteArray number = m_server.readLine().trimmed();
    if (!number.isEmpty())
        m_display = ":" + number.toStdString();
}

XServer::~XServer() {
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(5000)) {
        m_server.kill();
        m_server.waitForFinished();
    }
}

} // namespace testsupport
