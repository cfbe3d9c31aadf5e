// The soak: the real main window, started as the program starts it, takes thousands of random inputs
// (taps, holds, slides, keys, menu choices, picker searches, dialogs, page adds and deletes, edits of
// the contact file) while the registry is compared with the model after every step. Menus, message
// boxes, dialogs and process launches are answered at random by scripts; a window of the dialer's
// class in this process takes the calls. Prints the steps, the mismatches, the calls and the memory
// after the first 1,000 steps and at the end. Usage: soak_bench [steps] [seed]   (tools/bench.sh)
#include "bench/BenchTiming.h"
#include "foundation/DataFiles.h"
#include "mainscreen/MainWindow.h"
#include "platform/MainWindowMessages.h"
#include "platform/ModalHost.h"
#include "platform/PhoneCall.h"
#include "platform/ProcessLauncher.h"
#include "resources/ResourceIds.h"
#include "ui/ResourceLibrary.h"
#include "ui/ScreenMetrics.h"

#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr wchar_t SettingsKey[] = L"Software\\Orvanix\\PIM\\Settings";

std::mt19937 Random;
std::atomic<int> Step{0};
const char* volatile Action = "start";
int Calls = 0;
int Launches = 0;
int Mismatches = 0;

int Pick(int count) {
    return std::uniform_int_distribution<int>(0, count - 1)(Random);
}
bool Chance(int percent) {
    return Pick(100) < percent;
}

void SetSetting(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey, name, REG_DWORD, &value, sizeof value);
}

// Dispatches what is queued, letting the store's change messages and the timers through; the quit
// that a call or the End key posts is dropped, as the soak goes on.
void Pump(DWORD forMs = 0) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (forMs) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < forMs);
}

// The dialer as the phone library finds it: a window of its class that takes each call.
LRESULT CALLBACK DialerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        ++Calls;
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateStandIn(const wchar_t* className) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DialerProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// The contact file the soak edits: a pool of cards, of which a random part is written each time,
// sometimes with changed numbers, by an editor's way (a temporary file renamed over) or in place.
class ContactFile {
public:
    // Starts with every card of the pool, each with its first numbers.
    explicit ContactFile(std::wstring path) : Path(std::move(path)) { Write(Pool, false); }

    void Edit() { Write(10 + Pick(Pool - 10), true); }

private:
    static constexpr int Pool = 60;

    void Write(int count, bool atRandom) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            const int card = atRandom ? Pick(Pool) : i;
            const std::string n = std::to_string(card);
            text += "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:soak-" + n + "\r\nN:Contact" + n +
                    ";Soak;;;\r\nFN:Soak Contact" + n + "\r\nTEL;TYPE=CELL:+7 900 " +
                    std::to_string(100 + card) + "-00-" +
                    std::to_string(10 + (atRandom && Chance(20) ? Pick(90) : 0)) + "\r\n";
            if (card % 3 == 0) text += "TEL;TYPE=HOME:+7 495 " + std::to_string(200 + card) + "-11-22\r\n";
            if (card % 5 == 0) text += "TEL;TYPE=WORK:8 800 " + std::to_string(300 + card) + "-33-44\r\n";
            text += "END:VCARD\r\n";
        }
        const std::wstring target = atRandom && Chance(50) ? Path + L".tmp" : Path;
        {
            std::ofstream out(target.c_str(), std::ios::binary | std::ios::trunc);
            out << text;
        }
        if (target != Path) MoveFileExW(target.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

    std::wstring Path;
};

// A page of buttons to start from, stored as a layout of an earlier version keeps them: numbers and
// names only, found again in the contact file at start-up.
void StoreStartingLayout() {
    RegDeleteTreeW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey);
    const auto number = [](const wchar_t* stem, int n, DWORD value) {
        wchar_t name[32];
        wsprintfW(name, L"%s%d", stem, n);
        RegSetKeyValueW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey, name, REG_DWORD, &value,
                        sizeof value);
    };
    const auto text = [](const wchar_t* stem, int n, const std::wstring& value) {
        wchar_t name[32];
        wsprintfW(name, L"%s%d", stem, n);
        RegSetKeyValueW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey, name, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    for (int n = 0; n < 12; ++n) {
        number(L"Oid", n, 0);
        number(L"Index", n, n);
        number(L"Btn", n, n < 9 ? n + 1 : 0xFFFFFFFF);
        number(L"Link", n, 0);
        text(L"Phone", n, L"+7 900 " + std::to_wstring(100 + n) + L"-00-10");
        text(L"First", n, L"Soak");
        text(L"Last", n, L"Contact" + std::to_wstring(n));
        for (const wchar_t* stem : {L"Display", L"Type", L"Middle", L"Company"}) text(stem, n, L"");
    }
}

bool RegistryText(const wchar_t* stem, int n, std::wstring& text) {
    wchar_t name[32], value[1024] = {};
    wsprintfW(name, L"%s%d", stem, n);
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey, name, RRF_RT_REG_SZ, nullptr, value,
                     &bytes) != ERROR_SUCCESS)
        return false;
    text = value;
    return true;
}

bool RegistryNumber(const wchar_t* stem, int n, DWORD& number) {
    wchar_t name[32];
    wsprintfW(name, L"%s%d", stem, n);
    DWORD bytes = sizeof number;
    return RegGetValueW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey, name, RRF_RT_REG_DWORD, nullptr,
                        &number, &bytes) == ERROR_SUCCESS;
}

// The registry must hold exactly the model's buttons; the first difference of a step is reported.
void CompareRegistryWithModel(const SpeedDialModel& model, const char* action) {
    const int count = model.Buttons.GetSize();
    const char* wrong = nullptr;
    for (int n = 0; n < count && !wrong; ++n) {
        const SpeedDialButton& button = model.Buttons[n];
        DWORD index = 0, btn = 0, oid = 0;
        std::wstring phone, display;
        if (!RegistryNumber(L"Index", n, index) || index != static_cast<DWORD>(button.Index))
            wrong = "Index";
        else if (!RegistryNumber(L"Btn", n, btn) || btn != static_cast<DWORD>(button.Btn))
            wrong = "Btn";
        else if (!RegistryNumber(L"Oid", n, oid) || oid != button.Oid)
            wrong = "Oid";
        else if (!RegistryText(L"Phone", n, phone) || phone != std::wstring(button.Phone))
            wrong = "Phone";
        else if (!RegistryText(L"Display", n, display) || display != std::wstring(button.Display))
            wrong = "Display";
    }
    DWORD beyond = 0;
    if (!wrong && RegistryNumber(L"Oid", count, beyond)) wrong = "a button beyond the model's";
    if (!wrong) return;
    if (++Mismatches <= 20)
        std::printf("soak  step %d (%s): the registry differs in %s\n", Step.load(), action, wrong);
}

// Leaf commands of a menu that a user could choose.
void CollectChoices(const std::vector<platform::PopupMenuItem>& items, std::vector<UINT>& choices) {
    for (const platform::PopupMenuItem& item : items) {
        if (!item.submenu.empty()) CollectChoices(item.submenu, choices);
        if (item.id && !(item.state & MFS_GRAYED)) choices.push_back(item.id);
    }
}

void InstallScripts() {
    platform::SetPopupMenuScript([](const platform::PopupMenuRecord& menu) -> UINT {
        std::vector<UINT> choices;
        CollectChoices(menu.items, choices);
        if (choices.empty() || Chance(10)) return 0;
        return choices[Pick(static_cast<int>(choices.size()))];
    });
    platform::SetMessageBoxScript([](const platform::ModalRecord& box) {
        if ((box.type & 0xF) == MB_YESNO) return Chance(3) ? IDYES : IDNO; // clearing all is rare
        return IDOK;
    });
    platform::SetProcessLaunchScript([](const platform::ProcessLaunch&) {
        ++Launches;
        return TRUE;
    });
    // A dialog gets a few keys, then OK or nothing, then Cancel until it ends: a picker showing a
    // contact's numbers steps back to the contacts on the first.
    platform::SetDialogScript([](HWND dialog, DWORD) {
        for (int keys = Pick(5); keys > 0; --keys) PostMessageW(dialog, WM_KEYDOWN, L'2' + Pick(8), 0);
        if (Chance(60)) PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        if (Chance(30)) PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        for (int cancels = 0; cancels < 3; ++cancels) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
}

// A step that takes a minute is a hang: the soak ends with the step and what it was doing.
DWORD WINAPI WatchForHangs(void*) {
    for (int last = -1;;) {
        Sleep(60000);
        const int now = Step;
        if (now == last) {
            std::printf("soak  HANG at step %d (after \"%s\")\n", now, Action);
            std::fflush(stdout);
            ExitProcess(3);
        }
        last = now;
    }
}

// A crash ends the soak with the step it happened at, so that the seed and the step reproduce it.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    std::printf("soak  CRASH at step %d: exception 0x%08lX at %p\n", Step.load(),
                exception->ExceptionRecord->ExceptionCode, exception->ExceptionRecord->ExceptionAddress);
    std::fflush(stdout);
    return EXCEPTION_EXECUTE_HANDLER;
}

// The memory the process has committed.
SIZE_T CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

struct Soak {
    MainWindow& main;
    ContactFile& contacts;

    POINT PointIn(int c) const {
        const RECT& r = main.Cells[c].Rect;
        return {r.left + Pick(std::max<int>(1, r.right - r.left)),
                r.top + Pick(std::max<int>(1, r.bottom - r.top))};
    }
    // Somewhere on the window: usually in a cell, sometimes on a gap, the panel or outside.
    POINT AnyPoint() const {
        if (main.CellsPerPage > 0 && Chance(85)) return PointIn(Pick(main.CellsPerPage));
        RECT client;
        GetClientRect(main.Window, &client);
        return {Pick(client.right + 40) - 20, Pick(client.bottom + 40) - 20};
    }
    void Pen(UINT message, POINT at) {
        SendMessageW(main.Window, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                     MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
    }

    // One random input; Action names it while it runs.
    void Once() {
        static const char* const names[] = {"tap",
                                            "tap",
                                            "hold",
                                            "slide",
                                            "key",
                                            "key",
                                            "talk",
                                            "main menu",
                                            "main menu",
                                            "command",
                                            "contacts changed",
                                            "contact file edit"};
        const int kind = Pick(12);
        Action = names[kind];
        switch (kind) {
        case 0:
        case 1: {
            const POINT at = AnyPoint();
            Pen(WM_LBUTTONDOWN, at);
            Pen(WM_LBUTTONUP, at);
            return;
        }
        case 2: {
            const POINT at = AnyPoint();
            Pen(WM_LBUTTONDOWN, at);
            SendMessageW(main.Window, WM_TIMER, MainWindow::HoldTimer, 0);
            Pen(WM_LBUTTONUP, at);
            return;
        }
        case 3: {
            POINT at = AnyPoint();
            Pen(WM_LBUTTONDOWN, at);
            for (int moves = 1 + Pick(6); moves > 0; --moves) {
                at.x += Pick(61) - 30;
                at.y += Pick(61) - 30;
                Pen(WM_MOUSEMOVE, at);
            }
            Pen(WM_LBUTTONUP, at);
            return;
        }
        case 4:
        case 5: {
            static const UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_RETURN};
            const UINT key = keys[Pick(7)];
            SendMessageW(main.Window, WM_KEYDOWN, key, 1);
            if (key == VK_RETURN && Chance(20)) SendMessageW(main.Window, WM_TIMER, MainWindow::HoldTimer, 0);
            SendMessageW(main.Window, WM_KEYUP, key, 0xC0000001);
            return;
        }
        case 6:
            SendMessageW(main.Window, WM_HOTKEY, 0, MAKELPARAM(0, MainWindow::TalkKey));
            return;
        case 7:
        case 8:
            SendMessageW(main.Window, WM_COMMAND, IDM_PANEL_MENU, 0);
            return;
        case 9: {
            static const UINT commands[] = {IDM_PANEL_BACK,    IDM_PANEL_FORWARD,   IDM_SOFTKEY_LEFT,
                                            IDM_SOFTKEY_RIGHT, IDM_MOVE_FOCUSED_UP, IDM_MOVE_FOCUSED_RIGHT};
            SendMessageW(main.Window, WM_COMMAND, commands[Pick(6)], 0);
            return;
        }
        case 10:
            SendMessageW(main.Window, ContactsChangedMessage, 0, Chance(80) ? ContactsChanged : Pick(5));
            return;
        default:
            contacts.Edit();
            Pump(Chance(20) ? 1500 : 0); // now and then long enough for the store to take the change
            return;
        }
    }
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int steps = argc > 1 ? _wtoi(argv[1]) : 10000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(_wtoi(argv[2])) : 20261206u;
    Random.seed(seed);
    SetUnhandledExceptionFilter(ReportCrash);
    CloseHandle(CreateThread(nullptr, 0, WatchForHangs, nullptr, 0, nullptr));

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"dialvane-soak";
    CreateDirectoryW(folder.c_str(), nullptr);
    StoreStartingLayout();
    const std::wstring path = folder + L"\\contacts.vcf";
    RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"ContactsPath", REG_SZ, path.c_str(),
                    static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    ContactFile contacts(path);
    SetSetting(L"BtnFeedback", 0);
    SetSetting(L"ModPreload", 0); // a call ends the program (a quit the soak drops) instead of waiting
    SetSetting(L"SmsAlt", 1);

    ScreenDC = GetDC(nullptr);
    ReadScreenMetrics(ScreenDC);
    const std::wstring skin = ExecutableFolder() + L"DialvaneSkin\\";
    if (!SkinLibrary.LoadResourceLibrary(L"DialvaneRes.dll", L"DialvaneResVga.dll", skin.c_str())) {
        std::printf("soak  the skin library does not load\n");
        return 1;
    }
    const HWND dialer = CreateStandIn(platform::DialerClass);
    const HWND policy = CreateStandIn(platform::CallPolicyClass);
    InstallScripts();

    MainWindow main;
    if (!main.Initialise(0)) {
        std::printf("soak  the main window does not open\n");
        return 1;
    }
    Pump();
    Soak soak{main, contacts};
    SIZE_T afterThousand = 0;
    const double start = Now();
    for (Step = 1; Step <= steps; ++Step) {
        soak.Once();
        Pump();
        CompareRegistryWithModel(main.Model, Action);
        if (Step == 1000) afterThousand = CommittedBytes();
    }
    const double seconds = Now() - start;
    const SIZE_T atEnd = CommittedBytes();

    std::printf("soak  %d random inputs (seed %u) in %.0f s: 0 crashes, %d registry mismatches, %d calls, %d "
                "programs started\n",
                steps, seed, seconds, Mismatches, Calls, Launches);
    if (afterThousand)
        std::printf(
            "soak  committed memory after 1,000 steps %.1f MB, at the end %.1f MB (%+.1f %%, target within "
            "10 %%)\n",
            afterThousand / 1048576.0, atEnd / 1048576.0,
            100.0 * (double(atEnd) - double(afterThousand)) / double(afterThousand));

    platform::SetDialogScript({});
    platform::SetPopupMenuScript({});
    platform::SetMessageBoxScript({});
    platform::SetProcessLaunchScript({});
    DestroyWindow(dialer);
    DestroyWindow(policy);
    RegDeleteTreeW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey);
    for (const wchar_t* name : {L"ContactsPath", L"BtnFeedback", L"ModPreload", L"SmsAlt"})
        RegDeleteKeyValueW(HKEY_CURRENT_USER, SettingsKey, name);
    return Mismatches ? 1 : 0;
}
