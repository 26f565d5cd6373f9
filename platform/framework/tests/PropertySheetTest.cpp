#include <platform/CPropertySheet.h>

#include "FrameworkTestSupport.h"
#include "windows/WindowState.h"

#include <QTabBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using frameworktest::g_log;
using frameworktest::Record;
using platform::detail::WindowState;

constexpr UINT kInit = 1, kOk = 2, kCancel = 3;

class LoggingPage : public CPropertyPage {
public:
    LoggingPage(UINT id, LPCWSTR caption, std::string name)
        : CPropertyPage(id, caption), m_name(std::move(name)) {}
    BOOL OnInitDialog() override {
        Log(kInit);
        GetClientRect(&m_clientAtInit);
        return TRUE;
    }
    RECT m_clientAtInit{};
    void OnOK() override { Log(kOk); }
    void OnCancel() override { Log(kCancel); }

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
    void TearDown() override {
        platform::SetModalHook({});
        FrameworkTest::TearDown();
    }
    QTabBar* Tabs(CWnd* window) {
        return WindowState::Of(window->GetSafeHwnd())->widget->findChild<QTabBar*>();
    }

    LoggingPage m_first{130, u"Group,ExeIcon", "first"};
    LoggingPage m_second{131, u"Skin, QuickStartUp, HotKey", "second"};
    CPropertySheet m_sheet{u"Tovalo Setting"};
};

TEST_F(Sheets, WhileRunningTheSheetIsATopLevelWindowFoundByItsCaption) {
    HWND during = nullptr;
    bool found = false;
    std::vector<std::u16string> tabs;
    platform::SetModalHook([&](CWnd* window) {
        during = window->GetSafeHwnd();
        found = FindWindowW(nullptr, u"Tovalo Setting") == during;
        EXPECT_TRUE(window->IsWindowVisible());
        EXPECT_EQ(window->GetParent(), nullptr);
        EXPECT_TRUE(window->SetForegroundWindow());
        if (QTabBar* widget = Tabs(window))
            for (int i = 0; i < widget->count(); ++i)
                tabs.push_back(widget->tabText(i).toStdU16String());
        return IDOK;
    });
    EXPECT_EQ(m_sheet.GetPageCount(), 2);
    EXPECT_EQ(m_sheet.DoModal(), IDOK);
    ASSERT_NE(during, nullptr);
    EXPECT_TRUE(found);
    EXPECT_EQ(tabs, (std::vector<std::u16string>{u"Group,ExeIcon", u"Skin, QuickStartUp, HotKey"}));
    EXPECT_FALSE(IsWindow(during)) << "the window goes when the run ends";
    EXPECT_EQ(m_sheet.GetSafeHwnd(), nullptr);
    EXPECT_EQ(m_first.GetSafeHwnd(), nullptr);
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo Setting"), nullptr);
}

TEST_F(Sheets, OnlyShownPagesAreMadeAndTheyHearTheOutcome) {
    platform::SetModalHook([](CWnd*) { return IDOK; });
    EXPECT_EQ(m_sheet.DoModal(), IDOK);
    EXPECT_EQ(g_log, (std::vector<Record>{{"first", kInit, 0, 0}, {"first", kOk, 0, 0}}));

    g_log.clear();
    platform::SetModalHook([&](CWnd* window) {
        Tabs(window)->setCurrentIndex(1);
        EXPECT_NE(m_second.GetSafeHwnd(), nullptr);
        EXPECT_EQ(m_second.GetParent(), window);
        return IDCANCEL;
    });
    EXPECT_EQ(m_sheet.DoModal(), IDCANCEL) << "a second run after the first";
    EXPECT_EQ(g_log, (std::vector<Record>{{"first", kInit, 0, 0},
                                          {"second", kInit, 0, 0},
                                          {"first", kCancel, 0, 0},
                                          {"second", kCancel, 0, 0}}));
}

// Like the launcher's sheet: it moves itself once its window is made.
class MovingSheet : public CPropertySheet {
public:
    using CPropertySheet::CPropertySheet;
    BOOL OnInitDialog() override {
        g_log.push_back({"sheet", kInit, 0, 0});
        RECT r;
        GetWindowRect(&r);
        MoveWindow(r.left, r.top + 27, r.right - r.left, r.bottom - r.top);
        return TRUE;
    }
};

TEST_F(Sheets, SheetInitialisesAfterItsFirstPageAndBeforeItRuns) {
    std::vector<RECT> placed;
    platform::SetModalHook([&](CWnd* window) {
        window->GetWindowRect(&placed.emplace_back());
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
    const RECT plainRect = placed[0], movedRect = placed[1];
    EXPECT_EQ(g_log,
              (std::vector<Record>{
                  {"first", kInit, 0, 0}, {"sheet", kInit, 0, 0}, {"first", kCancel, 0, 0}}));
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
    platform::SetModalHook([](CWnd*) { return IDCANCEL; });
    for (auto [start, page] : {std::pair{0, "first"}, {1, "second"}, {9, "second"}}) {
        g_log.clear();
        CPropertySheet sheet(u"Tovalo Setting", nullptr, start);
        sheet.AddPage(&m_first);
        sheet.AddPage(&m_second);
        EXPECT_EQ(sheet.DoModal(), IDCANCEL);
        EXPECT_EQ(g_log, (std::vector<Record>{{page, kInit, 0, 0}, {page, kCancel, 0, 0}}));
    }
}

TEST_F(Sheets, ASheetDestroyedDuringItsRunOrWithNobodyToAnswerEnds) {
    platform::SetModalHook([](CWnd* window) {
        window->DestroyWindow();
        return IDOK;
    });
    EXPECT_EQ(m_sheet.DoModal(), IDOK);
    EXPECT_EQ(g_log, (std::vector<Record>{{"first", kInit, 0, 0}}))
        << "pages already gone hear nothing";
    EXPECT_EQ(m_sheet.GetSafeHwnd(), nullptr);
    platform::SetModalHook({});
    EXPECT_EQ(m_sheet.DoModal(), IDCANCEL) << "without a display or a hook nobody can answer";
}

} // namespace
