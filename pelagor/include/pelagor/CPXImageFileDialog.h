#pragma once

#include <filedialog/CPXFileDialogBase.h>
#include <pelagor/pelagor_export.h>

// The picture dialog: folders and JPEG, GIF and BMP files.
class PELAGOR_EXPORT CPXImageFileDialog : public CPXFileDialogBase {
public:
    explicit CPXImageFileDialog(CWnd* pParent = nullptr);
    ~CPXImageFileDialog() override;

protected:
    std::span<const FileFilter> Filters() const override;
    bool ListsFile(DWORD mode, const CString& name, const CString& path) const override;
    DECLARE_MESSAGE_MAP()
};
