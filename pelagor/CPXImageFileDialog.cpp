#include <pelagor/CPXImageFileDialog.h>

namespace {

constexpr DWORD kPictures = 1005;
constexpr DWORD kJpeg = 1002;
constexpr DWORD kGif = 1003;
constexpr DWORD kBmp = 1004;

constexpr FileFilter kFilters[] = {{u"all supported files (.jpg;*.gif;.bmp)", kPictures},
                                   {u"jpg files (*.jpg)", kJpeg},
                                   {u"gif files (*.gif)", kGif},
                                   {u"bmp files (*.bmp)", kBmp}};

} // namespace

BEGIN_MESSAGE_MAP(CPXImageFileDialog, CPXFileDialogBase)
END_MESSAGE_MAP()

CPXImageFileDialog::CPXImageFileDialog(CWnd* pParent)
    : CPXFileDialogBase(FileDialogTemplate(149, RECT{91, 8, 24, 6}), pParent) {}

CPXImageFileDialog::~CPXImageFileDialog() = default;

std::span<const FileFilter> CPXImageFileDialog::Filters() const {
    return kFilters;
}

bool CPXImageFileDialog::ListsFile(DWORD mode, const CString& name, const CString&) const {
    // Extensions compare exactly: PHOTO.JPG is no "jpg".
    const CString extension = Extension(name);
    switch (mode) {
    case kPictures:
        return extension == u"jpg" || extension == u"gif" || extension == u"bmp";
    case kJpeg:
        return extension == u"jpg";
    case kGif:
        return extension == u"gif";
    case kBmp:
        return extension == u"bmp";
    default:
        return false;
    }
}
