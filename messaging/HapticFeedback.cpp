#include "messaging/HapticFeedback.h"

#include "platform/ShellRegistry.h"

namespace {

constexpr wchar_t SettingsPath[] = L"Software\\Orvanix\\PIM\\Settings";
constexpr DWORD DefaultClickMs = 40;
constexpr DWORD ThreadReadyWaitMs = 1000;

// Written by the user-interface thread only.
DWORD shortClickMs = 0; // 0: not read yet
DWORD longClickMs = 0;
HANDLE feedbackThread = nullptr;
DWORD feedbackThreadId = 0;

template <class Function> Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

DWORD CachedClick(DWORD& cache, const wchar_t* name) {
    if (cache == 0) {
        cache = DefaultClickMs;
        platform::RegistryGetDWORD(HKEY_CURRENT_USER, SettingsPath, name, &cache);
    }
    return cache;
}

DWORD WINAPI FeedbackThread(void* ready) {
    MSG message;
    // The queue exists from here on, so the starter's first post cannot fail for want of it.
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(static_cast<HANDLE>(ready));
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == FeedbackMessage) {
            VibratePulse(PulseLengthOf(message.wParam));
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

bool StartFeedbackThread() {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ready) return false;
    feedbackThread = CreateThread(nullptr, 0, FeedbackThread, ready, 0, &feedbackThreadId);
    if (!feedbackThread) {
        feedbackThreadId = 0;
        CloseHandle(ready);
        return false;
    }
    // A thread slow to start still sets the event later: it is left to it then.
    if (WaitForSingleObject(ready, ThreadReadyWaitMs) == WAIT_OBJECT_0) CloseHandle(ready);
    return true;
}

} // namespace

DWORD FeedbackLength(int kind) {
    if (kind == 1) return CachedClick(shortClickMs, L"VibroClickS");
    if (kind == 2) return CachedClick(longClickMs, L"VibroClickL");
    return static_cast<DWORD>(kind);
}

void ForgetClickLengths() {
    shortClickMs = 0;
    longClickMs = 0;
}

DWORD PulseLengthOf(WPARAM wParam) {
    const DWORD length = LOWORD(wParam);
    return length > LongestPulseMs ? FallbackPulseMs : length;
}

void PlayFeedback(int kind) {
    const DWORD length = FeedbackLength(kind);
    if (!feedbackThread && !StartFeedbackThread()) return;
    if (feedbackThreadId) PostThreadMessageW(feedbackThreadId, FeedbackMessage, LOWORD(length), 0);
}

bool VibratePulse(DWORD length) {
    // Touched by the feedback thread only.
    static Vibrator vibrator(platform::CoreLibraryName);
    return vibrator.Pulse(length);
}

Vibrator::Vibrator(const wchar_t* library) : library_(library) {}

bool Vibrator::FindInterface() {
    // Kept loaded for the life of the process, like the interface it gives.
    HMODULE module = LoadLibraryW(library_);
    if (module) setDevice_ = Lookup<platform::NLedSetDeviceFunction>(module, platform::NLedSetDeviceName);
    if (!setDevice_) {
        ledIndex_ = -1;
        return false;
    }
    auto getInfo = Lookup<platform::NLedGetDeviceInfoFunction>(module, platform::NLedGetDeviceInfoName);
    platform::LedCountInfo count = {};
    if (!getInfo || !getInfo(platform::NLED_COUNT_INFO_ID, &count)) return true;
    for (int led = static_cast<int>(count.LedCount) - 1; led >= 0; --led) {
        platform::LedSupportsInfo supports = {};
        supports.LedNum = static_cast<UINT>(led);
        if (getInfo(platform::NLED_SUPPORTS_INFO_ID, &supports) && supports.CycleAdjust == -1) {
            ledIndex_ = led;
            break;
        }
    }
    return true;
}

void Vibrator::Switch(int state) {
    platform::LedSettingsInfo settings = {};
    settings.LedNum = static_cast<UINT>(ledIndex_);
    settings.OffOnBlink = state;
    setDevice_(platform::NLED_SETTINGS_INFO_ID, &settings);
}

bool Vibrator::Pulse(DWORD length) {
    if (ledIndex_ == -1) return false;
    if (!setDevice_ && !FindInterface()) return false;
    if (length == 0) {
        Switch(0);
        return true;
    }
    Switch(1);
    // Timed by watching the tick count: exact, at the price of a busy processor for the pulse.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < length) {
    }
    Switch(0);
    return true;
}
