#include <platform/CDialog.h>
#include <platform/CPropertySheet.h>
#include <platform/Shell.h>

#include "FrameworkTestSupport.h"

#include <testsupport/DialogDriver.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using frameworktest::g_log;
using frameworktest::Record;
using frameworktest::Records;
using platform::ControlKind;
using testsupport::DialogDriver;
using testsupport::ModalScript;

constexpr UINT kName = 1001, kList = 1002, kCombo = 1003, kCheck = 1004, kApply = 1005,
               kFiles = 1006, kLocked = 1007, kHidden = 1008, kSorted = 1009;

constexpr DWORD kFileList = LVS_REPORT | LVS_SHAREIMAGELISTS | WS_BORDER;
const platform::DialogTemplate kTemplate{
    200,
    u"Dialog",
    {138, 149},
    u"System",
    10,
    {{ControlKind::GroupBox, 0, u"Group", {2, 0, 134, 40}},
     {ControlKind::Static, 0, u"Name:", {6, 10, 23, 8}},
     {ControlKind::Edit, kName, u"", {30, 9, 60, 12}, ES_AUTOHSCROLL},
     {ControlKind::Edit, kLocked, u"", {30, 22, 60, 12}, WS_DISABLED | ES_AUTOHSCROLL},
     {ControlKind::PushButton, kApply, u"Add", {94, 9, 20, 12}},
     {ControlKind::PushButton, kHidden, u"Button1", {94, 22, 20, 6}, 0, false},
     {ControlKind::CheckBox, kCheck, u"Apply default Skin", {6, 42, 74, 10}, BS_AUTOCHECKBOX},
     {ControlKind::ListBox, kList, u"", {6, 54, 60, 30}, LBS_NOTIFY | WS_VSCROLL},
     {ControlKind::ComboBox, kCombo, u"", {70, 54, 60, 40}, CBS_DROPDOWNLIST},
     {ControlKind::ComboBox, kSorted, u"", {70, 70, 60, 40}, CBS_DROPDOWNLIST | CBS_SORT},
     {ControlKind::ListView, kFiles, u"List1", {0, 86, 136, 60}, kFileList}}};

// Records every notice of its controls and moves its members as the launcher's pages do.
class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(kTemplate) {}
    CString m_strName;
    int m_nCheck = 0;
    CListBox m_List;
    CComboBox m_Combo, m_Sorted;
    CListCtrl m_Files;
    CImageList m_Images;
    bool m_bEndInInit = false, m_bRefuseOk = false;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, kList, m_List);
        DDX_Control(pDX, kCombo, m_Combo);
        DDX_Control(pDX, kSorted, m_Sorted);
        DDX_Control(pDX, kFiles, m_Files);
        DDX_Text(pDX, kName, m_strName);
        DDX_Check(pDX, kCheck, m_nCheck);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        for (const WCHAR* row : {u"etc.", u"Office", u"Games"}) {
            m_List.AddString(row);
            m_Combo.AddString(row);
            m_Sorted.AddString(row);
        }
        m_Files.InsertColumn(0, u"Name", LVCFMT_LEFT, 100);
        m_Files.InsertColumn(1, u"Size", LVCFMT_LEFT, 70);
        SHFILEINFO info;
        m_Images.Attach(reinterpret_cast<HIMAGELIST>(
            SHGetFileInfo(u"\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON)));
        m_Files.SetImageList(&m_Images, LVSIL_SMALL);
        m_Images.Detach();
        m_Files.InsertItem(0, u"..", 0);
        m_Files.InsertItem(1, u"notes.txt", 0);
        m_Files.SetItemText(1, 1, u"1234");
        if (m_bEndInInit)
            EndDialog(77);
        return TRUE;
    }
    void OnOK() override {
        if (!m_bRefuseOk)
            CDialog::OnOK();
    }
    void OnApply() { Log(BN_CLICKED, kApply); }
    void OnCheck() { Log(BN_CLICKED, kCheck); }
    void OnSelectList() { Log(LBN_SELCHANGE, kList); }
    void OnSelectCombo() { Log(CBN_SELCHANGE, kCombo); }
    void OnNameFocus() { Log(EN_SETFOCUS, kName); }
    void OnNameBlur() { Log(EN_KILLFOCUS, kName); }
    void OnTap(NMHDR* header, LRESULT* result) { LogItem("tap", header, result); }
    void OnDoubleTap(NMHDR* header, LRESULT* result) { LogItem("double", header, result); }
    DECLARE_MESSAGE_MAP()

private:
    void Log(UINT code, UINT id) { g_log.push_back({"command", id, code, 0}); }
    void LogItem(const char* what, NMHDR* header, LRESULT* result) {
        g_log.push_back({what, header->idFrom, 0, reinterpret_cast<NMLISTVIEW*>(header)->iItem});
        *result = 0;
    }
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
ON_BN_CLICKED(kApply, OnApply)
ON_BN_CLICKED(kCheck, OnCheck)
ON_LBN_SELCHANGE(kList, OnSelectList)
ON_CBN_SELCHANGE(kCombo, OnSelectCombo)
ON_EN_SETFOCUS(kName, OnNameFocus)
ON_EN_KILLFOCUS(kName, OnNameBlur)
ON_NOTIFY(NM_CLICK, kFiles, OnTap)
ON_NOTIFY(NM_DBLCLK, kFiles, OnDoubleTap)
END_MESSAGE_MAP()

Record Command(UINT id, UINT code) {
    return {"command", id, code, 0};
}

class Dialogs : public frameworktest::FrameworkTest {
protected:
    TestDialog m_dialog;
    ModalScript m_script;
};

TEST_F(Dialogs, DialogUnitsBecomePixelsThroughTheSystemFontsBaseUnits) {
    const SIZE base = platform::DialogBaseUnits(kTemplate);
    EXPECT_TRUE(base.cx >= 5 && base.cx <= 7 && base.cy >= 10 && base.cy <= 14)
        << base.cx << " x " << base.cy;
    const RECT r = platform::DialogUnitsToPixels(kTemplate, RECT{4, 8, 20, 12});
    EXPECT_EQ(r, (RECT{base.cx, base.cy, 6 * base.cx, (20 * base.cy + 4) / 8}));
    // The launcher's largest page and its file dialog fit the 240 x 294 frame.
    const RECT page = platform::DialogUnitsToPixels(kTemplate, RECT{0, 0, 135, 122});
    const RECT dialog = platform::DialogUnitsToPixels(kTemplate, RECT{0, 0, 138, 150 + 16});
    EXPECT_TRUE(page.right <= 232 && page.bottom <= 230) << page.right << " x " << page.bottom;
    EXPECT_TRUE(dialog.right <= 240 && dialog.bottom <= 294)
        << dialog.right << " x " << dialog.bottom;
}

TEST_F(Dialogs, ControlsLieWhereTheTemplateSaysAndShowTheirTexts) {
    m_script.Then([&](DialogDriver& d) {
        EXPECT_EQ(FindWindowW(nullptr, u"Dialog"), d.Window()->GetSafeHwnd());
        EXPECT_EQ(d.Place(kApply), platform::DialogUnitsToPixels(kTemplate, {94, 9, 20, 12}));
        RECT combo = d.Place(kCombo);
        EXPECT_LT(combo.bottom - combo.top, 20) << "a combo box's window is its field";
        EXPECT_EQ(d.Text(kApply), u"Add");
        EXPECT_EQ(d.Text(kCheck), u"Apply default Skin");
        EXPECT_EQ(d.Rows(kList), (std::vector<std::u16string>{u"etc.", u"Office", u"Games"}));
        EXPECT_EQ(d.Rows(kSorted), (std::vector<std::u16string>{u"etc.", u"Games", u"Office"}));
        EXPECT_EQ(d.Selected(kCombo), -1) << "adding selects nothing";
        EXPECT_EQ(d.Rows(kFiles), (std::vector<std::u16string>{u"..", u"notes.txt"}));
        EXPECT_EQ(d.Cell(kFiles, 1, 1), u"1234");
        EXPECT_FALSE(d.Shown(kHidden));
        EXPECT_FALSE(d.Enabled(kLocked));
        EXPECT_TRUE(d.Shown(IDOK)) << "the dialog's own OK, as the device's title bar had";
        // The rows carry the shell's small icons: the folder icon is not blank.
        const QImage picture = d.Picture();
        const RECT files = d.Place(kFiles);
        int inked = 0;
        for (int y = files.top; y < files.bottom; ++y)
            for (int x = files.left; x < files.left + 24; ++x)
                inked += qGray(picture.pixel(x, y)) < 160 ? 1 : 0;
        EXPECT_GT(inked, 20);
        return IDCANCEL;
    });
    EXPECT_EQ(m_dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(m_script.Titles(), std::vector<std::u16string>{u"Dialog"}) << "the step ran";
}

TEST_F(Dialogs, EveryNoticeReachesItsHandlerAndChangesByTheProgramSendNone) {
    m_script.Then([&](DialogDriver& d) {
        d.Click(kApply);
        d.Click(kCheck);
        d.Select(kList, 1);
        d.Select(kCombo, 2);
        d.Select(kFiles, 1);
        d.DoubleTap(kFiles, 0);
        d.DoubleTap(kFiles, -1);
        d.Type(kName, u"Games");
        d.Focus(kList);
        d.Click(kHidden);
        d.Type(kLocked, u"x");
        EXPECT_TRUE(d.Checked(kCheck));
        EXPECT_EQ(d.Text(kLocked), u"") << "a disabled field takes no typing";
        // The program's own changes.
        m_dialog.m_List.SetCurSel(0);
        m_dialog.m_Combo.SetCurSel(0);
        m_dialog.m_Files.InsertItem(1, u"new", 0);
        m_dialog.m_strName = u"set";
        m_dialog.m_nCheck = 0;
        m_dialog.UpdateData(FALSE);
        EXPECT_EQ(d.Text(kName), u"set");
        EXPECT_FALSE(d.Checked(kCheck));
        return IDCANCEL;
    });
    EXPECT_EQ(m_dialog.DoModal(), IDCANCEL);
    // The first tap activates the window, whose first field takes the focus and loses it.
    const Records expected{
        Command(kName, EN_SETFOCUS), Command(kName, EN_KILLFOCUS),  Command(kApply, BN_CLICKED),
        Command(kCheck, BN_CLICKED), Command(kList, LBN_SELCHANGE), Command(kCombo, CBN_SELCHANGE),
        {"tap", kFiles, 0, 1},       {"tap", kFiles, 0, 0},         {"double", kFiles, 0, 0},
        {"tap", kFiles, 0, -1},      {"double", kFiles, 0, -1},     Command(kName, EN_SETFOCUS),
        Command(kName, EN_KILLFOCUS)};
    EXPECT_EQ(g_log, expected);
}

TEST_F(Dialogs, OkMovesTheControlsIntoTheMembersAndCancelDoesNot) {
    struct Case {
        int pressed;
        INT_PTR result;
        const WCHAR* name;
    } cases[] = {{IDOK, IDOK, u"typed"}, {IDCANCEL, IDCANCEL, u""}};
    for (const Case& c : cases) {
        TestDialog dialog;
        m_script.Then([&](DialogDriver& d) {
            d.Type(kName, u"typed");
            return c.pressed;
        });
        EXPECT_EQ(dialog.DoModal(), c.result) << c.pressed;
        EXPECT_EQ(dialog.m_strName, CString(c.name)) << c.pressed;
        EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    }
}

TEST_F(Dialogs, ADialogThatEndsItselfKeepsItsResultAndARefusedOkIsCancelled) {
    m_dialog.m_bEndInInit = true;
    EXPECT_EQ(m_dialog.DoModal(), 77);
    EXPECT_TRUE(m_script.Titles().empty()) << "nothing left to run";

    TestDialog refusing;
    refusing.m_bRefuseOk = true;
    m_script.Then([&](DialogDriver& d) {
        d.Press(IDOK);
        EXPECT_NE(FindWindowW(nullptr, u"Dialog"), nullptr) << "still open";
        return IDOK;
    });
    EXPECT_EQ(refusing.DoModal(), IDCANCEL);

    TestDialog keyed;
    m_script.Then([&](DialogDriver& d) {
        d.Type(kName, u"keys");
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(d.Widget(kName), &enter);
        return IDCANCEL;
    });
    EXPECT_EQ(keyed.DoModal(), IDOK) << "Return in a field is the dialog's OK";
    EXPECT_EQ(keyed.m_strName, CString(u"keys"));
}

TEST_F(Dialogs, APageMadeWhileItsSheetRunsShowsItsControls) {
    CPropertyPage first(kTemplate), second(kTemplate);
    CPropertySheet sheet(u"Tovalo Setting");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    m_script.Then([&](DialogDriver& d) {
        for (int page = 0; page < 2; ++page) {
            DialogDriver shown = d.Page(page);
            EXPECT_TRUE(shown.Shown(kName)) << page;
            EXPECT_TRUE(shown.Shown(kFiles)) << page;
            EXPECT_FALSE(shown.Shown(kHidden)) << page;
        }
        return IDCANCEL;
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
}

TEST_F(Dialogs, ListRowsFollowTheDevicesRules) {
    m_script.Then([&](DialogDriver& d) {
        CListBox& list = m_dialog.m_List;
        EXPECT_EQ(list.InsertString(4, u"beyond"), LB_ERR);
        EXPECT_EQ(list.GetCount(), 3);
        d.Select(kList, 2);
        list.DeleteString(0);
        EXPECT_EQ(list.GetCurSel(), 1) << "the selection stays on its row";
        list.InsertString(0, u"first");
        EXPECT_EQ(list.GetCurSel(), 2);
        list.DeleteString(2);
        EXPECT_EQ(list.GetCurSel(), LB_ERR) << "a deleted selection leaves none";
        EXPECT_EQ(list.FindStringExact(-1, u"OFFICE"), 1);
        EXPECT_EQ(list.FindStringExact(-1, u"Off"), LB_ERR) << "whole texts only";
        EXPECT_EQ(m_dialog.m_Combo.FindStringExact(0, u"etc."), 0) << "the search wraps";
        m_dialog.m_Combo.SetCurSel(1);
        m_dialog.m_Combo.DeleteString(1);
        EXPECT_EQ(m_dialog.m_Combo.GetCurSel(), CB_ERR);
        CString text;
        list.GetText(1, text);
        EXPECT_EQ(text, CString(u"Office"));
        return IDCANCEL;
    });
    m_dialog.DoModal();
    EXPECT_EQ(g_log, (Records{Command(kName, EN_SETFOCUS), Command(kName, EN_KILLFOCUS),
                              Command(kList, LBN_SELCHANGE)}))
        << "only the tap and its focus";
}

} // namespace
