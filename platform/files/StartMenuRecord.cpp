#include "files/StartMenuRecord.h"

#include "core/Text.h"

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

// A record lists the desktop's applications; far more than any desktop has is not one.
constexpr std::uintmax_t kMaxFileSize = 4 << 20;

} // namespace

bool StartMenuRecord::Recordable(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n'; });
}

std::optional<StartMenuRecord> StartMenuRecord::Load(const fs::path& file) {
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec || size > kMaxFileSize)
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    StartMenuRecord record;
    std::string line;
    while (std::getline(in, line)) {
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
    {
        std::ofstream out(aside, std::ios::binary | std::ios::trunc);
        for (const Application& app : applications)
            out << app.id << '\t' << ToUtf8(app.file) << '\t' << ToUtf8(app.target) << '\n';
        out.close();
        if (!out)
            return false;
    }
    std::error_code ec;
    fs::rename(aside, file, ec);
    if (!ec)
        return true;
    fs::remove(aside, ec);
    return false;
}

} // namespace platform::detail
