#pragma once

#include <platform/Registry.h>
#include <testsupport/DeviceFolder.h>
#include <testsupport/Processes.h>
#include <testsupport/Program.h>
#include <testsupport/StoreDump.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// Runs the built tovalo-reg on a test's own device folder and reads the hive it leaves.
namespace regtooltest {

namespace fs = std::filesystem;
using storedump::Dump;
using storedump::Dword;
using storedump::Text;
using storedump::Tree;
using storedump::Value;
using testsupport::ProgramResult;
using testsupport::ReadFile;
using testsupport::WriteFile;

inline const fs::path kData = TOVALO_REG_TEST_DATA;
inline const std::u16string kRoot = u"Software\\NorviSoft\\NorviLuncher";
inline const std::string kLauncher = "HKCU\\Software\\NorviSoft\\NorviLuncher";

inline std::vector<BYTE> Utf16(std::u16string_view text, bool terminator = true) {
    std::vector<BYTE> out;
    for (char16_t c : text)
        out.insert(out.end(), {static_cast<BYTE>(c & 0xFF), static_cast<BYTE>(c >> 8)});
    if (terminator)
        out.insert(out.end(), {0, 0});
    return out;
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
        EXPECT_TRUE(Dump(key).empty());
        Expect({"import", Io("in.reg").string()}, 0);
        return exported;
    }

    static void Set(const std::u16string& path, const char16_t* name, const Value& value) {
        platform::RegistryKey key(path, true);
        ASSERT_EQ(RegSetValueExW(key.Get(), name, value.type, value.data.data(),
                                 static_cast<DWORD>(value.data.size())),
                  ERROR_SUCCESS);
    }
    // A value below the launcher's key.
    static void SetIn(const std::u16string& path, const char16_t* name, const Value& value) {
        Set(path.empty() ? kRoot : kRoot + u"\\" + path, name, value);
    }

    // Values of every type and of text and names that need quoting or escapes, in keys at
    // several depths.
    static void FillEveryType() {
        SetIn(u"", u"SetKey", Dword(10));
        SetIn(u"", u"", Text(u"unnamed"));
        SetIn(u"", u"Grüße \"q\" \\b", Text(u"日本語 😀 \"zitat\" C:\\x\\"));
        SetIn(u"", u"Empty", Text(u""));
        SetIn(u"", u"NoTerminator", {REG_SZ, Utf16(u"ab", false)});
        SetIn(u"", u"Lines", Text(u"a\r\nb"));
        SetIn(u"", u"one\ntwo", Dword(1));
        SetIn(u"", u"CR\r\nLF \\n \"q\"", Text(u"x"));
        SetIn(u"", u"ShortDword", {REG_DWORD, {1, 2}});
        std::vector<BYTE> blob(300);
        for (std::size_t i = 0; i < blob.size(); ++i)
            blob[i] = static_cast<BYTE>(i * 7);
        SetIn(u"", u"Blob", {REG_BINARY, blob});
        SetIn(u"", u"NoBytes", {REG_BINARY, {}});
        SetIn(u"", u"Expand", {REG_EXPAND_SZ, Utf16(u"%WINDIR%\\x")});
        SetIn(u"", u"Multi", {REG_MULTI_SZ, Utf16(std::u16string(u"one\0two\0", 8))});
        SetIn(u"", u"None", {REG_NONE, {0}});
        SetIn(u"", u"Odd", {0x12345678, {1, 2, 3}});
        SetIn(u"Groups\\Groups0", u"GroupName", Text(u"etc."));
        SetIn(u"Groups\\Groups1", u"PK", Dword(1));
        SetIn(u"EXEs\\EXEs0", u"IconPath", Text(u"\\Windows\\Start Menu\\Programs\\Ünïcödé.lnk"));
        platform::RegistryKey empty(kRoot + u"\\QL", true);
    }
};

} // namespace regtooltest
