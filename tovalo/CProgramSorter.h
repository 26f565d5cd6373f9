#pragma once

#include <ostrel/CGetExeIconInfo.h>
#include <ostrel/CGetGroupIconInfo.h>

// Orders the records of the program list in place: by slot, or by group with each group's
// run of records by slot. The list's count and cursor are left alone.
class CProgramSorter {
public:
    enum class Mode { BySlot, ByGroup };

    void SetList(CGetExeIconInfo* pList) { m_pList = pList; }
    void Sort(Mode mode, CGetGroupIconInfo& groups);

private:
    CGetExeIconInfo* m_pList = nullptr;
};
