#include <platform/CDialog.h>
#include <platform/CWinApp.h>

#include "core/Application.h"
#include "framework/ControlWindow.h"
#include "framework/ModalRun.h"
#include "gdi/SystemFont.h"
#include "windows/WindowState.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::detail {

struct DialogState {
    std::vector<std::unique_ptr<ControlWindow>> controls;
    ModalRun* run = nullptr;
    bool child = false;
};

namespace {

// The buttons a top-level dialog gets below its template when the template has none: the
// device showed them in its title bar.
constexpr LONG kButtonRow = 16;
constexpr LONG kButtonWidth = 32;
constexpr LONG kButtonHeight = 12;
// A combo box's field is as high as an edit field.
constexpr LONG kEditUnits = 12;

QFont DialogFont(const DialogTemplate& dialog) {
    // The device's one font; "System" is the only face its dialogs name.
    QFont font = SystemFont();
    font.setPixelSize(std::max(dialog.pointSize, 1));
    return font;
}

LONG MulDiv(LONG value, LONG numerator, LONG denominator) {
    return static_cast<LONG>(
        std::lround(static_cast<double>(value) * numerator / static_cast<double>(denominator)));
}

bool HasItem(const DialogTemplate& dialog, UINT id) {
    return std::any_of(dialog.items.begin(), dialog.items.end(),
                       [id](const DialogItem& item) { return item.id == id; });
}

// The template with the OK and Cancel buttons it lacks in a row of their own at its foot.
DialogTemplate WithButtons(DialogTemplate dialog) {
    std::vector<DialogItem> added;
    if (!HasItem(dialog, IDOK))
        added.push_back(DialogItem{ControlKind::PushButton, IDOK, u"OK", {}, WS_TABSTOP});
    if (!HasItem(dialog, IDCANCEL))
        added.push_back(DialogItem{ControlKind::PushButton, IDCANCEL, u"Cancel", {}, WS_TABSTOP});
    if (added.empty())
        return dialog;
    LONG right = dialog.size.cx - 4;
    for (auto it = added.rbegin(); it != added.rend(); ++it) {
        it->rect = RECT{right - kButtonWidth, dialog.size.cy + 2, kButtonWidth, kButtonHeight};
        right -= kButtonWidth + 4;
    }
    dialog.size.cy += kButtonRow;
    dialog.items.insert(dialog.items.end(), added.begin(), added.end());
    return dialog;
}

} // namespace

} // namespace platform::detail

namespace platform {

SIZE DialogBaseUnits(const DialogTemplate& dialog) {
    detail::EnsureApplication();
    const QFontMetrics metrics(detail::DialogFont(dialog));
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return SIZE{(letters + 26) / 52, metrics.height()};
}

RECT DialogUnitsToPixels(const DialogTemplate& dialog, const RECT& units) {
    const SIZE base = DialogBaseUnits(dialog);
    using detail::MulDiv;
    return RECT{MulDiv(units.left, base.cx, 4), MulDiv(units.top, base.cy, 8),
                MulDiv(units.left + units.right, base.cx, 4),
                MulDiv(units.top + units.bottom, base.cy, 8)};
}

} // namespace platform

using platform::detail::ControlWindow;
using platform::detail::WindowState;

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

CDialog::CDialog(const platform::DialogTemplate& dialog, CWnd* pParentWnd)
    : m_template(dialog), m_pParentWnd(pParentWnd),
      m_dialog(std::make_unique<platform::detail::DialogState>()) {}

CDialog::~CDialog() {
    // While the controls are still there for the handlers of the window's destruction.
    DestroyWindow();
}

BOOL CDialog::MakeControls() {
    const QFont font = platform::detail::DialogFont(m_template);
    if (WindowState* state = WindowState::Of(m_hWnd); state && state->widget)
        state->widget->setFont(font);
    const SIZE base = platform::DialogBaseUnits(m_template);
    for (const platform::DialogItem& item : m_template.items) {
        RECT pixels = platform::DialogUnitsToPixels(m_template, item.rect);
        // A combo box's rectangle includes its dropped-down list; the window is its field.
        if (item.kind == platform::ControlKind::ComboBox)
            pixels.bottom = std::min(
                pixels.bottom,
                pixels.top + platform::detail::MulDiv(platform::detail::kEditUnits, base.cy, 8));
        auto control = std::make_unique<ControlWindow>(item);
        if (!control->Make(this, pixels, font))
            return FALSE;
        m_dialog->controls.push_back(std::move(control));
    }
    return TRUE;
}

BOOL CDialog::CreateAsChild(CWnd* pParent, const RECT& rect) {
    if (m_hWnd ||
        !Create(nullptr, m_template.caption, WS_CHILD | WS_VISIBLE, rect, pParent, m_template.id))
        return FALSE;
    m_dialog->child = true;
    return MakeControls();
}

INT_PTR CDialog::DoModal() {
    platform::detail::EnsureApplication();
    if (m_hWnd)
        return -1;
    const platform::DialogTemplate own = m_template;
    m_template = platform::detail::WithButtons(m_template);
    const RECT area = platform::DialogUnitsToPixels(
        m_template, RECT{0, 0, m_template.size.cx, m_template.size.cy});
    CWnd* over = m_pParentWnd ? m_pParentWnd : (AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr);
    const RECT placed = platform::detail::ModalPlacement(over, SIZE{area.right, area.bottom});
    INT_PTR result = -1;
    if (Create(nullptr, m_template.caption, WS_POPUP | WS_CAPTION, placed, nullptr, 0)) {
        const HWND dialog = m_hWnd;
        platform::detail::MakeModalWindow(this, placed);
        m_dialog->child = false;
        platform::detail::ModalRun run(this);
        m_dialog->run = &run;
        if (MakeControls()) {
            OnInitDialog();
            result = run.Exec([this](int answer) {
                SendMessage(WM_COMMAND, answer == IDOK ? IDOK : IDCANCEL, 0);
            });
        }
        m_dialog->run = nullptr;
        if (m_hWnd == dialog)
            DestroyWindow();
    }
    m_template = own;
    return result;
}

void CDialog::EndDialog(int nResult) {
    if (m_dialog->run)
        m_dialog->run->Finish(nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnKeyDown(UINT nChar, UINT, UINT) {
    if (nChar != VK_RETURN && nChar != VK_ESCAPE) {
        Default();
        return;
    }
    // A page's keys end its sheet.
    CWnd* target = m_dialog->child && GetParent() ? GetParent() : this;
    target->SendMessage(WM_COMMAND, nChar == VK_RETURN ? IDOK : IDCANCEL, 0);
}

CWnd* CDialog::GetDlgItem(int nID) const {
    for (const auto& control : m_dialog->controls)
        if (control->GetSafeHwnd() && control->Item().id == static_cast<UINT>(nID))
            return control.get();
    return nullptr;
}

LRESULT CDialog::DispatchNotify(const NMHDR& header, LPARAM lParam) {
    for (const platform::MessageMap* map = GetMessageMap(); map;
         map = map->base ? map->base() : nullptr)
        for (const platform::MessageEntry* e = map->entries; e->call; ++e)
            if (e->message == WM_NOTIFY && e->code == header.code && e->id == header.idFrom)
                return e->call(this, header.idFrom, lParam);
    return 0;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && lParam)
        return DispatchNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam);
    // Closing a dialog's window is its Cancel.
    if (message == WM_CLOSE && !m_dialog->child) {
        SendMessage(WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CDialog::PostNcDestroy() {
    m_dialog->controls.clear();
    CWnd::PostNcDestroy();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CDialogControl& rControl) {
    CWnd* control = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    rControl.m_hWnd = control ? control->GetSafeHwnd() : nullptr;
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    CWnd* window = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    CDialogControl control;
    control.m_hWnd = window ? window->GetSafeHwnd() : nullptr;
    if (pDX->m_bSaveAndValidate)
        value = control.GetWindowText();
    else
        control.SetWindowText(value);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    CWnd* window = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    CButton control;
    control.m_hWnd = window ? window->GetSafeHwnd() : nullptr;
    if (pDX->m_bSaveAndValidate)
        value = control.GetCheck();
    else
        control.SetCheck(value);
}
