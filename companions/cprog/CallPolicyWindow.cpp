#include "companions/cprog/CallPolicyWindow.h"

#include "companions/cprog/InCallWindow.h"
#include "platform/PhoneCall.h"

#include <cstring>

bool ReadServiceCodeBlock(const void* data, unsigned size, std::wstring& code) {
    DWORD header[2];
    if (!data || size < sizeof header) return false;
    std::memcpy(header, data, sizeof header);
    if (header[0] != 1 || header[1] < sizeof header || header[1] >= size) return false;
    const auto* bytes = static_cast<const BYTE*>(data);
    code.clear();
    for (unsigned at = header[1]; at + 1 < size; at += 2) {
        wchar_t c;
        std::memcpy(&c, bytes + at, sizeof c);
        if (!c) break;
        code += c;
    }
    return true;
}

bool CallPolicyWindow::Create() {
    RegisterWindowClass(platform::CallPolicyClass, nullptr);
    return WindowBase::Create(L"", WS_POPUP, 0, 0, 0, nullptr) != nullptr;
}

bool CallPolicyWindow::OnOtherMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_COPYDATA) return false;
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    std::wstring code;
    result = copy && copy->dwData == platform::ServiceCodeDataId &&
             ReadServiceCodeBlock(copy->lpData, copy->cbData, code);
    if (result) screen_.ShowServiceRequest(code);
    return true;
}
