#pragma once
// What passes between a program and the SMS library "sms.dll": the records and entry points of its
// text protocol, as the phone's library publishes them. On the desktop the library is ours
// (companions/sms), sending through the transport's gateway command (SmsGateway.h).
#include <windows.h>

namespace platform {

inline constexpr wchar_t SmsLibraryName[] = L"sms.dll";
inline constexpr wchar_t SMS_MSGTYPE_TEXT[] = L"Microsoft Text SMS Protocol";

using SMS_HANDLE = DWORD;
using SMS_MESSAGE_ID = DWORD;

constexpr DWORD SMS_MODE_SEND = 2;
constexpr DWORD SMSAT_INTERNATIONAL = 1;
constexpr DWORD SMSDE_OPTIMAL = 0;
constexpr DWORD SMS_OPTION_DELIVERY_NONE = 0;
constexpr DWORD PS_MESSAGE_OPTION_NONE = 0;
constexpr DWORD PS_MESSAGE_CLASS1 = 1;
constexpr DWORD PSRO_NONE = 0;

constexpr int SMS_MAX_ADDRESS_LENGTH = 256;
constexpr int SMS_DATAGRAM_SIZE = 140;

struct SMS_ADDRESS {
    DWORD smsatAddressType;
    wchar_t ptsAddress[SMS_MAX_ADDRESS_LENGTH];
};

// The provider-specific data of the text protocol: 688 bytes, the fields the desktop looks at first.
struct TEXT_PROVIDER_SPECIFIC_DATA {
    DWORD dwMessageOptions;
    DWORD psMessageClass;
    DWORD psReplaceOption;
    DWORD dwHeaderDataSize;
    BYTE pbHeaderData[SMS_DATAGRAM_SIZE];
    BOOL fMessageContainsEMSHeaders;
    DWORD dwProtocolID;
    BYTE reserved[524];
};
static_assert(sizeof(TEXT_PROVIDER_SPECIFIC_DATA) == 688);

// Results besides S_OK.
constexpr HRESULT SMS_E_INVALIDPROTOCOL = static_cast<HRESULT>(0x82000101);
constexpr HRESULT SMS_E_INVALIDHANDLE = static_cast<HRESULT>(0x82000102);
constexpr HRESULT SMS_E_INVALIDDATA = static_cast<HRESULT>(0x82000103);
constexpr HRESULT SMS_E_SENDFAILED = static_cast<HRESULT>(0x82000104);

using SmsOpenFunction = HRESULT (*)(const wchar_t* protocol, DWORD modes, SMS_HANDLE* handle, HANDLE* event);
using SmsSendMessageFunction = HRESULT (*)(SMS_HANDLE handle, const SMS_ADDRESS* serviceCentre,
                                           const SMS_ADDRESS* destination, const SYSTEMTIME* validity,
                                           const BYTE* data, DWORD dataSize, const BYTE* providerData,
                                           DWORD providerDataSize, DWORD encoding, DWORD options,
                                           SMS_MESSAGE_ID* messageId);
using SmsCloseFunction = HRESULT (*)(SMS_HANDLE handle);

inline constexpr char SmsOpenName[] = "SmsOpen";
inline constexpr char SmsSendMessageName[] = "SmsSendMessage";
inline constexpr char SmsCloseName[] = "SmsClose";

} // namespace platform
