#pragma once

#include <ostrel/CPXRegData.h>
#include <ostrel/Records.h>
#include <ostrel/ostrel_export.h>

#include <platform/CList.h>
#include <platform/CString.h>

// The stored groups in slot order, including "MyFavorite" that holds the browser favourites.
class OSTREL_EXPORT CGetGroupIconInfo {
public:
    CGetGroupIconInfo() = default;
    CGetGroupIconInfo(const CGetGroupIconInfo&) = delete;
    CGetGroupIconInfo& operator=(const CGetGroupIconInfo&) = delete;
    virtual ~CGetGroupIconInfo() = default;

    void InitReg();
    void InsertGroups(CString strName);
    void ModifyGroup(CString strName, int nIndex);
    void DeleteGroup(int nIndex);
    void GroupListReload();
    void InsertFavoriteGroups(int nCount);
    void DeleteFavoriteGroup(int nIndex);

    GROUPICONDATA GetStart();
    GROUPICONDATA GetEnd();
    GROUPICONDATA GetNext();
    GROUPICONDATA GetPrev();
    GROUPICONDATA GetAtNext(int nIndex);
    GROUPICONDATA GetAtPrev(int nIndex);
    GROUPICONDATA GetIcon(int nIndex);

    CPXRegData m_RegData;
    int m_nNewPK = 0;
    int m_nCurIndex = 0;
    POSITION m_posCur = nullptr;
    CList<GROUPICONDATA> m_List{10};

private:
    void LoadGroups();
    void InsertStoredGroup(const CString& strName, int nIconCount, bool bFavorites);
};
