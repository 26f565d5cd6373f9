#pragma once

#include <platform/Types.h>

#include <string>
#include <vector>

namespace tovaloreg {

// A counter of the launcher's store that does not match the slots it counts.
struct CounterMismatch {
    std::u16string key; // below HKEY_CURRENT_USER
    std::u16string value;
    std::string stored; // "3", "absent", "not a 4-byte number"
    int counted = 0;
};

// Compares the launcher's counters (GROUPCOUNT, EXEICONCOUNT, QLCOUNT and each group's
// IconCount) with the slots present, reading them as the launcher does: a group is in use
// when its GroupName reads within 1024 bytes, a program when its IconPath reads within 260,
// a quick-launch entry when its QLPath does; an absent counter reads as 0. The favourites
// group's IconCount counts browser favourites, which the store does not hold, and is left
// out. Nothing is created or written by the check itself.
class CounterCheck {
public:
    // False, with the reason, when the store cannot be read; true when there is no store.
    bool Run(std::string& error);
    bool StoreExists() const { return m_storeExists; }
    const std::vector<CounterMismatch>& Mismatches() const { return m_mismatches; }
    // Writes the counted numbers in one transaction.
    LONG Fix() const;

private:
    void Compare(std::u16string key, const char16_t* value, int counted);

    bool m_storeExists = false;
    std::vector<CounterMismatch> m_mismatches;
};

} // namespace tovaloreg
