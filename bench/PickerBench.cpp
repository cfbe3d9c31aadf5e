// Figures for the contact picker over one set of cards: opening it to its first paint, a keystroke on
// the keypad to the repainted list, and one step of a fling with about 20 rows in view.
// Usage: picker_bench <cards.vcf>   (tools/bench.sh runs it once for 10,000 and once for 100,000 cards;
// the search service reads its contacts once per process)
#include "bench/BenchTiming.h"
#include "foundation/DataFiles.h"
#include "phonenumbers/PhoneTemplates.h"
#include "picker/ContactPickerDialog.h"
#include "resources/ResourceIds.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Images {
    Images() {
        list[0] = SkinLibrary.LoadBitmap(IDB_LIST_UNSELECT_BGR, L"list_unselect_bgr");
        list[1] = SkinLibrary.LoadBitmap(IDB_LIST_SELECT_BGR, L"list_select_bgr");
        list[2] = SkinLibrary.LoadBitmap(IDB_LIST_VOID_BGR, L"list_void_bgr");
        scroll = SkinLibrary.LoadBitmap(IDB_SCROLL, L"scroll");
    }
    ~Images() {
        for (HBITMAP image : list) DeleteObject(image);
        DeleteObject(scroll);
    }
    HBITMAP list[3] = {};
    HBITMAP scroll = nullptr;
};

// A picker as the main window opens it, shown and painted.
std::unique_ptr<ContactPickerDialog> Open(const Images& images, const PhoneTemplateSet& templates) {
    auto picker = std::make_unique<ContactPickerDialog>();
    picker->templates = &templates;
    for (int i = 0; i < 3; ++i) picker->listImages[i] = images.list[i];
    picker->scrollImage = images.scroll;
    picker->CreateModeless(nullptr, 1);
    return picker;
}

void Close(std::unique_ptr<ContactPickerDialog>& picker) {
    DestroyWindow(picker->Dialog);
    picker.reset();
}

void Drain() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: picker_bench <cards.vcf>\n");
        return 2;
    }
    ScreenDC = GetDC(nullptr);
    ReadScreenMetrics(ScreenDC);
    const std::wstring skin = ExecutableFolder() + L"DialvaneSkin\\";
    SkinLibrary.LoadResourceLibrary(L"DialvaneRes.dll", L"DialvaneResVga.dll", skin.c_str());
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Settings", L"ContactsPath", REG_SZ, argv[1],
                    static_cast<DWORD>((wcslen(argv[1]) + 1) * sizeof(wchar_t)));
    DWORD russianWithLatin = 3;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\ABC", L"Type", REG_DWORD, &russianWithLatin,
                    sizeof russianWithLatin);
    const Images images;
    PhoneTemplateSet templates;
    LoadTemplates(templates);

    // The first open also starts the service, which reads and indexes the cards.
    double start = Now();
    auto picker = Open(images, templates);
    const double cold = Now() - start;
    const int contacts = picker->resultIds.GetSize();
    Close(picker);
    std::vector<double> opens;
    for (int i = 0; i < 10; ++i) {
        start = Now();
        picker = Open(images, templates);
        opens.push_back(Now() - start);
        Close(picker);
    }
    std::printf("picker   %d contacts: open to first paint median %7.2f ms   (first open with the service's "
                "start %.0f ms)\n",
                contacts, Median(opens) * 1e3, cold * 1e3);

    // After a call: the dialer's log of 5,000 calls to 1,000 contacts has grown by a line, so the
    // opening picker's search reads it again and ranks the contacts anew.
    const std::wstring log = DataFilePath(CallLogName);
    std::string calls;
    picker = Open(images, templates);
    for (int i = 0; i < 5000; ++i) {
        ServiceRecord record;
        const int row = (i % 1000) * 7 % std::max(1, contacts);
        if (!GetContactRecord(RecordOperation(), static_cast<DWORD>(picker->resultIds[row]), record) ||
            !record.Phones.GetSize())
            continue;
        char line[160];
        std::snprintf(line, sizeof line, "2026-%02d-%02d 12:%02d:00\t%ls\tName\tcall\r\n", 1 + i % 12,
                      1 + i % 28, i % 60, static_cast<const wchar_t*>(record.Phones[0].Number));
        calls += line;
    }
    Close(picker);
    std::vector<double> called;
    for (int i = 0; i < 10; ++i) {
        calls += "2026-12-31 23:59:00\t0\t\tservice\r\n";
        std::ofstream(std::filesystem::path(log), std::ios::binary | std::ios::trunc) << calls;
        start = Now();
        picker = Open(images, templates);
        called.push_back(Now() - start);
        Close(picker);
    }
    std::filesystem::remove(std::filesystem::path(log));
    std::printf("picker   open after a call, ranking by a log of 5,000 calls, median %7.2f ms\n",
                Median(called) * 1e3);

    // Typing queries key by key on the keypad, the list repainted before each key returns.
    picker = Open(images, templates);
    const wchar_t* queries[] = {L"2876543", L"5432198", L"7266923", L"9000111",
                                L"3355778", L"6464646", L"527"};
    std::vector<double> first, later;
    for (int round = 0; round < 5; ++round) {
        for (const wchar_t* query : queries) {
            for (const wchar_t* key = query; *key; ++key) {
                start = Now();
                SendMessageW(picker->keypad.Window, WM_KEYDOWN, *key, 0);
                (key == query ? first : later).push_back(Now() - start);
            }
            while (!picker->keypad.digits.IsEmpty()) SendMessageW(picker->keypad.Window, WM_KEYDOWN, '1', 0);
            Drain();
        }
    }
    std::printf(
        "picker   keystroke to repainted list median %7.2f ms   (first key %.2f ms, later keys %.2f ms)\n",
        Median([&] {
            std::vector<double> all = first;
            all.insert(all.end(), later.begin(), later.end());
            return all;
        }()) *
            1e3,
        Median(first) * 1e3, Median(later) * 1e3);

    // Fling steps: the list moved and repainted whole, 20 rows high, as the glide does every 50 ms. The
    // keypad takes a third of the dialog.
    KineticList& list = picker->list;
    MoveWindow(picker->Dialog, 0, 0, 480, 30 * list.itemHeight + 3, TRUE);
    std::vector<double> steps;
    for (int i = 0; i < 300; ++i) {
        list.scrollPos =
            (list.scrollPos + 37) % std::max(1, list.itemCount * list.itemHeight - list.bounds.height);
        start = Now();
        list.Relayout(false);
        list.Repaint();
        steps.push_back(Now() - start);
    }
    RECT client;
    GetClientRect(list.Window, &client);
    std::printf("picker   fling step repaint of %d rows median %7.3f ms\n",
                static_cast<int>(client.bottom) / std::max(1, list.itemHeight), Median(steps) * 1e3);
    Close(picker);
    ReleaseDC(nullptr, ScreenDC);
    return 0;
}
