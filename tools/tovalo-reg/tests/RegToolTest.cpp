#include "RegToolFixture.h"

namespace {

using namespace regtooltest;

TEST_F(RegToolTest, ExportWritesTheRegeditLayout) {
    SetIn(u"", u"SetKey", REG_DWORD, Dword(10));
    SetIn(u"Skin", u"SkinCheck", REG_DWORD, Dword(1));
    SetIn(u"Groups\\Groups0", u"GroupName", REG_SZ, Utf16(u"etc."));
    SetIn(u"Groups\\Groups0", u"PK", REG_DWORD, Dword(0));
    SetIn(u"Groups", u"GROUPCOUNT", REG_DWORD, Dword(1));
    const ProgramResult result = Run({"export", kLauncher});
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

    const ProgramResult utf16 =
        Run({"export", "--utf16", "HKEY_CURRENT_USER\\" + kLauncher.substr(5) + "\\Skin"});
    ASSERT_EQ(utf16.exit, 0) << utf16.err;
    const std::vector<BYTE> bytes =
        Utf16(u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n"
              u"[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher\\Skin]\r\n"
              u"\"SkinCheck\"=dword:00000001\r\n\r\n",
              false);
    EXPECT_EQ(utf16.out, std::string(bytes.begin(), bytes.end()));

    const ProgramResult missing = Run({"export", "HKCU\\Software\\Absent"});
    EXPECT_NE(missing.exit, 0);
    EXPECT_NE(missing.err.find("does not exist"), std::string::npos) << missing.err;
    EXPECT_NE(Run({"export", "HKEY_LOCAL_MACHINE\\Software"}).exit, 0);
}

TEST_F(RegToolTest, RoundTripKeepsEveryTypeAndText) {
    FillEveryType();
    const Tree before = Snapshot(u"Software");
    for (const char* option : {"", "--utf16"}) {
        SCOPED_TRACE(option);
        const std::string exported = RoundTrip(u"Software", option);
        EXPECT_EQ(Snapshot(u"Software"), before);
        std::vector<std::string> args{"export", "HKCU\\Software"};
        if (*option)
            args.insert(args.begin() + 1, option);
        EXPECT_EQ(Run(args).out, exported);
    }
    // A tree deeper than any walk by recursion could take.
    std::u16string path = u"Software\\Deep";
    for (int i = 0; i < 400; ++i)
        path += u"\\k";
    Set(path, u"Leaf", REG_DWORD, Dword(1));
    RoundTrip(u"Software\\Deep");
    EXPECT_EQ(Snapshot(path)[path + u"|Leaf"], (Stored{REG_DWORD, Dword(1)}));
}

TEST_F(RegToolTest, ImportAppliesDeletions) {
    Set(u"Software\\Old\\Deep", u"X", REG_DWORD, Dword(1));
    SetIn(u"", u"Gone", REG_DWORD, Dword(1));
    const ProgramResult result = Import(kData / "good" / "all-forms-utf16.reg");
    ASSERT_EQ(result.exit, 0) << result.err;
    EXPECT_EQ(Snapshot(u"Software\\Old"), Tree{});
    Tree after = Snapshot(kRoot);
    EXPECT_EQ(after.count(kRoot + std::u16string(u"|Gone")), 0u);
    EXPECT_EQ(after[kRoot + std::u16string(u"|SetKey")], (Stored{REG_DWORD, Dword(10)}));
}

// Each malformed file with the line its error is reported on (0: the file's encoding).
TEST_F(RegToolTest, AFaultyImportChangesNothingAndNamesTheLine) {
    const std::map<std::string, int> lines = {
        {"bad-header.reg", 1},
        {"dword-too-long.reg", 5},
        {"dword-not-hex.reg", 4},
        {"outside-hkcu.reg", 6},
        {"missing-bracket.reg", 3},
        {"value-before-key.reg", 3},
        {"unterminated-string.reg", 4},
        {"bad-escape.reg", 4},
        {"bad-hex-byte.reg", 4},
        {"hex-type-too-long.reg", 4},
        {"junk-after-string.reg", 4},
        {"value-under-deleted-key.reg", 4},
        {"delete-root.reg", 3},
        {"empty-key-name.reg", 3},
        {"name-too-long.reg", 4},
        {"stray-line.reg", 4},
        {"no-equals.reg", 4},
        {"unknown-data.reg", 4},
        {"odd-utf16.reg", 0},
        {"unpaired-surrogate-utf16.reg", 4},
        {"utf16-big-endian.reg", 0},
        {"not-utf8.reg", 0},
        // It passes the reading and fails while applying, after a value was set.
        {"path-too-long.reg", 6},
    };
    FillEveryType();
    Set(u"Software\\Imported", u"A", REG_DWORD, Dword(7));
    const Tree before = Snapshot(u"Software");
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(kData / "malformed")) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        ++files;
        ASSERT_EQ(lines.count(name), 1u) << "a sample without its line";
        const ProgramResult result = Import(entry.path());
        EXPECT_NE(result.exit, 0);
        const std::string at = entry.path().string() + ":" + std::to_string(lines.at(name)) + ":";
        EXPECT_NE(result.err.find(at), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("nothing was imported"), std::string::npos) << result.err;
        EXPECT_EQ(Snapshot(u"Software"), before);
    }
    EXPECT_EQ(files, lines.size());
    // Why, for two of them.
    EXPECT_NE(
        Import(kData / "malformed" / "outside-hkcu.reg").err.find("outside HKEY_CURRENT_USER"),
        std::string::npos);
    EXPECT_NE(Import(kData / "malformed" / "dword-too-long.reg").err.find("more than 8 hex digits"),
              std::string::npos);
}

TEST_F(RegToolTest, QueryAndDelete) {
    FillEveryType();
    const ProgramResult value = Run({"query", kLauncher, "SetKey"});
    ASSERT_EQ(value.exit, 0) << value.err;
    EXPECT_EQ(value.out, "\"SetKey\"=dword:0000000a\n");
    EXPECT_EQ(Run({"query", kLauncher, "@"}).out, "@=\"unnamed\"\n");
    const ProgramResult key = Run({"query", kLauncher + "\\Groups"});
    ASSERT_EQ(key.exit, 0) << key.err;
    EXPECT_NE(
        key.out.find("[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher\\Groups\\Groups1]"),
        std::string::npos)
        << key.out;
    EXPECT_NE(Run({"query", kLauncher, "Absent"}).exit, 0);

    ASSERT_EQ(Run({"delete", kLauncher, "setkey"}).exit, 0);
    EXPECT_EQ(Snapshot(kRoot).count(kRoot + std::u16string(u"|SetKey")), 0u);
    ASSERT_EQ(Run({"delete", "HKEY_CURRENT_USER\\" + kLauncher.substr(5)}).exit, 0);
    EXPECT_EQ(Snapshot(u"Software"),
              (Tree{{u"Software|<key>", {}}, {u"Software\\NorviSoft|<key>", {}}}));
    EXPECT_NE(Run({"delete", kLauncher}).exit, 0);
    EXPECT_NE(Run({"delete", "HKCU"}).exit, 0);
}

// Every command refuses a damaged hive, naming it and where its backups are, and leaves it as
// it was; restore brings the newest copy back.
TEST_F(RegToolTest, DamagedHiveIsReportedAndRestoreBringsTheCopyBack) {
    FillEveryType();
    const Tree before = Snapshot(u"Software");
    ASSERT_TRUE(platform::BackUpRegistry(platform::BackupReason::Start).ok);
    platform::CloseRegistry();
    const std::string garbage(9000, 'G');
    WriteFile(Device() / "registry.db", garbage);
    WriteFile(Io("in.reg"), "Windows Registry Editor Version 5.00\n\n[HKCU\\X]\n\"A\"=\"b\"\n");
    for (const auto& command :
         std::vector<std::vector<std::string>>{{"export"},
                                               {"query", "HKCU\\Software"},
                                               {"delete", "HKCU\\Software"},
                                               {"import", Io("in.reg").string()}}) {
        SCOPED_TRACE(command[0]);
        const ProgramResult result = Run(command);
        EXPECT_NE(result.exit, 0);
        EXPECT_NE(result.err.find((Device() / "registry.db").string() + " is damaged"),
                  std::string::npos)
            << result.err;
        EXPECT_NE(result.err.find((Device() / "backups").string()), std::string::npos);
        EXPECT_EQ(ReadFile(Device() / "registry.db"), garbage);
    }
    const ProgramResult restored = Run({"restore"});
    ASSERT_EQ(restored.exit, 0) << restored.err;
    EXPECT_NE(restored.out.find("registry.db.damaged-"), std::string::npos) << restored.out;
    EXPECT_EQ(Snapshot(u"Software"), before);
}

} // namespace
