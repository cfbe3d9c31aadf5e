// Start-up against the least a Win32 program can do: the time from launch until the main screen is
// painted and waits for input, for Dialvane.exe on the sample contacts and on a file of 10,000 cards,
// and for a minimal program that opens one window and paints it. The three are started in turn,
// round after round, so that the machine's load falls on all of them alike; the figures are medians
// and the ratios are Dialvane's over the minimal program's.
// Usage: startup_bench <cards.vcf> [rounds]   (tools/bench.sh runs it; the programs beside it)
#include "bench/ProgramLaunch.h"
#include "platform/MainWindowMessages.h"

#include <cstdio>
#include <cwchar>

namespace {

constexpr wchar_t SettingsKey[] = L"Software\\Orvanix\\PIM\\Settings";
constexpr wchar_t ButtonsKey[] = L"Software\\Orvanix\\PIM\\Dialvane";
constexpr wchar_t MinimalClassName[] = L"Dialvane_Minimal_Window";

// Seconds to idle of one start, or a negative number when the program failed to start or settle.
double TimeStart(const std::wstring& program, const wchar_t* className) {
    LaunchedProgram launched = LaunchAndWaitForIdle(program);
    const double seconds = launched.started && launched.idle ? launched.secondsToIdle : -1;
    CloseLaunched(launched, className);
    return seconds;
}

double TimeDialvane(const std::wstring& program, const wchar_t* contacts, const RegistryKeySnapshot& layout) {
    if (contacts)
        SetText(SettingsKey, L"ContactsPath", contacts);
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"ContactsPath");
    layout.Restore();
    return TimeStart(program, MainWindowClassName);
}

void Report(const char* what, const std::vector<double>& seconds, double yardstick, double target) {
    const double median = Median(seconds);
    if (yardstick <= 0) {
        std::printf("startup  %-34s %7.0f ms\n", what, median * 1e3);
        return;
    }
    std::printf("startup  %-34s %7.0f ms   %4.2fx the minimal program (target <= %.1fx)\n", what,
                median * 1e3, median / yardstick, target);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_bench <cards.vcf> [rounds]\n");
        return 2;
    }
    const wchar_t* bigFile = argv[1];
    const int rounds = argc > 2 ? _wtoi(argv[2]) : 9;
    const std::wstring dialvane = BesideBench(L"Dialvane.exe");
    const std::wstring minimal = BesideBench(L"minimal_window.exe");
    SetNumber(SettingsKey, L"ModPreload", 0); // so that closing the window ends the program

    // A first round that is not counted: it fills the file cache, and Dialvane's first start ever
    // sets up the demo layout, which every counted start then begins from.
    TimeStart(minimal, MinimalClassName);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"ContactsPath");
    TimeStart(dialvane, MainWindowClassName);
    const RegistryKeySnapshot layout(ButtonsKey);
    TimeDialvane(dialvane, bigFile, layout);

    std::vector<double> minimalTimes, sampleTimes, bigTimes;
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        const double times[] = {TimeStart(minimal, MinimalClassName), TimeDialvane(dialvane, nullptr, layout),
                                TimeDialvane(dialvane, bigFile, layout)};
        std::vector<double>* into[] = {&minimalTimes, &sampleTimes, &bigTimes};
        for (int i = 0; i < 3; ++i) {
            if (times[i] < 0)
                ++failures;
            else
                into[i]->push_back(times[i]);
        }
    }
    const double yardstick = Median(minimalTimes);
    std::printf("startup  launch to the painted screen, median of %d rounds%s\n", rounds,
                failures ? " (some starts failed)" : "");
    Report("minimal Win32 program", minimalTimes, 0, 0);
    Report("Dialvane, sample contacts", sampleTimes, yardstick, 1.5);
    Report("Dialvane, 10,000 contacts", bigTimes, yardstick, 3.0);

    layout.Restore();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"ContactsPath");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"ModPreload");
    return failures ? 1 : 0;
}
