#include <testsupport/DeviceFolder.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace testsupport {

void DeviceFolderTest::SetUp() {
    std::string templ = (std::filesystem::temp_directory_path() / "tovalo-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    m_device = templ;
    setenv("TOVALO_DEVICE", m_device.c_str(), 1);
}

void DeviceFolderTest::TearDown() {
    unsetenv("TOVALO_DEVICE");
    std::error_code ec;
    std::filesystem::remove_all(m_device, ec);
}

void WriteFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace testsupport
