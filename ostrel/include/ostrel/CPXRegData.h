#pragma once

#include <ostrel/Records.h>
#include <ostrel/ostrel_export.h>

#include <platform/CString.h>

// The launcher's store below HKEY_CURRENT_USER\Software\NorviSoft\NorviLuncher: 20 group
// slots, 50 program slots and 15 quick-launch slots, each a subkey carrying its own number
// in PK. Every operation opens the keys it needs and closes them before it returns.
class OSTREL_EXPORT CPXRegData {
public:
    CPXRegData() = default;
    CPXRegData(const CPXRegData&) = default;
    CPXRegData& operator=(const CPXRegData&) = default;
    virtual ~CPXRegData() = default;

    // Loads the cached counters; on an empty store writes the first-start content and
    // returns 3333, otherwise returns 4444.
    DWORD InitRegistry();

    GROUPDATA GetGroupData(int nSlot);
    EXEDATA GetExeData(int nSlot);
    QLDATA GetQLData(int nSlot);

    void ApplySkin(const BYTE* pPath, int nBytes);
    void SkinToggle(int nCheck);
    CString GetSkinPath();
    DWORD CheckSkin();
    CString ReturnGroupName(int nSlot);

    // Writing operations: slots are taken lowest number first and freed in place.
    int InsertRegGroups(const BYTE* pName, int nBytes, int nIconCount);
    void DeleteRegGroups(int nSlot);
    void ModifyRegGroups(const BYTE* pName, int nBytes, int nSlot);
    int InsertRegExe(const BYTE* pPath, int nPathBytes, const BYTE* pName, int nNameBytes);
    void DeleteRegExe(int nSlot, int nGroupSlot);
    void ModifyRegExe(const BYTE* pName, int nBytes, int nSlot, int nOldGroup, int nNewGroup);
    int InsertRegQL(const BYTE* pPath, int nBytes);
    void DeleteRegQL(int nSlot);

    int m_nGroupCount = 0;
    int m_nExeIconCount = 0;
    int m_nQLCount = 0;
    int m_nGroup0IconCount = 0;
};
