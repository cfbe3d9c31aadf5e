#pragma once
// Short vibrations for touches, played on a feedback thread of their own so that the user-interface
// thread never waits for the motor. The vibrator is one of the notification LEDs.
#include "platform/NotificationLed.h"

#include <windows.h>

// Posted to the feedback thread: wParam holds the pulse length in ms in its low 16 bits.
inline constexpr UINT FeedbackMessage = WM_APP + 1;

// Lengths above this are taken for a mistake and replaced by a plain click.
inline constexpr DWORD LongestPulseMs = 50000;
inline constexpr DWORD FallbackPulseMs = 50;

inline constexpr int ShortClick = 1;
inline constexpr int LongClick = 2;

// Kind 1: a short click ("VibroClickS"), kind 2: a long click ("VibroClickL"), each 40 ms when its
// value is missing; any other kind is a pulse of that many ms (low 16 bits). Starts the feedback
// thread on first use; a pulse that cannot be handed to it is dropped.
void PlayFeedback(int kind);

// The length PlayFeedback uses for kind. The click lengths are read on first use and kept until
// ForgetClickLengths; a stored 0 stays "not read" and is read again every time.
DWORD FeedbackLength(int kind);

// Sets both click lengths back to "not read" (the main window's message 2025).
void ForgetClickLengths();

// The length the feedback thread plays for a feedback message's wParam.
DWORD PulseLengthOf(WPARAM wParam);

// Switches the vibrator on for length ms and off again (0: only off); false when there is none.
bool VibratePulse(DWORD length);

// The vibrator behind one library's LED interface, found on the first pulse: the highest LED whose
// cycle adjust is -1, else LED 1. A library without the interface disables it for good.
class Vibrator {
public:
    explicit Vibrator(const wchar_t* library);
    Vibrator(const Vibrator&) = delete;
    Vibrator& operator=(const Vibrator&) = delete;

    bool Pulse(DWORD length);
    // The LED driven; -1 once it is known that there is no vibrator.
    int LedIndex() const { return ledIndex_; }

private:
    bool FindInterface();
    void Switch(int state);

    const wchar_t* library_;
    int ledIndex_ = 1;
    platform::NLedSetDeviceFunction setDevice_ = nullptr;
};
