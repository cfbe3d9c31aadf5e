// The on-screen keypad as a real window: taps, slides, the held erase key, the hardware keys, the
// labels of the layout and the click of every key.
#include "companions/coredll/NotificationLeds.h"
#include "platform/NotificationLed.h"
#include "picker/KeypadWindow.h"
#include "support/Registry.h"
#include "support/WStringPrinter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr wchar_t AbcKey[] = L"Software\\Orvanix\\PIM\\ABC";

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

class Recorder : public KeypadListener {
public:
    void OnDigitsChanged(const WString& digits) override { reports.emplace_back(digits); }
    std::vector<std::wstring> reports;
};

// A keypad of 300 × 300: cells of 100 × 100, erase at the top left, "2" beside it, "9" at the bottom right.
class Keypad : public ::testing::Test {
protected:
    void SetUp() override {
        DeletePimBranch();
        SetDword(HKEY_CURRENT_USER, AbcKey, L"Type", 1);
        parent.Create(L"", WS_POPUP | WS_VISIBLE, 0, 300, 300, nullptr);
        keypad.listener = &recorder;
        ASSERT_TRUE(keypad.Create(parent.Window));
        SetWindowPos(keypad.Window, nullptr, 0, 0, 300, 300, SWP_NOZORDER);
    }
    void TearDown() override { DeletePimBranch(); }
    void Send(UINT message, int x, int y) { SendMessageW(keypad.Window, message, 0, MAKELPARAM(x, y)); }
    void Tap(int x, int y) {
        Send(WM_LBUTTONDOWN, x, y);
        Send(WM_LBUTTONUP, x, y);
    }

    WindowBase parent;
    Recorder recorder;
    KeypadWindow keypad;
};

TEST(KeypadGrid, KeysAreThirdsOfTheWindow) {
    EXPECT_EQ(KeypadKeyAt(0, 0, 300, 300), 0);
    EXPECT_EQ(KeypadKeyAt(150, 50, 300, 300), 1);
    EXPECT_EQ(KeypadKeyAt(299, 299, 300, 300), 8);
    EXPECT_EQ(KeypadKeyAt(301, 50, 302, 300), -1) << "the pixels left over by the division belong to no key";
    EXPECT_EQ(KeypadKeyAt(-1, 50, 300, 300), -1);
    EXPECT_EQ(KeypadKeyAt(5, 5, 2, 2), -1) << "a keypad too small for keys has none";
    const RECT cell = KeypadKeyCell(5, 302, 300);
    EXPECT_EQ(cell.left, 200);
    EXPECT_EQ(cell.top, 100);
    EXPECT_EQ(cell.right, 300);
}

TEST_F(Keypad, TapsTypeAndEraseAndOnlyChangesAreReported) {
    Tap(150, 50);
    Tap(250, 250);
    EXPECT_EQ(keypad.digits, L"29");
    Tap(50, 50);
    EXPECT_EQ(recorder.reports, (std::vector<std::wstring>{L"2", L"29", L"2"}));
    Tap(50, 50);
    Tap(50, 50);
    EXPECT_EQ(recorder.reports.size(), 4u) << "erasing nothing reports nothing";

    // Sliding off a key and releasing elsewhere types nothing; sliding back on before the release does.
    Send(WM_LBUTTONDOWN, 150, 150);
    Send(WM_MOUSEMOVE, 150, 250);
    Send(WM_LBUTTONUP, 150, 250);
    EXPECT_TRUE(keypad.digits.IsEmpty());
    Send(WM_LBUTTONDOWN, 150, 150);
    Send(WM_MOUSEMOVE, 150, 250);
    Send(WM_MOUSEMOVE, 150, 160);
    Send(WM_LBUTTONUP, 150, 160);
    EXPECT_EQ(keypad.digits, L"5");

    // The hardware keys: 1 erases, 2 to 9 type, the rest are not the keypad's.
    SendMessageW(keypad.Window, WM_KEYDOWN, '7', 0);
    SendMessageW(keypad.Window, WM_KEYDOWN, '1', 0);
    SendMessageW(keypad.Window, WM_KEYDOWN, '0', 0);
    SendMessageW(keypad.Window, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(keypad.digits, L"5");
    SendMessageW(keypad.Window, WM_KEYDOWN, VK_NUMPAD8, 0);
    SendMessageW(keypad.Window, WM_KEYDOWN, VK_BACK, 0);
    EXPECT_EQ(recorder.reports.back(), L"5") << "a desktop keyboard's number pad and backspace work alike";
}

TEST_F(Keypad, HoldingEraseClearsEverythingOnceAndItsReleaseErasesNothingMore) {
    keypad.PressKey(1);
    keypad.PressKey(2);
    keypad.PressKey(3);
    recorder.reports.clear();
    Send(WM_LBUTTONDOWN, 50, 50);
    EXPECT_EQ(keypad.pressedShown, 1);
    Pump(KeypadWindow::EraseAllMs + 200);
    EXPECT_TRUE(keypad.digits.IsEmpty());
    EXPECT_EQ(recorder.reports, std::vector<std::wstring>{L""});
    EXPECT_EQ(keypad.pressedShown, 0);
    keypad.PressKey(4);
    Send(WM_LBUTTONUP, 50, 50);
    EXPECT_EQ(keypad.digits, L"5") << "the release of a hold is no tap";

    Send(WM_LBUTTONDOWN, 150, 50);
    Pump(KeypadWindow::EraseAllMs + 200);
    Send(WM_LBUTTONUP, 150, 50);
    EXPECT_EQ(keypad.digits, L"52") << "holding any other key is a tap";
}

TEST_F(Keypad, EveryKeyClicksEvenAnEraseOfNothing) {
    HMODULE leds = LoadLibraryW(platform::CoreLibraryName);
    ASSERT_TRUE(leds);
    const auto history = reinterpret_cast<NLedStandInHistoryFunction>(
        reinterpret_cast<void*>(GetProcAddress(leds, "NLedStandInHistory")));
    ASSERT_TRUE(history);
    const int before = history(nullptr, 0);
    keypad.feedbackOn = 1;
    keypad.feedbackDuration = 50;
    Tap(50, 50);
    Pump(200);
    EXPECT_GE(history(nullptr, 0) - before, 2) << "the vibrator went on and off";
    EXPECT_TRUE(recorder.reports.empty());
    FreeLibrary(leds);
}

TEST_F(Keypad, LabelsComeFromTheLayoutAndExtraLabelsOnlyWhenItHasThem) {
    EXPECT_EQ(keypad.keyLabels.GetSize(), 8);
    EXPECT_EQ(keypad.keyLabels[0], L"ABC");
    EXPECT_EQ(keypad.keyExtraLabels.GetSize(), 0);

    SetDword(HKEY_CURRENT_USER, AbcKey, L"Type", 3);
    KeypadWindow russian;
    ASSERT_TRUE(russian.Create(parent.Window));
    EXPECT_EQ(russian.keyLabels[0], L"АБВГ");
    EXPECT_EQ(russian.keyExtraLabels[7], L"WXYZ");

    SetDword(HKEY_CURRENT_USER, AbcKey, L"Type", 2);
    KeypadWindow plain;
    ASSERT_TRUE(plain.Create(parent.Window));
    EXPECT_EQ(plain.keyExtraLabels.GetSize(), 0) << "a layout whose extra labels are all empty has none";

    SetDword(HKEY_CURRENT_USER, AbcKey, L"Type", 0);
    const std::wstring custom = L"AB/ab";
    RegSetKeyValueW(HKEY_CURRENT_USER, AbcKey, L"Custom", REG_BINARY, custom.data(),
                    static_cast<DWORD>(custom.size() * sizeof(wchar_t)));
    KeypadWindow shortLayout;
    shortLayout.listener = &recorder;
    ASSERT_TRUE(shortLayout.Create(parent.Window));
    EXPECT_EQ(shortLayout.keyLabels.GetSize(), 1);
    shortLayout.PressKey(8);
    EXPECT_EQ(shortLayout.digits, L"9") << "keys without a label still type";
}

} // namespace
