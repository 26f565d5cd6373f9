#include "shell/FileIconResolver.h"

#include "shell/DeviceShortcut.h"

#include "core/Text.h"
#include "files/XdgDirs.h"
#include "shell/DesktopEntry.h"

#include <platform/Device.h>

#include <QMimeDatabase>
#include <QMimeType>

#include <sys/stat.h>

#include <fstream>
#include <mutex>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

// Shortcuts to shortcuts are followed this far; loops end here too.
constexpr int kMaxShortcutDepth = 8;
// A shortcut is one short line; reading more than this is pointless.

std::u16string Extension(std::u16string_view devicePath) {
    auto slash = devicePath.rfind(u'\\');
    std::u16string_view name =
        slash == std::u16string_view::npos ? devicePath : devicePath.substr(slash + 1);
    auto dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string() : FoldCase(name.substr(dot));
}

QString ToQt(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

IconSource Kind(IconKind own, QStringList names) {
    IconSource source;
    source.own = own;
    source.themeNames = std::move(names);
    return source;
}

IconSource ApplicationIcon() {
    return Kind(IconKind::Application, {"application-x-executable"});
}

IconSource ByMimeType(const QMimeType& mime) {
    IconKind own = IconKind::Document;
    if (mime.inherits("text/html") || mime.name() == "application/x-mswinurl")
        own = IconKind::WebPage;
    else if (mime.inherits("application/x-executable") ||
             mime.inherits("application/x-sharedlib") ||
             mime.inherits("application/x-ms-dos-executable"))
        own = IconKind::Executable;
    QStringList names;
    // Without a MIME database every lookup comes back nameless.
    if (mime.isValid() && !mime.isDefault() && !mime.name().isEmpty()) {
        names << mime.iconName() << mime.genericIconName();
    }
    if (own == IconKind::WebPage)
        names << "text-html";
    names << (own == IconKind::Executable ? "application-x-executable" : "text-x-generic");
    names.removeDuplicates();
    return Kind(own, names);
}

} // namespace

QString IconSource::Key() const {
    return file + QChar(u'|') + themeNames.join(u',') + QChar(u'|') +
           QString::number(static_cast<int>(own));
}

IconSource FileIconResolver::Resolve(std::u16string_view devicePath) {
    return Resolve(devicePath, 0);
}

IconSource FileIconResolver::Resolve(std::u16string_view devicePath, int depth) {
    if (FoldCase(devicePath) == u"\\windows\\iexplore.exe")
        return Browser();

    fs::path host = HostPath(devicePath);
    struct stat st {};
    bool exists = stat(host.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return Kind(IconKind::Folder, {"folder"});

    std::u16string ext = Extension(devicePath);
    if (ext == u".desktop")
        return exists ? FromDesktopEntry(host, ApplicationIcon()) : ApplicationIcon();
    if (ext == u".lnk") {
        if (exists && S_ISREG(st.st_mode) && depth < kMaxShortcutDepth) {
            auto shortcut = ReadShortcut(host);
            std::u16string target = shortcut ? shortcut->target : std::u16string();
            if (!target.empty() && target.front() == u'\\')
                return Resolve(target, depth + 1);
        }
        return ApplicationIcon();
    }
    if (ext == u".url")
        return Kind(IconKind::WebPage, {"application-x-mswinurl", "text-html"});
    if (ext == u".exe" ||
        (exists && S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH))))
        return Kind(IconKind::Executable, {"application-x-executable"});

    static const QMimeDatabase mimes;
    QString hostName = QString::fromStdString(host.string());
    // By name first: cheap, and all a missing file has.
    QMimeType mime = mimes.mimeTypeForFile(hostName, QMimeDatabase::MatchExtension);
    if (mime.isDefault() && exists && S_ISREG(st.st_mode))
        mime = mimes.mimeTypeForFile(hostName, QMimeDatabase::MatchContent);
    return ByMimeType(mime);
}

IconSource FileIconResolver::FromDesktopEntry(const fs::path& file, IconSource fallback) {
    auto entry = DesktopEntry::Load(file);
    if (!entry || entry->Icon().empty())
        return fallback;
    IconSource source = fallback;
    QString icon = ToQt(entry->Icon());
    if (icon.startsWith(u'/')) {
        source.file = icon;
    } else {
        // A theme name; some entries wrongly give "name.png".
        for (const char* suffix : {".png", ".svg", ".xpm"})
            if (icon.endsWith(QLatin1String(suffix)))
                icon.chop(4);
        if (!icon.isEmpty() && !icon.contains(u'/'))
            source.themeNames.prepend(icon);
    }
    return source;
}

IconSource FileIconResolver::Browser() {
    static const IconSource browser = [] {
        IconSource fallback = Kind(IconKind::WebPage, {"web-browser"});
        for (const auto& list : MimeAppsFiles()) {
            std::ifstream in(list);
            std::string line;
            bool inDefaults = false;
            while (std::getline(in, line)) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                if (!line.empty() && line.front() == '[') {
                    inDefaults = line == "[Default Applications]";
                    continue;
                }
                constexpr std::string_view key = "x-scheme-handler/http=";
                if (!inDefaults || !line.starts_with(key))
                    continue;
                std::string_view ids = std::string_view(line).substr(key.size());
                while (!ids.empty()) {
                    auto semi = ids.find(';');
                    std::string id(ids.substr(0, semi));
                    ids.remove_prefix(semi == std::string_view::npos ? ids.size() : semi + 1);
                    if (auto file = FindDesktopFile(id))
                        return FromDesktopEntry(*file, fallback);
                }
            }
        }
        return fallback;
    }();
    return browser;
}

} // namespace platform::detail
