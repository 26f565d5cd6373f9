#pragma once

#include <platform/CDialog.h>
#include <platform/CString.h>
#include <platform/CWnd.h>
#include <platform/MessageBox.h>

#include <functional>
#include <vector>

namespace platform::detail {
class ModalRun;
}

// A page of a property sheet: a dialog from a template, shown as one tab. Its window is made
// the first time its tab is shown.
class PLATFORM_EXPORT CPropertyPage : public CDialog {
public:
    // A page without controls.
    explicit CPropertyPage(UINT nIDTemplate = 0, LPCWSTR lpszCaption = nullptr);
    // The caption defaults to the template's.
    explicit CPropertyPage(const platform::DialogTemplate& dialog, LPCWSTR lpszCaption = nullptr);
    UINT GetTemplateId() const { return m_template.id; }
    const CString& GetCaption() const { return m_strCaption; }
    // The sheet closes with OK or Cancel.
    void OnOK() override {}
    void OnCancel() override {}

protected:
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
    // Ends the run as the OK or Cancel button does (IDOK, IDCANCEL).
    void PressButton(int nID);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    CString m_strCaption;
    CWnd* m_pParentWnd;
    UINT m_nSelectPage;
    std::vector<CPropertyPage*> m_pages;

private:
    platform::detail::ModalRun* m_run = nullptr;
};

namespace platform {

// While set, modal sheets and dialogs do not wait for a person: the hook runs with the
// window up (findable by its title) and returns the button a person presses at the end,
// IDOK or IDCANCEL. A window that ends itself meanwhile (EndDialog) keeps its own result;
// one that refuses the button is cancelled.
using ModalHook = std::function<int(CWnd* window)>;
PLATFORM_EXPORT void SetModalHook(ModalHook hook);

} // namespace platform
