#include <testsupport/XServer.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

XServer::XServer() {
    std::random_device seed;
    for (int attempt = 0; attempt < 5 && m_pid < 0; ++attempt) {
        const int number = 1000 + static_cast<int>(seed() % 8000);
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        std::error_code ec;
        if (std::filesystem::exists(socket, ec))
            continue;
        m_display = ":" + std::to_string(number);
        std::string name = "Xvfb", screen = "-screen", size = "0", geometry = "320x240x24",
                    listen = "-nolisten", tcp = "tcp", reset = "-noreset";
        char* argv[] = {name.data(), m_display.data(), screen.data(),
                        size.data(), geometry.data(),  listen.data(),
                        tcp.data(),  reset.data(),     nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        const int failed = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed)
            return;
        for (int wait = 0; wait < 100; ++wait) {
            if (std::filesystem::exists(socket, ec)) {
                m_pid = pid;
                setenv("DISPLAY", m_display.c_str(), 1);
                return;
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

XServer::~XServer() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

} // namespace testsupport
