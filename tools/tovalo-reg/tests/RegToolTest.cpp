#include "RegToolFixture.h"

namespace {

using namespace regtooltest;

TEST_F(RegToolTest, ExportWritesTheRegeditLayout) {
    Set(u"Software\\NorviSoft\\NorviLuncher", u"SetKey", REG_DWORD, {10, 0, 0, 0});
    Set(u"Software\\NorviSoft\\NorviLuncher\\Skin", u"SkinCheck", REG_DWORD, {1, 0, 0, 0});
    Set(u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups0", u"GroupName", REG_SZ,
        Utf16(u"etc."));
    Set(u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups0", u"PK", REG_DWORD, {0, 0, 0, 0});
    Set(u"Software\\NorviSoft\\NorviLuncher\\Groups", u"GROUPCOUNT", REG_DWORD, {1, 0, 0, 0});
    Result result = Run("export 'HKCU\\Software\\NorviSoft\\NorviLuncher'");
    ASSERT_EQ(result.exit, 0) << result.err;
    EXPECT_EQ(result.out,
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher]\n"
              "\"SetKey\"=dword:0000000a\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher\\Groups]\n"
              "\"GROUPCOUNT\"=dword:00000001\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher\\Groups\\Groups0]\n"
              "\"GroupName\"=\"etc.\"\n"
              "\"PK\"=dword:00000000\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher\\Skin]\n"
              "\"SkinCheck\"=dword:00000001\n"
              "\n");

    Result utf16 =
        Run("export --utf16 'HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher\\Skin'");
    ASSERT_EQ(utf16.exit, 0) << utf16.err;
    std::u16string expected = u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n"
                              u"[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher\\Skin]\r\n"
                              u"\"SkinCheck\"=dword:00000001\r\n\r\n";
    std::vector<BYTE> bytes = Utf16(expected, false);
    EXPECT_EQ(utf16.out, std::string(bytes.begin(), bytes.end()));

    Result missing = Run("export 'HKCU\\Software\\Absent'");
    EXPECT_NE(missing.exit, 0);
    EXPECT_NE(missing.err.find("does not exist"), std::string::npos) << missing.err;
    EXPECT_NE(Run("export 'HKEY_LOCAL_MACHINE\\Software'").exit, 0);
}

TEST_F(RegToolTest, RoundTripKeepsEveryTypeAndText) {
    FillEveryType();
    const auto before = Snapshot(u"Software");
    for (const char* option : {"", "--utf16 "}) {
        SCOPED_TRACE(option);
        Result exported = Run(std::string("export ") + option + "'HKCU\\Software'");
        ASSERT_EQ(exported.exit, 0) << exported.err;
        WriteFile(Io("in.reg"), exported.out);
        ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software"), ERROR_SUCCESS);
        ASSERT_TRUE(Snapshot(u"Software").empty());

        Result imported = Run("import '" + Io("in.reg").string() + "'");
        ASSERT_EQ(imported.exit, 0) << imported.err;
        EXPECT_EQ(Snapshot(u"Software"), before);
        Result again = Run(std::string("export ") + option + "'HKCU\\Software'");
        EXPECT_EQ(again.out, exported.out);
    }
}

TEST_F(RegToolTest, ImportAppliesDeletionsAndRegedit4) {
    Set(u"Software\\Old\\Deep", u"X", REG_DWORD, {1, 0, 0, 0});
    Set(u"Software\\NorviSoft\\NorviLuncher", u"Gone", REG_DWORD, {1, 0, 0, 0});
    Result result = Run("import '" + (kData / "good" / "all-forms-utf16.reg").string() + "'");
    ASSERT_EQ(result.exit, 0) << result.err;
    EXPECT_EQ(Snapshot(u"Software\\Old"), (std::map<std::u16string, Stored>{}));
    auto after = Snapshot(u"Software\\NorviSoft\\NorviLuncher");
    EXPECT_EQ(after.count(u"Software\\NorviSoft\\NorviLuncher|Gone"), 0u);
    EXPECT_EQ(after[u"Software\\NorviSoft\\NorviLuncher|SetKey"],
              (Stored{REG_DWORD, {10, 0, 0, 0}}));

    result = Run("import '" + (kData / "good" / "regedit4.reg").string() + "'");
    ASSERT_EQ(result.exit, 0) << result.err;
    EXPECT_EQ(Snapshot(u"Software\\Old")[u"Software\\Old|Name"], (Stored{REG_SZ, Utf16(u"café")}));
}

TEST_F(RegToolTest, AFaultyImportChangesNothing) {
    FillEveryType();
    Set(u"Software\\Imported", u"A", REG_DWORD, {7, 0, 0, 0});
    const auto before = Snapshot(u"Software");
    for (auto& entry : fs::directory_iterator(kData / "malformed")) {
        SCOPED_TRACE(entry.path().filename().string());
        Result result = Run("import '" + entry.path().string() + "'");
        EXPECT_NE(result.exit, 0);
        EXPECT_NE(result.err.find(entry.path().string() + ":"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("nothing was imported"), std::string::npos) << result.err;
        EXPECT_EQ(Snapshot(u"Software"), before);
    }
    // The long path passes the reading and fails while applying, after a value was set.
    Result late = Run("import '" + (kData / "malformed" / "path-too-long.reg").string() + "'");
    EXPECT_NE(late.err.find("path-too-long.reg:6:"), std::string::npos) << late.err;
}

TEST_F(RegToolTest, DeepTreeExportsAndImportsBack) {
    std::u16string path = u"Software\\Deep";
    for (int i = 0; i < 400; ++i)
        path += u"\\k";
    Set(path.c_str(), u"Leaf", REG_DWORD, {1, 0, 0, 0});
    Result exported = Run("export 'HKCU\\Software\\Deep'");
    ASSERT_EQ(exported.exit, 0) << exported.err;
    WriteFile(Io("in.reg"), exported.out);
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Deep"), ERROR_SUCCESS);
    Result imported = Run("import '" + Io("in.reg").string() + "'");
    ASSERT_EQ(imported.exit, 0) << imported.err;
    HKEY leaf;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), &leaf), ERROR_SUCCESS);
    DWORD value = 0;
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExW(leaf, u"Leaf", nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    RegCloseKey(leaf);
}

TEST_F(RegToolTest, QueryAndDelete) {
    FillEveryType();
    Result value = Run("query 'HKCU\\Software\\NorviSoft\\NorviLuncher' SetKey");
    ASSERT_EQ(value.exit, 0) << value.err;
    EXPECT_EQ(value.out, "\"SetKey\"=dword:0000000a\n");
    Result unnamed = Run("query 'HKCU\\Software\\NorviSoft\\NorviLuncher' @");
    EXPECT_EQ(unnamed.out, "@=\"unnamed\"\n");
    Result key = Run("query 'HKCU\\Software\\NorviSoft\\NorviLuncher\\Groups'");
    ASSERT_EQ(key.exit, 0) << key.err;
    EXPECT_NE(
        key.out.find("[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher\\Groups\\Groups1]"),
        std::string::npos)
        << key.out;
    EXPECT_NE(Run("query 'HKCU\\Software\\NorviSoft\\NorviLuncher' Absent").exit, 0);

    ASSERT_EQ(Run("delete 'HKCU\\Software\\NorviSoft\\NorviLuncher' setkey").exit, 0);
    EXPECT_EQ(Snapshot(u"Software").count(u"Software\\NorviSoft\\NorviLuncher|SetKey"), 0u);
    ASSERT_EQ(Run("delete 'HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher'").exit, 0);
    EXPECT_EQ(Snapshot(u"Software"),
              (std::map<std::u16string, Stored>{{u"Software|<key>", {}},
                                                {u"Software\\NorviSoft|<key>", {}}}));
    EXPECT_NE(Run("delete 'HKCU\\Software\\NorviSoft\\NorviLuncher'").exit, 0);
    EXPECT_NE(Run("delete HKCU").exit, 0);
}

TEST_F(RegToolTest, DamagedHiveIsReportedAndRestoreBringsTheCopyBack) {
    FillEveryType();
    const auto before = Snapshot(u"Software");
    ASSERT_TRUE(platform::BackUpRegistry(platform::BackupReason::Start).ok);
    platform::CloseRegistry();
    const std::string garbage(9000, 'G');
    WriteFile(Device() / "registry.db", garbage);
    WriteFile(Io("in.reg"), "Windows Registry Editor Version 5.00\n\n[HKCU\\X]\n\"A\"=\"b\"\n");

    for (const std::string& command :
         std::vector<std::string>{"export", "query HKCU\\Software", "delete HKCU\\Software",
                                  "import '" + Io("in.reg").string() + "'"}) {
        SCOPED_TRACE(command);
        Result result = Run(command);
        EXPECT_NE(result.exit, 0);
        EXPECT_NE(result.err.find((Device() / "registry.db").string() + " is damaged"),
                  std::string::npos)
            << result.err;
        EXPECT_NE(result.err.find((Device() / "backups").string()), std::string::npos);
        EXPECT_EQ(ReadFile(Device() / "registry.db"), garbage);
    }

    Result restored = Run("restore");
    ASSERT_EQ(restored.exit, 0) << restored.err;
    EXPECT_NE(restored.out.find("registry.db.damaged-"), std::string::npos) << restored.out;
    EXPECT_EQ(Snapshot(u"Software"), before);
}

} // namespace
