#include "foundation/InternalFault.h"

#include <atomic>

namespace {
std::atomic<MessageBoxFunction> faultBox = ::MessageBoxW;
} // namespace

void ShowInternalFault(const wchar_t* text) {
    faultBox.load()(nullptr, text, L"Addrivo Tracer", MB_OK);
}

void SetInternalFaultBox(MessageBoxFunction show) {
    faultBox = show ? show : ::MessageBoxW;
}
