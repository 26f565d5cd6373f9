#pragma once

#include <platform/CString.h>
#include <platform/CWnd.h>
#include <platform/MessageBox.h>

#include <functional>
#include <vector>

// A page of a property sheet: a dialog from a template, shown as one tab.
class PLATFORM_EXPORT CPropertyPage : public CWnd {
public:
    explicit CPropertyPage(UINT nIDTemplate = 0, LPCWSTR lpszCaption = nullptr);
    UINT GetTemplateId() const { return m_nIDTemplate; }
    const CString& GetCaption() const { return m_strCaption; }
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() {}
    virtual void OnCancel() {}

protected:
    UINT m_nIDTemplate;
    CString m_strCaption;
};

// A modal sheet of pages with OK and Cancel; a top-level window titled by its caption while
// it runs, so that FindWindowW finds it.
class PLATFORM_EXPORT CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(LPCWSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    // IDOK or IDCANCEL.
    virtual INT_PTR DoModal();
    // Called once the sheet's window and its first page are made, before it is shown.
    virtual BOOL OnInitDialog() { return TRUE; }

protected:
    CString m_strCaption;
    CWnd* m_pParentWnd;
    UINT m_nSelectPage;
    std::vector<CPropertyPage*> m_pages;
};

namespace platform {

// While set, modal sheets and dialogs do not wait for a person: the hook runs with the
// window up (findable by its title) and returns the result, IDOK or IDCANCEL.
using ModalHook = std::function<int(CWnd* window)>;
PLATFORM_EXPORT void SetModalHook(ModalHook hook);

} // namespace platform
