#include <pelagor/CPXImageFileDialog.h>

#include <testsupport/DeviceFolder.h>
#include <testsupport/DialogDriver.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using testsupport::DialogDriver;
using Rows = std::vector<std::u16string>;

class ImageDialog : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        for (const char* name : {"photo.jpg", "PHOTO.JPG", "a.gif", "b.bmp", "c.png", "d.exe"})
            testsupport::WriteFile(Device() / "Windows" / "Pictures" / name, "x");
        testsupport::WriteFile(Device() / "Windows" / "Pictures" / "sub" / "e.jpg", "x");
    }
    void Open(DialogDriver& d, std::u16string_view name) {
        const Rows rows = d.Rows(IDC_FILELIST);
        const auto it = std::find(rows.begin(), rows.end(), name);
        ASSERT_NE(it, rows.end());
        d.DoubleTap(IDC_FILELIST, static_cast<int>(it - rows.begin()));
    }
    CPXImageFileDialog m_dialog;
    testsupport::ModalScript m_script;
};

TEST_F(ImageDialog, EachTypeListsFoldersAndItsPicturesByTheirExactExtension) {
    const Rows expected[] = {
        {u"..", u"sub", u"photo.jpg", u"b.bmp", u"a.gif"},
        {u"..", u"sub", u"photo.jpg"},
        {u"..", u"sub", u"a.gif"},
        {u"..", u"sub", u"b.bmp"},
    };
    m_script.Then([&](DialogDriver& d) {
        EXPECT_EQ(d.Rows(IDC_FILETYPE),
                  (Rows{u"all supported files (.jpg;*.gif;.bmp)", u"jpg files (*.jpg)",
                        u"gif files (*.gif)", u"bmp files (*.bmp)"}));
        Open(d, u"Windows");
        const Rows windows = d.Rows(IDC_FILELIST);
        EXPECT_NE(std::find(windows.begin(), windows.end(), u"Pictures"), windows.end())
            << "no program listing in this dialog's \\Windows";
        Open(d, u"Pictures");
        for (int filter = 0; filter < 4; ++filter) {
            d.Select(IDC_FILETYPE, filter);
            EXPECT_EQ(d.Rows(IDC_FILELIST), expected[filter]) << "filter " << filter;
        }
        d.Select(IDC_FILETYPE, 0);
        Open(d, u"photo.jpg");
        return IDCANCEL;
    });
    EXPECT_EQ(m_dialog.DoModal(), IDOK);
    EXPECT_EQ(m_dialog.GetPathName(), CString(u"\\Windows\\Pictures\\photo.jpg"));
    EXPECT_EQ(m_dialog.GetFileTitle(), CString(u"photo"));
}

TEST_F(ImageDialog, CancelLeavesTheResultsEmpty) {
    m_script.Then([&](DialogDriver& d) {
        Open(d, u"Windows");
        Open(d, u"Pictures");
        d.Select(IDC_FILELIST, 2);
        d.Press(IDCANCEL);
        return IDOK;
    });
    EXPECT_EQ(m_dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(m_dialog.GetPathName(), CString());
    EXPECT_EQ(m_dialog.GetFileTitle(), CString());
}

} // namespace
