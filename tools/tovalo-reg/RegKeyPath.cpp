#include "RegKeyPath.h"

#include "RegFile.h"

namespace tovaloreg {

namespace {

constexpr std::u16string_view kRoot = u"HKEY_CURRENT_USER";
constexpr std::u16string_view kShortRoot = u"HKCU";

bool SameAscii(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i] >= u'a' && a[i] <= u'z' ? a[i] - 32 : a[i];
        char16_t y = b[i] >= u'a' && b[i] <= u'z' ? b[i] - 32 : b[i];
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

std::optional<std::u16string> ParseKeyPath(std::u16string_view full) {
    std::size_t slash = full.find(u'\\');
    std::u16string_view root = full.substr(0, slash);
    if (!SameAscii(root, kRoot) && !SameAscii(root, kShortRoot))
        return std::nullopt;
    if (slash == std::u16string_view::npos)
        return std::u16string();
    std::u16string_view rest = full.substr(slash + 1);
    std::size_t start = 0;
    while (true) {
        std::size_t end = rest.find(u'\\', start);
        std::size_t length = (end == std::u16string_view::npos ? rest.size() : end) - start;
        if (length == 0 || length > kMaxNameLength)
            return std::nullopt;
        if (end == std::u16string_view::npos)
            return std::u16string(rest);
        start = end + 1;
    }
}

std::u16string FullKeyPath(std::u16string_view path) {
    std::u16string full(kRoot);
    if (!path.empty()) {
        full += u'\\';
        full += path;
    }
    return full;
}

} // namespace tovaloreg
