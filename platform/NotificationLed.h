#pragma once
// The notification-LED interface, looked up at run time from the core library; the vibrator is one
// of the LEDs. Records as the platform lays them out (28 bytes each but the count).
#include <windows.h>

namespace platform {

inline constexpr wchar_t CoreLibraryName[] = L"coredll.dll";
inline constexpr char NLedGetDeviceInfoName[] = "NLedGetDeviceInfo";
inline constexpr char NLedSetDeviceName[] = "NLedSetDevice";

// Information ids.
inline constexpr UINT NLED_COUNT_INFO_ID = 0;
inline constexpr UINT NLED_SUPPORTS_INFO_ID = 1;
inline constexpr UINT NLED_SETTINGS_INFO_ID = 2;

struct LedCountInfo {
    UINT LedCount;
};

struct LedSupportsInfo {
    UINT LedNum;      // in
    LONG CycleAdjust; // out; -1 marks a vibrator
    BOOL AdjustTotalCycleTime;
    BOOL AdjustOnTime;
    BOOL AdjustOffTime;
    BOOL MetaCycleOn;
    BOOL MetaCycleOff;
};

struct LedSettingsInfo {
    UINT LedNum;
    INT OffOnBlink; // 0 off, 1 on, 2 blink
    LONG TotalCycleTime;
    LONG OnTime;
    LONG OffTime;
    INT MetaCycleOn;
    INT MetaCycleOff;
};

static_assert(sizeof(LedSupportsInfo) == 28 && sizeof(LedSettingsInfo) == 28);

using NLedGetDeviceInfoFunction = BOOL (*)(UINT infoId, void* output);
using NLedSetDeviceFunction = BOOL (*)(UINT infoId, void* input);

} // namespace platform
