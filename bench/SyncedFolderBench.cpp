// Figures for a synced address book, a folder of one-card files: a start without the card cache (cold)
// and with it (warm), writing the cache, and a running store taking in one changed file and a hundred
// changed at once, from the write until the main window is told.
// Usage: synced_bench <folder of one-card files>   (tools/bench.sh gives it a scratch copy it may change)
#include "bench/BenchTiming.h"
#include "foundation/DataFiles.h"
#include "platform/MainWindowMessages.h"
#include "companions/contactstore/VcardContactStore.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using contactstore::VcardContactStore;

std::shared_ptr<VcardContactStore> Open(const std::wstring& folder, const std::wstring& state,
                                        const std::wstring& cache, bool watch) {
    return std::make_shared<VcardContactStore>(VcardContactStore::Options{folder, state, watch, cache});
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::vector<std::wstring> CardFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*.vcf").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(folder + L"\\" + data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

// Rewrites the file with its first number's last digit turned, so that its card changes.
void Touch(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char text[4096];
    DWORD read = 0;
    ReadFile(file, text, sizeof text, &read, nullptr);
    const std::string_view bytes(text, read);
    const size_t tel = bytes.find("TEL");
    const size_t end = tel == std::string_view::npos ? tel : bytes.find('\r', tel);
    if (end != std::string_view::npos && end > 0) {
        text[end - 1] = text[end - 1] == '9' ? '0' : static_cast<char>(text[end - 1] + 1);
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        DWORD written = 0;
        WriteFile(file, text, read, &written, nullptr);
    }
    CloseHandle(file);
}

// A window of the main window's class that counts the change notices it gets.
class NoticeCounter {
public:
    NoticeCounter() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message == ContactsChangedMessage && lParam == ContactsChanged) ++count;
            return DefWindowProcW(window, message, wParam, lParam);
        };
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = MainWindowClassName;
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, MainWindowClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    }
    ~NoticeCounter() { DestroyWindow(window_); }

    // Seconds until the next notice, pumping messages (a negative value after ten seconds without one).
    double WaitFrom(double start) {
        count = 0;
        while (Now() - start < 10) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            if (count) return Now() - start;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
        return -1;
    }
    // Notices that came in during the next milliseconds.
    int Quiet(DWORD milliseconds) {
        count = 0;
        const double start = Now();
        while ((Now() - start) * 1000 < milliseconds) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        return count;
    }

    static inline int count = 0;

private:
    HWND window_;
};

// One pass over the folder as the store lists it: what a warm start cannot do without.
double ListingTime(const std::wstring& folder) {
    const double start = Now();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find != INVALID_HANDLE_VALUE) {
        while (FindNextFileW(find, &data)) {
        }
        FindClose(find);
    }
    return Now() - start;
}

void BenchStarts(const std::wstring& folder, const std::wstring& state, const std::wstring& cache) {
    std::vector<double> cold, warm, saving, listing;
    size_t cards = 0;
    for (int run = 0; run < 5; ++run) {
        DeleteFileW(cache.c_str());
        DeleteFileW(state.c_str());
        double start = Now();
        auto store = Open(folder, state, cache, false);
        cold.push_back(Now() - start);
        cards = store->Snapshot()->CardCount();
        start = Now();
        store.reset(); // writes the cache
        saving.push_back(Now() - start);
    }
    for (int run = 0; run < 15; ++run) {
        const double start = Now();
        auto store = Open(folder, state, cache, false);
        warm.push_back(Now() - start);
        if (store->Snapshot()->CardCount() != cards) std::printf("synced   warm start lost cards!\n");
        listing.push_back(ListingTime(folder));
    }
    std::printf("synced   %zu one-card files: cold start %7.1f ms, warm start %6.1f ms (of which listing the "
                "folder alone %.1f ms); cache %.1f MB, written in %.1f ms\n",
                cards, Median(cold) * 1000, Median(warm) * 1000, Median(listing) * 1000,
                FileSize(cache) / 1048576.0, Median(saving) * 1000);
}

void BenchChanges(const std::wstring& folder, const std::wstring& state, const std::wstring& cache) {
    const std::vector<std::wstring> files = CardFiles(folder);
    if (files.size() < 1000) return;
    NoticeCounter notices;
    auto store = Open(folder, state, cache, true);
    const double settle = VcardContactStore::SettleMs / 1000.0;
    std::vector<double> one, hundred;
    int extra = 0;
    // Between rounds the store writes its cache; each round starts once that is done.
    const DWORD pause = VcardContactStore::SaveDelayMs + 700;
    Sleep(pause);
    for (int round = 0; round < 11; ++round) {
        const double start = Now();
        Touch(files[(round * 7919) % files.size()]);
        one.push_back(notices.WaitFrom(start) - settle);
        extra += notices.Quiet(pause);
    }
    for (int round = 0; round < 5; ++round) {
        const double start = Now();
        for (int i = 0; i < 100; ++i) Touch(files[(round * 100 + i) * 13 % files.size()]);
        hundred.push_back(notices.WaitFrom(start) - settle);
        extra += notices.Quiet(pause);
    }
    std::printf("synced   one file changed: told %5.1f ms after settling (median of %zu); 100 files at once: "
                "%6.1f ms after settling; %d extra notices\n",
                Median(one) * 1000, one.size(), Median(hundred) * 1000, extra);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: synced_bench <folder of one-card files>\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::wstring state = DataFilePath(L"synced-bench-ids.txt");
    const std::wstring cache = DataFilePath(L"synced-bench-cache.bin");
    BenchStarts(folder, state, cache);
    BenchChanges(folder, state, cache);
    DeleteFileW(state.c_str());
    DeleteFileW(cache.c_str());
    return 0;
}
