#include <platform/CMenu.h>

void CCmdUI::SetText(LPCWSTR lpszText) {
    if (m_pItem)
        m_pItem->text = lpszText ? lpszText : u"";
}

void CCmdUI::Enable(BOOL bOn) {
    m_bEnabled = bOn != FALSE;
    if (m_pItem)
        m_pItem->enabled = m_bEnabled;
}
