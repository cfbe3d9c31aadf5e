#include "contacts/ContactStore.h"

#include "platform/ComActivation.h"

#include <memory>
#include <new>

ContactStore::~ContactStore() {
    if (App) {
        App->Logoff();
        App->Release();
        App = nullptr;
    }
    if (comEntered_) CoUninitialize();
}

ContactStore* ContactStore::Instance() {
    // Destroyed at process end, which logs the session off.
    static std::unique_ptr<ContactStore> instance(new (std::nothrow) ContactStore());
    return instance.get();
}

int ContactStore::Logon() {
    if (App) return 1;
    HRESULT entered = CoInitializeEx(nullptr, 0);
    if (SUCCEEDED(entered) && !comEntered_) {
        comEntered_ = true;
    } else if (SUCCEEDED(entered)) {
        CoUninitialize(); // already entered by an earlier logon: keep a single reference
    }
    void* app = nullptr;
    if (FAILED(platform::CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp,
                                          &app)) ||
        !app)
        return 0;
    App = static_cast<IPOutlookApp*>(app);
    if (FAILED(App->Logon(nullptr))) {
        App->Release();
        App = nullptr;
        return 0;
    }
    return 1;
}
