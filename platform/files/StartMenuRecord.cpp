#include "files/StartMenuRecord.h"

#include "core/Text.h"
#include "files/SmallFile.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

// A record lists the desktop's applications; far more than any desktop has is not one.
constexpr std::size_t kMaxFileSize = 4 << 20;

} // namespace

bool StartMenuRecord::Recordable(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n'; });
}

std::optional<StartMenuRecord> StartMenuRecord::Load(const fs::path& file) {
    const std::optional<std::string> text = SmallFile::Read(file, kMaxFileSize);
    if (!text)
        return std::nullopt;
    StartMenuRecord record;
    for (std::string_view rest = *text; !rest.empty();) {
        const auto end = rest.find('\n');
        const std::string line(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const auto first = line.find('\t');
        const auto second = first == std::string::npos ? first : line.find('\t', first + 1);
        // A damaged line is dropped: its application then counts as new and gets a shortcut.
        if (second == std::string::npos || first == 0)
            continue;
        record.applications.push_back({line.substr(0, first),
                                       FromUtf8(line.substr(first + 1, second - first - 1)),
                                       FromUtf8(line.substr(second + 1))});
    }
    return record;
}

bool StartMenuRecord::Save(const fs::path& file) const {
    fs::path aside = file;
    aside += ".new";
    std::string text;
    for (const Application& app : applications)
        text += app.id + '\t' + ToUtf8(app.file) + '\t' + ToUtf8(app.target) + '\n';
    std::error_code ec;
    fs::remove(aside, ec);
    if (!SmallFile::WriteNew(aside, text))
        return false;
    fs::rename(aside, file, ec);
    if (!ec)
        return true;
    fs::remove(aside, ec);
    return false;
}

} // namespace platform::detail
