#include <ostrel/CGetGroupIconInfo.h>

#include "ListSupport.h"
#include "RegKey.h"

using namespace ostrel;

namespace {

ListCursor<GROUPICONDATA> Cursor(CGetGroupIconInfo& list) {
    return {list.m_List, list.m_nCurIndex, list.m_posCur};
}

} // namespace

void CGetGroupIconInfo::InitReg() {
    m_RegData.InitRegistry();
    LoadGroups();
}

void CGetGroupIconInfo::LoadGroups() {
    for (int slot = 0; slot < kGroupSlots; ++slot) {
        GROUPDATA data = m_RegData.GetGroupData(slot);
        if (data.PK == PK_EMPTY_SLOT)
            continue;
        GROUPICONDATA element;
        element.PK = data.PK;
        CopyText(element.GroupName, data.GroupName);
        element.IconCount = data.IconCount;
        m_List.AddTail(element);
    }
}

void CGetGroupIconInfo::InsertStoredGroup(const CString& strName, int nIconCount, bool bFavorites) {
    int slot = m_RegData.InsertRegGroups(TextBytes(strName), TextByteCount(strName), nIconCount);
    m_nNewPK = slot;
    // Written also when no slot was free, so that FavoritePK never names a stale group.
    if (bFavorites)
        RegKey(kRootKey).WriteDword(u"FavoritePK", slot);
    GROUPICONDATA element;
    element.PK = slot;
    CopyText(element.GroupName, strName.view());
    element.IconCount = nIconCount;
    Cursor(*this).InsertAtSlot(slot, element);
}

void CGetGroupIconInfo::InsertGroups(CString strName) {
    InsertStoredGroup(strName, 0, false);
}

void CGetGroupIconInfo::ModifyGroup(CString strName, int nIndex) {
    POSITION pos = m_List.FindIndex(nIndex);
    if (!pos)
        return;
    GROUPICONDATA& element = m_List.GetAt(pos);
    m_RegData.ModifyRegGroups(TextBytes(strName), TextByteCount(strName), element.PK);
    CopyText(element.GroupName, strName.view());
}

void CGetGroupIconInfo::DeleteGroup(int nIndex) {
    POSITION pos = m_List.FindIndex(nIndex);
    if (!pos)
        return;
    m_RegData.DeleteRegGroups(m_List.GetAt(pos).PK);
    Cursor(*this).RemoveAt(nIndex);
}

void CGetGroupIconInfo::DeleteFavoriteGroup(int nIndex) {
    DeleteGroup(nIndex);
}

void CGetGroupIconInfo::GroupListReload() {
    Cursor(*this).RemoveAll();
    LoadGroups();
}

void CGetGroupIconInfo::InsertFavoriteGroups(int nCount) {
    InsertStoredGroup(u"MyFavorite", nCount, true);
}

GROUPICONDATA CGetGroupIconInfo::GetStart() {
    return Cursor(*this).GetStart();
}
GROUPICONDATA CGetGroupIconInfo::GetEnd() {
    return Cursor(*this).GetEnd();
}
GROUPICONDATA CGetGroupIconInfo::GetNext() {
    return Cursor(*this).GetNext();
}
GROUPICONDATA CGetGroupIconInfo::GetPrev() {
    return Cursor(*this).GetPrev();
}
GROUPICONDATA CGetGroupIconInfo::GetAtNext(int nIndex) {
    return Cursor(*this).GetAtNext(nIndex);
}
GROUPICONDATA CGetGroupIconInfo::GetAtPrev(int nIndex) {
    return Cursor(*this).GetAtPrev(nIndex);
}
GROUPICONDATA CGetGroupIconInfo::GetIcon(int nIndex) {
    return Cursor(*this).GetIcon(nIndex);
}
