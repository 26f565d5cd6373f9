#pragma once

#include "CTovaloApp.h"
#include "Resources.h"

#include <platform/Gdi.h>
#include <platform/MessageBox.h>
#include <platform/ShellExecute.h>
#include <testsupport/DeviceFolder.h>
#include <testsupport/DialogDriver.h>
#include <testsupport/Pixels.h>
#include <testsupport/StartMenu.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tovalo::test {

using Texts = std::vector<std::u16string>;

// A launcher started on a fresh device folder, with message boxes, starts and modal runs
// recorded instead of shown.
class LauncherTest : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        testsupport::MakeStartMenu(Device());
        platform::SetFramePacing(false);
        platform::SetMessageBoxHook([this](const std::u16string& text) {
            m_messages.push_back(text);
            return IDOK;
        });
        platform::SetShellExecuteHook([this](const SHELLEXECUTEINFO& request) {
            m_started.emplace_back(request.lpFile);
            return TRUE;
        });
    }
    void TearDown() override {
        if (m_app)
            Exit();
        platform::SetShellExecuteHook(nullptr);
        platform::SetMessageBoxHook(nullptr);
        DeviceFolderTest::TearDown();
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
    // A file of the device's Windows folder, by its device path.
    std::u16string Put(const std::string& name, const std::string& content) {
        testsupport::WriteFile(Device() / "Windows" / name, content);
        return u"\\Windows\\" + std::u16string(name.begin(), name.end());
    }
    Texts ProgramNames() {
        Texts names;
        for (int i = 0; i < View().m_ExeList.m_List.GetCount(); ++i)
            names.emplace_back(View().m_ExeList.GetIcon(i).IconName);
        return names;
    }

    CTovaloView& View() { return *m_app->GetView(); }
    CMainFrame& Frame() { return *m_app->GetFrame(); }

    std::unique_ptr<CTovaloApp> m_app;
    Texts m_messages;
    Texts m_started;
    // Modal runs take the steps given them in line; without one left, they are cancelled.
    testsupport::ModalScript m_modals;
};

} // namespace tovalo::test
