// The store's share of a launcher start beside bare SQLite doing the same number of
// statements on this machine: the 308 values a start reads from a full store (50 programs,
// 19 groups besides "etc.", 15 quick-launch entries), a first start's writes, and one write.
#include <ostrel/CGetExeIconInfo.h>
#include <ostrel/CGetGroupIconInfo.h>
#include <ostrel/CGetQLIconInfo.h>
#include <ostrel/CPXRegData.h>
#include <platform/Registry.h>

#include <BareSqlite.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using BareDb = platform::bench::BareSqlite;

namespace {

constexpr const WCHAR* kRoot = u"Software\\NorviSoft\\NorviLuncher";

struct Times {
    double min = 0;
    double median = 0;
};

Times Measure(int runs, const std::function<void()>& setup, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        setup();
        auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

void Report(const char* what, Times ours, Times bare, int statements, const char* goal) {
    std::printf("%-44s %9.1f/%9.1f us   bare SQLite, %3d statements %9.1f/%9.1f us   "
                "ratio %5.2f   %s\n",
                what, ours.min, ours.median, statements, bare.min, bare.median,
                ours.median / bare.median, goal);
}

CString Text(const std::string& s) {
    return CString(std::u16string(s.begin(), s.end()));
}

// A full store: 19 groups besides "etc.", 50 programs spread over the 20, 15 quick-launch
// entries; the same that the start-up benchmark uses.
void FillStore() {
    CPXRegData programs;
    programs.InitRegistry();
    CPXRegData groups;
    groups.InitRegistry();
    CPXRegData quick;
    quick.InitRegistry();
    for (int g = 1; g < 20; ++g) {
        const CString name = Text("Group " + std::to_string(g));
        groups.InsertRegGroups(reinterpret_cast<const BYTE*>(name.GetString()),
                               (name.GetLength() + 1) * 2, 0);
    }
    for (int p = 0; p < 50; ++p) {
        const CString path = Text("\\Windows\\program" + std::to_string(p) + ".exe");
        const CString name = Text("Program " + std::to_string(p));
        const auto* pathBytes = reinterpret_cast<const BYTE*>(path.GetString());
        const auto* nameBytes = reinterpret_cast<const BYTE*>(name.GetString());
        programs.InsertRegExe(pathBytes, (path.GetLength() + 1) * 2, nameBytes,
                              (name.GetLength() + 1) * 2);
        programs.ModifyRegExe(nameBytes, (name.GetLength() + 1) * 2, p, 0, p % 20);
        if (p < 15)
            quick.InsertRegQL(pathBytes, (path.GetLength() + 1) * 2);
    }
}

int ReadRootNumber(const WCHAR* name) {
    platform::RegistryKey root(kRoot, true);
    int value = 0;
    DWORD size = sizeof value;
    RegQueryValueExW(root.Get(), name, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    return value;
}

// The registry reads of one start, in the order and the transaction the main view makes
// them, without the icons and windows around them: 308 values.
void StartReads() {
    {
        platform::RegistryTransaction start;
        CPXRegData programs, groups, quick;
        programs.InitRegistry();
        for (int slot = 0; slot < 50; ++slot)
            programs.GetExeData(slot);
        ReadRootNumber(u"CheckFavorite");
        groups.InitRegistry();
        for (int slot = 0; slot < 20; ++slot)
            groups.GetGroupData(slot);
        quick.InitRegistry();
        for (int slot = 0; slot < 15; ++slot)
            quick.GetQLData(slot);
        start.Commit();
    }
    CPXRegData view;
    view.GetSkinPath();
    if (view.CheckSkin() == 1)
        view.SkinToggle(1);
    ReadRootNumber(u"SetKey");
    ReadRootNumber(u"HideKey");
}
constexpr int kStartValues = 12 + 50 * 4 + 1 + 20 * 3 + 15 * 2 + 5;

// A first start's writes in its one transaction: the defaults, then 50 programs taken from
// the start menu (each writes its three values, the program count and group 0's count).
void FirstStartWrites() {
    platform::RegistryTransaction start;
    CPXRegData programs;
    programs.InitRegistry();
    for (int p = 0; p < 50; ++p) {
        const CString path = Text("\\Windows\\Start Menu\\Programs\\P" + std::to_string(p));
        programs.InsertRegExe(
            reinterpret_cast<const BYTE*>(path.GetString()), (path.GetLength() + 1) * 2,
            reinterpret_cast<const BYTE*>(path.GetString()), (path.GetLength() + 1) * 2);
    }
    start.Commit();
}
constexpr int kFirstStartWrites = 158 + 50 * 5;

} // namespace

int main() {
    fs::path device = fs::temp_directory_path() / ("tovalo-bench-" + std::to_string(getpid()));
    fs::create_directories(device);
    setenv("TOVALO_DEVICE", device.c_str(), 1);
    const int runs = 21;

    FillStore();
    const Times reads = Measure(
        runs, [] {}, StartReads);
    Times readsBare;
    {
        BareDb db(device / "bare.db");
        for (int i = 0; i < kStartValues; ++i)
            db.Write(i, "Value");
        readsBare = Measure(
            runs, [] {},
            [&] {
                for (int i = 0; i < kStartValues; ++i)
                    db.Read(i, "Value");
            });
    }
    Report("the registry reads of one start (308 values)", reads, readsBare, kStartValues,
           "(goal: ratio <= 2)");

    const Times first = Measure(
        runs, [] { RegDeleteKeyW(HKEY_CURRENT_USER, u"Software"); }, FirstStartWrites);
    Times firstBare;
    {
        BareDb db(device / "bare.db");
        firstBare = Measure(
            runs, [&] { db.Exec("DELETE FROM v"); },
            [&] {
                db.Exec("BEGIN IMMEDIATE");
                for (int i = 0; i < kFirstStartWrites; ++i)
                    db.Write(i, "Value");
                db.Exec("COMMIT");
            });
    }
    Report("a first start's writes, one transaction", first, firstBare, kFirstStartWrites, "");

    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, &key);
    int value = 0;
    const Times write = Measure(
        runs, [] {},
        [&] {
            ++value;
            RegSetValueExW(key, u"SetKey", REG_DWORD, reinterpret_cast<BYTE*>(&value), 4);
        });
    const Times same = Measure(
        runs, [] {},
        [&] { RegSetValueExW(key, u"SetKey", REG_DWORD, reinterpret_cast<BYTE*>(&value), 4); });
    RegCloseKey(key);
    Times writeBare, readBare;
    {
        BareDb db(device / "bare.db");
        writeBare = Measure(
            runs, [] {}, [&] { db.Write(1, "SetKey"); });
        readBare = Measure(
            runs, [] {}, [&] { db.Read(1, "SetKey"); });
    }
    Report("one RegSetValueExW, a durable write", write, writeBare, 1, "");
    Report("one RegSetValueExW of the value it holds", same, readBare, 1, "(bare: one read)");

    platform::CloseRegistry();
    fs::remove_all(device);
    return 0;
}
