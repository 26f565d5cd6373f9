#include "shell/ExecLine.h"

namespace platform::detail {

namespace {

// A field code alone in its argument removes the argument; inside one it removes itself.
bool IsFieldCode(char c) {
    return std::string_view("fFuUdDnNickvm").find(c) != std::string_view::npos;
}

std::string RemoveFieldCodes(const std::string& arg, bool& dropped) {
    std::string out;
    dropped = false;
    for (std::size_t i = 0; i < arg.size(); ++i) {
        if (arg[i] != '%' || i + 1 == arg.size()) {
            out += arg[i];
            continue;
        }
        char code = arg[++i];
        if (code == '%')
            out += '%';
        else if (!IsFieldCode(code))
            out += std::string{'%', code};
    }
    dropped = out.empty() && !arg.empty();
    return out;
}

} // namespace

std::optional<std::vector<std::string>> SplitExecLine(const std::string& exec) {
    // An argument vector ends its strings at a NUL: what ran would not be what the line says.
    if (exec.find('\0') != std::string::npos)
        return std::nullopt;
    std::vector<std::string> args;
    std::string current;
    bool inArg = false;
    bool quoted = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size() &&
                       std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos) {
                current += exec[++i];
            } else {
                current += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inArg) {
                args.push_back(current);
                current.clear();
                inArg = false;
            }
            continue;
        }
        inArg = true;
        if (c == '"')
            quoted = true;
        else
            current += c;
    }
    if (quoted)
        return std::nullopt;
    if (inArg)
        args.push_back(current);

    std::vector<std::string> result;
    for (const auto& arg : args) {
        bool dropped = false;
        std::string cleaned = RemoveFieldCodes(arg, dropped);
        if (!dropped)
            result.push_back(cleaned);
    }
    if (result.empty() || result.front().empty())
        return std::nullopt;
    return result;
}

} // namespace platform::detail
