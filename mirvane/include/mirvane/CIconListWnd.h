#pragma once

#include <mirvane/mirvane_export.h>
#include <ostrel/CGetExeIconInfo.h>
#include <platform/CDC.h>
#include <platform/CWnd.h>
#include <platform/PreparedText.h>
#include <thandel/CAlphaBlend.h>

#include <memory>
#include <string>
#include <unordered_map>

// The program column of the main screen: one circular column of rows, each a program's icon
// and name, with a translucent band across row 1 marking the selected program. Up and down
// scroll it by one program, the action key or a tap starts a program, and MoveNextGroup
// jumps to the first program of a group.
class MIRVANE_EXPORT CIconListWnd : public CWnd {
public:
    CIconListWnd();
    CIconListWnd(int nItemHeight, int nMaxRows, int bSkinBack);
    ~CIconListWnd() override;

    void SetListPtr(CGetExeIconInfo* pList) { m_pList = pList; }
    // Fills the list, and so the store, from the folder tree of the pattern ("...\*.*").
    void MakeDefaultList(LPCWSTR lpszPattern);
    // Takes the skin under the window from the parent's surface, then draws the resting
    // picture.
    void MakeInitWnd(CDC& dcParent, CRect rcWnd);
    // The resting picture from the first program.
    void InitDraw();
    // After the list changed: nCount programs now.
    void UpdateDrawList(int nCount);
    void DrawGroupSep(CPoint pt);
    // Puts the first program of the group nGroupKey, which has nCount programs, in row 1.
    void MoveNextGroup(int nCount, int nForward, int nGroupKey);

    // The message sent to the parent when a key scroll enters another group.
    static constexpr UINT WM_GROUPCHANGED = 0x19B3;

protected:
    void DrawIconList(EXEICONDATA data, CPoint ptIcon, CRect rcLabel);

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnPaint();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

    CGetExeIconInfo* m_pList = nullptr;
    int m_nTopIndex = 0;
    CBitmap m_bmpCompose;
    CDC m_dcCompose;
    CBitmap m_bmpBand;
    CDC m_dcBand;
    CBitmap m_bmpBack;
    CDC m_dcBack;
    int m_nItemHeight = 0;
    int m_nRows = 0;
    int m_nMaxRows = 0;
    int m_bSkinBack = 0;
    CRect m_rcClient;
    CRect m_rcList;
    CAlphaBlend m_AlphaBlend;
    std::unique_ptr<CRect[]> m_pRowRects;
    int m_nPressedRow = -1;

private:
    // A row's label as DrawIconList places it: the name's measured size, and the text drawn
    // (the name, or its two lines when it is wider than the room) with its own size.
    struct RowLabel {
        SIZE measured;
        bool bSplit = false;
        platform::PreparedText text;
    };
    // Labels are laid out once per name and list load, and copied in every frame.
    const RowLabel& LabelOf(const WCHAR* pszName);
    std::unordered_map<std::u16string, RowLabel> m_labels;

    int Count() const;
    void DrawBackground();
    void DrawBand();
    // One row with its top at y; a separator above it when its group differs from the row
    // above (never for the first row drawn).
    void DrawRow(const EXEICONDATA& data, int y, bool bFirst, int& nGroupAbove);
    void SetRows(int nRows);
    void ScrollBack();
    void ScrollForward();
    void Start(const EXEICONDATA& data);
    // False once the store had no room for a program.
    bool SearchFolder(LPCWSTR lpszPattern, int nDepth);
};
