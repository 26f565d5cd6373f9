#include "shell/IconTheme.h"

#include "core/Application.h"

#include <QDir>
#include <QFile>
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

QString ConfigHome() {
    QString configHome = Env("XDG_CONFIG_HOME");
    return configHome.startsWith(u'/') ? configHome : Env("HOME") + "/.config";
}

// A key of a desktop's settings file; most desktops have one of these files at most, and only
// those read start the toolkit's settings parser.
QString IniValue(const QString& file, const QString& key) {
    if (!QFile::exists(file))
        return {};
    return QSettings(file, QSettings::IniFormat).value(key).toString();
}

// The theme as a desktop finds it: the user's choice for GTK or KDE, else what the toolkit's
// own desktop support reports (never its bare "hicolor"), else the first installed of the
// common themes, the desktop's own first. hicolor and our own icons stand behind any of them.
QString ChooseTheme(const QStringList& folders, const QString& reported) {
    const QString config = ConfigHome();
    QStringList chosen;
    for (const char* file : {"/gtk-4.0/settings.ini", "/gtk-3.0/settings.ini"})
        chosen << IniValue(config + file, "Settings/gtk-icon-theme-name");
    chosen << IniValue(config + "/kdeglobals", "Icons/Theme");
    chosen << reported;
    if (Env("XDG_CURRENT_DESKTOP").contains("KDE", Qt::CaseInsensitive))
        chosen << "breeze";
    chosen << "Adwaita"
           << "breeze"
           << "Papirus"
           << "gnome"
           << "elementary"
           << "Tango";
    for (const QString& name : chosen)
        if (!name.isEmpty() && name.compare("hicolor", Qt::CaseInsensitive) != 0 &&
            ThemeExists(folders, name))
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
        QIcon::setFallbackThemeName("hicolor");
        QIcon::setThemeName(ChooseTheme(folders, QIcon::themeName()));
    });
}

} // namespace platform::detail
