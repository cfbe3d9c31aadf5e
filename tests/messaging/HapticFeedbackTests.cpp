// Click lengths, the feedback thread and the vibrator found behind the LED library of the desktop.
#include "messaging/HapticFeedback.h"
#include "companions/coredll/NotificationLeds.h"
#include "support/Processes.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace testing_support;

namespace {

constexpr wchar_t SettingsPath[] = L"Software\\Orvanix\\PIM\\Settings";

template <class F> F Export(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Runs against the desktop LED library that the program finds beside itself, which records every switch.
class HapticFeedback : public ::testing::Test {
protected:
    void SetUp() override {
        DeletePimBranch();
        ForgetClickLengths();
        ASSERT_TRUE(setLeds && history);
        setLeds(2, 1);
    }
    void TearDown() override { DeletePimBranch(); }

    std::vector<LedSwitch> History() const {
        std::vector<LedSwitch> switches(history(nullptr, 0));
        // Switches recorded between the two calls are left for the next look.
        const int total = history(switches.data(), static_cast<int>(switches.size()));
        switches.resize(std::min(switches.size(), static_cast<size_t>(total)));
        return switches;
    }

    std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)> leds{
        LoadLibraryW(platform::CoreLibraryName), &FreeLibrary};
    NLedStandInSetLedsFunction setLeds = Export<NLedStandInSetLedsFunction>(leds.get(), "NLedStandInSetLeds");
    NLedStandInHistoryFunction history = Export<NLedStandInHistoryFunction>(leds.get(), "NLedStandInHistory");
};

TEST_F(HapticFeedback, ClickLengthsAreReadOnceUntilForgottenAndZeroIsNeverKept) {
    EXPECT_EQ(FeedbackLength(1), 40u);
    SetDword(HKEY_CURRENT_USER, SettingsPath, L"VibroClickS", 80);
    EXPECT_EQ(FeedbackLength(1), 40u) << "cached";
    ForgetClickLengths();
    EXPECT_EQ(FeedbackLength(1), 80u);
    EXPECT_EQ(FeedbackLength(50), 50u) << "other kinds are lengths of their own";

    SetDword(HKEY_CURRENT_USER, SettingsPath, L"VibroClickS", 0);
    ForgetClickLengths();
    EXPECT_EQ(FeedbackLength(1), 0u);
    SetDword(HKEY_CURRENT_USER, SettingsPath, L"VibroClickS", 70);
    EXPECT_EQ(FeedbackLength(1), 70u) << "a stored zero is read again on every click";
    ForgetClickLengths();
    SetString(HKEY_CURRENT_USER, SettingsPath, L"VibroClickS", L"90");
    EXPECT_EQ(FeedbackLength(1), 40u) << "a value of the wrong type is missing";

    EXPECT_EQ(PulseLengthOf(50001), 50u) << "overlong pulses become plain clicks";
    EXPECT_EQ(PulseLengthOf(0x30028), 40u) << "only the low 16 bits carry the length";
}

TEST_F(HapticFeedback, TheVibratorIsTheHighestMarkedLedElseLedOneElseNone) {
    setLeds(5, 3);
    EXPECT_TRUE(Vibrator(platform::CoreLibraryName).Pulse(5));
    std::vector<LedSwitch> switches = History();
    ASSERT_EQ(switches.size(), 2u);
    EXPECT_EQ(switches[0].Led, 3u);
    EXPECT_EQ(switches[1].State, 0);

    setLeds(4, -1);
    EXPECT_TRUE(Vibrator(platform::CoreLibraryName).Pulse(0));
    switches = History();
    ASSERT_EQ(switches.size(), 1u) << "length 0 only switches off";
    EXPECT_EQ(switches[0].Led, 1u);

    EXPECT_FALSE(Vibrator(L"no-such-led-library.dll").Pulse(5));
}

TEST_F(HapticFeedback, ClicksPlayOnTheFeedbackThreadWithTheirLengths) {
    PlayFeedback(1);
    LedSwitch off = {};
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const LedSwitch& s : History())
                if (s.State == 0) {
                    off = s;
                    return true;
                }
            return false;
        },
        10000))
        << "the first click after start-up is played too";
    EXPECT_EQ(off.Led, 1u);
    EXPECT_GE(off.OnLength, 40u);
}

} // namespace
