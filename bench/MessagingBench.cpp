// Figures for text messages: a message submitted through the message store until it is in Sent
// Items, the direct road with its filed copy, and the whole store road with the start of the
// transport program. The store lives in a temporary folder; no gateway command is set.
// Usage: messaging_bench [store folder]   (tools/bench.sh runs it; the folder is emptied first)
#include "bench/BenchTiming.h"
#include "messaging/SendTextMessage.h"
#include "platform/MessageStoreFolders.h"
#include "platform/ProcessLauncher.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

double MedianMs(int runs, const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        run();
        times.push_back((Now() - start) * 1e3);
    }
    return Median(times);
}

size_t SentCount(const std::wstring& root) {
    return platform::ListMessageFiles(root + L"\\SMS\\Sent Items").size();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t temporary[MAX_PATH];
    GetTempPathW(MAX_PATH, temporary);
    const std::wstring root = argc > 1 ? argv[1] : std::wstring(temporary) + L"dialvane-messaging-bench";
    std::filesystem::remove_all(root);
    RegSetKeyValueW(HKEY_CURRENT_USER, platform::MessagingKey, L"StoreFolder", REG_SZ, root.c_str(),
                    static_cast<DWORD>((root.size() + 1) * sizeof(wchar_t)));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, platform::MessagingKey, L"GatewayCommand");
    const std::wstring text = L"Перезвоню через пять минут, я за рулём";

    // The transport program is started by the road; here its start is answered without a process.
    platform::SetProcessLaunchScript([](const platform::ProcessLaunch&) { return TRUE; });
    SendViaMessageStore(L"+79161234567", text.c_str()); // creates the store
    const int runs = 200;
    const double submit = MedianMs(runs, [&] { SendViaMessageStore(L"+79161234567", text.c_str()); });
    const double filing = MedianMs(runs, [&] { FileSentMessage(L"+79161234567", text.c_str()); });
    const double direct = MedianMs(runs, [&] { SendViaSmsLibrary(L"+79161234567", text.c_str()); });
    platform::SetProcessLaunchScript({});
    const double withStart = MedianMs(20, [&] { SendViaMessageStore(L"+79161234567", text.c_str()); });

    std::printf(
        "text message, store road: submitted to Sent Items        %7.2f ms median (%d runs, target <= 5)\n",
        submit, runs);
    std::printf("text message, direct road: filing the sent copy         %7.2f ms median\n", filing);
    std::printf("text message, direct road: library send and filed copy  %7.2f ms median\n", direct);
    std::printf("text message, store road with the transport start       %7.2f ms median (20 runs)\n",
                withStart);
    std::printf("messages in Sent Items: %zu of %d\n", SentCount(root), 1 + 3 * runs + 20);
    // The transport started above keeps running in the bench's own prefix, which the script removes.
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::MessagingKey);
    std::filesystem::remove_all(root);
    return 0;
}
