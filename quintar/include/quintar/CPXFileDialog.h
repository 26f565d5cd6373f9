#pragma once

#include <filedialog/CPXFileDialogBase.h>
#include <quintar/quintar_export.h>

// The program dialog: every entry, or folders and programs; the device's \Windows folder
// lists its programs and shortcuts whatever the type chosen.
class QUINTAR_EXPORT CPXFileDialog : public CPXFileDialogBase {
public:
    explicit CPXFileDialog(CWnd* pParent = nullptr);
    ~CPXFileDialog() override;

protected:
    std::span<const FileFilter> Filters() const override;
    bool ListsFile(DWORD mode, const CString& name, const CString& path) const override;
    DWORD ListingMode(LPCWSTR pattern, DWORD mode) const override;
    bool ChoosesPrograms() const override { return true; }
    DECLARE_MESSAGE_MAP()
};
