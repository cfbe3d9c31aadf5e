// Figures for loading 10,000 speed-dial buttons from the registry: bound to contacts that have not
// changed, and bound to none (a layout brought from another phone), whose numbers no contact has.
// Usage: model_bench <10k.vcf>   (tools/bench.sh runs it)
#include "bench/BenchTiming.h"
#include "contacts/ContactDetails.h"
#include "contacts/ContactStore.h"
#include "model/SpeedDialModel.h"
#include "contacts/SearchService.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr int ButtonCount = 10000;

// Writes count buttons; bound ones take the store's contacts in turn, unbound ones numbers of nobody.
void StoreButtons(SpeedDialModel& model, bool bound) {
    model.Clear();
    SearchResult everyone;
    SearchContacts(SearchOperation(), L"", 0, everyone);
    for (int n = 0; n < ButtonCount; ++n) {
        SpeedDialButton button;
        button.Index = n;
        if (bound) {
            ContactDetails contact;
            button.Oid = static_cast<DWORD>(everyone.ids.GetAt(n % everyone.ids.GetSize()));
            ReadContact(model.Store, button.Oid, contact, ReadNames | ReadPhones, 0, 0, 0);
            const PhoneEntry entry = contact.Phones.GetAt(0);
            button.Phone = entry.Number;
            button.Type = entry.Label;
            button.Link = static_cast<DWORD>(entry.Kind);
            button.First = contact.First;
            button.Last = contact.Last;
            button.Middle = contact.Middle;
            button.Company = contact.Company;
        } else {
            button.Phone.Format(L"+1 555 %07d", n);
            button.Last.Format(L"Nobody %d", n);
        }
        model.Buttons.Add(button);
    }
    model.Save(-1);
}

// The fastest of three loads, in milliseconds: other work on the machine only ever adds time.
double LoadMs(SpeedDialModel& model, int force) {
    double best = 1e300;
    for (int run = 0; run < 3; ++run) {
        const double start = Now();
        model.Load(force);
        best = std::min(best, (Now() - start) * 1000);
    }
    return best;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: model_bench <10k.vcf>\n");
        return 2;
    }
    const std::wstring cards = argv[1];
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Settings", L"ContactsPath", REG_SZ,
                    cards.c_str(), static_cast<DWORD>((cards.size() + 1) * sizeof(wchar_t)));
    ContactStore* store = ContactStore::Instance();
    store->Logon();
    SpeedDialModel model;
    model.Store = store;
    for (const bool bound : {true, false}) {
        StoreButtons(model, bound);
        const double startUp = LoadMs(model, 1);
        const double changed = LoadMs(model, 0);
        std::printf("load %d %s buttons (best of 3): start-up %.0f ms, contacts changed %.0f ms\n",
                    ButtonCount, bound ? "bound" : "unbound", startUp, changed);
    }
    model.Clear();
    model.Save(-1);
    return 0;
}
