#include <platform/CPropertySheet.h>

#include "FrameworkTestSupport.h"

#include <testsupport/DialogDriver.h>

#include <QTabBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using frameworktest::g_log;
using frameworktest::Record;
using frameworktest::Records;
using frameworktest::WidgetOf;
using testsupport::DialogDriver;

constexpr UINT kInit = 1, kOk = 2, kCancel = 3;

Record Heard(const char* who, UINT what) {
    return {who, what, 0, 0};
}

class LoggingPage : public CPropertyPage {
public:
    LoggingPage(UINT id, LPCWSTR caption, std::string name)
        : CPropertyPage(id, caption), m_name(std::move(name)) {}
    BOOL OnInitDialog() override {
        Log(kInit);
        GetClientRect(&m_clientAtInit);
        return TRUE;
    }
    void OnOK() override { Log(kOk); }
    void OnCancel() override { Log(kCancel); }
    RECT m_clientAtInit{};

private:
    void Log(UINT what) { g_log.push_back({m_name, what, 0, 0}); }
    std::string m_name;
};

class Sheets : public frameworktest::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        m_sheet.AddPage(&m_first);
        m_sheet.AddPage(&m_second);
    }
    // Every run ends with the answer given.
    void Answer(int answer) {
        m_script.Then([answer](DialogDriver&) { return answer; });
    }
    static QTabBar* Tabs(CWnd* window) { return WidgetOf(*window)->findChild<QTabBar*>(); }

    LoggingPage m_first{130, u"Group,ExeIcon", "first"};
    LoggingPage m_second{131, u"Skin, QuickStartUp, HotKey", "second"};
    CPropertySheet m_sheet{u"Tovalo Setting"};
    testsupport::ModalScript m_script;
};

TEST_F(Sheets, WhileRunningTheSheetIsATopLevelWindowFoundByItsCaption) {
    HWND during = nullptr;
    std::vector<std::u16string> tabs;
    m_script.Then([&](DialogDriver& d) {
        CWnd* window = d.Window();
        during = window->GetSafeHwnd();
        EXPECT_EQ(FindWindowW(nullptr, u"Tovalo Setting"), during);
        EXPECT_TRUE(window->IsWindowVisible());
        EXPECT_EQ(window->GetParent(), nullptr);
        EXPECT_TRUE(window->SetForegroundWindow());
        for (int i = 0; i < Tabs(window)->count(); ++i)
            tabs.push_back(Tabs(window)->tabText(i).toStdU16String());
        return IDOK;
    });
    EXPECT_EQ(m_sheet.DoModal(), IDOK);
    ASSERT_NE(during, nullptr);
    EXPECT_EQ(tabs, (std::vector<std::u16string>{u"Group,ExeIcon", u"Skin, QuickStartUp, HotKey"}));
    EXPECT_FALSE(IsWindow(during)) << "the window goes when the run ends";
    EXPECT_EQ(m_sheet.GetSafeHwnd(), nullptr);
    EXPECT_EQ(m_first.GetSafeHwnd(), nullptr);
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo Setting"), nullptr);
}

TEST_F(Sheets, OnlyShownPagesAreMadeAndTheyHearTheOutcome) {
    Answer(IDOK);
    EXPECT_EQ(m_sheet.DoModal(), IDOK);
    EXPECT_EQ(g_log, (Records{Heard("first", kInit), Heard("first", kOk)}));

    g_log.clear();
    m_script.Then([&](DialogDriver& d) {
        Tabs(d.Window())->setCurrentIndex(1);
        EXPECT_NE(m_second.GetSafeHwnd(), nullptr);
        EXPECT_EQ(m_second.GetParent(), d.Window());
        return IDCANCEL;
    });
    EXPECT_EQ(m_sheet.DoModal(), IDCANCEL) << "a second run after the first";
    EXPECT_EQ(g_log, (Records{Heard("first", kInit), Heard("second", kInit),
                              Heard("first", kCancel), Heard("second", kCancel)}));
}

// Like the launcher's sheet: it moves itself once its window is made.
class MovingSheet : public CPropertySheet {
public:
    using CPropertySheet::CPropertySheet;
    BOOL OnInitDialog() override {
        g_log.push_back(Heard("sheet", kInit));
        RECT r;
        GetWindowRect(&r);
        MoveWindow(r.left, r.top + 27, r.right - r.left, r.bottom - r.top);
        return TRUE;
    }
};

TEST_F(Sheets, SheetInitialisesAfterItsFirstPageAndBeforeItRuns) {
    std::vector<RECT> placed;
    m_script.Otherwise([&](DialogDriver& d) {
        d.Window()->GetWindowRect(&placed.emplace_back());
        return IDCANCEL;
    });
    CPropertySheet plain(u"Tovalo Setting");
    plain.AddPage(&m_second);
    plain.DoModal();

    g_log.clear();
    MovingSheet sheet(u"Tovalo Setting");
    sheet.AddPage(&m_first);
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(g_log,
              (Records{Heard("first", kInit), Heard("sheet", kInit), Heard("first", kCancel)}));
    const RECT plainRect = placed[0], movedRect = placed[1];
    EXPECT_EQ(movedRect,
              (RECT{plainRect.left, plainRect.top + 27, plainRect.right, plainRect.bottom + 27}))
        << "moved before it was shown, kept while it runs";
    EXPECT_EQ(movedRect.right - movedRect.left, 240);
    EXPECT_EQ(movedRect.bottom - movedRect.top, 294);
    EXPECT_GT(m_first.m_clientAtInit.right, 100) << "the page is laid out in its tab";
    EXPECT_GT(m_first.m_clientAtInit.bottom, 100);
    EXPECT_LT(m_first.m_clientAtInit.bottom, 294);
}

// Past the last page the sheet starts at the last.
TEST_F(Sheets, StartPageIsTheOneAskedForWithinRange) {
    for (auto [start, page] : {std::pair{0, "first"}, {1, "second"}, {9, "second"}}) {
        g_log.clear();
        Answer(IDCANCEL);
        CPropertySheet sheet(u"Tovalo Setting", nullptr, start);
        sheet.AddPage(&m_first);
        sheet.AddPage(&m_second);
        EXPECT_EQ(sheet.DoModal(), IDCANCEL);
        EXPECT_EQ(g_log, (Records{Heard(page, kInit), Heard(page, kCancel)}));
    }
}

TEST_F(Sheets, ASheetDestroyedDuringItsRunOrWithNobodyToAnswerEnds) {
    m_script.Then([](DialogDriver& d) {
        d.Window()->DestroyWindow();
        return IDOK;
    });
    EXPECT_EQ(m_sheet.DoModal(), IDOK);
    EXPECT_EQ(g_log, (Records{Heard("first", kInit)})) << "pages already gone hear nothing";
    EXPECT_EQ(m_sheet.GetSafeHwnd(), nullptr);
    platform::SetModalHook({});
    EXPECT_EQ(m_sheet.DoModal(), IDCANCEL) << "without a display or a hook nobody can answer";
}

} // namespace
