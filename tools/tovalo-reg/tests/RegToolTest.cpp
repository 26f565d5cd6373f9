#include "RegToolFixture.h"

namespace {

using namespace regtooltest;

TEST_F(RegToolTest, ExportWritesTheRegeditLayout) {
    SetIn(u"", u"SetKey", Dword(10));
    SetIn(u"Skin", u"SkinCheck", Dword(1));
    SetIn(u"Groups\\Groups0", u"GroupName", Text(u"etc."));
    SetIn(u"Groups\\Groups0", u"PK", Dword(0));
    SetIn(u"Groups", u"GROUPCOUNT", Dword(1));
    EXPECT_EQ(Expect({"export", kLauncher}, 0).out,
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
        Expect({"export", "--utf16", "HKEY_CURRENT_USER\\" + kLauncher.substr(5) + "\\Skin"}, 0);
    const std::vector<BYTE> bytes =
        Utf16(u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n"
              u"[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher\\Skin]\r\n"
              u"\"SkinCheck\"=dword:00000001\r\n\r\n",
              false);
    EXPECT_EQ(utf16.out, std::string(bytes.begin(), bytes.end()));

    Expect({"export", "HKCU\\Software\\Absent"}, 1, "does not exist");
    Expect({"export", "HKEY_LOCAL_MACHINE\\Software"}, 1);
}

TEST_F(RegToolTest, RoundTripKeepsEveryTypeAndText) {
    FillEveryType();
    const Tree before = Dump(u"Software");
    for (const char* option : {"", "--utf16"}) {
        SCOPED_TRACE(option);
        const std::string exported = RoundTrip(u"Software", option);
        EXPECT_EQ(Dump(u"Software"), before);
        EXPECT_EQ(RoundTrip(u"Software", option), exported) << "the import changed the export";
    }
    // A tree deeper than any walk by recursion could take.
    std::u16string path = u"Software\\Deep";
    for (int i = 0; i < 400; ++i)
        path += u"\\k";
    Set(path, u"Leaf", Dword(1));
    RoundTrip(u"Software\\Deep");
    EXPECT_EQ(Dump(path)[u""][u"Leaf"], Dword(1));
}

TEST_F(RegToolTest, ImportAppliesDeletions) {
    Set(u"Software\\Old\\Deep", u"X", Dword(1));
    SetIn(u"", u"Gone", Dword(1));
    Expect({"import", (kData / "good" / "all-forms-utf16.reg").string()}, 0);
    EXPECT_TRUE(Dump(u"Software\\Old").empty());
    storedump::Values root = Dump(kRoot)[u""];
    EXPECT_FALSE(root.contains(u"Gone"));
    EXPECT_EQ(root[u"SetKey"], Dword(10));
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
    Set(u"Software\\Imported", u"A", Dword(7));
    const Tree before = Dump(u"Software");
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(kData / "malformed")) {
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        ++files;
        ASSERT_EQ(lines.count(name), 1u) << "a sample without its line";
        const std::string at = entry.path().string() + ":" + std::to_string(lines.at(name)) + ":";
        EXPECT_NE(Expect({"import", entry.path().string()}, 1, at).err.find("nothing was imported"),
                  std::string::npos);
        EXPECT_EQ(Dump(u"Software"), before);
    }
    EXPECT_EQ(files, lines.size());
    // Why, for two of them.
    Expect({"import", (kData / "malformed" / "outside-hkcu.reg").string()}, 1,
           "outside HKEY_CURRENT_USER");
    Expect({"import", (kData / "malformed" / "dword-too-long.reg").string()}, 1,
           "more than 8 hex digits");
}

TEST_F(RegToolTest, QueryAndDelete) {
    FillEveryType();
    EXPECT_EQ(Expect({"query", kLauncher, "SetKey"}, 0).out, "\"SetKey\"=dword:0000000a\n");
    EXPECT_EQ(Expect({"query", kLauncher, "@"}, 0).out, "@=\"unnamed\"\n");
    // A line break in a value's name goes as an escape.
    EXPECT_EQ(Expect({"query", kLauncher, "one\ntwo"}, 0).out, "\"one\\ntwo\"=dword:00000001\n");
    Expect({"query", kLauncher + "\\Groups"}, 0,
           "[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher\\Groups\\Groups1]");
    Expect({"query", kLauncher, "Absent"}, 1);

    Expect({"delete", kLauncher, "setkey"}, 0);
    EXPECT_FALSE(Dump(kRoot)[u""].contains(u"SetKey"));
    Expect({"delete", "HKEY_CURRENT_USER\\" + kLauncher.substr(5)}, 0);
    EXPECT_EQ(Dump(u"Software"), (Tree{{u"", {}}, {u"NorviSoft", {}}}));
    Expect({"delete", kLauncher}, 1);
    Expect({"delete", "HKCU"}, 1);
}

// Every command refuses a damaged hive, naming it and where its backups are, and leaves it as
// it was; restore brings the newest copy back.
TEST_F(RegToolTest, DamagedHiveIsReportedAndRestoreBringsTheCopyBack) {
    SetIn(u"", u"SetKey", Dword(10));
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
        const ProgramResult result =
            Expect(command, 1, (Device() / "registry.db").string() + " is damaged");
        EXPECT_NE(result.err.find((Device() / "backups").string()), std::string::npos);
        EXPECT_EQ(ReadFile(Device() / "registry.db"), garbage);
    }
    Expect({"restore"}, 0, "registry.db.damaged-");
    EXPECT_EQ(Dump(kRoot)[u""][u"SetKey"], Dword(10));
}

} // namespace
