#include <pelagor/CPXImageFileDialog.h>

#include <testsupport/DeviceFolder.h>
#include <testsupport/FileDialogRuns.h>

using ImageDialog = testsupport::DeviceFolderTest;

// Each type lists the folders and its pictures, told by their exact extension.
TEST_F(ImageDialog, EachTypeListsFoldersAndItsPicturesAndGivesThePictureChosen) {
    for (const char* name : {"photo.jpg", "PHOTO.JPG", "a.gif", "b.bmp", "c.png", "d.exe"})
        testsupport::WriteFile(Device() / "Windows" / "Pictures" / name, "x");
    testsupport::WriteFile(Device() / "Windows" / "Pictures" / "sub" / "e.jpg", "x");
    const std::u16string pictures = u"\\Windows\\Pictures";
    testsupport::ExpectRuns<CPXImageFileDialog>({
        {0, pictures, {u"..", u"sub", u"photo.jpg", u"b.bmp", u"a.gif"}},
        {1, pictures, {u"..", u"sub", u"photo.jpg"}},
        {2, pictures, {u"..", u"sub", u"a.gif"}},
        {3, pictures, {u"..", u"sub", u"b.bmp"}},
        {0, pictures + u"\\photo.jpg", {}, u"photo"},
    });
}
