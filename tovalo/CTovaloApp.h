#pragma once

#include "CMainFrame.h"
#include "CTovaloDoc.h"
#include "CTovaloView.h"

#include <platform/CWinApp.h>

#include <memory>

// The launcher program: one instance per device, one frame with its view.
class CTovaloApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

    CMainFrame* GetFrame() const { return m_pFrame.get(); }
    CTovaloView* GetView() const { return m_pView.get(); }

private:
    std::unique_ptr<CTovaloDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
    std::unique_ptr<CTovaloView> m_pView;
    // Non-zero when the start failed for a reason the user must hear of.
    int m_nExitCode = 0;
};
