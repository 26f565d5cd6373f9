// Fills the store of the device folder in TOVALO_DEVICE as a full launcher has it: 19 groups
// besides "etc.", 50 programs spread over the 20 groups, 15 quick-launch entries.
#include <ostrel/CGetExeIconInfo.h>
#include <ostrel/CGetGroupIconInfo.h>
#include <ostrel/CGetQLIconInfo.h>

#include <string>

namespace {

CString Text(const std::string& s) {
    return CString(std::u16string(s.begin(), s.end()));
}

} // namespace

int main() {
    CGetExeIconInfo programs;
    programs.InitReg();
    CGetGroupIconInfo groups;
    groups.InitReg();
    for (int g = 1; g < 20; ++g)
        groups.InsertGroups(Text("Group " + std::to_string(g)));
    CGetQLIconInfo quick;
    quick.InitReg();
    for (int p = 0; p < 50; ++p) {
        const std::string name = "Program " + std::to_string(p);
        programs.InsertExe(Text("\\Windows\\program" + std::to_string(p) + ".exe"), Text(name));
        if (p % 20 != 0)
            programs.ModifyExe(Text(name), p, p % 20);
        if (p < 15)
            quick.InsertQL(Text("\\Windows\\program" + std::to_string(p) + ".exe"));
    }
    return programs.m_List.GetCount() == 50 && groups.m_List.GetCount() == 20 &&
                   quick.m_List.GetCount() == 15
               ? 0
               : 1;
}
