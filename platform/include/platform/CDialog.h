#pragma once

#include <platform/CWnd.h>
#include <platform/Controls.h>
#include <platform/DialogTemplate.h>
#include <platform/MessageBox.h>

#include <memory>

namespace platform::detail {
struct DialogState;
}

class CDialog;

// Which way a data exchange runs: into the members (TRUE) or into the controls (FALSE).
class PLATFORM_EXPORT CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
};

PLATFORM_EXPORT void DDX_Control(CDataExchange* pDX, int nIDC, CDialogControl& rControl);
PLATFORM_EXPORT void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
PLATFORM_EXPORT void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

// A dialog made from its template: the controls are the toolkit's own widgets, laid out at
// the template's dialog-unit rectangles; their notifications reach the message map.
class PLATFORM_EXPORT CDialog : public CWnd {
public:
    explicit CDialog(const platform::DialogTemplate& dialog, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // IDOK, IDCANCEL or what EndDialog was given; -1 when the window cannot be made.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    // Moves the controls' data into the members (TRUE) or the members into the controls.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    // The framework's set-up: the members into the controls.
    virtual BOOL OnInitDialog();
    CWnd* GetDlgItem(int nID) const;
    const platform::DialogTemplate& GetTemplate() const { return m_template; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Makes the dialog's window and its controls as a child of pParent (a property page in
    // its sheet); the rectangle is in the parent's client coordinates.
    BOOL CreateAsChild(CWnd* pParent, const RECT& rect);

protected:
    virtual void DoDataExchange(CDataExchange* pDX) {}
    // Moves the controls' data into the members and ends the dialog with IDOK.
    virtual void OnOK();
    virtual void OnCancel();
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

    platform::DialogTemplate m_template;
    CWnd* m_pParentWnd;

private:
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    LRESULT DispatchNotify(const NMHDR& header, LPARAM lParam);
    BOOL MakeControls();
    std::unique_ptr<platform::detail::DialogState> m_dialog;
};

// Notifications of controls in message maps.
#define ON_BN_CLICKED(id, memberFn) ON_CONTROL(BN_CLICKED, id, memberFn)
#define ON_LBN_SELCHANGE(id, memberFn) ON_CONTROL(LBN_SELCHANGE, id, memberFn)
#define ON_CBN_SELCHANGE(id, memberFn) ON_CONTROL(CBN_SELCHANGE, id, memberFn)
#define ON_EN_SETFOCUS(id, memberFn) ON_CONTROL(EN_SETFOCUS, id, memberFn)
#define ON_EN_KILLFOCUS(id, memberFn) ON_CONTROL(EN_KILLFOCUS, id, memberFn)
#define ON_NOTIFY(code, id, memberFn)                                                              \
    ::platform::MessageEntry{WM_NOTIFY, code, id, &::platform::CallNotify<&ThisClass::memberFn>},

namespace platform {

template <auto Fn> LRESULT CallNotify(CWnd* w, WPARAM, LPARAM lParam) {
    LRESULT result = 0;
    (Target<Fn>(w)->*Fn)(reinterpret_cast<NMHDR*>(lParam), &result);
    return result;
}

} // namespace platform
