// The LEDs of a desktop: none to light, so each switch is recorded (up to a bound) with its time.
#include "platform/NotificationLed.h"
#include "companions/coredll/NotificationLeds.h"

#include <algorithm>
#include <vector>

namespace {

constexpr size_t HistoryLimit = 4096;

struct OnMark {
    bool on = false;
    DWORD tick = 0;
};

struct LedState {
    UINT count = 2;
    int vibrator = 1;
    std::vector<LedSwitch> history;
    std::vector<OnMark> lit; // per LED
};

CRITICAL_SECTION lock;
LedState state;

class Locked {
public:
    Locked() { EnterCriticalSection(&lock); }
    ~Locked() { LeaveCriticalSection(&lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

} // namespace

extern "C" {

__declspec(dllexport) BOOL NLedGetDeviceInfo(UINT infoId, void* output) {
    if (!output) return FALSE;
    Locked hold;
    if (infoId == platform::NLED_COUNT_INFO_ID) {
        static_cast<platform::LedCountInfo*>(output)->LedCount = state.count;
        return TRUE;
    }
    if (infoId == platform::NLED_SUPPORTS_INFO_ID) {
        auto* supports = static_cast<platform::LedSupportsInfo*>(output);
        if (supports->LedNum >= state.count) return FALSE;
        const bool vibrator = static_cast<int>(supports->LedNum) == state.vibrator;
        *supports = {supports->LedNum, vibrator ? -1 : 1000, !vibrator, !vibrator, !vibrator, FALSE, FALSE};
        return TRUE;
    }
    return FALSE;
}

__declspec(dllexport) BOOL NLedSetDevice(UINT infoId, void* input) {
    if (infoId != platform::NLED_SETTINGS_INFO_ID || !input) return FALSE;
    const auto& settings = *static_cast<const platform::LedSettingsInfo*>(input);
    Locked hold;
    if (settings.LedNum >= state.count) return FALSE;
    state.lit.resize(state.count);
    const DWORD now = GetTickCount();
    OnMark& mark = state.lit[settings.LedNum];
    LedSwitch entry = {settings.LedNum, settings.OffOnBlink, now, 0};
    if (settings.OffOnBlink == 0 && mark.on) entry.OnLength = now - mark.tick;
    mark = {settings.OffOnBlink != 0, now};
    if (state.history.size() < HistoryLimit) state.history.push_back(entry);
    return TRUE;
}

__declspec(dllexport) void NLedStandInSetLeds(UINT count, int vibrator) {
    Locked hold;
    state.count = count;
    state.vibrator = vibrator;
    state.history.clear();
    state.lit.assign(count, {});
}

__declspec(dllexport) int NLedStandInHistory(LedSwitch* switches, int capacity) {
    Locked hold;
    const int total = static_cast<int>(state.history.size());
    if (switches) std::copy_n(state.history.begin(), std::clamp(capacity, 0, total), switches);
    return total;
}

} // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&lock);
    return TRUE;
}
