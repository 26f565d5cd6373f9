#include "CSettingPSheet.h"

CSettingPSheet::CSettingPSheet(LPCWSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage) {}
