#pragma once
// Reference counting and interface look-up shared by the COM objects of our platform stand-ins.
#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace platform {

// An object offering IUnknown and one interface, identified by Identity(); it deletes itself when
// the last reference goes.
template <class Interface> class ComObject : public Interface {
public:
    virtual ~ComObject() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == Identity()) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (!left) delete this;
        return left;
    }

protected:
    virtual const IID& Identity() const = 0;

private:
    std::atomic<ULONG> references_ = 1;
};

} // namespace platform
