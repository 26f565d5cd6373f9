#pragma once

#include "core/UniqueFd.h"

#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace platform::detail {

// Turns the requests to end (SIGTERM, SIGINT, SIGHUP) into a call on the UI thread, so that
// the program can end in order. A second request ends the process at once, as usual.
class ExitSignals {
public:
    explicit ExitSignals(std::function<void()> onRequest);
    ExitSignals(const ExitSignals&) = delete;
    ExitSignals& operator=(const ExitSignals&) = delete;
    ~ExitSignals();

private:
    static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

    std::function<void()> m_onRequest;
    UniqueFd m_read;
    UniqueFd m_write;
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous[std::size(kSignals)] = {};
};

// Takes down what runs modally (a menu, a message box, a dialog), the innermost first;
// false when nothing does.
bool CloseModalWindow();

} // namespace platform::detail
