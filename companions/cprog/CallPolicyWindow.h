#pragma once
// The call-policy window (class "CallPol"): takes service codes as WM_COPYDATA blocks (id 1150) and
// shows them on the in-call screen. Never visible itself.
#include "ui/WindowBase.h"

#include <string>

class InCallWindow;

// The text of a service-code block: 1, the text offset, then UTF-16 text up to its terminator or the
// end of the block. False for a block that does not have that shape.
bool ReadServiceCodeBlock(const void* data, unsigned size, std::wstring& code);

class CallPolicyWindow : public WindowBase {
public:
    explicit CallPolicyWindow(InCallWindow& screen) : screen_(screen) {}
    bool Create();

protected:
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    InCallWindow& screen_;
};
