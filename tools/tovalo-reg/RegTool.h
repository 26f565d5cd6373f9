#pragma once

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

private:
    int Query(const std::vector<std::string>& args);
    int Export(const std::vector<std::string>& args);
    int Import(const std::vector<std::string>& args);
    int Delete(const std::vector<std::string>& args);
    int Restore();
    int Usage();
    int Fail(const std::string& message);
    // The key path an argument names; nothing, after saying so, when it names none.
    std::optional<std::u16string> KeyArgument(const std::string& arg);

    std::ostream& m_out;
    std::ostream& m_err;
};

} // namespace tovaloreg
