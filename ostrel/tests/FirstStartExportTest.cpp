#include <ostrel/CPXRegData.h>

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using FirstStartExport = testsupport::DeviceFolderTest;

std::string RunCommand(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    status = pclose(pipe);
    return out;
}

std::string Dword(const char* name, int value) {
    char line[64];
    std::snprintf(line, sizeof line, "\"%s\"=dword:%08x\n", name, value);
    return line;
}

// Slot keys sorted as names sort, ignoring case: Groups0, Groups1, Groups10, ...
std::vector<int> SlotOrder(int count) {
    std::vector<int> slots(count);
    for (int i = 0; i < count; ++i)
        slots[i] = i;
    std::sort(slots.begin(), slots.end(),
              [](int a, int b) { return std::to_string(a) < std::to_string(b); });
    return slots;
}

std::string ExpectedFirstStart() {
    const std::string root = "[HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher";
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    text += root + "]\n\n";
    text += root + "\\EXEs]\n\n";
    for (int n : SlotOrder(50))
        text += root + "\\EXEs\\EXEs" + std::to_string(n) + "]\n" + Dword("PK", n) +
                Dword("GroupPosition", 0) + "\n";
    text += root + "\\Groups]\n" + Dword("GROUPCOUNT", 1) + "\n";
    for (int n : SlotOrder(20)) {
        text += root + "\\Groups\\Groups" + std::to_string(n) + "]\n" + Dword("PK", n) +
                Dword("IconCount", 0);
        if (n == 0)
            text += "\"GroupName\"=\"etc.\"\n";
        text += "\n";
    }
    text += root + "\\QL]\n\n";
    for (int n : SlotOrder(15))
        text += root + "\\QL\\QL" + std::to_string(n) + "]\n" + Dword("PK", n) + "\n";
    text += root + "\\Skin]\n" + Dword("SkinCheck", 1) + "\n";
    return text;
}

TEST_F(FirstStartExport, ToolPrintsExactlyTheFirstStartContent) {
    CPXRegData data;
    ASSERT_EQ(data.InitRegistry(), 3333u);
    const char* bin = TOVALO_BIN_DIR;
    int status = -1;
    std::string out = RunCommand(
        std::string(bin) + "/tovalo-reg export 'HKCU\\Software\\NorviSoft\\NorviLuncher'", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, ExpectedFirstStart());
}

} // namespace
