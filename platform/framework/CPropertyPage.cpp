#include <platform/CPropertySheet.h>

CPropertyPage::CPropertyPage(UINT nIDTemplate, LPCWSTR lpszCaption)
    : m_nIDTemplate(nIDTemplate), m_strCaption(lpszCaption) {}
