#include "RegToolFixture.h"

#include <fstream>
#include <functional>

namespace {

using namespace regtooltest;

class RegToolCommandsTest : public RegToolTest {
protected:
    // Two groups, three programs (two in "etc.", one in "Games") and one quick-launch entry,
    // with every counter right.
    static void FillStore() {
        SetIn(u"Groups", u"GROUPCOUNT", Dword(2));
        SetIn(u"Groups\\Groups0", u"GroupName", Text(u"etc."));
        SetIn(u"Groups\\Groups0", u"IconCount", Dword(2));
        SetIn(u"Groups\\Groups1", u"GroupName", Text(u"Games"));
        SetIn(u"Groups\\Groups1", u"IconCount", Dword(1));
        SetIn(u"EXEs", u"EXEICONCOUNT", Dword(3));
        const int groups[] = {0, 0, 1};
        for (char16_t n = 0; n < 3; ++n) {
            const std::u16string slot = u"EXEs\\EXEs" + std::u16string(1, u'0' + n);
            SetIn(slot, u"IconPath", Text(u"\\usr\\bin\\program"));
            SetIn(slot, u"IconName", Text(u"Program"));
            SetIn(slot, u"GroupPosition", Dword(groups[n]));
        }
        SetIn(u"QL", u"QLCOUNT", Dword(1));
        SetIn(u"QL\\QL0", u"QLPath", Text(u"\\usr\\bin\\program"));
    }
    static std::size_t Lines(const std::string& text) {
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }
};

TEST_F(RegToolCommandsTest, HelpAndWordsNotUnderstood) {
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string says; // on standard error, or on standard output for exit 0
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, "usage: tovalo-reg query KEY"},
        {{"-h"}, 0, "tovalo-reg restore [--force] [N]"},
        {{}, 2, "no command given"},
        {{"frobnicate"}, 2, "unknown command \"frobnicate\""},
        {{"export", "--bogus"}, 2, "export does not take \"--bogus\""},
        {{"check", "--fixx"}, 2, "check does not take \"--fixx\""},
        {{"restore", "two"}, 2, "not \"two\""},
        {{"restore", "0"}, 2, "not \"0\""},
        {{"backups", "now"}, 2, "backups takes no arguments"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const ProgramResult result = Expect(c.args, c.exit, c.says);
        EXPECT_NE((c.exit == 0 ? result.out : result.err).find("usage: tovalo-reg"),
                  std::string::npos);
        EXPECT_EQ(c.exit == 0 ? result.err : "", "");
    }
}

// The history keeps what each changing command replaced, so that a query in between does not
// lose the deleted key and a restore can itself be undone.
TEST_F(RegToolCommandsTest, DeleteThenRestoreAndUndoTheRestore) {
    FillStore();
    const Tree before = Dump(kRoot);
    Expect({"backups"}, 0, "no backups");
    Expect({"delete", kLauncher}, 0);
    Expect({"query", "HKCU\\Software"}, 0);
    ProgramResult list = Expect({"backups"}, 0, "before a delete");
    EXPECT_EQ(Lines(list.out), 1u) << list.out;
    EXPECT_TRUE(list.out.starts_with(" 1  ")) << list.out;
    Expect({"restore"}, 1, "tovalo-reg restore --force 1");
    Expect({"restore", "--force"}, 0);
    EXPECT_EQ(Dump(kRoot), before);
    list = Run({"backups"});
    EXPECT_EQ(Lines(list.out), 2u) << list.out;
    EXPECT_LT(list.out.find("before a restore"), list.out.find("before a delete")) << list.out;
    Expect({"restore", "1", "--force"}, 0);
    EXPECT_TRUE(Dump(kRoot).empty()) << "the restore was undone";
}

TEST_F(RegToolCommandsTest, CheckListsEveryCounterThatDisagreesAndFixWritesTheCount) {
    struct Case {
        const char* what;
        std::function<void()> edit;
        std::vector<std::string> lines;
    };
    const std::string groups = "HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher\\Groups";
    // "MyFavorite" in slot 2 with an IconCount of 5, shown as the favourites group or not.
    auto favourites = [](DWORD shown) {
        SetIn(u"Groups\\Groups2", u"GroupName", Text(u"MyFavorite"));
        SetIn(u"Groups\\Groups2", u"IconCount", Dword(5));
        SetIn(u"", u"CheckFavorite", Dword(shown));
        SetIn(u"", u"FavoritePK", Dword(2));
    };
    const std::vector<Case> cases = {
        {"all agree", [] {}, {}},
        {"too many groups",
         [] { SetIn(u"Groups", u"GROUPCOUNT", Dword(3)); },
         {groups + " GROUPCOUNT: stored 3, counted 2"}},
        {"program count absent",
         [] {
             RegDeleteValueW(platform::RegistryKey(kRoot + u"\\EXEs", false).Get(),
                             u"EXEICONCOUNT");
         },
         {"NorviLuncher\\EXEs EXEICONCOUNT: stored absent, counted 3"}},
        {"quick-launch count as text",
         [] { SetIn(u"QL", u"QLCOUNT", Text(u"1")); },
         {"NorviLuncher\\QL QLCOUNT: stored not a 4-byte number, counted 1"}},
        {"a program moved by hand",
         [] { SetIn(u"EXEs\\EXEs1", u"GroupPosition", Dword(1)); },
         {groups + "\\Groups0 IconCount: stored 2, counted 1",
          groups + "\\Groups1 IconCount: stored 1, counted 2"}},
        {"a path too long to read is no program",
         [] { SetIn(u"EXEs\\EXEs0", u"IconPath", Text(std::u16string(130, u'p'))); },
         {"EXEICONCOUNT: stored 3, counted 2",
          groups + "\\Groups0 IconCount: stored 2, counted 1"}},
        {"the favourites group counts favourites",
         [&] { favourites(1); },
         {groups + " GROUPCOUNT: stored 2, counted 3"}},
        {"a former favourites group counts programs",
         [&] { favourites(0); },
         {groups + " GROUPCOUNT: stored 2, counted 3",
          groups + "\\Groups2 IconCount: stored 5, counted 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyW(HKEY_CURRENT_USER, u"Software");
        FillStore();
        c.edit();
        const ProgramResult check = Run({"check"});
        EXPECT_EQ(check.exit, c.lines.empty() ? 0 : 1) << check.err;
        EXPECT_EQ(Lines(check.out), c.lines.empty() ? 1u : c.lines.size()) << check.out;
        for (const auto& line : c.lines)
            EXPECT_NE(check.out.find(line + "\n"), std::string::npos) << check.out;
        if (c.lines.empty())
            continue;
        EXPECT_NE(check.err.find("check --fix"), std::string::npos) << check.err;
        Expect({"check", "--fix"}, 0);
        Expect({"check"}, 0, "Every counter agrees");
        Expect({"backups"}, 0, "before check --fix");
    }

    RegDeleteKeyW(HKEY_CURRENT_USER, u"Software");
    Expect({"check", "--fix"}, 0, "no launcher store");
    EXPECT_TRUE(Dump(u"Software").empty()) << "check creates no key";
}

TEST_F(RegToolCommandsTest, ImportRefusesWhatItCannotHold) {
    FillStore();
    const Tree before = Dump(kRoot);
    const fs::path sparse = Io("in.reg");
    std::ofstream(sparse).put('W');
    fs::resize_file(sparse, 600u << 20);
    const fs::path lines = Device() / "lines.reg";
    {
        std::ofstream out(lines);
        out << "Windows Registry Editor Version 5.00\n\n[HKCU\\Software\\Many]\n";
        for (int i = 0; out.tellp() < (30 << 20); ++i)
            out << "\"v" << i << "\"=dword:1\n";
    }
    struct Case {
        std::string file;
        std::string limit;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"/dev/zero", "ulimit -v 400000", "/dev/zero is larger than 64 MiB"},
        {sparse.string(), "ulimit -v 400000", "is larger than 64 MiB"},
        {lines.string(), "ulimit -v 250000", "out of memory; nothing was changed"},
        {Device().string(), "", "is a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        // The sanitizers' allocator ends a program that runs out rather than throwing.
        if (testsupport::kSanitized && c.says.starts_with("out of memory"))
            continue;
        Expect({"import", c.file}, 1, c.says, c.limit);
        EXPECT_EQ(Dump(kRoot), before);
        EXPECT_TRUE(Dump(u"Software\\Many").empty());
    }
    // Exactly the limit is still read.
    WriteFile(sparse, "Windows Registry Editor Version 5.00\n\n[HKCU\\Software\\Edge]\n;");
    fs::resize_file(sparse, 64u << 20);
    Expect({"import", sparse.string()}, 0);
    EXPECT_EQ(Dump(u"Software\\Edge").size(), 1u);
}

// A key name has no escapes: one with a line break is refused, naming the key.
TEST_F(RegToolCommandsTest, AKeyNameWithALineBreakIsNotExported) {
    Set(u"Software\\Breaks\\bad\nkey", u"V", Dword(1));
    EXPECT_EQ(
        Expect({"export", "HKCU\\Software\\Breaks"}, 1, "Breaks\\bad?key has a line break").out,
        "");
}

} // namespace
