#pragma once
// What the LED library records, and the calls that set up its LEDs; for tests that load it.
#include <windows.h>

// One call of NLedSetDevice: the LED, its new state, the tick count, and for a switch-off the ms
// since that LED was switched on (0 when it was not on).
struct LedSwitch {
    UINT Led;
    INT State;
    DWORD Tick;
    DWORD OnLength;
};

// NLedStandInSetLeds (count, vibrator): the LED count the library reports and the one LED marked as
// a vibrator (-1 for none); also forgets the history. The default is two LEDs, the vibrator LED 1.
using NLedStandInSetLedsFunction = void (*)(UINT count, int vibrator);
// NLedStandInHistory (switches, capacity): copies up to capacity recorded switches, returns how
// many there are in all.
using NLedStandInHistoryFunction = int (*)(LedSwitch* switches, int capacity);
