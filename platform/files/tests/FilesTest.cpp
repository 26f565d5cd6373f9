#include <platform/CString.h>
#include <platform/Files.h>

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Found {
    std::u16string name;
    DWORD attributes;
};

class FolderEnumeration : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        m_data = Device() / "Windows" / "Data";
        fs::create_directories(m_data);
    }

    const fs::path& Data() const { return m_data; }

    // Every entry of the pattern, in the order FindNextFileW gives them.
    static std::vector<Found> List(const std::u16string& pattern) {
        std::vector<Found> found;
        WIN32_FIND_DATAW data;
        HANDLE h = FindFirstFileW(pattern.c_str(), &data);
        if (h == INVALID_HANDLE_VALUE)
            return found;
        do {
            found.push_back({data.cFileName, data.dwFileAttributes});
        } while (FindNextFileW(h, &data));
        EXPECT_TRUE(FindClose(h));
        return found;
    }

    static std::vector<std::u16string> Names(const std::u16string& pattern) {
        std::vector<std::u16string> names;
        for (const auto& f : List(pattern))
            names.push_back(f.name);
        return names;
    }

    static DWORD AttributesOf(const std::vector<Found>& found, std::u16string_view name) {
        for (const auto& f : found)
            if (f.name == name)
                return f.attributes;
        ADD_FAILURE() << "entry missing";
        return INVALID_FILE_ATTRIBUTES;
    }

private:
    fs::path m_data;
};

using NameList = std::vector<std::u16string>;

TEST_F(FolderEnumeration, EntriesComeInNameOrderIgnoringCaseWithoutDotEntries) {
    for (const char* name : {"b.txt", "A.txt", "c.TXT", "a2", "_x"})
        testsupport::WriteFile(Data() / name, "x");
    fs::create_directories(Data() / "Sub");
    fs::create_directories(Data() / "alpha");
    EXPECT_EQ(Names(u"\\Windows\\Data\\*.*"),
              (NameList{u"_x", u"A.txt", u"a2", u"alpha", u"b.txt", u"c.TXT", u"Sub"}));
}

TEST_F(FolderEnumeration, AttributeWordsTellFoldersFilesHiddenAndReadOnly) {
    testsupport::WriteFile(Data() / "file.txt", "x");
    testsupport::WriteFile(Data() / ".hidden", "x");
    testsupport::WriteFile(Data() / "locked.txt", "x");
    fs::create_directories(Data() / "folder");
    fs::create_directories(Data() / ".config");
    fs::create_directories(Data() / "sealed");
    fs::permissions(Data() / "locked.txt", fs::perms(0444));
    fs::permissions(Data() / "sealed", fs::perms(0555));

    auto found = List(u"\\Windows\\Data\\*.*");
    EXPECT_EQ(AttributesOf(found, u"file.txt"), 0x20u);
    EXPECT_EQ(AttributesOf(found, u".hidden"), 0x22u);
    EXPECT_EQ(AttributesOf(found, u"locked.txt"), 0x21u);
    EXPECT_EQ(AttributesOf(found, u"folder"), 0x10u);
    EXPECT_EQ(AttributesOf(found, u".config"), 0x12u);
    EXPECT_EQ(AttributesOf(found, u"sealed"), 0x11u);

    EXPECT_EQ(GetFileAttributesW(u"\\Windows\\Data\\folder"), 0x10u);
    EXPECT_EQ(GetFileAttributesW(u"\\Windows\\Data\\folder\\"), 0x10u);
    EXPECT_EQ(GetFileAttributesW(u"\\Windows\\Data\\.hidden"), 0x22u);
    EXPECT_EQ(GetFileAttributesW(u"\\Windows\\Data\\locked.txt"), 0x21u);
    EXPECT_EQ(GetFileAttributesW(u"\\Windows\\Data\\nothing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(u"\\"), 0x10u);
}

TEST_F(FolderEnumeration, SymlinksReportTheirTargetAndDanglingOnesAreFiles) {
    fs::create_directories(Data() / "real");
    fs::create_directory_symlink(Data() / "real", Data() / "linkdir");
    fs::create_symlink(Data() / "gone", Data() / "dangling");
    auto found = List(u"\\Windows\\Data\\*.*");
    EXPECT_EQ(AttributesOf(found, u"linkdir"), 0x10u);
    EXPECT_EQ(AttributesOf(found, u"dangling"), 0x20u);
}

TEST_F(FolderEnumeration, PatternsUseWildcardsWithoutRegardToCase) {
    for (const char* name :
         {"Word.lnk", "calc.LNK", "README", "notes.lnk.txt", "a.txt", "ab.txt", "x.y.lnk"})
        testsupport::WriteFile(Data() / name, "x");
    EXPECT_EQ(Names(u"\\Windows\\Data\\*.*").size(), 7u);
    EXPECT_EQ(Names(u"\\Windows\\Data\\*"), Names(u"\\Windows\\Data\\*.*"));
    EXPECT_EQ(Names(u"\\Windows\\Data\\*.lnk"), (NameList{u"calc.LNK", u"Word.lnk", u"x.y.lnk"}));
    EXPECT_EQ(Names(u"\\Windows\\Data\\*.LNK"), (NameList{u"calc.LNK", u"Word.lnk", u"x.y.lnk"}));
    EXPECT_EQ(Names(u"\\Windows\\Data\\?.txt"), (NameList{u"a.txt"}));
    EXPECT_EQ(Names(u"\\Windows\\Data\\a*.txt"), (NameList{u"a.txt", u"ab.txt"}));
    EXPECT_EQ(Names(u"\\Windows\\Data\\readme"), (NameList{u"README"}));
    EXPECT_EQ(Names(u"\\Windows\\Data\\README.*"), (NameList{u"README"}));
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW(u"\\Windows\\Data\\*.bmp", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileW(u"\\Windows\\Data\\", &data), INVALID_HANDLE_VALUE);
}

TEST_F(FolderEnumeration, NamesADevicePathCannotCarryAreLeftOut) {
    testsupport::WriteFile(Data() / "good.txt", "x");
    testsupport::WriteFile(Data() / "bad\xff\xfe.txt", "x");
    testsupport::WriteFile(Data() / "back\\slash.txt", "x");
    testsupport::WriteFile(Data() / "caf\xc3\xa9.txt", "x");
    EXPECT_EQ(Names(u"\\Windows\\Data\\*.*"), (NameList{u"caf\u00e9.txt", u"good.txt"}));
}

TEST_F(FolderEnumeration, MissingFolderOrEmptyFolderGivesNoSearch) {
    WIN32_FIND_DATAW data;
    EXPECT_EQ(FindFirstFileW(u"\\Windows\\Nowhere\\*.*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileW(u"\\Windows\\Data\\*.*", &data), INVALID_HANDLE_VALUE);
    testsupport::WriteFile(Data() / "file", "x");
    EXPECT_EQ(FindFirstFileW(u"\\Windows\\Data\\file\\*.*", &data), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindNextFileW(INVALID_HANDLE_VALUE, &data));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST_F(FolderEnumeration, ClosedSearchIsGoneAndEndIsReported) {
    testsupport::WriteFile(Data() / "one", "x");
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(u"\\Windows\\Data\\*.*", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::u16string(data.cFileName), u"one");
    EXPECT_FALSE(FindNextFileW(h, &data));
    EXPECT_FALSE(FindNextFileW(h, &data));
    EXPECT_TRUE(FindClose(h));
    EXPECT_FALSE(FindClose(h));
    EXPECT_FALSE(FindNextFileW(h, &data));
    // A new search never takes over a closed one's handle.
    HANDLE again = FindFirstFileW(u"\\Windows\\Data\\*.*", &data);
    EXPECT_NE(again, h);
    EXPECT_TRUE(FindClose(again));
}

TEST_F(FolderEnumeration, SearchIsASnapshotOfTheFolder) {
    for (const char* name : {"a", "b", "c"})
        testsupport::WriteFile(Data() / name, "x");
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(u"\\Windows\\Data\\*.*", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    fs::remove(Data() / "b");
    testsupport::WriteFile(Data() / "bb", "x");
    std::vector<std::u16string> names{data.cFileName};
    while (FindNextFileW(h, &data))
        names.push_back(data.cFileName);
    FindClose(h);
    EXPECT_EQ(names, (NameList{u"a", u"b", u"c"}));
}

TEST_F(FolderEnumeration, SizeAndLastWriteTimeAreTheFilesOwn) {
    testsupport::WriteFile(Data() / "small", "12345");
    testsupport::WriteFile(Data() / "big", "");
    fs::resize_file(Data() / "big", (std::uintmax_t{1} << 32) + 7);
    // 2020-01-01 00:00:00.5 UTC.
    struct timespec times[2] = {{1577836800, 500000000}, {1577836800, 500000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, (Data() / "small").c_str(), times, 0), 0);

    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(u"\\Windows\\Data\\small", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    std::uint64_t ticks = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                          data.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(ticks, (1577836800ULL + 11644473600ULL) * 10000000ULL + 5000000ULL);
    FindClose(h);

    h = FindFirstFileW(u"\\Windows\\Data\\big", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 7u);
    EXPECT_EQ(data.nFileSizeHigh, 1u);
    FindClose(h);
}

TEST_F(FolderEnumeration, HostPathsOutsideTheWindowsFolderEnumerateToo) {
    fs::path outside = Device() / "outside";
    testsupport::WriteFile(outside / "x.txt", "x");
    std::u16string pattern;
    for (const auto& part : outside.relative_path())
        pattern += u"\\" + part.u16string();
    EXPECT_EQ(Names(pattern + u"\\*.*"), (NameList{u"x.txt"}));
}

TEST_F(FolderEnumeration, TheRootListsTheHostsRootWithTheDevicesWindowsFolderInNameOrder) {
    const std::vector<Found> root = List(u"\\*.*");
    std::vector<std::u16string> names;
    for (const auto& f : root)
        names.push_back(f.name);
    EXPECT_EQ(std::count(names.begin(), names.end(), u"Windows"), 1);
    EXPECT_NE(std::find(names.begin(), names.end(), u"usr"), names.end());
    EXPECT_EQ(AttributesOf(root, u"Windows") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const auto& a, const auto& b) {
        return CString(a).CompareNoCase(b) < 0;
    }));
    EXPECT_EQ(Names(u"\\WIN*"), (std::vector<std::u16string>{u"Windows"}));
    const NameList windows = Names(u"\\Windows\\*.*");
    EXPECT_NE(std::find(windows.begin(), windows.end(), u"Data"), windows.end())
        << "the folder listed is the device's";
}

} // namespace
