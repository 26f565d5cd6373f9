#include "CounterCheck.h"

#include "RegKeyPath.h"
#include "Utf.h"

#include <platform/Registry.h>

#include <array>

namespace tovaloreg {

namespace {

constexpr std::u16string_view kRoot = u"Software\\NorviSoft\\NorviLuncher";
constexpr int kGroupSlots = 20;
constexpr int kExeSlots = 50;
constexpr int kQLSlots = 15;
constexpr DWORD kPathLimit = 260;
constexpr DWORD kNameLimit = 1024;

std::u16string Below(std::u16string_view sub) {
    return std::u16string(kRoot) + u"\\" + std::u16string(sub);
}

std::u16string Slot(std::u16string_view base, int n) {
    std::u16string path = Below(base);
    for (char digit : std::to_string(n))
        path += static_cast<char16_t>(digit);
    return path;
}

// The launcher's reads, on keys opened without creating them.
class Reader {
public:
    explicit Reader(const std::u16string& path) : m_key(path, false) {}
    bool Open() const { return m_key.IsOpen(); }
    // A string value that fits the launcher's limit: the slot is in use.
    bool Reads(const char16_t* name, DWORD limit) const {
        std::vector<BYTE> buffer(limit);
        DWORD size = limit;
        return Open() &&
               RegQueryValueExW(m_key.Get(), name, nullptr, buffer.data(), &size) == ERROR_SUCCESS;
    }
    // A 4-byte read into 0, as the launcher reads a number; `exact` when the value is one.
    int Number(const char16_t* name, bool* present = nullptr, bool* exact = nullptr) const {
        DWORD type = REG_NONE;
        DWORD needed = 0;
        const bool there =
            Open() && RegQueryValueExW(m_key.Get(), name, &type, nullptr, &needed) == ERROR_SUCCESS;
        int value = 0;
        DWORD size = sizeof value;
        if (there)
            RegQueryValueExW(m_key.Get(), name, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        if (present)
            *present = there;
        if (exact)
            *exact = there && type == REG_DWORD && needed == sizeof value;
        return value;
    }

private:
    platform::RegistryKey m_key;
};

} // namespace

void CounterCheck::Compare(std::u16string key, const char16_t* value, int counted) {
    bool present = false;
    bool exact = false;
    const int stored = Reader(key).Number(value, &present, &exact);
    if (exact && stored == counted)
        return;
    if (!present && counted == 0)
        return;
    std::string text = !present ? "absent" : exact ? std::to_string(stored) : "not a 4-byte number";
    m_mismatches.push_back({std::move(key), value, std::move(text), counted});
}

bool CounterCheck::Run(std::string& error) {
    m_mismatches.clear();
    platform::RegistryKey root(kRoot, false);
    m_storeExists = root.IsOpen();
    if (!m_storeExists) {
        if (root.Status() == ERROR_FILE_NOT_FOUND)
            return true;
        error = "cannot read " + ToUtf8(FullKeyPath(kRoot)) + " (error " +
                std::to_string(root.Status()) + ")";
        return false;
    }
    const Reader rootValues(std::u16string{kRoot});
    const int favourites =
        rootValues.Number(u"CheckFavorite") == 1 ? rootValues.Number(u"FavoritePK") : -1;

    std::array<bool, kGroupSlots> groups{};
    int groupCount = 0;
    for (int n = 0; n < kGroupSlots; ++n)
        groupCount += groups[n] =
            Reader(Slot(u"Groups\\Groups", n)).Reads(u"GroupName", kNameLimit);
    std::array<int, kGroupSlots> programsIn{};
    int programCount = 0;
    for (int n = 0; n < kExeSlots; ++n) {
        const Reader slot(Slot(u"EXEs\\EXEs", n));
        if (!slot.Reads(u"IconPath", kPathLimit))
            continue;
        ++programCount;
        const int group = slot.Number(u"GroupPosition");
        if (group >= 0 && group < kGroupSlots)
            ++programsIn[group];
    }
    int quickCount = 0;
    for (int n = 0; n < kQLSlots; ++n)
        quickCount += Reader(Slot(u"QL\\QL", n)).Reads(u"QLPath", kPathLimit);

    Compare(Below(u"Groups"), u"GROUPCOUNT", groupCount);
    Compare(Below(u"EXEs"), u"EXEICONCOUNT", programCount);
    Compare(Below(u"QL"), u"QLCOUNT", quickCount);
    for (int n = 0; n < kGroupSlots; ++n)
        if (groups[n] && n != favourites)
            Compare(Slot(u"Groups\\Groups", n), u"IconCount", programsIn[n]);
    return true;
}

LONG CounterCheck::Fix() const {
    platform::RegistryTransaction transaction;
    if (transaction.Status() != ERROR_SUCCESS)
        return transaction.Status();
    for (const auto& mismatch : m_mismatches) {
        platform::RegistryKey key(mismatch.key, true);
        if (!key.IsOpen())
            return key.Status();
        const DWORD value = static_cast<DWORD>(mismatch.counted);
        LONG status = RegSetValueExW(key.Get(), mismatch.value.c_str(), REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&value), sizeof value);
        if (status != ERROR_SUCCESS)
            return status;
    }
    return transaction.Commit();
}

} // namespace tovaloreg
