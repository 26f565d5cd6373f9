#include <platform/CString.h>

#include <gtest/gtest.h>

namespace {

TEST(CString, FormatsTheDeviceSubset) {
    CString s;
    s.Format(u"%s%d", u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups", 7);
    EXPECT_EQ(s, u"Software\\NorviSoft\\NorviLuncher\\Groups\\Groups7");
    EXPECT_EQ(FormatString(u"%08x|%-3d|%3d|%%|%c", 0xABCDu, 7, -7, u'Z'), u"0000abcd|7  | -7|%|Z");
    EXPECT_EQ(FormatString(u"%d", -2147483647 - 1), u"-2147483648");
}

TEST(CString, FindsCutsAndComparesWithoutRegardToCase) {
    CString s(u"Old.Notes.lnk");
    EXPECT_EQ(s.Find(u'.'), 3);
    EXPECT_EQ(s.ReverseFind(u'.'), 9);
    EXPECT_EQ(s.Find(u'x'), -1);
    EXPECT_EQ(s.Left(3) + u"|" + s.Mid(4) + u"|" + s.Mid(4, 5) + u"|" + s.Right(3),
              u"Old|Notes.lnk|Notes|lnk");
    EXPECT_EQ(s.Left(-1) + s.Mid(100), u"");
    EXPECT_EQ(s.Right(100), s);
    EXPECT_EQ(CString(u"Ärger").CompareNoCase(u"äRGER"), 0);
    EXPECT_NE(CString(u"etc").CompareNoCase(u"etc."), 0);
}

} // namespace
