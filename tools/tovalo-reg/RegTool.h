#pragma once

#include "RegFile.h"

#include <platform/Registry.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tovaloreg {

// The commands of tovalo-reg over the current user's hive. Exit codes: 0 done, 1 failed,
// 2 wrong usage.
class RegTool {
public:
    RegTool(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    int Run(const std::vector<std::string>& args);

    // The most an import reads; a larger file is refused before it is parsed.
    static constexpr std::size_t kMaxImportBytes = 64u << 20;

private:
    int Query(const std::vector<std::string>& args);
    int Export(const std::vector<std::string>& args);
    int Import(const std::vector<std::string>& args);
    // Writes a parsed file into the hive, all of it or, on the first failure, nothing.
    int ApplyImport(const RegFile& file, const std::string& name);
    int Delete(const std::vector<std::string>& args);
    int Check(const std::vector<std::string>& args);
    int Backups(const std::vector<std::string>& args);
    int Restore(const std::vector<std::string>& args);
    // Usage on standard error after saying what was wrong.
    int Usage(const std::string& complaint);
    int Fail(const std::string& message);
    // Keeps a copy of the hive before a command changes it; says so when it cannot.
    bool KeepBackup(platform::BackupReason reason, const std::string& nothingDone);
    // The key path an argument names; nothing, after saying so, when it names none.
    std::optional<std::u16string> KeyArgument(const std::string& arg);

    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace tovaloreg
