#include "framework/ExitSignals.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace platform::detail {

namespace {

int g_requests = -1;

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // Async-signal-safe: only a write to the pipe that the UI thread watches.
    [[maybe_unused]] ssize_t written = ::write(g_requests, &byte, 1);
    errno = saved;
}

} // namespace

ExitSignals::ExitSignals(std::function<void()> onRequest) : m_onRequest(std::move(onRequest)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_read.Reset(fds[0]);
    m_write.Reset(fds[1]);
    g_requests = m_write.Get();
    m_notifier = std::make_unique<QSocketNotifier>(m_read.Get(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        char drained[16];
        while (::read(m_read.Get(), drained, sizeof drained) > 0) {
        }
        m_onRequest();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &action, &m_previous[i]);
}

ExitSignals::~ExitSignals() {
    if (!m_write)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &m_previous[i], nullptr);
    g_requests = -1;
}

bool CloseModalWindow() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        return true;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return false;
    // A dialog ends as its Cancel does; any other modal window as its close button does.
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
    return true;
}

} // namespace platform::detail
