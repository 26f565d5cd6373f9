#pragma once

#include <mirvane/mirvane_export.h>

#include <ostrel/CGetGroupIconInfo.h>
#include <thandel/CAlphaBlend.h>

#include <platform/CDC.h>
#include <platform/CWnd.h>
#include <platform/Device.h>
#include <platform/PreparedText.h>

#include <string>
#include <string_view>
#include <unordered_map>

// The rotating group selector: the group names on the right half of a wheel's rim, the
// current one at the rightmost point on a translucent band, turned one group at a time by
// two arrow buttons at the right edge or the left and right keys. After a turn it tells its
// parent the new current group (0x1105 next, 0x1106 previous: wParam IconCount, lParam PK).
class MIRVANE_EXPORT CGroupListWnd : public CWnd {
public:
    // Band height, largest number of rim positions (at most 8), and whether the background is
    // the parent's skin (1) or plain white (0).
    explicit CGroupListWnd(int nBandHeight = 32, int nSlots = 3, int bSkinBack = 0);
    ~CGroupListWnd() override;

    void SetListPtr(CGetGroupIconInfo* pList) { m_pList = pList; }
    // Takes the skin under the window from the parent's surface and draws the resting picture.
    void MakeInitWnd(CDC& dcParent, CRect rcWnd);
    // After the group list changed: back to the first group with up to nCount rim positions.
    void UpdateDrawList(int nCount);
    // Turns to the previous group (labels move down) in nFrames pictures.
    void RotateDnList(int nFrames);
    // Turns to the next group (labels move up) in nFrames pictures.
    void RotateUpList(int nFrames);
    // The current group; a default record when the list is empty.
    GROUPICONDATA GetCurGroup();

    static constexpr UINT kNextGroupMessage = 0x1105;
    static constexpr UINT kPrevGroupMessage = 0x1106;

protected:
    void InitDraw();
    CRect CalcRotateRect(int nRadius, double dAngle, int nCenterX, int nCenterY, int nWidth,
                         int nHeight);

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnPaint();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

    DECLARE_MESSAGE_MAP()

    // Yields the folder of the running executable, where the skin files lie.
    struct CModulePath {
        CString GetDirectory() const { return platform::ModuleDirectory(); }
    };

    CGetGroupIconInfo* m_pList = nullptr;
    int m_nCurGroup = 0;
    CModulePath m_ModulePath;
    CBitmap m_bmpCompose;
    CDC m_dcCompose;
    CBitmap m_bmpBack;
    CDC m_dcBack;
    CBitmap m_bmpBand;
    CDC m_dcBand;
    CBitmap m_bmpArrowUp;
    CBitmap m_bmpArrowDown;
    CDC m_dcArrowUp;
    CDC m_dcArrowDown;
    int m_nBandHeight;
    int m_nSlots;
    int m_nMaxSlots;
    int m_bSkinBack;
    CRect m_rcClient;
    CRect m_rcList;
    CRect m_rcArrowUp;
    CRect m_rcArrowDown;
    CRect m_rcSlots[8];
    CRect m_rcBand;
    CAlphaBlend m_AlphaBlend;

private:
    // A group name as the wheel shows it: the whole name's size, which places it, and the
    // text drawn, cut to fit the wheel; laid out once per name and list load.
    struct NameLabel {
        SIZE size;
        platform::PreparedText text;
    };
    // A group name placed on the rim.
    struct Label {
        const NameLabel* pName;
        CRect rc;
    };
    // Looked up by the record's own characters, with no string made per frame.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::u16string_view s) const {
            return std::hash<std::u16string_view>{}(s);
        }
    };
    std::unordered_map<std::u16string, NameLabel, NameHash, std::equal_to<>> m_names;

    bool MakeSurfaces();
    void FreeSurfaces();
    int GroupCount() const;
    void ClearPicture();
    void DrawBand();
    Label PlaceLabel(const GROUPICONDATA& group, double dAngle);
    void DrawLabel(Label& label);
    void ShowPicture();
    void Rotate(int nFrames, bool bForward);
    // A tap on an arrow or its key: turns and tells the parent the new current group.
    void TurnByUser(bool bToPrevious);
};
