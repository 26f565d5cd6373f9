#include <filedialog/CPXFileDialogBase.h>

#include <platform/CGdiObject.h>
#include <platform/Gdi.h>
#include <platform/ProgramFiles.h>
#include <platform/Shell.h>

#include "UpFolderBitmap.h"

namespace {

using platform::ControlKind;

constexpr COLORREF kWhite = RGB(255, 255, 255);

bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The text before the last "\": the parent folder ("" is the root).
CString ParentOf(const CString& path) {
    const int slash = path.ReverseFind(u'\\');
    return slash < 0 ? CString() : path.Left(slash);
}

CString DateText(const FILETIME& written) {
    FILETIME local;
    SYSTEMTIME fields;
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &fields))
        return CString();
    CString text;
    text.Format(u"%d/%d/%d", fields.wMonth, fields.wDay, fields.wYear);
    return text;
}

} // namespace

platform::DialogTemplate FileDialogTemplate(LONG height, RECT upperButton) {
    return platform::DialogTemplate{
        IDD_FILEDIALOG,
        u"Dialog",
        {138, height},
        u"System",
        10,
        {{ControlKind::PushButton, IDCANCEL, u"Cancel", {104, 17, 32, 12}, WS_TABSTOP},
         {ControlKind::ListView,
          IDC_FILELIST,
          u"List1",
          {0, 43, 136, 105},
          LVS_REPORT | LVS_SHAREIMAGELISTS | WS_BORDER | WS_TABSTOP},
         {ControlKind::ComboBox,
          IDC_FILETYPE,
          u"",
          {34, 30, 102, 46},
          CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
         {ControlKind::Static, 0, u"Name:", {8, 19, 23, 8}},
         {ControlKind::Static, 0, u"type:", {13, 31, 18, 8}},
         {ControlKind::Static, 0, u"Open", {7, 4, 18, 8}},
         {ControlKind::Edit,
          IDC_FILENAME,
          u"",
          {34, 17, 68, 12},
          WS_DISABLED | WS_BORDER | ES_AUTOHSCROLL},
         {ControlKind::PushButton, IDC_UPPER, u"Button1", upperButton, 0, false}}};
}

BEGIN_MESSAGE_MAP(CPXFileDialogBase, CDialog)
ON_CBN_SELCHANGE(IDC_FILETYPE, OnSelchangeComboType)
ON_NOTIFY(NM_CLICK, IDC_FILELIST, OnClickList)
ON_NOTIFY(NM_DBLCLK, IDC_FILELIST, OnDblclkList)
ON_BN_CLICKED(IDC_UPPER, OnUpper)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CPXFileDialogBase::CPXFileDialogBase(const platform::DialogTemplate& dialog, CWnd* pParent)
    : CDialog(dialog, pParent) {
    platform::AddBitmapResource(IDB_UPFOLDER, filedialog::res::UpFolder,
                                filedialog::res::UpFolderSize);
}

CPXFileDialogBase::~CPXFileDialogBase() = default;

void CPXFileDialogBase::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FILELIST, m_ListCtrl);
    DDX_Control(pDX, IDC_FILETYPE, m_ComboType);
    DDX_Text(pDX, IDC_FILENAME, m_strFileName);
}

BOOL CPXFileDialogBase::OnInitDialog() {
    CDialog::OnInitDialog();
    InitListCtrl();
    InitFilterCombo();
    UpdateList(m_strFolder + u"*.*", ModeOf(0));
    m_ComboType.SetCurSel(m_nFilter);
    return TRUE;
}

void CPXFileDialogBase::InitListCtrl() {
    m_ListCtrl.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    m_ListCtrl.DeleteAllItems();
    m_ListCtrl.InsertColumn(0, u"Name", LVCFMT_LEFT, 100);
    m_ListCtrl.InsertColumn(1, u"Size", LVCFMT_LEFT, 70);
    m_ListCtrl.InsertColumn(2, u"Date", LVCFMT_LEFT, 70);
}

void CPXFileDialogBase::InitFilterCombo() {
    for (const FileFilter& filter : Filters())
        m_ComboType.AddString(filter.text);
}

void CPXFileDialogBase::InitSystemImageList() {
    SHFILEINFO info;
    const auto list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfo(u"\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    m_SysImageList.Attach(list);
    m_ListCtrl.SetImageList(&m_SysImageList, LVSIL_SMALL);
    // The shell's list is shared: the carrier lets go of it.
    m_SysImageList.Detach();
}

void CPXFileDialogBase::UpdateList(LPCWSTR pattern, DWORD mode) {
    mode = ListingMode(pattern, mode);
    m_ListCtrl.DeleteAllItems();
    m_UpImageList.DeleteImageList();
    m_UpImageList.Create(16, 16, ILC_COLOR4 | ILC_MASK, 1, 1);
    CBitmap up;
    up.LoadBitmap(IDB_UPFOLDER);
    m_UpImageList.Add(&up, kWhite);
    m_ListCtrl.SetImageList(&m_UpImageList, LVSIL_SMALL);
    m_ListCtrl.InsertItem(0, u"..", 0);
    m_ListCtrl.SetImageList(nullptr, LVSIL_SMALL);
    InitSystemImageList();

    WIN32_FIND_DATAW record;
    HANDLE search = FindFirstFileW(pattern, &record);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const CString name(record.cFileName);
        // Hidden entries of the host stay hidden, as in the desktop's own dialogs.
        if (name.IsEmpty() || name[0] == u'.')
            continue;
        if (IsFolder(record.dwFileAttributes) || ListsFile(mode, name, PathOf(name)))
            SetListControl(record, name);
    } while (FindNextFileW(search, &record));
    FindClose(search);
}

void CPXFileDialogBase::SetListControl(const WIN32_FIND_DATAW& record, CString name) {
    CString size(u"Folder");
    if (record.nFileSizeLow != 0)
        size.Format(u"%d", static_cast<int>(record.nFileSizeLow));
    m_ListCtrl.InsertItem(1, name, GetSystemImageIndex(PathOf(name)));
    m_ListCtrl.SetItemText(1, 1, size);
    m_ListCtrl.SetItemText(1, 2, DateText(record.ftLastWriteTime));
}

int CPXFileDialogBase::GetSystemImageIndex(CString path) {
    SHFILEINFO info;
    SHGetFileInfo(path, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    return info.iIcon;
}

void CPXFileDialogBase::OnSelchangeComboType() {
    const int selected = m_ComboType.GetCurSel();
    if (selected < 0 || static_cast<std::size_t>(selected) >= Filters().size())
        return;
    m_nFilter = selected;
    UpdateList(Pattern(), ModeOf(selected));
}

void CPXFileDialogBase::OnClickList(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    const int row = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iItem;
    if (row < 0)
        return;
    m_strFileName = m_ListCtrl.GetItemText(row, 0);
    UpdateData(FALSE);
}

void CPXFileDialogBase::OnDblclkList(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    const int row = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iItem;
    if (row < 0)
        return;
    if (row == 0) {
        OnUpper();
        return;
    }
    const CString name = m_ListCtrl.GetItemText(row, 0);
    const CString path = PathOf(name);
    const DWORD attributes = GetFileAttributesW(path);
    // An entry gone since the listing: the folder is listed again as it is now.
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        UpdateList(Pattern(), ModeOf(m_nFilter));
        return;
    }
    if (IsFolder(attributes)) {
        m_strFolder = path;
        UpdateList(m_strFolder + u"\\*.*", ModeOf(m_nFilter));
        return;
    }
    m_strFileTitle = name;
    m_strPathName = path;
    m_strFolder = ParentOf(path);
    OnOK();
}

void CPXFileDialogBase::OnUpper() {
    m_strFolder = ParentOf(m_strFolder);
    UpdateList(m_strFolder + u"\\*.*", ModeOf(m_nFilter));
}

void CPXFileDialogBase::OnOK() {
    if (GetFocus() != nullptr) {
        // ".." goes up a folder; it is no file to choose.
        if (m_strFileName == u"..")
            return;
        const CString path = PathOf(m_strFileName);
        const int dot = m_strFileName.Find(u'.');
        if (IsFolder(GetFileAttributesW(path)))
            return;
        if (dot < 0 && !(ChoosesPrograms() && IsProgram(path)))
            return;
        m_strPathName = path;
        m_strFileTitle = dot < 0 ? m_strFileName : m_strFileName.Left(dot);
        if (ChoosesPrograms())
            if (auto name = platform::DesktopEntryName(path.view()))
                m_strFileTitle = CString(*name);
    }
    CDialog::OnOK();
}

void CPXFileDialogBase::OnDestroy() {
    Default();
}

bool CPXFileDialogBase::IsProgram(const CString& path) {
    return platform::IsProgramFile(path.view());
}

DWORD CPXFileDialogBase::ModeOf(int filter) const {
    const auto filters = Filters();
    return filter >= 0 && static_cast<std::size_t>(filter) < filters.size() ? filters[filter].mode
                                                                            : filters[0].mode;
}

CString CPXFileDialogBase::PathOf(const CString& name) const {
    return m_strFolder == u"\\" ? m_strFolder + name : m_strFolder + u"\\" + name;
}

CString CPXFileDialogBase::Pattern() const {
    return m_strFolder == u"\\" ? m_strFolder + u"*.*" : m_strFolder + u"\\*.*";
}
