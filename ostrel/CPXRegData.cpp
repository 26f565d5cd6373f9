#include <ostrel/CPXRegData.h>

#include "RegKey.h"

#include <string>

using namespace ostrel;

namespace {

constexpr DWORD kFirstStart = 3333;
constexpr DWORD kExistingStore = 4444;

bool InRange(int slot, int count) {
    return slot >= 0 && slot < count;
}

// A UTF-16 literal as REG_SZ bytes with its terminator.
void WriteText(const RegKey& key, const WCHAR* name, std::u16string_view text) {
    std::u16string value(text);
    key.WriteString(name, reinterpret_cast<const BYTE*>(value.c_str()),
                    static_cast<int>((value.size() + 1) * sizeof(WCHAR)));
}

// Reads IconCount, adds delta and writes it back (an absent value counts as 0).
void AdjustIconCount(int groupSlot, int delta) {
    if (!InRange(groupSlot, kGroupSlots))
        return;
    RegKey key(SlotPath(kGroupSlotBase, groupSlot));
    int count = 0;
    key.ReadDword(u"IconCount", count);
    key.WriteDword(u"IconCount", count + delta);
}

void WriteCounter(std::u16string_view keyPath, const WCHAR* name, int value) {
    RegKey(keyPath).WriteDword(name, value);
}

// Takes the lowest slot whose name value does not read within its limit: the slot's values
// are written by fill in that slot's key. -1 when every slot is in use.
template <typename Fill>
int TakeFreeSlot(const WCHAR* base, int slots, const WCHAR* nameValue, DWORD limit, Fill fill) {
    for (int n = 0; n < slots; ++n) {
        RegKey key(SlotPath(base, n));
        std::u16string existing;
        if (key.ReadString(nameValue, limit, existing))
            continue;
        fill(key);
        return n;
    }
    return PK_NO_SLOT;
}

} // namespace

DWORD CPXRegData::InitRegistry() {
    bool firstStart = !RegKey::Exists(kRootKey);

    RegKey(kGroupsKey).ReadDword(u"GROUPCOUNT", m_nGroupCount);
    RegKey(kExesKey).ReadDword(u"EXEICONCOUNT", m_nExeIconCount);
    RegKey(kQLKey).ReadDword(u"QLCOUNT", m_nQLCount);
    RegKey(SlotPath(kGroupSlotBase, 0)).ReadDword(u"IconCount", m_nGroup0IconCount);

    if (!firstStart)
        return kExistingStore;

    for (int n = 0; n < kGroupSlots; ++n) {
        RegKey key(SlotPath(kGroupSlotBase, n));
        key.WriteDword(u"PK", n);
        key.WriteDword(u"IconCount", 0);
    }
    WriteText(RegKey(SlotPath(kGroupSlotBase, 0)), u"GroupName", u"etc.");
    WriteCounter(kGroupsKey, u"GROUPCOUNT", 1);
    RegKey(kSkinKey).WriteDword(u"SkinCheck", 1);
    for (int n = 0; n < kExeSlots; ++n) {
        RegKey key(SlotPath(kExeSlotBase, n));
        key.WriteDword(u"PK", n);
        key.WriteDword(u"GroupPosition", 0);
    }
    for (int n = 0; n < kQLSlots; ++n)
        RegKey(SlotPath(kQLSlotBase, n)).WriteDword(u"PK", n);
    return kFirstStart;
}

GROUPDATA CPXRegData::GetGroupData(int nSlot) {
    GROUPDATA data;
    data.PK = PK_EMPTY_SLOT;
    if (!InRange(nSlot, kGroupSlots))
        return data;
    RegKey key(SlotPath(kGroupSlotBase, nSlot));
    if (!key.ReadString(u"GroupName", kNameLimit, data.GroupName, std::size(data.GroupName)))
        return data;
    // A slot whose numbers are missing still carries its own number.
    data.PK = nSlot;
    key.ReadDword(u"PK", data.PK);
    key.ReadDword(u"IconCount", data.IconCount);
    return data;
}

EXEDATA CPXRegData::GetExeData(int nSlot) {
    EXEDATA data;
    data.PK = PK_EMPTY_SLOT;
    if (!InRange(nSlot, kExeSlots))
        return data;
    RegKey key(SlotPath(kExeSlotBase, nSlot));
    if (!key.ReadString(u"IconPath", kPathLimit, data.IconPath, std::size(data.IconPath)))
        return data;
    data.PK = nSlot;
    key.ReadDword(u"PK", data.PK);
    key.ReadDword(u"GroupPosition", data.GroupPosition);
    key.ReadString(u"IconName", kNameLimit, data.IconName, std::size(data.IconName));
    return data;
}

QLDATA CPXRegData::GetQLData(int nSlot) {
    QLDATA data;
    data.PK = PK_EMPTY_SLOT;
    if (!InRange(nSlot, kQLSlots))
        return data;
    RegKey key(SlotPath(kQLSlotBase, nSlot));
    if (!key.ReadString(u"QLPath", kPathLimit, data.QLPath, std::size(data.QLPath)))
        return data;
    data.PK = nSlot;
    key.ReadDword(u"PK", data.PK);
    return data;
}

void CPXRegData::ApplySkin(const BYTE* pPath, int nBytes) {
    RegKey(kSkinKey).WriteString(u"PATHSKIN", pPath, nBytes);
}

void CPXRegData::SkinToggle(int nCheck) {
    RegKey(kSkinKey).WriteDword(u"SkinCheck", nCheck);
}

CString CPXRegData::GetSkinPath() {
    std::u16string path;
    if (!RegKey(kSkinKey).ReadString(u"PATHSKIN", kPathLimit, path))
        return CString(u"Skin route is not selected.");
    return CString(std::move(path));
}

DWORD CPXRegData::CheckSkin() {
    // Without a stored choice the built-in skin is the one to show.
    int check = 1;
    RegKey(kSkinKey).ReadDword(u"SkinCheck", check);
    return static_cast<DWORD>(check);
}

CString CPXRegData::ReturnGroupName(int nSlot) {
    std::u16string name;
    if (!InRange(nSlot, kGroupSlots) ||
        !RegKey(SlotPath(kGroupSlotBase, nSlot)).ReadString(u"GroupName", kNameLimit, name))
        return CString(u"It is not correct group.");
    return CString(std::move(name));
}

int CPXRegData::InsertRegGroups(const BYTE* pName, int nBytes, int nIconCount) {
    int slot =
        TakeFreeSlot(kGroupSlotBase, kGroupSlots, u"GroupName", kNameLimit, [&](const RegKey& key) {
            key.WriteString(u"GroupName", pName, nBytes);
            key.WriteDword(u"IconCount", nIconCount);
        });
    if (slot != PK_NO_SLOT)
        WriteCounter(kGroupsKey, u"GROUPCOUNT", ++m_nGroupCount);
    return slot;
}

void CPXRegData::DeleteRegGroups(int nSlot) {
    if (!InRange(nSlot, kGroupSlots))
        return;
    {
        RegKey key(SlotPath(kGroupSlotBase, nSlot));
        key.DeleteValue(u"GroupName");
        key.WriteDword(u"IconCount", 0);
    }
    WriteCounter(kGroupsKey, u"GROUPCOUNT", --m_nGroupCount);
}

void CPXRegData::ModifyRegGroups(const BYTE* pName, int nBytes, int nSlot) {
    if (InRange(nSlot, kGroupSlots))
        RegKey(SlotPath(kGroupSlotBase, nSlot)).WriteString(u"GroupName", pName, nBytes);
}

int CPXRegData::InsertRegExe(const BYTE* pPath, int nPathBytes, const BYTE* pName, int nNameBytes) {
    int slot =
        TakeFreeSlot(kExeSlotBase, kExeSlots, u"IconName", kNameLimit, [&](const RegKey& key) {
            key.WriteString(u"IconName", pName, nNameBytes);
            key.WriteString(u"IconPath", pPath, nPathBytes);
            key.WriteDword(u"GroupPosition", 0);
        });
    if (slot == PK_NO_SLOT)
        return slot;
    WriteCounter(kExesKey, u"EXEICONCOUNT", ++m_nExeIconCount);
    // Counted from the stored value: another instance may have changed it.
    RegKey group0(SlotPath(kGroupSlotBase, 0));
    m_nGroup0IconCount = 0;
    group0.ReadDword(u"IconCount", m_nGroup0IconCount);
    group0.WriteDword(u"IconCount", ++m_nGroup0IconCount);
    return slot;
}

void CPXRegData::DeleteRegExe(int nSlot, int nGroupSlot) {
    if (!InRange(nSlot, kExeSlots))
        return;
    {
        RegKey key(SlotPath(kExeSlotBase, nSlot));
        key.DeleteValue(u"IconPath");
        key.DeleteValue(u"IconName");
        key.WriteDword(u"GroupPosition", 0);
    }
    WriteCounter(kExesKey, u"EXEICONCOUNT", --m_nExeIconCount);
    AdjustIconCount(nGroupSlot, -1);
}

void CPXRegData::ModifyRegExe(const BYTE* pName, int nBytes, int nSlot, int nOldGroup,
                              int nNewGroup) {
    if (!InRange(nSlot, kExeSlots))
        return;
    {
        RegKey key(SlotPath(kExeSlotBase, nSlot));
        key.WriteString(u"IconName", pName, nBytes);
        key.WriteDword(u"GroupPosition", nNewGroup);
    }
    AdjustIconCount(nOldGroup, -1);
    AdjustIconCount(nNewGroup, +1);
}

int CPXRegData::InsertRegQL(const BYTE* pPath, int nBytes) {
    int slot = TakeFreeSlot(kQLSlotBase, kQLSlots, u"QLPath", kPathLimit,
                            [&](const RegKey& key) { key.WriteString(u"QLPath", pPath, nBytes); });
    if (slot != PK_NO_SLOT)
        WriteCounter(kQLKey, u"QLCOUNT", ++m_nQLCount);
    return slot;
}

void CPXRegData::DeleteRegQL(int nSlot) {
    if (!InRange(nSlot, kQLSlots))
        return;
    RegKey(SlotPath(kQLSlotBase, nSlot)).DeleteValue(u"QLPath");
    WriteCounter(kQLKey, u"QLCOUNT", --m_nQLCount);
}
