#include "shell-ui/InstanceChannel.h"

#include <platform/CWnd.h>
#include <platform/Device.h>

#include "core/Text.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace platform::detail {

namespace {

constexpr int kTimeoutMs = 1000;

QString ChannelName() {
    std::error_code ec;
    auto folder = std::filesystem::weakly_canonical(DeviceFolder(), ec);
    QByteArray hash = QCryptographicHash::hash(QByteArray::fromStdString(folder.string()),
                                               QCryptographicHash::Sha1)
                          .toHex()
                          .left(16);
    return QStringLiteral("tovalo-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

// One request, one line of answer: "FIND <title>" or "RAISE <title>"; the answer is 1 or 0.
QByteArray Ask(const QByteArray& request) {
    QLocalSocket socket;
    socket.connectToServer(ChannelName());
    if (!socket.waitForConnected(kTimeoutMs))
        return {};
    socket.write(request + '\n');
    if (!socket.waitForBytesWritten(kTimeoutMs))
        return {};
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(kTimeoutMs))
            return {};
    return socket.readLine().trimmed();
}

QByteArray Answer(const QByteArray& line) {
    int space = line.indexOf(' ');
    QByteArray verb = line.left(space);
    std::u16string title = FromUtf8(line.mid(space + 1).toStdString());
    // Only this process's own windows: asking on would ask this very channel.
    HWND local = FindLocalWindow(title.c_str());
    if (verb == "FIND")
        return local ? "1" : "0";
    if (verb == "RAISE" && local) {
        ShowWindow(local, SW_SHOW);
        SetForegroundWindow(local);
        return "1";
    }
    return "0";
}

class Server : public QLocalServer {
public:
    Server() {
        setSocketOptions(QLocalServer::UserAccessOption);
        connect(this, &QLocalServer::newConnection, this, &Server::Accept);
    }

private:
    void Accept() {
        while (QLocalSocket* socket = nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, socket, [socket] {
                while (socket->canReadLine())
                    socket->write(Answer(socket->readLine().trimmed()) + '\n');
            });
        }
    }
};

std::vector<std::u16string>& RemoteTitles() {
    static std::vector<std::u16string> titles;
    return titles;
}

// Remote handles lie in a range of their own, far from local ones.
constexpr std::uintptr_t kRemoteBase = 0x7F000000;

Server* g_server = nullptr;

void RemoveChannel() {
    if (g_server && g_server->isListening())
        QLocalServer::removeServer(g_server->serverName());
}

} // namespace

void ServeTopLevelWindows() {
    if (g_server)
        return;
    // Lives as long as the program: the channel answers until the process ends, and its
    // socket goes with it.
    g_server = new Server;
    Server* server = g_server;
    std::atexit(RemoveChannel);
    QString name = ChannelName();
    if (!server->listen(name)) {
        // A socket left by a program that died answers nobody; a live one does.
        QLocalSocket probe;
        probe.connectToServer(name);
        if (!probe.waitForConnected(kTimeoutMs)) {
            QLocalServer::removeServer(name);
            server->listen(name);
        }
    }
}

HWND FindRemoteWindow(const std::u16string& title) {
    // The process that serves the device's channel is the one other programs ask.
    if (g_server && g_server->isListening())
        return nullptr;
    if (Ask("FIND " + QByteArray::fromStdString(ToUtf8(title))) != "1")
        return nullptr;
    auto& titles = RemoteTitles();
    titles.push_back(title);
    return reinterpret_cast<HWND>(kRemoteBase + titles.size() - 1);
}

bool IsRemoteWindow(HWND hWnd) {
    auto value = reinterpret_cast<std::uintptr_t>(hWnd);
    return value >= kRemoteBase && value < kRemoteBase + RemoteTitles().size();
}

bool RaiseRemoteWindow(HWND hWnd) {
    if (!IsRemoteWindow(hWnd))
        return false;
    const auto& title = RemoteTitles()[reinterpret_cast<std::uintptr_t>(hWnd) - kRemoteBase];
    return Ask("RAISE " + QByteArray::fromStdString(ToUtf8(title))) == "1";
}

} // namespace platform::detail
