#include <testsupport/DeviceFolder.h>
#include <testsupport/Program.h>

#include <cstdlib>
#include <random>

namespace testsupport {

namespace {

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment) {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path() /
                      ("tovalo-run-" + std::to_string(random()) + std::to_string(random()));
    const auto out = base.string() + ".out";
    const auto err = base.string() + ".err";
    std::string command = "env";
    for (const auto& entry : environment)
        command += " " + Quoted(entry);
    command += " " + Quoted(program.string());
    for (const auto& arg : args)
        command += " " + Quoted(arg);
    command += " >" + Quoted(out) + " 2>" + Quoted(err) + " </dev/null";
    const int status = std::system(command.c_str());
    ProgramResult result{status == -1 ? -1 : (status >> 8) & 0xFF, ReadFile(out), ReadFile(err)};
    std::error_code ec;
    for (const std::string& file : {out, err})
        std::filesystem::remove(file, ec);
    return result;
}

} // namespace testsupport
