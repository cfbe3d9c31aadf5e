#include "platform/ModalHost.h"

#include <utility>

namespace platform {

namespace {
MessageBoxScript& Script() {
    static MessageBoxScript script;
    return script;
}
} // namespace

int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (Script()) return Script()({owner, text ? text : L"", caption ? caption : L"", type});
    return ::MessageBoxW(owner, text, caption, type);
}

void SetMessageBoxScript(MessageBoxScript script) {
    Script() = std::move(script);
}

} // namespace platform
