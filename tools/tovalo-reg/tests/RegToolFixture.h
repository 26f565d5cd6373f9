#pragma once

#include <platform/Registry.h>
#include <testsupport/DeviceFolder.h>
#include <testsupport/Processes.h>
#include <testsupport/Program.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// Runs the built tovalo-reg on a test's own device folder and reads the hive it leaves.
namespace regtooltest {

namespace fs = std::filesystem;
using testsupport::ProgramResult;
using testsupport::ReadFile;
using testsupport::WriteFile;

inline const fs::path kData = TOVALO_REG_TEST_DATA;
inline const char16_t* const kRoot = u"Software\\NorviSoft\\NorviLuncher";
inline const std::string kLauncher = "HKCU\\Software\\NorviSoft\\NorviLuncher";

struct Stored {
    DWORD type = 0;
    std::vector<BYTE> data;
    friend bool operator==(const Stored&, const Stored&) = default;
};
using Tree = std::map<std::u16string, Stored>;

inline std::vector<BYTE> Utf16(std::u16string_view text, bool terminator = true) {
    std::vector<BYTE> out;
    for (char16_t c : text)
        out.insert(out.end(), {static_cast<BYTE>(c & 0xFF), static_cast<BYTE>(c >> 8)});
    if (terminator)
        out.insert(out.end(), {0, 0});
    return out;
}

inline std::vector<BYTE> Dword(DWORD value) {
    return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
            static_cast<BYTE>(value >> 24)};
}

class RegToolTest : public testsupport::DeviceFolderTest {
protected:
    fs::path Io(const std::string& name) const {
        return Device().parent_path() / (Device().filename().string() + "-" + name);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove(Io("in.reg"), ec);
        DeviceFolderTest::TearDown();
    }

    // Runs the built tool on this test's device folder, under `limit` (a shell's ulimit) when
    // given. Under the sanitizers, which reserve more address space than any limit leaves, it
    // runs without one.
    static ProgramResult Run(std::vector<std::string> args, const std::string& limit = "") {
        platform::CloseRegistry(); // as a separate program would find the hive
        // TOVALO_BIN when the test runner sets it, else where this build put the tool.
        const char* bin = std::getenv("TOVALO_BIN");
        const fs::path tool = fs::path(bin && *bin ? bin : TOVALO_REG_BIN) / "tovalo-reg";
        if (limit.empty() || testsupport::kSanitized)
            return testsupport::RunProgram(tool, args);
        args.insert(args.begin(), {"-c", limit + "; exec \"$0\" \"$@\"", tool.string()});
        return testsupport::RunProgram("/bin/sh", args);
    }
    // Runs the tool and checks its exit code and that it said `says`: on standard output when
    // it succeeded, else on standard error.
    static ProgramResult Expect(const std::vector<std::string>& args, int exit,
                                const std::string& says = "", const std::string& limit = "") {
        ProgramResult result = Run(args, limit);
        const std::string& said = exit == 0 ? result.out : result.err;
        EXPECT_EQ(result.exit, exit) << result.err;
        EXPECT_NE(said.find(says), std::string::npos) << said;
        return result;
    }
    // Exports the key, deletes it and imports the export again; the export's text.
    std::string RoundTrip(const std::u16string& key, const std::string& option = "") {
        std::vector<std::string> args{"export", "HKCU\\" + std::string(key.begin(), key.end())};
        if (!option.empty())
            args.insert(args.begin() + 1, option);
        const std::string exported = Expect(args, 0).out;
        WriteFile(Io("in.reg"), exported);
        EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str()), ERROR_SUCCESS);
        EXPECT_TRUE(Snapshot(key).empty());
        Expect({"import", Io("in.reg").string()}, 0);
        return exported;
    }

    static void Set(const std::u16string& path, const char16_t* name, DWORD type,
                    const std::vector<BYTE>& data) {
        platform::RegistryKey key(path, true);
        ASSERT_EQ(
            RegSetValueExW(key.Get(), name, type, data.data(), static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
    }
    // A value below the launcher's key.
    static void SetIn(const std::u16string& path, const char16_t* name, DWORD type,
                      const std::vector<BYTE>& data) {
        Set(path.empty() ? kRoot : kRoot + (u"\\" + path), name, type, data);
    }

    // Every key and value below the key, by "path|<key>" and "path|name", read through the
    // registry.
    static Tree Snapshot(const std::u16string& path) {
        Tree all;
        std::vector<std::u16string> pending{path};
        while (!pending.empty()) {
            const std::u16string current = pending.back();
            pending.pop_back();
            platform::RegistryKey key(current, false);
            if (!key.IsOpen())
                continue;
            all[current + u"|<key>"] = {};
            for (DWORD i = 0;; ++i) {
                WCHAR name[256];
                BYTE data[4096];
                DWORD cch = 256;
                DWORD size = sizeof data;
                DWORD type = 0;
                if (RegEnumValueW(key.Get(), i, name, &cch, &type, data, &size) != ERROR_SUCCESS)
                    break;
                all[current + u"|" + std::u16string(name, cch)] = {
                    type, std::vector<BYTE>(data, data + size)};
            }
            for (DWORD i = 0;; ++i) {
                WCHAR name[256];
                DWORD cch = 256;
                if (RegEnumKeyExW(key.Get(), i, name, &cch) != ERROR_SUCCESS)
                    break;
                pending.push_back(current + u"\\" + std::u16string(name, cch));
            }
        }
        return all;
    }

    // Values of every type and of text and names that need quoting or escapes, in keys at
    // several depths.
    static void FillEveryType() {
        SetIn(u"", u"SetKey", REG_DWORD, Dword(10));
        SetIn(u"", u"", REG_SZ, Utf16(u"unnamed"));
        SetIn(u"", u"Grüße \"q\" \\b", REG_SZ, Utf16(u"日本語 😀 \"zitat\" C:\\x\\"));
        SetIn(u"", u"Empty", REG_SZ, Utf16(u""));
        SetIn(u"", u"NoTerminator", REG_SZ, Utf16(u"ab", false));
        SetIn(u"", u"Lines", REG_SZ, Utf16(u"a\r\nb"));
        SetIn(u"", u"one\ntwo", REG_DWORD, Dword(1));
        SetIn(u"", u"CR\r\nLF \\n \"q\"", REG_SZ, Utf16(u"x"));
        SetIn(u"", u"ShortDword", REG_DWORD, {1, 2});
        std::vector<BYTE> blob(300);
        for (std::size_t i = 0; i < blob.size(); ++i)
            blob[i] = static_cast<BYTE>(i * 7);
        SetIn(u"", u"Blob", REG_BINARY, blob);
        SetIn(u"", u"NoBytes", REG_BINARY, {});
        SetIn(u"", u"Expand", REG_EXPAND_SZ, Utf16(u"%WINDIR%\\x"));
        SetIn(u"", u"Multi", REG_MULTI_SZ, Utf16(std::u16string(u"one\0two\0", 8)));
        SetIn(u"", u"None", REG_NONE, {0});
        SetIn(u"", u"Odd", 0x12345678, {1, 2, 3});
        SetIn(u"Groups\\Groups0", u"GroupName", REG_SZ, Utf16(u"etc."));
        SetIn(u"Groups\\Groups1", u"PK", REG_DWORD, Dword(1));
        SetIn(u"EXEs\\EXEs0", u"IconPath", REG_SZ,
              Utf16(u"\\Windows\\Start Menu\\Programs\\Ünïcödé.lnk"));
        platform::RegistryKey empty(kRoot + std::u16string(u"\\QL"), true);
    }
};

} // namespace regtooltest
