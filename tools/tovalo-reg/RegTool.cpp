#include "RegTool.h"

#include "CounterCheck.h"
#include "RegFileParser.h"
#include "RegFileWriter.h"
#include "RegKeyPath.h"
#include "Utf.h"

#include <platform/Device.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tovaloreg {

namespace {

constexpr const char* kUsage =
    "usage: tovalo-reg query KEY [VALUE]\n"
    "       tovalo-reg export [--utf16] [KEY]\n"
    "       tovalo-reg import FILE\n"
    "       tovalo-reg delete KEY [VALUE]\n"
    "       tovalo-reg check [--fix]\n"
    "       tovalo-reg backups\n"
    "       tovalo-reg restore [--force] [N]\n"
    "       tovalo-reg --help\n"
    "KEY is a full path such as HKEY_CURRENT_USER\\Software\\NorviSoft (HKCU\\... accepted); "
    "VALUE @ is the unnamed value.\n"
    "import, delete, check --fix and restore first keep a copy of the registry; backups lists\n"
    "the newest 10, and restore puts back the Nth newest (1, the newest, by default). A sound\n"
    "registry is replaced only with --force. check lists the launcher's counters that disagree\n"
    "with its slots; --fix writes the counted numbers.\n";

std::u16string ValueArg(const std::string& arg) {
    auto name = FromUtf8(arg);
    return !name || *name == u"@" ? std::u16string() : *name;
}

std::string Utf8Text(const std::u16string& text, bool utf16) {
    if (!utf16)
        return ToUtf8(text);
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

std::string ErrorText(LONG status) {
    switch (status) {
    case ERROR_FILE_NOT_FOUND:
        return "not found";
    case ERROR_INVALID_PARAMETER:
        return "a name is empty or longer than 255 characters";
    case ERROR_ACCESS_DENIED:
        return "access denied";
    case ERROR_KEY_DELETED:
        return "the key was deleted meanwhile";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "the value is larger than the registry keeps (16 MiB)";
    case ERROR_TRANSACTIONAL_CONFLICT:
        return "another program changed the same keys or values meanwhile";
    default:
        return "error " + std::to_string(status);
    }
}

using Key = platform::RegistryKey;

// Reads a whole file of at most `limit` bytes, refusing a longer one (or an endless one such
// as /dev/zero) as soon as it has read past the limit.
bool ReadLimited(const std::string& path, std::size_t limit, std::string& content,
                 std::string& error) {
    const auto tooLarge = [&] {
        error = path + " is larger than " + std::to_string(limit >> 20) +
                " MiB, the most an import reads";
        content = std::string();
        return false;
    };
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = path + " is a folder, not a file";
        return false;
    }
    // A regular file says its size; a device or a pipe is read up to the limit.
    if (std::filesystem::is_regular_file(path, ec)) {
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec && size > limit)
            return tooLarge();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    content.clear();
    std::vector<char> buffer(1 << 16);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        content.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
        if (content.size() > limit)
            return tooLarge();
    }
    if (in.bad()) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace

int RegTool::Fail(const std::string& message) {
    m_err << "tovalo-reg: " << message << "\n";
    return 1;
}

int RegTool::Usage(const std::string& complaint) {
    m_err << "tovalo-reg: " << complaint << "\n" << kUsage;
    return 2;
}

bool RegTool::KeepBackup(platform::BackupReason reason, const std::string& nothingDone) {
    platform::RegistryReport report = platform::BackUpRegistry(reason);
    if (!report.ok)
        m_err << report.message << "; " << nothingDone << "\n";
    return report.ok;
}

int RegTool::Run(const std::vector<std::string>& args) {
    if (args.empty())
        return Usage("no command given");
    const std::string& command = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h" || command == "help") {
        m_out << kUsage;
        return 0;
    }
    if (command == "backups")
        return Backups(rest);
    if (command == "restore")
        return Restore(rest);
    using Command = int (RegTool::*)(const std::vector<std::string>&);
    const std::pair<const char*, Command> commands[] = {{"query", &RegTool::Query},
                                                        {"export", &RegTool::Export},
                                                        {"import", &RegTool::Import},
                                                        {"delete", &RegTool::Delete},
                                                        {"check", &RegTool::Check}};
    for (const auto& [name, run] : commands) {
        if (command != name)
            continue;
        // A damaged hive is reported before anything else touches it.
        if (std::string problem = platform::RegistryProblem(); !problem.empty()) {
            m_err << problem << "\n";
            return 1;
        }
        return (this->*run)(rest);
    }
    return Usage("unknown command \"" + command + "\"");
}

std::optional<std::u16string> RegTool::KeyArgument(const std::string& arg) {
    auto full = FromUtf8(arg);
    auto path = full ? ParseKeyPath(*full) : std::nullopt;
    if (!path)
        Fail("not a key below HKEY_CURRENT_USER: " + arg);
    return path;
}

int RegTool::Query(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2)
        return Usage("query takes KEY and at most one VALUE");
    auto path = KeyArgument(args[0]);
    if (!path)
        return 1;
    RegFileWriter writer;
    std::string error;
    if (args.size() == 1) {
        std::u16string children;
        if (!writer.WriteKey(*path, &children, error))
            return Fail(error);
        std::u16string text = writer.Text();
        for (std::size_t start = 0; start < children.size();) {
            std::size_t end = children.find(u'\0', start);
            text +=
                u"[" + FullKeyPath(*path) + u"\\" + children.substr(start, end - start) + u"]\n";
            start = end + 1;
        }
        m_out << ToUtf8(text);
        return 0;
    }
    Key key(*path, false);
    if (key.Status() != ERROR_SUCCESS)
        return Fail("the key " + args[0] + ": " + ErrorText(key.Status()));
    std::u16string name = ValueArg(args[1]);
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExW(key.Get(), name.c_str(), &type, nullptr, &size);
    std::vector<BYTE> data(size);
    if (status == ERROR_SUCCESS)
        status = RegQueryValueExW(key.Get(), name.c_str(), &type, data.data(), &size);
    if (status != ERROR_SUCCESS)
        return Fail("the value " + args[1] + " of " + args[0] + ": " + ErrorText(status));
    data.resize(size);
    m_out << ToUtf8(writer.FormatValue(name, type, data)) << "\n";
    return 0;
}

int RegTool::Export(const std::vector<std::string>& args) {
    bool utf16 = false;
    std::optional<std::string> keyArg;
    for (const auto& arg : args) {
        if (arg == "--utf16")
            utf16 = true;
        else if (arg.starts_with("--"))
            return Usage("export does not take \"" + arg + "\"");
        else if (keyArg)
            return Usage("export takes at most one KEY");
        else
            keyArg = arg;
    }
    std::u16string path;
    if (keyArg) {
        auto parsed = KeyArgument(*keyArg);
        if (!parsed)
            return 1;
        path = *parsed;
    }
    // regedit writes its UTF-16 files with CR LF.
    RegFileWriter writer(utf16 ? u"\r\n" : u"\n");
    writer.WriteHeader();
    std::string error;
    if (!writer.WriteTree(path, error))
        return Fail(error);
    m_out << Utf8Text(writer.Text(), utf16);
    m_out.flush();
    return m_out ? 0 : Fail("cannot write the output");
}

int RegTool::Import(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return Usage("import takes one FILE");
    std::string content;
    std::string error;
    if (!ReadLimited(args[0], kMaxImportBytes, content, error))
        return Fail(error + "; nothing was imported");
    RegFileParser parser;
    auto file = parser.Parse(content);
    content = std::string();
    if (!file)
        return Fail(args[0] + ":" + std::to_string(parser.ErrorLine()) + ": " + parser.Error() +
                    "; nothing was imported");
    if (!KeepBackup(platform::BackupReason::Import, "nothing was imported"))
        return 1;
    return ApplyImport(*file, args[0]);
}

int RegTool::ApplyImport(const RegFile& file, const std::string& name) {
    // Staged: a long import holds the write lock only for the short copy at its end, so the
    // launcher and other programs go on reading and writing meanwhile.
    platform::RegistryTransaction transaction(platform::RegistryTransaction::Mode::Staged);
    if (transaction.Status() != ERROR_SUCCESS)
        return Fail("cannot write the registry: " + ErrorText(transaction.Status()));
    auto failAt = [&](int line, const std::string& what, LONG status) {
        return Fail(name + ":" + std::to_string(line) + ": " + what + ": " + ErrorText(status) +
                    "; nothing was imported");
    };
    for (const auto& block : file.keys) {
        if (block.remove) {
            LONG status = RegDeleteKeyW(HKEY_CURRENT_USER, block.path.c_str());
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
                return failAt(block.line, "cannot delete the key", status);
            continue;
        }
        Key key(block.path, true);
        if (key.Status() != ERROR_SUCCESS)
            return failAt(block.line, "cannot create the key", key.Status());
        for (const auto& value : block.values) {
            LONG status = value.remove ? RegDeleteValueW(key.Get(), value.name.c_str())
                                       : RegSetValueExW(key.Get(), value.name.c_str(), value.type,
                                                        value.data.data(),
                                                        static_cast<DWORD>(value.data.size()));
            if (status != ERROR_SUCCESS && !(value.remove && status == ERROR_FILE_NOT_FOUND))
                return failAt(value.line, "cannot write the value", status);
        }
    }
    if (LONG status = transaction.Commit(); status != ERROR_SUCCESS)
        return Fail("cannot store the import: " + ErrorText(status) + "; nothing was imported");
    return 0;
}

int RegTool::Delete(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2)
        return Usage("delete takes KEY and at most one VALUE");
    auto path = KeyArgument(args[0]);
    if (!path)
        return 1;
    if (args.size() == 1 && path->empty())
        return Fail("HKEY_CURRENT_USER itself cannot be deleted");
    if (!KeepBackup(platform::BackupReason::Delete, "nothing was deleted"))
        return 1;
    if (args.size() == 1) {
        LONG status = RegDeleteKeyW(HKEY_CURRENT_USER, path->c_str());
        return status == ERROR_SUCCESS ? 0 : Fail("the key " + args[0] + ": " + ErrorText(status));
    }
    Key key(*path, false);
    if (key.Status() != ERROR_SUCCESS)
        return Fail("the key " + args[0] + ": " + ErrorText(key.Status()));
    LONG status = RegDeleteValueW(key.Get(), ValueArg(args[1]).c_str());
    return status == ERROR_SUCCESS
               ? 0
               : Fail("the value " + args[1] + " of " + args[0] + ": " + ErrorText(status));
}

int RegTool::Check(const std::vector<std::string>& args) {
    bool fix = false;
    for (const auto& arg : args) {
        if (arg != "--fix")
            return Usage("check does not take \"" + arg + "\"");
        fix = true;
    }
    CounterCheck check;
    std::string error;
    if (!check.Run(error))
        return Fail(error);
    if (!check.StoreExists()) {
        m_out << "There is no launcher store yet; nothing to check.\n";
        return 0;
    }
    const auto& mismatches = check.Mismatches();
    if (mismatches.empty()) {
        m_out << "Every counter agrees with the slots.\n";
        return 0;
    }
    for (const auto& mismatch : mismatches)
        m_out << ToUtf8(FullKeyPath(mismatch.key)) << " " << ToUtf8(mismatch.value) << ": stored "
              << mismatch.stored << ", counted " << mismatch.counted << "\n";
    const std::string count =
        std::to_string(mismatches.size()) +
        (mismatches.size() == 1 ? " counter disagrees" : " counters disagree");
    if (!fix)
        return Fail(count + " with the slots; tovalo-reg check --fix writes the counted numbers");
    if (!KeepBackup(platform::BackupReason::Fix, "nothing was written"))
        return 1;
    if (LONG status = check.Fix(); status != ERROR_SUCCESS)
        return Fail("cannot write the counted numbers: " + ErrorText(status) +
                    "; nothing was written");
    m_out << "Wrote the counted numbers.\n";
    return 0;
}

int RegTool::Backups(const std::vector<std::string>& args) {
    if (!args.empty())
        return Usage("backups takes no arguments");
    const auto backups = platform::RegistryBackups();
    if (backups.empty()) {
        m_out << "There are no backups in " << (platform::DeviceFolder() / "backups").string()
              << " yet.\n";
        return 0;
    }
    for (const auto& backup : backups) {
        char line[128];
        std::snprintf(line, sizeof line, "%2d  %s  %-27s  ", backup.number, backup.time.c_str(),
                      backup.reason.c_str());
        m_out << line << backup.file.string() << "\n";
    }
    return 0;
}

int RegTool::Restore(const std::vector<std::string>& args) {
    bool force = false;
    std::optional<int> number;
    for (const auto& arg : args) {
        int n = 0;
        auto [end, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), n);
        if (arg == "--force")
            force = true;
        else if (ec == std::errc() && end == arg.data() + arg.size() && n > 0 && !number)
            number = n;
        else
            return Usage("restore takes [--force] and a backup number, not \"" + arg + "\"");
    }
    platform::RegistryReport result = platform::RestoreRegistry(number.value_or(1), force);
    (result.ok ? m_out : m_err) << result.message << "\n";
    return result.ok ? 0 : 1;
}

} // namespace tovaloreg
