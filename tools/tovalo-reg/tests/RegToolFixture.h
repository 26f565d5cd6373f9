#pragma once

#include <platform/Registry.h>
#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// Runs the built tovalo-reg on a test's own device folder and reads the hive it leaves.
namespace regtooltest {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

inline const fs::path kData = TOVALO_REG_TEST_DATA;

struct Result {
    int exit = -1;
    std::string out;
    std::string err;
};

struct Stored {
    DWORD type = 0;
    std::vector<BYTE> data;
    friend bool operator==(const Stored&, const Stored&) = default;
};

inline std::vector<BYTE> Utf16(std::u16string_view text, bool terminator = true) {
    std::vector<BYTE> out;
    for (char16_t c : text) {
        out.push_back(static_cast<BYTE>(c & 0xFF));
        out.push_back(static_cast<BYTE>(c >> 8));
    }
    if (terminator)
        out.insert(out.end(), {0, 0});
    return out;
}

class RegToolTest : public testsupport::DeviceFolderTest {
protected:
    fs::path Io(const std::string& name) const { return Device().parent_path() / (Tag() + name); }
    std::string Tag() const { return Device().filename().string() + "-"; }
    void TearDown() override {
        std::error_code ec;
        for (auto name : {"out", "err", "in.reg"})
            fs::remove(Io(name), ec);
        DeviceFolderTest::TearDown();
    }

    // Runs the built tool on this test's device folder; `shell` goes before it, such as a
    // ulimit.
    Result Run(const std::string& args, const std::string& shell = "") {
        platform::CloseRegistry(); // as a separate program would find the hive
        // TOVALO_BIN when the test runner sets it, else where this build put the tool.
        const char* bin = std::getenv("TOVALO_BIN");
        std::string command = shell + "\"" + std::string(bin && *bin ? bin : TOVALO_REG_BIN) +
                              "/tovalo-reg\" " + args + " >\"" + Io("out").string() + "\" 2>\"" +
                              Io("err").string() + "\" </dev/null";
        int status = std::system(command.c_str());
        Result result;
        result.exit = status == -1 ? -1 : (status >> 8) & 0xFF;
        result.out = ReadFile(Io("out"));
        result.err = ReadFile(Io("err"));
        return result;
    }

    static void Set(const char16_t* path, const char16_t* name, DWORD type,
                    const std::vector<BYTE>& data) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, name, type, data.data(), static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // Every value below the key, by "path|name", read through the registry.
    static std::map<std::u16string, Stored> Snapshot(const std::u16string& path) {
        std::map<std::u16string, Stored> all;
        std::vector<std::u16string> pending{path};
        while (!pending.empty()) {
            std::u16string current = pending.back();
            pending.pop_back();
            HKEY key;
            if (RegOpenKeyExW(HKEY_CURRENT_USER, current.c_str(), &key) != ERROR_SUCCESS)
                continue;
            all[current + u"|<key>"] = {};
            for (DWORD i = 0;; ++i) {
                WCHAR name[256];
                DWORD cch = 256;
                BYTE data[4096];
                DWORD size = sizeof data;
                DWORD type = 0;
                if (RegEnumValueW(key, i, name, &cch, &type, data, &size) != ERROR_SUCCESS)
                    break;
                all[current + u"|" + std::u16string(name, cch)] = {
                    type, std::vector<BYTE>(data, data + size)};
            }
            for (DWORD i = 0;; ++i) {
                WCHAR name[256];
                DWORD cch = 256;
                if (RegEnumKeyExW(key, i, name, &cch) != ERROR_SUCCESS)
                    break;
                pending.push_back(current + u"\\" + std::u16string(name, cch));
            }
            RegCloseKey(key);
        }
        return all;
    }

    void FillEveryType() {
        const char16_t* root = u"Software\\NorviSoft\\NorviLuncher";
        Set(root, u"SetKey", REG_DWORD, {10, 0, 0, 0});
        Set(root, u"", REG_SZ, Utf16(u"unnamed"));
        Set(root, u"Grüße \"q\" \\b", REG_SZ, Utf16(u"日本語 😀 \"zitat\" C:\\x\\"));
        Set(root, u"Empty", REG_SZ, Utf16(u""));
        Set(root, u"NoTerminator", REG_SZ, Utf16(u"ab", false));
        Set(root, u"Lines", REG_SZ, Utf16(u"a\r\nb"));
        Set(root, u"ShortDword", REG_DWORD, {1, 2});
        std::vector<BYTE> blob(300);
        for (std::size_t i = 0; i < blob.size(); ++i)
            blob[i] = static_cast<BYTE>(i * 7);
        Set(root, u"Blob", REG_BINARY, blob);
        Set(root, u"NoBytes", REG_BINARY, {});
        Set(root, u"Expand", REG_EXPAND_SZ, Utf16(u"%WINDIR%\\x"));
        Set(root, u"Multi", REG_MULTI_SZ, Utf16(std::u16string(u"one\0two\0", 8)));
        Set(root, u"None", REG_NONE, {0});
        Set(root, u"Odd", 0x12345678, {1, 2, 3});
        Set(u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups0", u"GroupName", REG_SZ,
            Utf16(u"etc."));
        Set(u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups1", u"PK", REG_DWORD, {1, 0, 0, 0});
        Set(u"Software\\NorviSoft\\NorviLuncher\\EXEs\\EXEs0", u"IconPath", REG_SZ,
            Utf16(u"\\Windows\\Start Menu\\Programs\\Ünïcödé.lnk"));
        HKEY empty;
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\NorviSoft\\NorviLuncher\\QL", &empty),
            ERROR_SUCCESS);
        RegCloseKey(empty);
    }
};

} // namespace regtooltest
