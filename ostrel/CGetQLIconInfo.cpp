#include <ostrel/CGetQLIconInfo.h>

#include "ListSupport.h"
#include "RegKey.h"

using namespace ostrel;

namespace {

constexpr UINT kSmallIcon = SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_SMALLICON;

ListCursor<QLICONDATA> Cursor(CGetQLIconInfo& list) {
    return {list.m_List, list.m_nCurIndex, list.m_posCur};
}

} // namespace

CGetQLIconInfo::~CGetQLIconInfo() {
    DestroyIcons(m_List);
}

void CGetQLIconInfo::InitReg() {
    m_RegData.InitRegistry();
    for (int slot = 0; slot < kQLSlots; ++slot) {
        QLDATA data = m_RegData.GetQLData(slot);
        if (data.PK == PK_EMPTY_SLOT)
            continue;
        QLICONDATA element;
        element.PK = data.PK;
        CopyText(element.QLPath, data.QLPath);
        element.hIcon = FileIcon(data.QLPath, kSmallIcon);
        m_List.AddTail(element);
    }
}

void CGetQLIconInfo::InsertQL(CString strPath) {
    HICON icon = FileIcon(strPath, kSmallIcon);
    int slot = m_RegData.InsertRegQL(TextBytes(strPath), TextByteCount(strPath));
    m_nNewPK = slot;
    QLICONDATA element;
    element.PK = slot;
    CopyText(element.QLPath, strPath.view());
    element.hIcon = icon;
    Cursor(*this).InsertAtSlot(slot, element);
}

void CGetQLIconInfo::DeleteQL(int nIndex) {
    POSITION pos = m_List.FindIndex(nIndex);
    if (!pos)
        return;
    QLICONDATA element = m_List.GetAt(pos);
    m_RegData.DeleteRegQL(element.PK);
    Cursor(*this).RemoveAt(nIndex);
    DestroyIcon(element.hIcon);
}

QLICONDATA CGetQLIconInfo::GetStart() {
    return Cursor(*this).GetStart();
}
QLICONDATA CGetQLIconInfo::GetEnd() {
    return Cursor(*this).GetEnd();
}
QLICONDATA CGetQLIconInfo::GetNext() {
    return Cursor(*this).GetNext();
}
QLICONDATA CGetQLIconInfo::GetPrev() {
    return Cursor(*this).GetPrev();
}
QLICONDATA CGetQLIconInfo::GetAtNext(int nIndex) {
    return Cursor(*this).GetAtNext(nIndex);
}
QLICONDATA CGetQLIconInfo::GetAtPrev(int nIndex) {
    return Cursor(*this).GetAtPrev(nIndex);
}
QLICONDATA CGetQLIconInfo::GetIcon(int nIndex) {
    return Cursor(*this).GetIcon(nIndex);
}
