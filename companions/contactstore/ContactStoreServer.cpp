// "DialvaneContacts.dll", the desktop's contact database: the in-process server of the contact object
// model's application object and of the contact catalog, both on the one store of the process
// (VcardContactStore::Shared). The platform's CoCreateInstance (platform/ComActivation.h) loads it and
// asks it for its class objects, as COM asks any in-process server.
#include "companions/contactstore/VcardApp.h"
#include "companions/contactstore/VcardCatalog.h"
#include "platform/ComObject.h"
#include "platform/ContactCatalog.h"

#include <new>

namespace {

class ClassFactory final : public platform::ComObject<IClassFactory> {
public:
    explicit ClassFactory(const CLSID& clsid) : clsid_(clsid) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IUnknown* created = nullptr;
        if (clsid_ == CLSID_Application) {
            created = new (std::nothrow) contactstore::VcardApp(nullptr);
        } else {
            auto store = contactstore::VcardContactStore::Shared();
            if (!store) return E_FAIL;
            created = new (std::nothrow) contactstore::VcardCatalog(std::move(store));
        }
        if (!created) return E_OUTOFMEMORY;
        const HRESULT result = created->QueryInterface(iid, object);
        created->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    const IID& Identity() const override { return IID_IClassFactory; }

    CLSID clsid_;
};

} // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_Application && clsid != CLSID_ContactCatalog) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) ClassFactory(clsid);
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(iid, object);
    factory->Release();
    return result;
}
