#include "CTovaloView.h"
#include "HardwareKeys.h"
#include "LauncherValues.h"

#include <platform/Hotkeys.h>

namespace {

void BindKey(HWND hWnd, const WCHAR* valueName, int& number, UINT& code) {
    ReadLauncherValue(valueName, number);
    if (number >= 1 && number <= 15)
        code = kHardwareKeyBase + static_cast<UINT>(number);
    ClaimHardwareKey(hWnd, code);
}

} // namespace

void CTovaloView::RegisterSetKey() {
    BindKey(m_hWnd, u"SetKey", m_nSetKey, m_nSetKeyCode);
}

void CTovaloView::RegisterHideKey() {
    BindKey(m_hWnd, u"HideKey", m_nHideKey, m_nHideKeyCode);
}

void CTovaloView::ShowFrame(int nCmdShow) {
    if (CWnd* frame = GetParent())
        frame->ShowWindow(nCmdShow);
}

void CTovaloView::RunSettingSheet(CSettingPSheet** ppOpen) {
    CWnd* frame = GetParent();
    const bool wasVisible = frame && frame->IsWindowVisible();
    ShowFrame(SW_SHOW);
    {
        CSettingPSheet sheet(kSettingTitle);
        sheet.SetView(this);
        if (ppOpen)
            *ppOpen = &sheet;
        sheet.DoModal();
        if (ppOpen)
            *ppOpen = nullptr;
    }
    if (!wasVisible)
        ShowFrame(SW_HIDE);
}

void CTovaloView::OnHotKey(UINT nHotKeyId, UINT, UINT) {
    if (m_nSetKeyCode != 0 && nHotKeyId == m_nSetKeyCode) {
        if (HWND sheet = FindWindowW(nullptr, kSettingTitle)) {
            ::SetForegroundWindow(sheet);
            return;
        }
        UnregisterHotKey(m_hWnd, static_cast<int>(m_nSetKeyCode));
        RunSettingSheet();
        RegisterSetKey();
        UnregisterHotKey(m_hWnd, static_cast<int>(m_nHideKeyCode));
        RegisterHideKey();
    } else if (m_nHideKeyCode != 0 && nHotKeyId == m_nHideKeyCode) {
        UnregisterHotKey(m_hWnd, static_cast<int>(m_nHideKeyCode));
        ShowFrame(SW_SHOW);
        if (CWnd* frame = GetParent())
            frame->SetForegroundWindow();
        RegisterHideKey();
    }
}
