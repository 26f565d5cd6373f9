#pragma once

#include "CTovaloApp.h"
#include "Resources.h"

#include <testsupport/DialogDriver.h>
#include <testsupport/Pixels.h>
#include <testsupport/RecordedShell.h>
#include <testsupport/StartMenu.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tovalo::test {

using Texts = std::vector<std::u16string>;

// A launcher started on a fresh device folder, with message boxes, starts and modal runs
// recorded instead of shown.
class LauncherTest : public testsupport::RecordedShellTest {
protected:
    void SetUp() override {
        RecordedShellTest::SetUp();
        testsupport::MakeStartMenu(Device());
    }
    void TearDown() override {
        if (m_app)
            Exit();
        RecordedShellTest::TearDown();
    }

    // Groups after "etc.", programs in "etc." unless given a group's slot, and quick-launch
    // entries, stored before the launcher starts.
    void Store(const Texts& groups, const std::vector<std::pair<std::u16string, int>>& programs,
               int quick = 0) {
        CGetExeIconInfo exes;
        exes.InitReg();
        CGetGroupIconInfo list;
        list.InitReg();
        for (const auto& group : groups)
            list.InsertGroups(group.c_str());
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const auto& [name, group] = programs[i];
            exes.InsertExe(CString(u"\\Windows\\") + name.c_str() + u".exe", name.c_str());
            if (group != 0)
                exes.ModifyExe(name.c_str(), static_cast<int>(i), group);
        }
        CGetQLIconInfo ql;
        ql.InitReg();
        for (int i = 0; i < quick; ++i)
            ql.InsertQL(FormatString(u"\\Windows\\q%d.exe", i).c_str());
    }
    void Start() {
        m_app = std::make_unique<CTovaloApp>();
        ASSERT_TRUE(m_app->InitInstance());
        platform::PumpMessages();
    }
    void Exit() {
        if (m_app->GetFrame() && m_app->GetFrame()->GetSafeHwnd())
            m_app->GetFrame()->SendMessage(WM_COMMAND, ID_APP_EXIT, 0);
        platform::PumpMessages();
        m_app->ExitInstance();
        m_app.reset();
    }
    // What a window (the view unless given) shows at a point, after a paint.
    COLORREF Shown(int x, int y, CWnd* wnd = nullptr) {
        wnd = wnd ? wnd : &View();
        wnd->Invalidate();
        wnd->UpdateWindow();
        return testsupport::At(*wnd, x, y);
    }
    // The names of a list's records, in their order.
    template <class List, class Name> static Texts Names(List& list, Name name) {
        Texts names;
        for (int i = 0; i < list.m_List.GetCount(); ++i)
            names.emplace_back(list.GetIcon(i).*name);
        return names;
    }
    Texts ProgramNames() { return Names(View().m_ExeList, &EXEICONDATA::IconName); }
    Texts GroupNames() { return Names(View().m_GroupList, &GROUPICONDATA::GroupName); }

    CTovaloView& View() { return *m_app->GetView(); }
    CMainFrame& Frame() { return *m_app->GetFrame(); }

    std::unique_ptr<CTovaloApp> m_app;
    // Modal runs take the steps given them in line; without one left, they are cancelled.
    testsupport::ModalScript m_modals;
};

} // namespace tovalo::test
