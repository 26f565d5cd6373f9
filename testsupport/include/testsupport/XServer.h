#pragma once

#include <string>

namespace testsupport {

// An Xvfb server of its own for a test, on a display number picked at random: DISPLAY names
// it while the object lives. Running() is false when Xvfb is missing or did not start.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool Running() const { return m_pid > 0; }
    const std::string& Display() const { return m_display; }

private:
    int m_pid = -1;
    std::string m_display;
};

} // namespace testsupport
