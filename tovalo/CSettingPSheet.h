#pragma once

#include "CSSetting2Page.h"
#include "CSetting1Page.h"

#include <platform/CPropertySheet.h>

class CTovaloView;

// The settings window, titled "Tovalo Setting"; the rest of the program finds an open sheet
// by that title.
class CSettingPSheet : public CPropertySheet {
public:
    explicit CSettingPSheet(LPCWSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    // The view whose lists and windows the pages work on.
    void SetView(CTovaloView* pView);
    BOOL OnInitDialog() override;

    CSetting1Page m_page1;
    CSSetting2Page m_page2;
};

inline constexpr const WCHAR* kSettingTitle = u"Tovalo Setting";
