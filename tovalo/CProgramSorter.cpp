#include "CProgramSorter.h"

#include <algorithm>
#include <vector>

void CProgramSorter::Sort(Mode mode, CGetGroupIconInfo& groups) {
    if (!m_pList)
        return;
    CList<EXEICONDATA>& list = m_pList->m_List;
    std::vector<EXEICONDATA> records;
    records.reserve(static_cast<std::size_t>(list.GetCount()));
    for (POSITION pos = list.GetHeadPosition(); pos;)
        records.push_back(list.GetNext(pos));
    const auto byPK = [](const EXEICONDATA& a, const EXEICONDATA& b) { return a.PK < b.PK; };
    if (mode == Mode::BySlot) {
        std::sort(records.begin(), records.end(), byPK);
    } else {
        std::sort(records.begin(), records.end(), [](const EXEICONDATA& a, const EXEICONDATA& b) {
            return a.GroupPosition < b.GroupPosition;
        });
        // Each group takes the next IconCount records; a count that runs past the list is
        // cut at its end.
        const int groupCount = std::min(groups.m_RegData.m_nGroupCount, groups.m_List.GetCount());
        auto run = records.begin();
        for (int i = 0; i < groupCount && run != records.end(); ++i) {
            const int count = std::max(groups.GetIcon(i).IconCount, 0);
            const auto end = run + std::min<std::ptrdiff_t>(count, records.end() - run);
            std::sort(run, end, byPK);
            run = end;
        }
    }
    auto record = records.begin();
    for (POSITION pos = list.GetHeadPosition(); pos; ++record)
        list.GetNext(pos) = *record;
}
