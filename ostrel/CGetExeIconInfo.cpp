#include <ostrel/CGetExeIconInfo.h>

#include "ListSupport.h"
#include "RegKey.h"

#include <platform/Files.h>

using namespace ostrel;

namespace {

constexpr DWORD kExistingStore = 4444;
constexpr DWORD kAttrFolder = 16;
constexpr DWORD kAttrHiddenArchive = 34;
// Folder links can make a tree endless; the favourites never nest this deep.
constexpr int kMaxFolderDepth = 32;

ListCursor<EXEICONDATA> Cursor(CGetExeIconInfo& list) {
    return {list.m_List, list.m_nCurIndex, list.m_posCur};
}

int ReadRootNumber(std::u16string_view key, const WCHAR* name, int absent) {
    int value = absent;
    RegKey(key).ReadDword(name, value);
    return value;
}

// The name up to its first "."; a name without one gives the empty label.
CString LabelOf(const CString& name) {
    int dot = name.Find(u'.');
    return dot < 0 ? CString() : name.Left(dot);
}

} // namespace

CGetExeIconInfo::~CGetExeIconInfo() {
    DestroyIcons(m_List);
}

DWORD CGetExeIconInfo::InitReg() {
    DWORD code = m_RegData.InitRegistry();
    if (code != kExistingStore)
        return code;
    LoadStoredPrograms();
    if (QueryFavoriteTrueFalse() == 1)
        InitRegOpen();
    return code;
}

void CGetExeIconInfo::LoadStoredPrograms() {
    for (int slot = 0; slot < kExeSlots; ++slot) {
        EXEDATA data = m_RegData.GetExeData(slot);
        if (data.PK == PK_EMPTY_SLOT)
            continue;
        EXEICONDATA element;
        element.PK = data.PK;
        element.GroupPosition = data.GroupPosition;
        CopyText(element.IconName, data.IconName);
        CopyText(element.IconPath, data.IconPath);
        element.hIcon = FileIcon(data.IconPath, SHGFI_ICON | SHGFI_DISPLAYNAME);
        m_List.AddTail(element);
    }
}

void CGetExeIconInfo::InsertExe(CString strPath, CString strName) {
    HICON icon = FileIcon(strPath, SHGFI_ICON | SHGFI_DISPLAYNAME);
    int slot = m_RegData.InsertRegExe(TextBytes(strPath), TextByteCount(strPath),
                                      TextBytes(strName), TextByteCount(strName));
    m_nNewPK = slot;

    EXEICONDATA element;
    element.PK = slot;
    element.GroupPosition = 0;
    CopyText(element.IconName, strName.view());
    CopyText(element.IconPath, strPath.view());
    element.hIcon = icon;

    if (slot == 0) {
        m_nCurIndex = -1;
        m_List.AddHead(element);
        return;
    }
    Cursor(*this).InsertAtSlot(slot, element);
}

void CGetExeIconInfo::ModifyExe(CString strName, int nIndex, int nNewGroup) {
    POSITION pos = m_List.FindIndex(nIndex);
    if (!pos)
        return;
    EXEICONDATA& element = m_List.GetAt(pos);
    m_RegData.ModifyRegExe(TextBytes(strName), TextByteCount(strName), element.PK,
                           element.GroupPosition, nNewGroup);
    CopyText(element.IconName, strName.view());
    element.GroupPosition = nNewGroup;
}

void CGetExeIconInfo::DeleteExe(int nIndex) {
    POSITION pos = m_List.FindIndex(nIndex);
    if (!pos)
        return;
    EXEICONDATA element = m_List.GetAt(pos);
    m_RegData.DeleteRegExe(element.PK, element.GroupPosition);
    Cursor(*this).RemoveAt(nIndex);
    DestroyIcon(element.hIcon);
}

void CGetExeIconInfo::ExeIconListReload() {
    DestroyIcons(m_List);
    Cursor(*this).RemoveAll();
    LoadStoredPrograms();
}

EXEICONDATA CGetExeIconInfo::GetStart() {
    return Cursor(*this).GetStart();
}
EXEICONDATA CGetExeIconInfo::GetEnd() {
    return Cursor(*this).GetEnd();
}
EXEICONDATA CGetExeIconInfo::GetNext() {
    return Cursor(*this).GetNext();
}
EXEICONDATA CGetExeIconInfo::GetPrev() {
    return Cursor(*this).GetPrev();
}
EXEICONDATA CGetExeIconInfo::GetAtNext(int nIndex) {
    return Cursor(*this).GetAtNext(nIndex);
}
EXEICONDATA CGetExeIconInfo::GetAtPrev(int nIndex) {
    return Cursor(*this).GetAtPrev(nIndex);
}
EXEICONDATA CGetExeIconInfo::GetIcon(int nIndex) {
    return Cursor(*this).GetIcon(nIndex);
}

int CGetExeIconInfo::InitRegOpen() {
    return SearchRegKeyStart(u"\\Windows\\Favorites\\*.*");
}

int CGetExeIconInfo::SearchRegKeyStart(CString strPattern) {
    return SearchFolder(strPattern, 0);
}

int CGetExeIconInfo::SearchFolder(const CString& strPattern, int nDepth) {
    CString dir = strPattern.Left(strPattern.ReverseFind(u'\\') + 1);
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(strPattern.GetString(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int added = 0;
    do {
        CString name(entry.cFileName);
        if (entry.dwFileAttributes == kAttrFolder) {
            if (nDepth < kMaxFolderDepth)
                added += SearchFolder(dir + name + u"\\" + u"*.*", nDepth + 1);
        } else if (entry.dwFileAttributes != kAttrHiddenArchive) {
            InsertFavoriteURL(dir + name, LabelOf(name));
            ++added;
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return added;
}

void CGetExeIconInfo::InsertFavoriteURL(CString strPath, CString strName) {
    EXEICONDATA element;
    element.PK = PK_FAVORITE;
    element.GroupPosition = QueryFavoritePK();
    CopyText(element.IconName, strName.view());
    CopyText(element.IconPath, strPath.view());
    element.hIcon = FileIcon(u"\\Windows\\iexplore.exe", SHGFI_ICON | SHGFI_DISPLAYNAME);
    m_List.AddTail(element);
}

int CGetExeIconInfo::QueryFavoritePK() {
    return ReadRootNumber(kRootKey, u"FavoritePK", -1);
}

int CGetExeIconInfo::QueryFavoriteTrueFalse() {
    return ReadRootNumber(kRootKey, u"CheckFavorite", 0);
}

int CGetExeIconInfo::QueryExeIconCount() {
    return ReadRootNumber(kExesKey, u"EXEICONCOUNT", 0);
}
