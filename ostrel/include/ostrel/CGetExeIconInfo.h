#pragma once

#include <ostrel/CPXRegData.h>
#include <ostrel/Records.h>
#include <ostrel/ostrel_export.h>

#include <platform/CList.h>
#include <platform/CString.h>

// Every stored program, of all groups, with its icon; and, when the favourites are shown,
// one element per browser favourite. Every change goes to the store first, then to the list.
class OSTREL_EXPORT CGetExeIconInfo {
public:
    CGetExeIconInfo() = default;
    CGetExeIconInfo(const CGetExeIconInfo&) = delete;
    CGetExeIconInfo& operator=(const CGetExeIconInfo&) = delete;
    // Releases the icons the list still holds.
    virtual ~CGetExeIconInfo();

    DWORD InitReg();
    void InsertExe(CString strPath, CString strName);
    void ModifyExe(CString strName, int nIndex, int nNewGroup);
    void DeleteExe(int nIndex);
    void ExeIconListReload();

    EXEICONDATA GetStart();
    EXEICONDATA GetEnd();
    EXEICONDATA GetNext();
    EXEICONDATA GetPrev();
    EXEICONDATA GetAtNext(int nIndex);
    EXEICONDATA GetAtPrev(int nIndex);
    EXEICONDATA GetIcon(int nIndex);
    int GetCurIndex() const { return m_nCurIndex; }

    int InitRegOpen();
    int SearchRegKeyStart(CString strPattern);
    void InsertFavoriteURL(CString strPath, CString strName);

    int QueryFavoritePK();
    int QueryFavoriteTrueFalse();
    int QueryExeIconCount();

    CPXRegData m_RegData;
    int m_nNewPK = 0;
    int m_nCurIndex = 0;
    POSITION m_posCur = nullptr;
    CList<EXEICONDATA> m_List{10};

private:
    void LoadStoredPrograms();
    int SearchFolder(const CString& strPattern, int nDepth);
};
