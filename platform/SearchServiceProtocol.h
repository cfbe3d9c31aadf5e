#pragma once
// What passes between the program and the contact search service, a library of the same maker run as
// a platform service: its library and device prefix, and its control codes.
#include <windows.h>

namespace search_service {

inline constexpr wchar_t LibraryName[] = L"OrvanixPimServ.dll";
inline constexpr wchar_t Prefix[] = L"IPM"; // the running service is the device "IPM0:"

// Keypad search: the typed digits in, the matching contacts' ids and the highlight patterns out.
inline constexpr DWORD KeypadSearchCode = 1;
// A contact's record: its object id in, its name, numbers, kinds, company and sort name out.
inline constexpr DWORD ContactRecordCode = 2;
// The contacts having a number: the number in, their ids out.
inline constexpr DWORD NumberLookupCode = 5;

} // namespace search_service
