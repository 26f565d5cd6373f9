#include "WindowTestSupport.h"

namespace mirvanetest {

BEGIN_MESSAGE_MAP(ParentWnd, CWnd)
ON_MESSAGE(0x1105, OnNextGroup)
ON_MESSAGE(0x1106, OnPrevGroup)
ON_MESSAGE(0x19B3, OnIconGroupChanged)
END_MESSAGE_MAP()

} // namespace mirvanetest
