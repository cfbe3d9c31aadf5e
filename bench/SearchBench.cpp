// Figures for the contact search service and the speed-dial model: building the index, ranking it by a
// call log, typing keypad queries of 1 to 7 digits (the first key, which scans every contact, and the
// later ones, which narrow the result before them), fetching records through the service, and
// loading 100 buttons.
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

// Median times of a keystroke when each query is typed key by key after the empty query a picker
// opens with.
struct Typing {
    double first = 0, later = 0;
};

template <class Search> Typing TypingMedians(Search search) {
    const wchar_t* queries[] = {L"2876543", L"5432198", L"7266923", L"9000111", L"3355778", L"6464646"};
    std::vector<double> first, later;
    for (int round = 0; round < 5; ++round) {
        for (const wchar_t* query : queries) {
            search(std::wstring());
            for (size_t length = 1; length <= 7; ++length) {
                const double start = Now();
                search(std::wstring(query, length));
                (length == 1 ? first : later).push_back(Now() - start);
            }
        }
    }
    return {Median(first), Median(later)};
}

// A call log's weights: 2,000 numbers of the contacts, every 7th of them, called lately or long ago.
std::vector<platform::CallHistory::NumberWeight> CalledNumbers(platform::ContactSearchIndex& index) {
    std::vector<DWORD> ids;
    std::vector<std::wstring> patterns;
    index.Search(L"", ids, patterns);
    std::vector<platform::CallHistory::NumberWeight> weights;
    for (size_t i = 0; i < ids.size() && weights.size() < 2000; i += 7) {
        const auto contact = index.Find(ids[i]);
        if (contact && !contact->Numbers.empty())
            weights.push_back({platform::DigitsOf(contact->Numbers[0].c_str()), 1.0 / (1 + i % 50)});
    }
    return weights;
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
    const auto weights = CalledNumbers(index);
    std::vector<double> ranks;
    for (int i = 0; i < 5; ++i) {
        const double begin = Now();
        index.Rank(weights);
        ranks.push_back(Now() - begin);
    }
    const Typing typing =
        TypingMedians([&](const std::wstring& digits) { index.Search(digits, ids, patterns); });
    std::printf("%-8s index build %8.2f ms   ranking by %zu called numbers %6.2f ms   (%zu contacts)\n",
                label, build * 1e3, weights.size(), Median(ranks) * 1e3, index.Size());
    std::printf("%-8s keystroke median: first key %7.3f ms, later keys %7.3f ms\n", label, typing.first * 1e3,
                typing.later * 1e3);
}

void ServiceFigures(const wchar_t* path) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Settings", L"ContactsPath", REG_SZ, path,
                    static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t)));
    SearchResult result;
    const double start = Now();
    SearchContacts(SearchOperation(), L"", 0, result);
    const double first = Now() - start;
    const Typing typing = TypingMedians([&](const std::wstring& digits) {
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
    std::printf("service  start+index %8.2f ms   keystroke median: first key %7.3f ms, later keys %7.3f ms   "
                "code 2 median %6.2f us\n",
                first * 1e3, typing.first * 1e3, typing.later * 1e3, Median(records) * 1e6);

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
