#include <platform/CPropertySheet.h>

namespace {

platform::DialogTemplate Empty(UINT id, LPCWSTR caption) {
    platform::DialogTemplate dialog;
    dialog.id = id;
    dialog.caption = caption ? caption : u"";
    return dialog;
}

} // namespace

CPropertyPage::CPropertyPage(UINT nIDTemplate, LPCWSTR lpszCaption)
    : CDialog(Empty(nIDTemplate, lpszCaption)), m_strCaption(lpszCaption) {}

CPropertyPage::CPropertyPage(const platform::DialogTemplate& dialog, LPCWSTR lpszCaption)
    : CDialog(dialog), m_strCaption(lpszCaption ? lpszCaption : dialog.caption) {}
