#include "platform/ComActivation.h"

#include "foundation/ScopedHandles.h"
#include "platform/ContactCatalog.h"

namespace platform {

namespace {

using GetClassObjectEntry = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

// The library serving the class in-process, or null for classes COM itself creates.
const wchar_t* InProcessServerOf(REFCLSID clsid) {
    if (clsid == CLSID_Application || clsid == CLSID_ContactCatalog) return ContactStoreLibrary;
    return nullptr;
}

} // namespace

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object) {
    const wchar_t* server = InProcessServerOf(clsid);
    if (!server) return ::CoCreateInstance(clsid, outer, context, iid, object);
    if (!object) return E_POINTER;
    *object = nullptr;
    // Never unloaded: its objects, and the store's watcher thread, live until the process ends.
    HMODULE library = GetModuleHandleW(server);
    if (!library) library = LoadLibraryW(server);
    if (!library) return REGDB_E_CLASSNOTREG;
    const auto getClassObject = reinterpret_cast<GetClassObjectEntry>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    if (!getClassObject) return CO_E_ERRORINDLL;
    ComPtr<IClassFactory> factory;
    const HRESULT result = getClassObject(clsid, IID_IClassFactory, factory.ReceiveVoid());
    if (FAILED(result) || !factory) return FAILED(result) ? result : E_UNEXPECTED;
    return factory->CreateInstance(outer, iid, object);
}

} // namespace platform
