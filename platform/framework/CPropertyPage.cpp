#include <platform/CPropertySheet.h>

CPropertyPage::CPropertyPage(UINT nIDTemplate, LPCWSTR lpszCaption)
    : CDialog(
          platform::DialogTemplate{.id = nIDTemplate, .caption = lpszCaption ? lpszCaption : u""}),
      m_strCaption(lpszCaption) {}

CPropertyPage::CPropertyPage(const platform::DialogTemplate& dialog, LPCWSTR lpszCaption)
    : CDialog(dialog), m_strCaption(lpszCaption ? lpszCaption : dialog.caption) {}
