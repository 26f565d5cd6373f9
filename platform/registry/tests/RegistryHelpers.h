#pragma once

#include "registry/Hive.h"
#include <platform/Registry.h>
#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace regtest {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

inline const char16_t* const kLauncher = u"Software\\NorviSoft\\NorviLuncher";

// Opens (creating) a key below HKEY_CURRENT_USER and closes it when done.
class Key : public platform::RegistryKey {
public:
    explicit Key(const std::u16string& path, bool create = true) : RegistryKey(path, create) {}

    LONG SetDword(const std::u16string& name, DWORD value) const {
        return RegSetValueExW(Get(), name.c_str(), REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              4);
    }
    LONG SetString(const char16_t* name, const std::u16string& text) const {
        return RegSetValueExW(Get(), name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * 2));
    }
    // The value's bytes, or nothing with the status when it cannot be read.
    LONG Read(const char16_t* name, std::vector<BYTE>& data, DWORD* type = nullptr) const {
        DWORD size = 0;
        LONG status = RegQueryValueExW(Get(), name, type, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return status;
        data.assign(size, 0);
        return RegQueryValueExW(Get(), name, type, data.data(), &size);
    }
    DWORD Dword(const std::u16string& name) const {
        DWORD value = 0xDEADBEEF;
        DWORD size = 4;
        RegQueryValueExW(Get(), name.c_str(), nullptr, reinterpret_cast<BYTE*>(&value), &size);
        return value;
    }
    std::u16string String(const char16_t* name) const {
        std::vector<BYTE> data;
        if (Read(name, data) != ERROR_SUCCESS || data.size() < 2)
            return u"<absent>";
        return std::u16string(reinterpret_cast<const char16_t*>(data.data()), data.size() / 2 - 1);
    }
};

inline bool AllAre(const auto& bytes, BYTE fill) {
    return std::all_of(bytes.begin(), bytes.end(), [fill](BYTE b) { return b == fill; });
}

// The status of opening an existing key.
inline LONG Opens(const std::u16string& path) {
    return Key(path, false).Status();
}

// The names of a key's subkeys (values with `values`), in enumeration order.
inline std::vector<std::u16string> Names(HKEY key, bool values = false) {
    std::vector<std::u16string> names;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD cch = 256;
        if ((values ? RegEnumValueW(key, i, name, &cch, nullptr, nullptr, nullptr)
                    : RegEnumKeyExW(key, i, name, &cch)) != ERROR_SUCCESS)
            return names;
        names.emplace_back(name, cch);
    }
}

// The prefix followed by the number in decimal.
inline std::u16string Numbered(const char16_t* prefix, DWORD n) {
    const std::string digits = std::to_string(n);
    return prefix + std::u16string(digits.begin(), digits.end());
}

// A second connection to the device folder's hive, as another program has it.
inline std::unique_ptr<platform::detail::Hive> OpenConnection(const fs::path& device) {
    LONG error;
    std::string problem;
    auto hive = platform::detail::Hive::Open(device, error, problem);
    EXPECT_TRUE(hive) << problem;
    return hive;
}

// What a registry call returned, as another program answers it.
inline std::string Said(LONG status) {
    return std::to_string(status);
}

// Another program on the same hive: a forked child that runs each step when cued and answers
// with what the step returned. The parent lets go of its own connection first, as a child may
// not share it. The child ends when its steps are done or the object goes.
class OtherProgram {
public:
    explicit OtherProgram(std::vector<std::function<std::string()>> steps) {
        platform::CloseRegistry();
        if (::pipe(m_cue) != 0 || ::pipe(m_answer) != 0 || (m_pid = ::fork()) != 0) {
            Close(m_cue[0], m_answer[1]);
            return;
        }
        Close(m_cue[1], m_answer[0]);
        for (auto& step : steps) {
            char cue;
            if (::read(m_cue[0], &cue, 1) != 1)
                _exit(2);
            const std::string said = step();
            if (::write(m_answer[1], said.c_str(), said.size() + 1) !=
                static_cast<ssize_t>(said.size() + 1))
                _exit(3);
        }
        _exit(0);
    }
    ~OtherProgram() {
        Close(m_cue[1], m_answer[0]);
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
    }
    pid_t Pid() const { return m_pid; }
    void Cue() { EXPECT_EQ(::write(m_cue[1], "x", 1), 1); }
    std::string Answer() {
        std::string said;
        for (char c; ::read(m_answer[0], &c, 1) == 1 && c != '\0';)
            said += c;
        return said;
    }
    // Runs the child's next step and returns what it said.
    std::string Next() {
        Cue();
        return Answer();
    }

private:
    static void Close(int a, int b) {
        ::close(a);
        ::close(b);
    }

    int m_cue[2] = {-1, -1};
    int m_answer[2] = {-1, -1};
    pid_t m_pid = -1;
};

class RegistryTest : public testsupport::DeviceFolderTest {
protected:
    fs::path Hive() const { return Device() / "registry.db"; }
    fs::path Backups() const { return Device() / "backups"; }
};

} // namespace regtest
