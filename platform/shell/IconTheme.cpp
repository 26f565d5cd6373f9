#include "shell/IconTheme.h"

#include "core/Application.h"

#include <QDir>
#include <QIcon>
#include <QSettings>

#include <cstdlib>
#include <mutex>

namespace platform::detail {

namespace {

QString Env(const char* name) {
    return QString::fromLocal8Bit(std::getenv(name) ? std::getenv(name) : "");
}

QStringList IconFolders() {
    QStringList folders;
    QString home = Env("HOME");
    QString dataHome = Env("XDG_DATA_HOME");
    if (!dataHome.startsWith(u'/'))
        dataHome = home + "/.local/share";
    folders << dataHome + "/icons" << home + "/.icons";
    QString dataDirs = Env("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = "/usr/local/share:/usr/share";
    for (const QString& dir : dataDirs.split(u':', Qt::SkipEmptyParts))
        if (dir.startsWith(u'/'))
            folders << dir + "/icons";
    return folders;
}

bool ThemeExists(const QStringList& folders, const QString& name) {
    for (const QString& folder : folders)
        if (QFile::exists(folder + "/" + name + "/index.theme"))
            return true;
    return false;
}

// The theme the user chose for GTK or KDE, else a common one that is installed.
QString ChooseTheme(const QStringList& folders) {
    QString configHome = Env("XDG_CONFIG_HOME");
    if (!configHome.startsWith(u'/'))
        configHome = Env("HOME") + "/.config";
    QStringList chosen;
    for (const char* file : {"/gtk-4.0/settings.ini", "/gtk-3.0/settings.ini"}) {
        QSettings gtk(configHome + file, QSettings::IniFormat);
        chosen << gtk.value("Settings/gtk-icon-theme-name").toString();
    }
    QSettings kde(configHome + "/kdeglobals", QSettings::IniFormat);
    chosen << kde.value("Icons/Theme").toString();
    chosen << "breeze"
           << "Adwaita"
           << "gnome"
           << "elementary"
           << "Papirus"
           << "Tango";
    for (const QString& name : chosen)
        if (!name.isEmpty() && ThemeExists(folders, name))
            return name;
    return "hicolor";
}

} // namespace

void EnsureIconTheme() {
    static std::once_flag once;
    std::call_once(once, [] {
        EnsureApplication();
        QStringList folders = IconFolders();
        QStringList paths = folders + QIcon::themeSearchPaths();
        paths.removeDuplicates();
        QIcon::setThemeSearchPaths(paths);
        if (QIcon::fallbackThemeName().isEmpty())
            QIcon::setFallbackThemeName("hicolor");
        if (QIcon::themeName().isEmpty())
            QIcon::setThemeName(ChooseTheme(folders));
    });
}

} // namespace platform::detail
