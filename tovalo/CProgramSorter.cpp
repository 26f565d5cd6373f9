#include "CProgramSorter.h"

#include <algorithm>
#include <numeric>
#include <vector>

void CProgramSorter::Sort(Mode mode, CGetGroupIconInfo& groups) {
    if (!m_pList)
        return;
    // The records are large (two paths each), so an order of their places is sorted and then
    // applied in the list itself: a long list is never held twice.
    CList<EXEICONDATA>& list = m_pList->m_List;
    std::vector<EXEICONDATA*> records;
    records.reserve(static_cast<std::size_t>(list.GetCount()));
    for (POSITION pos = list.GetHeadPosition(); pos;)
        records.push_back(&list.GetNext(pos));
    std::vector<std::size_t> order(records.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto byPK = [&](std::size_t a, std::size_t b) { return records[a]->PK < records[b]->PK; };
    if (mode == Mode::BySlot) {
        std::sort(order.begin(), order.end(), byPK);
    } else {
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return records[a]->GroupPosition < records[b]->GroupPosition;
        });
        // Each group takes the next IconCount records; a count that runs past the list is
        // cut at its end.
        const int groupCount = std::min(groups.m_RegData.m_nGroupCount, groups.m_List.GetCount());
        auto run = order.begin();
        for (int i = 0; i < groupCount && run != order.end(); ++i) {
            const int count = std::max(groups.GetIcon(i).IconCount, 0);
            const auto end = run + std::min<std::ptrdiff_t>(count, order.end() - run);
            std::sort(run, end, byPK);
            run = end;
        }
    }
    // Place i takes the record now at order[i]; each cycle of that permutation moves through
    // one spare record.
    std::vector<bool> placed(order.size(), false);
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (placed[start] || order[start] == start)
            continue;
        const EXEICONDATA spare = *records[start];
        std::size_t at = start;
        while (order[at] != start) {
            *records[at] = *records[order[at]];
            placed[at] = true;
            at = order[at];
        }
        *records[at] = spare;
        placed[at] = true;
    }
}
