// Figures for the contact search service and the speed-dial model: building the index, typing keypad
// queries of 1 to 7 digits, fetching records through the service, and loading 100 buttons.
// Usage: search_bench <10k.vcf> <100k.vcf>   (tools/bench.sh prepares and runs it)
#include "bench/BenchTiming.h"
#include "contacts/ContactStore.h"
#include "contacts/SearchService.h"
#include "model/SpeedDialModel.h"
#include "companions/pimservice/ContactSearchIndex.h"
#include "companions/contactstore/SnapshotList.h"
#include "companions/contactstore/VcardContactStore.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// Typing each query key by key: the median time of one keystroke.
template <class Search> double TypingMedian(Search search) {
    const wchar_t* queries[] = {L"2876543", L"5432198", L"7266923", L"9000111", L"3355778", L"6464646"};
    std::vector<double> times;
    for (int round = 0; round < 5; ++round) {
        for (const wchar_t* query : queries) {
            for (size_t length = 1; length <= 7; ++length) {
                const double start = Now();
                search(std::wstring(query, length));
                times.push_back(Now() - start);
            }
        }
    }
    return Median(times);
}

void IndexFigures(const wchar_t* path, const char* label) {
    auto store = std::make_shared<contactstore::VcardContactStore>(
        contactstore::VcardContactStore::Options{path, L"", false, L""});
    platform::ContactSearchIndex index;
    contactstore::SnapshotList contacts(store->Snapshot());
    const double start = Now();
    index.Build(contacts);
    const double build = Now() - start;
    KeypadLayout layout;
    BuildKeypadLayout(3, layout);
    index.SetKeys(layout);
    std::vector<DWORD> ids;
    std::vector<std::wstring> patterns;
    const double typing =
        TypingMedian([&](const std::wstring& digits) { index.Search(digits, ids, patterns); });
    std::printf("%-8s index build %8.2f ms   keystroke median %7.3f ms   (%zu contacts)\n", label,
                build * 1e3, typing * 1e3, index.Size());
}

void ServiceFigures(const wchar_t* path) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Settings", L"ContactsPath", REG_SZ, path,
                    static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t)));
    SearchResult result;
    const double start = Now();
    SearchContacts(SearchOperation(), L"", 0, result);
    const double first = Now() - start;
    const double typing = TypingMedian([&](const std::wstring& digits) {
        SearchContacts(SearchOperation(), digits.c_str(), static_cast<int>(digits.size()), result);
    });

    SearchContacts(SearchOperation(), L"", 0, result);
    std::vector<double> records;
    ServiceRecord record;
    for (int i = 0; i < 2000 && result.ids.GetSize(); ++i) {
        const DWORD oid = static_cast<DWORD>(result.ids.GetAt((i * 37) % result.ids.GetSize()));
        const double begin = Now();
        GetContactRecord(RecordOperation(), oid, record);
        records.push_back(Now() - begin);
    }
    std::printf("service  start+index %8.2f ms   keystroke median %7.3f ms   code 2 median %6.2f us\n",
                first * 1e3, typing * 1e3, Median(records) * 1e6);

    // 100 buttons bound to contacts of the store, loaded as at start-up.
    RegDeleteTreeW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey);
    SpeedDialModel model;
    model.Store = ContactStore::Instance();
    model.Store->Logon();
    for (int cell = 0; cell < 100 && cell < result.ids.GetSize(); ++cell)
        model.AddFromContact(cell, static_cast<DWORD>(result.ids.GetAt(cell * 97 % result.ids.GetSize())),
                             {});
    std::vector<double> loads;
    for (int i = 0; i < 10; ++i) {
        const double begin = Now();
        model.Load(1);
        loads.push_back(Now() - begin);
    }
    std::printf("model    Load(1) of %d buttons median %6.2f ms\n", model.Buttons.GetSize(),
                Median(loads) * 1e3);
    RegDeleteTreeW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: search_bench <10k.vcf> <100k.vcf>\n");
        return 2;
    }
    IndexFigures(argv[1], "10k");
    IndexFigures(argv[2], "100k");
    ServiceFigures(argv[1]);
    return 0;
}
