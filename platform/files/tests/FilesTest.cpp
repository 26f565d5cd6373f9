#include <platform/CString.h>
#include <platform/Device.h>
#include <platform/Files.h>

#include "files/SmallFile.h"

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using testsupport::WriteFile;

namespace {

using NameList = std::vector<std::u16string>;

std::u16string U(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

class FolderEnumeration : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        fs::create_directories(Data());
    }
    fs::path Data() const { return Device() / "Windows" / "Data"; }

    // Every entry of the pattern in the order FindNextFileW gives them, with its attributes.
    static NameList Names(const std::u16string& pattern,
                          std::map<std::u16string, DWORD>* attributes = nullptr) {
        NameList names;
        WIN32_FIND_DATAW data;
        HANDLE h = FindFirstFileW(pattern.c_str(), &data);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do {
            names.push_back(data.cFileName);
            if (attributes)
                (*attributes)[data.cFileName] = data.dwFileAttributes;
        } while (FindNextFileW(h, &data));
        EXPECT_TRUE(FindClose(h));
        return names;
    }
};

TEST_F(FolderEnumeration, EntriesComeInNameOrderIgnoringCaseWithoutDotEntries) {
    for (const char* name : {"b.txt", "A.txt", "c.TXT", "a2", "_x"})
        WriteFile(Data() / name, "x");
    fs::create_directories(Data() / "Sub");
    fs::create_directories(Data() / "alpha");
    EXPECT_EQ(Names(u"\\Windows\\Data\\*.*"),
              (NameList{u"_x", u"A.txt", u"a2", u"alpha", u"b.txt", u"c.TXT", u"Sub"}));
}

TEST_F(FolderEnumeration, AttributeWordsTellFoldersFilesHiddenReadOnlyAndLinkTargets) {
    for (const char* name : {"file.txt", ".hidden", "locked.txt"})
        WriteFile(Data() / name, "x");
    for (const char* name : {"folder", ".config", "sealed"})
        fs::create_directories(Data() / name);
    fs::permissions(Data() / "locked.txt", fs::perms(0444));
    fs::permissions(Data() / "sealed", fs::perms(0555));
    fs::create_directory_symlink(Data() / "folder", Data() / "linkdir");
    fs::create_symlink(Data() / "gone", Data() / "dangling");
    const std::pair<const char*, DWORD> rows[] = {
        {"file.txt", 0x20}, {".hidden", 0x22}, {"locked.txt", 0x21}, {"folder", 0x10},
        {".config", 0x12},  {"sealed", 0x11},  {"linkdir", 0x10},    {"dangling", 0x20}};
    std::map<std::u16string, DWORD> found;
    Names(u"\\Windows\\Data\\*.*", &found);
    EXPECT_EQ(found.size(), std::size(rows));
    for (const auto& [name, attributes] : rows) {
        EXPECT_EQ(found[U(name)], attributes) << name;
        EXPECT_EQ(GetFileAttributesW((u"\\Windows\\Data\\" + U(name)).c_str()), attributes) << name;
    }
    EXPECT_EQ(GetFileAttributesW(u"\\Windows\\Data\\folder\\"), 0x10u);
    EXPECT_EQ(GetFileAttributesW(u"\\Windows\\Data\\nothing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(u"\\"), 0x10u);
}

TEST_F(FolderEnumeration, PatternsUseWildcardsWithoutRegardToCase) {
    for (const char* name :
         {"Word.lnk", "calc.LNK", "README", "notes.lnk.txt", "a.txt", "ab.txt", "x.y.lnk"})
        WriteFile(Data() / name, "x");
    EXPECT_EQ(Names(u"\\Windows\\Data\\*.*").size(), 7u);
    EXPECT_EQ(Names(u"\\Windows\\Data\\*"), Names(u"\\Windows\\Data\\*.*"));
    const std::pair<const char*, NameList> rows[] = {
        {"*.lnk", {u"calc.LNK", u"Word.lnk", u"x.y.lnk"}},
        {"*.LNK", {u"calc.LNK", u"Word.lnk", u"x.y.lnk"}},
        {"?.txt", {u"a.txt"}},
        {"a*.txt", {u"a.txt", u"ab.txt"}},
        {"readme", {u"README"}},
        {"README.*", {u"README"}},
        {"*.bmp", {}},
        {"", {}}};
    for (const auto& [pattern, names] : rows)
        EXPECT_EQ(Names(u"\\Windows\\Data\\" + U(pattern)), names) << pattern;
}

TEST_F(FolderEnumeration, NamesADevicePathCannotCarryAreLeftOut) {
    for (const char* name :
         {"good.txt", "bad\xff\xfe.txt", "back\\slash.txt", "caf\xc3\xa9\xe2\x80\xa4txt"})
        WriteFile(Data() / name, "x");
    EXPECT_EQ(Names(u"\\Windows\\Data\\*.*"), (NameList{u"caf\u00e9\u2024txt", u"good.txt"}));
}

TEST_F(FolderEnumeration, SearchesOfNothingFailAndClosedSearchesAreGoneAndEachIsASnapshot) {
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW(u"\\Windows\\Nowhere\\*.*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileW(u"\\Windows\\Data\\*.*", &data), INVALID_HANDLE_VALUE);
    WriteFile(Data() / "file", "x");
    EXPECT_EQ(FindFirstFileW(u"\\Windows\\Data\\file\\*.*", &data), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindNextFileW(INVALID_HANDLE_VALUE, &data));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));

    HANDLE h = FindFirstFileW(u"\\Windows\\Data\\*.*", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::u16string(data.cFileName), u"file");
    EXPECT_FALSE(FindNextFileW(h, &data));
    EXPECT_FALSE(FindNextFileW(h, &data));
    EXPECT_TRUE(FindClose(h));
    EXPECT_FALSE(FindClose(h));
    EXPECT_FALSE(FindNextFileW(h, &data));
    // A new search never takes over a closed one's handle, and lists the folder as it was
    // when the search began.
    WriteFile(Data() / "a", "x");
    HANDLE again = FindFirstFileW(u"\\Windows\\Data\\*.*", &data);
    EXPECT_NE(again, h);
    fs::remove(Data() / "file");
    WriteFile(Data() / "b", "x");
    NameList names{data.cFileName};
    while (FindNextFileW(again, &data))
        names.push_back(data.cFileName);
    EXPECT_EQ(names, (NameList{u"a", u"file"}));
    EXPECT_TRUE(FindClose(again));
}

TEST_F(FolderEnumeration, SizeAndLastWriteTimeAreTheFilesOwn) {
    WriteFile(Data() / "small", "12345");
    WriteFile(Data() / "big", "");
    fs::resize_file(Data() / "big", (std::uintmax_t{1} << 32) + 7);
    // 2020-01-01 00:00:00.5 UTC.
    struct timespec times[2] = {{1577836800, 500000000}, {1577836800, 500000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, (Data() / "small").c_str(), times, 0), 0);
    WIN32_FIND_DATAW small, big;
    FindClose(FindFirstFileW(u"\\Windows\\Data\\small", &small));
    FindClose(FindFirstFileW(u"\\Windows\\Data\\big", &big));
    EXPECT_EQ(std::pair(small.nFileSizeHigh, small.nFileSizeLow), std::pair(0u, 5u));
    EXPECT_EQ(std::pair(big.nFileSizeHigh, big.nFileSizeLow), std::pair(1u, 7u));
    EXPECT_EQ((std::uint64_t{small.ftLastWriteTime.dwHighDateTime} << 32) |
                  small.ftLastWriteTime.dwLowDateTime,
              (1577836800ULL + 11644473600ULL) * 10000000ULL + 5000000ULL);
}

TEST_F(FolderEnumeration, TheRootListsTheHostsWithTheDevicesWindowsFolderInNameOrder) {
    WriteFile(Device() / "outside" / "x.txt", "x");
    std::u16string outside;
    for (const auto& part : (Device() / "outside").relative_path())
        outside += u"\\" + part.u16string();
    EXPECT_EQ(Names(outside + u"\\*.*"), (NameList{u"x.txt"}));

    std::map<std::u16string, DWORD> found;
    const NameList names = Names(u"\\*.*", &found);
    EXPECT_EQ(std::count(names.begin(), names.end(), u"Windows"), 1);
    EXPECT_TRUE(found.count(u"usr"));
    EXPECT_EQ(found[u"Windows"] & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const auto& a, const auto& b) {
        return CString(a).CompareNoCase(b) < 0;
    }));
    EXPECT_EQ(Names(u"\\WIN*"), (NameList{u"Windows"}));
    EXPECT_EQ(Names(u"\\Windows\\*.*"), (NameList{u"Data"})) << "the folder listed is the device's";
}

using DevicePaths = testsupport::DeviceFolderTest;

TEST_F(DevicePaths, WindowsIsTheDevicesAndTheRestTheHostsBothWays) {
    const fs::path w = Device() / "Windows";
    const std::pair<std::u16string, fs::path> both[] = {{u"\\Windows", w},
                                                        {u"\\Windows\\Favorites", w / "Favorites"},
                                                        {u"\\usr\\bin", "/usr/bin"},
                                                        {u"\\", "/"},
                                                        {u"\\WindowsApps\\x", "/WindowsApps/x"},
                                                        {u"\\tmp\\caf\u00e9", "/tmp/caf\xc3\xa9"}};
    for (const auto& [device, host] : both) {
        EXPECT_EQ(platform::HostPath(device), host) << host;
        EXPECT_EQ(platform::DevicePath(host), device) << host;
    }
    EXPECT_EQ(platform::HostPath(u"\\windows\\iexplore.exe"), w / "iexplore.exe");
    EXPECT_EQ(platform::HostPath(u"\\Windows\\Start Menu\\Programs\\"),
              w / "Start Menu" / "Programs" / "");
    EXPECT_FALSE(platform::DevicePath("/tmp/back\\slash").has_value());
    EXPECT_FALSE(platform::DevicePath("/tmp/bad\xff").has_value());
}

TEST(DeviceFolderDefault, FollowsXdgDataHome) {
    unsetenv("TOVALO_DEVICE");
    setenv("XDG_DATA_HOME", "/somewhere/data", 1);
    EXPECT_EQ(platform::DeviceFolder(), fs::path("/somewhere/data/tovalo"));
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(platform::DeviceFolder(), fs::path("/home/someone/.local/share/tovalo"));
}

TEST(ModuleDirectory, IsTheFolderOfTheTestExecutable) {
    std::u16string dir = platform::ModuleDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(dir.front() == u'\\' && dir.back() != u'\\');
    EXPECT_NE(dir.find(u"tests"), std::u16string::npos);
}

// Whole small files: a read takes up to its limit and refuses what is larger or no file.
TEST_F(FolderEnumeration, SmallFilesAreReadUpToTheirLimitAndMadeNewForTheOwnerOnly) {
    using platform::detail::SmallFile;
    const std::string full(5000, 'x');
    WriteFile(Data() / "full", full);
    for (auto [name, limit, expected] : {std::tuple("full", 5000, std::optional<std::string>(full)),
                                         {"full", 4999, std::nullopt},
                                         {"", 10, std::nullopt},
                                         {"missing", 10, std::nullopt}})
        EXPECT_EQ(SmallFile::Read(Data() / name, limit), expected) << name << " " << limit;

    const fs::path made = Data() / "made";
    ASSERT_TRUE(SmallFile::WriteNew(made, "one\ttwo\n"));
    EXPECT_EQ(SmallFile::Read(made, 100), "one\ttwo\n");
    EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(SmallFile::WriteNew(made, "again"));
    EXPECT_EQ(SmallFile::Read(made, 100), "one\ttwo\n");
    EXPECT_FALSE(SmallFile::WriteNew(Data() / "no folder" / "file", "x"));
}

} // namespace
