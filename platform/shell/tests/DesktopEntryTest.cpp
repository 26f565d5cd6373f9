#include "shell/DesktopEntry.h"

#include <gtest/gtest.h>

using platform::detail::DesktopEntry;

namespace {

using List = std::vector<std::u16string>;

TEST(DesktopEntryParsing, ReadsTheKeysOfTheDesktopEntryGroupOnly) {
    auto entry = DesktopEntry::Parse("Name=Before the group\n"
                                     "# comment\n"
                                     "[Desktop Entry]\r\n"
                                     "Type=Application\r\n"
                                     "Name = Text Editor \n"
                                     "Exec=gedit %U\n"
                                     "Icon=accessories-text-editor\n"
                                     "TryExec=gedit\n"
                                     "Terminal=true\n"
                                     "NoDisplay=false\n"
                                     "[Desktop Action new]\n"
                                     "Name=New Window\n"
                                     "Exec=other\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->Name("C"), u"Text Editor");
    EXPECT_EQ(entry->Type(), u"Application");
    EXPECT_EQ(entry->Exec(), u"gedit %U");
    EXPECT_EQ(entry->Icon(), u"accessories-text-editor");
    EXPECT_EQ(entry->TryExec(), u"gedit");
    EXPECT_TRUE(entry->Terminal());
    EXPECT_FALSE(entry->NoDisplay());
    EXPECT_FALSE(entry->Hidden());
    for (const char* text : {"Name=x\nType=Application\n", "", "[Desktop Entry"})
        EXPECT_FALSE(DesktopEntry::Parse(text)) << "no group in " << text;
    EXPECT_FALSE(DesktopEntry::Load("/nonexistent/file.desktop"));
    EXPECT_FALSE(DesktopEntry::Load(TOVALO_PLATFORM_TEST_DATA "/malformed/no-group.desktop"));
}

TEST(DesktopEntryParsing, EscapesAreUndone) {
    auto entry = DesktopEntry::Parse("[Desktop Entry]\n"
                                     "Name=Two\\sWords\\tTab\\\\Back\\nLine\n"
                                     "Exec=sh -c \"echo \\\\$HOME\"\n"
                                     "OnlyShowIn=GNOME;A\\;B;;XFCE\n"
                                     "Hidden=true\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->Name(""), u"Two Words\tTab\\Back\nLine");
    // Exec keeps its own quoting for the launcher that splits it.
    EXPECT_EQ(entry->Exec(), u"sh -c \"echo \\$HOME\"");
    EXPECT_EQ(entry->OnlyShowIn(), (List{u"GNOME", u"A;B", u"XFCE"}));
    EXPECT_TRUE(entry->Hidden());
    EXPECT_EQ(DesktopEntry::Unescape("ends with \\"), u"ends with \\");
    // Damaged files are the fuzz target's to read through; this one keeps its broken escapes.
    auto broken = DesktopEntry::Load(TOVALO_PLATFORM_TEST_DATA "/malformed/broken-escapes.desktop");
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->Name(""), u"Trailing \\");
    EXPECT_EQ(broken->Exec(), u"\\");
}

TEST(DesktopEntryParsing, LocalisedNameFollowsTheLocaleMatchingRules) {
    auto entry = DesktopEntry::Parse("[Desktop Entry]\nName=Colour\nName[de]=Farbe\n"
                                     "Name[de_AT]=Farbe AT\nName[sr@latin]=Boja\nName[fr]=\n");
    ASSERT_TRUE(entry);
    const std::pair<const char*, std::u16string> rows[] = {
        {"de_DE.UTF-8", u"Farbe"},  {"de_AT.UTF-8", u"Farbe AT"}, {"de_AT@euro", u"Farbe AT"},
        {"de", u"Farbe"},           {"sr_RS@latin", u"Boja"},     {"sr_RS", u"Colour"},
        {"fr_FR.UTF-8", u"Colour"}, {"C.UTF-8", u"Colour"},       {"", u"Colour"}};
    for (const auto& [locale, name] : rows)
        EXPECT_EQ(entry->Name(locale), name) << locale;
}

TEST(DesktopEntryParsing, ShownInFollowsOnlyShowInAndNotShowIn) {
    auto only = DesktopEntry::Parse("[Desktop Entry]\nOnlyShowIn=KDE;LXQt;\n");
    auto not_ = DesktopEntry::Parse("[Desktop Entry]\nNotShowIn=GNOME;\n");
    auto any = DesktopEntry::Parse("[Desktop Entry]\n");
    ASSERT_TRUE(only && not_ && any);
    EXPECT_TRUE(only->ShownIn({u"ubuntu", u"KDE"}));
    EXPECT_FALSE(only->ShownIn({u"GNOME"}));
    EXPECT_FALSE(only->ShownIn({}));
    EXPECT_FALSE(not_->ShownIn({u"ubuntu", u"GNOME"}));
    EXPECT_TRUE(not_->ShownIn({u"KDE"}));
    EXPECT_TRUE(not_->ShownIn({}));
    EXPECT_TRUE(any->ShownIn({}));
}

} // namespace
