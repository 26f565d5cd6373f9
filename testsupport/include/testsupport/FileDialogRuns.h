#pragma once

#include <filedialog/CPXFileDialogBase.h>
#include <testsupport/DialogDriver.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// The two file dialogs driven alike: what they share is checked the same way for each.
namespace testsupport {

// The row of an entry in a file dialog's list; -1 when it is not listed.
inline int RowOf(DialogDriver& d, std::u16string_view name) {
    const std::vector<std::u16string> rows = d.Rows(IDC_FILELIST);
    const auto row = std::find(rows.begin(), rows.end(), name);
    return row == rows.end() ? -1 : static_cast<int>(row - rows.begin());
}

// Double taps down a device path, an entry's row after another, from the folder the dialog
// shows (the root when it opens).
inline void OpenPath(DialogDriver& d, std::u16string_view path) {
    for (std::u16string_view rest = path; !rest.empty();) {
        rest.remove_prefix(1);
        const std::u16string_view name = rest.substr(0, rest.find(u'\\'));
        const int row = RowOf(d, name);
        ASSERT_GE(row, 0) << "no row " << std::string(name.begin(), name.end());
        d.DoubleTap(IDC_FILELIST, row);
        rest.remove_prefix(name.size());
    }
}

// Runs a dialog modally: the step acts on it, then it is answered with the button given
// unless it ended already.
template <class Dialog>
INT_PTR RunDialog(Dialog& dialog, const std::function<void(DialogDriver&)>& step,
                  int answer = IDCANCEL) {
    ModalScript script;
    script.Then([&](DialogDriver& d) {
        step(d);
        return answer;
    });
    return dialog.DoModal();
}

// One run of a file dialog: the type chosen, the path opened, then the rows shown (unchecked
// when none are given). With a title the path's file is chosen, with that title; without
// one, a tap on the last row and Cancel leave both results empty.
struct FileDialogRun {
    int type;
    std::u16string open;
    std::vector<std::u16string> rows;
    std::u16string title = {};
};

template <class Dialog> void ExpectRuns(const std::vector<FileDialogRun>& runs) {
    for (const FileDialogRun& run : runs) {
        SCOPED_TRACE(std::string(run.open.begin(), run.open.end()) + ", type " +
                     std::to_string(run.type));
        Dialog dialog;
        const INT_PTR answer = RunDialog(dialog, [&](DialogDriver& d) {
            d.Select(IDC_FILETYPE, run.type);
            OpenPath(d, run.open);
            if (!run.rows.empty()) {
                EXPECT_EQ(d.Rows(IDC_FILELIST), run.rows);
            }
            if (run.title.empty())
                d.Select(IDC_FILELIST, static_cast<int>(d.Rows(IDC_FILELIST).size()) - 1);
        });
        EXPECT_EQ(answer, run.title.empty() ? IDCANCEL : IDOK);
        EXPECT_EQ(dialog.GetPathName(), CString(run.title.empty() ? u"" : run.open.c_str()));
        EXPECT_EQ(dialog.GetFileTitle(), CString(run.title.c_str()));
    }
}

} // namespace testsupport
