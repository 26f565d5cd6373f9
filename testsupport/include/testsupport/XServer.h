#pragma once

#include <QProcess>

#include <string>

namespace testsupport {

// An X server of the test's own: Xvfb at the device's 240 x 320 on a display number it picks
// itself, so that tests running at the same time never meet. Display() is empty when Xvfb is
// missing or did not start.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool Running() const { return !m_display.empty(); }
    const std::string& Display() const { return m_display; }

private:
    QProcess m_server;
    std::string m_display;
};

} // namespace testsupport
