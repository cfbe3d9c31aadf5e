#pragma once
// What passes between the program, the phone library "phone.dll" and the dialer "cprog.exe".
#include <windows.h>

namespace platform {

// The call-information record of PhoneMakeCall: six fields, 24 bytes where pointers are 32-bit.
struct CallInfo {
    DWORD Size;  // sizeof(CallInfo)
    DWORD Flags; // 0: default behaviour
    const wchar_t* DestAddress;
    const wchar_t* AppName;
    const wchar_t* CalledParty; // null when no name is given
    const wchar_t* Comment;
};
static_assert(sizeof(void*) != 4 || sizeof(CallInfo) == 24);

using PhoneMakeCallFunction = LONG (*)(CallInfo* info);

// The phone keeps a call's number and called party in buffers of 80 and 40 characters, terminator
// included; a service code goes the same way as a number. Longer texts are never handed on: the phone
// library answers E_INVALIDARG for them, the dialer refuses them.
inline constexpr size_t MaxNumberLength = 79;
inline constexpr size_t MaxCalledPartyLength = 39;

inline constexpr wchar_t PhoneLibraryName[] = L"phone.dll";
inline constexpr char PhoneMakeCallName[] = "PhoneMakeCall";

inline constexpr wchar_t DialerProgram[] = L"cprog.exe";
inline constexpr wchar_t DialerClass[] = L"MSCprog";
inline constexpr wchar_t CallPolicyClass[] = L"CallPol";

// WM_COPYDATA identifier of a service-code block sent to the call-policy window.
inline constexpr ULONG_PTR ServiceCodeDataId = 1150;

// WM_COPYDATA identifier of a call handed from the phone library to the dialer window. The data is
// the number, a zero, the called party's name (empty when none) and a zero, all UTF-16. The dialer
// answers TRUE when it took the call.
inline constexpr ULONG_PTR DialerCallDataId = 0x43414C4C;

} // namespace platform
