#pragma once

#include <platform/CDialog.h>
#include <platform/Files.h>

#include <span>

// The two file-open dialogs share this class; each library builds it in and exports its
// own dialog. Both copies are the same code, so whichever the loader picks serves.
#define FILEDIALOG_SHARED __attribute__((visibility("default")))

// One entry of the file-type box and the listing mode it selects.
struct FileFilter {
    const WCHAR* text;
    DWORD mode;
};

// A folder browser: the entries of one folder under a ".." row, in three columns, filtered
// by the type chosen; a tap names an entry, a double tap enters a folder or chooses a file.
class FILEDIALOG_SHARED CPXFileDialogBase : public CDialog {
public:
    CPXFileDialogBase(const platform::DialogTemplate& dialog, CWnd* pParent);
    ~CPXFileDialogBase() override;

    CString GetPathName() const { return m_strPathName; }
    CString GetFileTitle() const { return m_strFileTitle; }
    void UpdateList(LPCWSTR pattern, DWORD mode);
    void SetListControl(const WIN32_FIND_DATAW& record, CString name);
    int GetSystemImageIndex(CString path);
    void InitFilterCombo();
    void InitListCtrl();
    void InitSystemImageList();

    CString m_strFolder{u"\\"};
    CString m_strPathName;
    CString m_strFileTitle;
    CImageList m_SysImageList;
    CImageList m_UpImageList;
    int m_nFilter = 0;
    CListCtrl m_ListCtrl;
    CComboBox m_ComboType;
    CString m_strFileName;

protected:
    // What sets the two dialogs apart: their file types, which files a mode lists (folders
    // always show), the mode a pattern really lists with, and whether the dialog chooses
    // programs.
    virtual std::span<const FileFilter> Filters() const = 0;
    virtual bool ListsFile(DWORD mode, const CString& name, const CString& path) const = 0;
    virtual DWORD ListingMode(LPCWSTR pattern, DWORD mode) const { return mode; }
    virtual bool ChoosesPrograms() const { return false; }

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSelchangeComboType();
    void OnClickList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDblclkList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnUpper();
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

    // An executable (or desktop entry) of this platform: it may carry no ".".
    static bool IsProgram(const CString& path);
    // The last three characters of a name, as the types are told apart.
    static CString Extension(const CString& name) { return name.Right(3); }
    DWORD ModeOf(int filter) const;
    // The path of an entry of the current folder.
    CString PathOf(const CString& name) const;
    CString Pattern() const;
};

// Control ids and resources of the dialogs.
inline constexpr UINT IDD_FILEDIALOG = 129;
inline constexpr UINT IDB_UPFOLDER = 130;
inline constexpr UINT IDC_FILELIST = 1001;
inline constexpr UINT IDC_FILETYPE = 1003;
inline constexpr UINT IDC_UPPER = 1006;
inline constexpr UINT IDC_FILENAME = 1007;

// The controls of resource 129 that both dialogs share; they differ in the dialog's height
// and the hidden button's rectangle.
platform::DialogTemplate FileDialogTemplate(LONG height, RECT upperButton);
