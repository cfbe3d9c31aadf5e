#pragma once
// Creating objects by class id, as the platform's COM does. On the phone the contact database is an
// in-process server of the system; on the desktop its stand-in is the library "DialvaneContacts.dll"
// beside the program, which serves CLSID_Application and CLSID_ContactCatalog. The library is loaded
// once and stays, so every part of the process (the program and the search service alike) reaches the
// same store. Every other class goes to COM.
#include <windows.h>
#include <unknwn.h>

namespace platform {

inline constexpr wchar_t ContactStoreLibrary[] = L"DialvaneContacts.dll";

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

} // namespace platform
