// Click lengths, the feedback thread and the vibrator found behind the LED library of the desktop.
#include "messaging/HapticFeedback.h"
#include "platform/coredll/NotificationLeds.h"
#include "support/Processes.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <vector>

using namespace testing_support;

namespace {

constexpr wchar_t SettingsPath[] = L"Software\\Orvanix\\PIM\\Settings";

// The desktop LED library that the program finds beside itself, and what it recorded.
class LedLibrary {
public:
    LedLibrary() : module_(LoadLibraryW(platform::CoreLibraryName)) {}
    ~LedLibrary() {
        if (module_) FreeLibrary(module_);
    }
    LedLibrary(const LedLibrary&) = delete;
    LedLibrary& operator=(const LedLibrary&) = delete;

    bool Loaded() const { return setLeds_ && history_; }
    void SetLeds(UINT count, int vibrator) { setLeds_(count, vibrator); }
    std::vector<LedSwitch> History() const {
        std::vector<LedSwitch> switches(history_(nullptr, 0));
        switches.resize(history_(switches.data(), static_cast<int>(switches.size())));
        return switches;
    }
    // Waits for the first switch-off and returns it; State -1 when none came.
    LedSwitch FirstOff(DWORD timeoutMs) const {
        LedSwitch off = {0, -1, 0, 0};
        WaitUntil(
            [&] {
                for (const LedSwitch& s : History()) {
                    if (s.State == 0) {
                        off = s;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return off;
    }

private:
    template <class F> F Find(const char* name) {
        return module_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)))
                       : nullptr;
    }
    HMODULE module_;
    NLedStandInSetLedsFunction setLeds_ = Find<NLedStandInSetLedsFunction>("NLedStandInSetLeds");
    NLedStandInHistoryFunction history_ = Find<NLedStandInHistoryFunction>("NLedStandInHistory");
};

class HapticFeedback : public ::testing::Test {
protected:
    void SetUp() override {
        DeletePimBranch();
        ForgetClickLengths();
        ASSERT_TRUE(leds.Loaded());
        leds.SetLeds(2, 1);
    }
    void TearDown() override { DeletePimBranch(); }
    LedLibrary leds;
};

TEST_F(HapticFeedback, ClickLengthsAreReadOnceUntilForgottenAndZeroIsNeverKept) {
    EXPECT_EQ(FeedbackLength(1), 40u);
    SetDword(HKEY_CURRENT_USER, SettingsPath, L"VibroClickS", 80);
    SetDword(HKEY_CURRENT_USER, SettingsPath, L"VibroClickL", 120);
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
    leds.SetLeds(5, 3);
    Vibrator marked(platform::CoreLibraryName);
    EXPECT_TRUE(marked.Pulse(5));
    EXPECT_EQ(marked.LedIndex(), 3);
    std::vector<LedSwitch> history = leds.History();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].Led, 3u);
    EXPECT_EQ(history[1].State, 0);

    leds.SetLeds(4, -1);
    Vibrator unmarked(platform::CoreLibraryName);
    EXPECT_TRUE(unmarked.Pulse(0));
    EXPECT_EQ(unmarked.LedIndex(), 1);
    history = leds.History();
    ASSERT_EQ(history.size(), 1u) << "length 0 only switches off";
    EXPECT_EQ(history[0].Led, 1u);
    EXPECT_EQ(history[0].State, 0);

    Vibrator missing(L"no-such-led-library.dll");
    EXPECT_FALSE(missing.Pulse(5));
    EXPECT_FALSE(missing.Pulse(5)) << "without the LED interface nothing is tried again";
    EXPECT_EQ(missing.LedIndex(), -1);
}

TEST_F(HapticFeedback, ClicksPlayOnTheFeedbackThreadWithTheirLengths) {
    PlayFeedback(1);
    LedSwitch off = leds.FirstOff(10000);
    ASSERT_EQ(off.State, 0) << "the first click after start-up is played too";
    EXPECT_EQ(off.Led, 1u);
    EXPECT_GE(off.OnLength, 40u);
}

} // namespace
