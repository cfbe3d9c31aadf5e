#pragma once
// The process-wide session with the phone's contact store.
#include "platform/ContactStorePoom.h"

class ContactStore {
public:
    ContactStore() = default;
    ContactStore(const ContactStore&) = delete;
    ContactStore& operator=(const ContactStore&) = delete;
    // Logs off and releases the application object when there is one.
    virtual ~ContactStore();

    // The one session of the process, created (not yet logged on) on the first call and kept until the
    // process ends; null only when it cannot be allocated.
    static ContactStore* Instance();

    // Enters COM, creates the store's application object and logs on without a window; 1 on success.
    // On failure App stays null, and every contact read fails.
    int Logon();

    IPOutlookApp* App = nullptr;

private:
    bool comEntered_ = false;
};
