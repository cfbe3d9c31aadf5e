// The SMS library of a desktop: a text message goes out through the transport's gateway command.
// Without one it counts as sent (the caller files its copy); one that cannot be sent is kept in the
// Outbox of the message store, marked failed, so that it is not lost and can be sent again.
#include "platform/SmsGateway.h"
#include "platform/SmsLibrary.h"
#include "platform/SmsTransport.h"

#include <cwchar>
#include <mutex>
#include <set>
#include <string>

using namespace platform;

namespace {

std::mutex guard;
std::set<SMS_HANDLE> openHandles;
SMS_HANDLE lastHandle = 0;
SMS_MESSAGE_ID lastMessage = 0;

bool IsOpen(SMS_HANDLE handle) {
    std::lock_guard lock(guard);
    return openHandles.count(handle) != 0;
}

} // namespace

extern "C" __declspec(dllexport) HRESULT
    SmsOpen(const wchar_t* protocol, DWORD modes, SMS_HANDLE* handle, HANDLE* event) {
    if (event) *event = nullptr;
    if (!handle) return E_INVALIDARG;
    *handle = 0;
    if (!protocol || std::wcscmp(protocol, SMS_MSGTYPE_TEXT) != 0) return SMS_E_INVALIDPROTOCOL;
    if (!(modes & SMS_MODE_SEND)) return E_INVALIDARG;
    std::lock_guard lock(guard);
    *handle = ++lastHandle;
    openHandles.insert(*handle);
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT
    SmsSendMessage(SMS_HANDLE handle, const SMS_ADDRESS*, const SMS_ADDRESS* destination, const SYSTEMTIME*,
                   const BYTE* data, DWORD dataSize, const BYTE* providerData, DWORD providerDataSize, DWORD,
                   DWORD, SMS_MESSAGE_ID* messageId) {
    if (!IsOpen(handle)) return SMS_E_INVALIDHANDLE;
    if (!destination || (dataSize && !data) || dataSize % sizeof(wchar_t) || !providerData ||
        providerDataSize != sizeof(TEXT_PROVIDER_SPECIFIC_DATA))
        return E_INVALIDARG;
    const size_t length = wcsnlen(destination->ptsAddress, SMS_MAX_ADDRESS_LENGTH);
    if (length == 0 || length == SMS_MAX_ADDRESS_LENGTH) return SMS_E_INVALIDDATA;
    const std::wstring number(destination->ptsAddress, length);
    const std::wstring text(reinterpret_cast<const wchar_t*>(data), dataSize / sizeof(wchar_t));
    const GatewayOutcome outcome = RunSmsGateway(number, text);
    if (outcome.Configured && !outcome.Sent) {
        KeepFailedMessage(number, text, outcome.Note);
        return SMS_E_SENDFAILED;
    }
    if (messageId) {
        std::lock_guard lock(guard);
        *messageId = ++lastMessage;
    }
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT SmsClose(SMS_HANDLE handle) {
    std::lock_guard lock(guard);
    return openHandles.erase(handle) ? S_OK : SMS_E_INVALIDHANDLE;
}
