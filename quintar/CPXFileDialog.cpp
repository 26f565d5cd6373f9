#include <quintar/CPXFileDialog.h>

namespace {

constexpr DWORD kAllFiles = 1001;
constexpr DWORD kPrograms = 1000;
constexpr DWORD kProgramsAndShortcuts = 1002;

constexpr FileFilter kFilters[] = {{u"All files (*.*)", kAllFiles},
                                   {u"exe files (*.exe)", kPrograms}};

platform::DialogTemplate Dialog129() {
    platform::DialogTemplate dialog = FileDialogTemplate(150, RECT{90, 6, 8, 6});
    for (platform::DialogItem& item : dialog.items)
        if (item.id == IDC_FILETYPE)
            item.style |= CBS_SORT;
    return dialog;
}

} // namespace

BEGIN_MESSAGE_MAP(CPXFileDialog, CPXFileDialogBase)
END_MESSAGE_MAP()

CPXFileDialog::CPXFileDialog(CWnd* pParent) : CPXFileDialogBase(Dialog129(), pParent) {}

CPXFileDialog::~CPXFileDialog() = default;

std::span<const FileFilter> CPXFileDialog::Filters() const {
    return kFilters;
}

bool CPXFileDialog::ListsFile(DWORD mode, const CString& name, const CString& path) const {
    const CString extension = Extension(name);
    switch (mode) {
    case kAllFiles:
        return true;
    case kPrograms:
        return extension == u"exe" || IsProgram(path);
    case kProgramsAndShortcuts:
        return extension == u"exe" || extension == u"lnk" || IsProgram(path);
    default:
        return false;
    }
}

DWORD CPXFileDialog::ListingMode(LPCWSTR pattern, DWORD mode) const {
    return CString(pattern) == u"\\Windows\\*.*" ? kProgramsAndShortcuts : mode;
}
