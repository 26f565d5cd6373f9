#pragma once

#include <platform/CFrameWnd.h>

// The launcher's document holds nothing: the view owns the launcher's data.
class CTovaloDoc : public CDocument {};
