#include "platform/InputPanel.h"

namespace platform {

BOOL SHSipPreference(HWND, int) {
    return TRUE;
}

} // namespace platform
