#include "Resources.h"

#include "EmbeddedFiles.h"

#include <platform/CFrameWnd.h>
#include <platform/CMenu.h>
#include <platform/Gdi.h>
#include <platform/Tray.h>

void RegisterResources() {
    platform::AddBitmapResource(IDB_DEFAULTSKIN, tovalo::res::DefaultSkin,
                                tovalo::res::DefaultSkinSize);
    platform::AddIconResource(IDR_MAINFRAME, tovalo::res::TrayIcon, tovalo::res::TrayIconSize);
    platform::AddIconResource(IDR_MAINFRAME, tovalo::res::WindowIcon, tovalo::res::WindowIconSize);
    platform::AddMenuResource(
        IDR_MAINFRAME,
        {MenuItem{0,
                  u"&File",
                  {MenuItem{ID_SETTING, u"Setting", {}}, MenuItem{}, MenuItem{ID_VIEW, u"View", {}},
                   MenuItem{}, MenuItem{ID_APP_EXIT, u"Exit", {}}}}});
}
