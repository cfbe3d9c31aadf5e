// Figures of the whole program measured from the outside: Dialvane.exe started on a contact file or
// folder, the time until it first waits for input (its first paint done) and its working set once it
// has settled. One button is bound to a contact the location lacks, so that the start-up also looks
// the contact up through the search service, as it does after the contacts were replaced.
// A location given twice in a row is measured twice: the second start finds the card cache the first
// one wrote.
// Usage: program_bench <location> [<location> ...]   (tools/bench.sh runs it; Dialvane.exe beside it)
#include "bench/ProgramLaunch.h"
#include "platform/MainWindowMessages.h"

#include <psapi.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr wchar_t SettingsKey[] = L"Software\\Orvanix\\PIM\\Settings";
constexpr wchar_t ButtonsKey[] = L"Software\\Orvanix\\PIM\\Dialvane";

// One button whose contact is not in the store: the start-up re-finds it by its number.
void StoreUnknownButton() {
    RegDeleteTreeW(HKEY_CURRENT_USER, ButtonsKey);
    SetNumber(ButtonsKey, L"Oid0", 0x7FFF1234);
    SetNumber(ButtonsKey, L"Btn0", 0xFFFFFFFF);
    SetNumber(ButtonsKey, L"Index0", 0);
    SetNumber(ButtonsKey, L"Link0", 0);
    for (const wchar_t* name : {L"Display0", L"Type0", L"Middle0", L"Company0"})
        SetText(ButtonsKey, name, L"");
    SetText(ButtonsKey, L"Phone0", L"+1 000 000-00-00");
    SetText(ButtonsKey, L"First0", L"Nobody");
    SetText(ButtonsKey, L"Last0", L"Known");
}

PROCESS_MEMORY_COUNTERS MemoryOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return counters;
}

void Measure(const wchar_t* location, const char* label) {
    SetText(SettingsKey, L"ContactsPath", location);
    SetNumber(SettingsKey, L"ModPreload", 0); // so that closing the window ends the program
    StoreUnknownButton();
    LaunchedProgram launched = LaunchAndWaitForIdle(BesideBench(L"Dialvane.exe"));
    if (!launched.started) {
        std::printf("program  cannot start Dialvane.exe\n");
        return;
    }
    // The working set once it has stopped growing for a second.
    SIZE_T last = 0;
    for (int quiet = 0, round = 0; quiet < 10 && round < 300; ++round) {
        Sleep(100);
        const SIZE_T now = MemoryOf(launched.info.hProcess).WorkingSetSize;
        quiet = now == last ? quiet + 1 : 0;
        last = now;
    }
    const PROCESS_MEMORY_COUNTERS memory = MemoryOf(launched.info.hProcess);
    std::printf("program  %-40ls%s first idle %7.0f ms%s   working set %6.1f MB (peak %6.1f MB)\n", location,
                label, launched.secondsToIdle * 1e3, launched.idle ? "" : " (timed out)",
                memory.WorkingSetSize / 1048576.0, memory.PeakWorkingSetSize / 1048576.0);
    CloseLaunched(launched, MainWindowClassName);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: program_bench <location> [<location> ...]\n");
        return 2;
    }
    // A location given again right after itself is a start with its card cache (warm).
    for (int i = 1; i < argc; ++i)
        Measure(argv[i], i > 1 && wcscmp(argv[i], argv[i - 1]) == 0 ? " (warm)" : "");
    RegDeleteTreeW(HKEY_CURRENT_USER, ButtonsKey);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"ContactsPath");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"ModPreload");
    return 0;
}
