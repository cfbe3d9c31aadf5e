// Figures for text messages: a message submitted through the message store until it is in Sent
// Items, the direct road with its filed copy, the whole store road with the start of the transport
// program, and the stock-text dialog from its start to its first paint with twenty stock texts and the
// default skin at 192 dpi. The store lives in a temporary folder; no gateway command is set.
// Usage: messaging_bench [store folder]   (tools/bench.sh runs it; the folder is emptied first)
#include "bench/BenchTiming.h"
#include "foundation/DataFiles.h"
#include "foundation/ScopedHandles.h"
#include "foundation/Settings.h"
#include "messaging/SendTextMessage.h"
#include "messaging/SmsTextDialog.h"
#include "platform/MessageStoreFolders.h"
#include "platform/ProcessLauncher.h"
#include "resources/ResourceIds.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

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

// The stock-text dialog over twenty texts, as the send-SMS command opens it: the header image loaded,
// the dialog created and the first paint of its header and list.
double StockTextDialogMs(int runs) {
    HKEY key = OpenPimKey(settings::SmsTextKey, true);
    for (int i = 1; i <= SmsTextDialog::MaxStockTexts; ++i) {
        const std::wstring name = std::to_wstring(i);
        const std::wstring text = L"Готовый текст номер " + name + L": перезвоню, как только смогу";
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
    ScreenDC = GetDC(nullptr);
    ScreenMetrics.DpiX = ScreenMetrics.DpiY = 192;
    ScreenMetrics.HighDpi = 1;
    SkinLibrary.LoadResourceLibrary(L"DialvaneRes.dll", L"DialvaneResVga.dll",
                                    (ExecutableFolder() + L"DialvaneSkin\\").c_str());
    // The main window's images, lent to the dialog; the header image is the command's own, loaded each time.
    HBITMAP images[] = {SkinLibrary.LoadBitmap(IDB_LIST_UNSELECT_BGR, L"list_unselect_bgr"),
                        SkinLibrary.LoadBitmap(IDB_LIST_SELECT_BGR, L"list_select_bgr"),
                        SkinLibrary.LoadBitmap(IDB_LIST_VOID_BGR, L"list_void_bgr"),
                        SkinLibrary.LoadBitmap(IDB_SCROLL, L"scroll")};
    const double median = MedianMs(runs, [&] {
        ScopedBitmap header(SkinLibrary.LoadBitmap(IDB_SMS_BGR, L"sms_bgr"));
        SmsTextDialog dialog;
        dialog.HeaderImage = header.Get();
        for (int i = 0; i < 3; ++i) dialog.RowImages[i] = images[i];
        dialog.ScrollImage = images[3];
        dialog.RecipientName = L"Анна Смирнова";
        dialog.RecipientNumber = L"+7 912 345-67-02";
        if (dialog.CreateModeless(nullptr, 1)) UpdateWindow(dialog.List.Window);
        DestroyWindow(dialog.Dialog);
    });
    for (HBITMAP image : images) DeleteObject(image);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\SmsText");
    return median;
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
    const double dialog = StockTextDialogMs(50);

    std::printf(
        "text message, store road: submitted to Sent Items        %7.2f ms median (%d runs, target <= 5)\n",
        submit, runs);
    std::printf("text message, direct road: filing the sent copy         %7.2f ms median\n", filing);
    std::printf("text message, direct road: library send and filed copy  %7.2f ms median\n", direct);
    std::printf("text message, store road with the transport start       %7.2f ms median (20 runs)\n",
                withStart);
    std::printf(
        "stock-text dialog, start to first paint (20 texts)      %7.2f ms median (50 runs, target <= 50)\n",
        dialog);
    std::printf("messages in Sent Items: %zu of %d\n", SentCount(root), 1 + 3 * runs + 20);
    // The transport started above keeps running in the bench's own prefix, which the script removes.
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::MessagingKey);
    std::filesystem::remove_all(root);
    return 0;
}
