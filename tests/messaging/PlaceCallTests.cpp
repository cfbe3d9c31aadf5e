// Placing calls against windows of the test's own that stand in for the dialer and the call-policy
// window, with scripted process launches.
#include "messaging/PlaceCall.h"
#include "platform/PhoneCall.h"
#include "platform/ProcessLauncher.h"
#include "support/ErrorLogLines.h"
#include "support/Processes.h"
#include "support/Registry.h"
#include "support/ScriptedLaunches.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr wchar_t SettingsPath[] = L"Software\\Orvanix\\PIM\\Settings";
constexpr wchar_t HookPath[] = L"Software\\HTC\\Phone\\KeyboardHook";

// A window of a given class in this process that keeps what WM_COPYDATA brings.
class Receiver {
public:
    explicit Receiver(const wchar_t* className) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Receiver() { DestroyWindow(window); }
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    // The calls received as "number|called party".
    std::vector<std::wstring> Calls() const {
        std::vector<std::wstring> calls;
        for (const auto& [id, block] : received) {
            std::wstring text(reinterpret_cast<const wchar_t*>(block.data()), block.size() / 2);
            const size_t end = text.find(L'\0');
            if (id == platform::DialerCallDataId) calls.push_back(text.replace(end, 1, L"|").c_str());
        }
        return calls;
    }

    HWND window;
    std::vector<std::pair<ULONG_PTR, std::string>> received;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Receiver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message != WM_COPYDATA || !self) return DefWindowProcW(window, message, wParam, lParam);
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        self->received.emplace_back(copy->dwData,
                                    std::string(static_cast<const char*>(copy->lpData), copy->cbData));
        return TRUE;
    }
};

std::string ServiceCodeBlock(const wchar_t* code) {
    DWORD size = 0;
    const std::unique_ptr<BYTE[]> block = BuildServiceCodeBlock(code, size);
    return std::string(reinterpret_cast<const char*>(block.get()), size);
}

class PlacingCalls : public ::testing::Test {
protected:
    void SetUp() override {
        DeletePimBranch();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\HTC");
        ASSERT_FALSE(FindWindowW(platform::DialerClass, nullptr)) << "a dialer is still running";
    }
    void TearDown() override {
        DeletePimBranch();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\HTC");
    }
};

TEST_F(PlacingCalls, ServiceCodesGoOnlyToTheCallPolicyWindowAndEmptyNumbersNowhere) {
    ScriptedLaunches launches(TRUE);
    EXPECT_EQ(PlaceCall(L"", L"Name"), 0);
    EXPECT_EQ(PlaceCall(L"*100#", L"Balance"), -1) << "no call-policy window: nothing else is tried";
    EXPECT_TRUE(launches.launches.empty());

    Receiver dialer(platform::DialerClass);
    Receiver policy(platform::CallPolicyClass);
    EXPECT_EQ(PlaceCall(L"*100#", L"Balance"), 0);
    EXPECT_EQ(PlaceCall(L"*102#", nullptr), 0);
    ASSERT_EQ(policy.received.size(), 2u);
    EXPECT_EQ(policy.received[0].first, platform::ServiceCodeDataId);
    EXPECT_EQ(policy.received[0].second, ServiceCodeBlock(L"*100#"));
    EXPECT_TRUE(dialer.received.empty());
    EXPECT_TRUE(launches.launches.empty());
}

TEST_F(PlacingCalls, FailuresAreLoggedOneLineEach) {
    ScriptedLaunches launches(FALSE);
    std::vector<std::string> lines = LinesLoggedBy([] { EXPECT_EQ(PlaceCall(L"*100#", nullptr), -1); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "Call to *100#: service code not sent, there is no call-policy window (the dialer is not "
              "running)\t\tCalls: PlaceCall (0)");
}

// The phone holds a number in 80 characters and a called party in 40, terminators included: the phone
// library refuses longer numbers (logged), and longer names are cut before they reach it. Service codes
// of any length go to the call-policy window.
TEST_F(PlacingCalls, NumbersAndNamesAreBoundedByThePhonesBuffers) {
    Receiver dialer(platform::DialerClass);
    Receiver policy(platform::CallPolicyClass);
    ScriptedLaunches launches(TRUE);
    for (const size_t length : {size_t{0}, size_t{79}, size_t{80}, size_t{99}, size_t{100}, size_t{259},
                                size_t{260}, size_t{2100}, size_t{100000}}) {
        const std::wstring number(length, L'5'), code = length ? number.substr(1) + L"#" : L"";
        const size_t calls = dialer.Calls().size(), codes = policy.received.size();
        const std::vector<std::string> lines = LinesLoggedBy([&] {
            EXPECT_EQ(PlaceCall(number.c_str(), L"Anna"), length <= 79 ? 0 : LONG(E_INVALIDARG)) << length;
            EXPECT_EQ(PlaceCall(code.c_str(), nullptr), 0) << length;
        });
        EXPECT_EQ(dialer.Calls().size(), calls + (length && length <= 79)) << length;
        EXPECT_EQ(policy.received.size(), codes + (length != 0)) << length;
        if (length <= 79) {
            EXPECT_TRUE(lines.empty()) << length;
            continue;
        }
        ASSERT_EQ(lines.size(), 1u) << length;
        EXPECT_EQ(lines[0],
                  "Call to " + std::string(40, '5') + "... (" + std::to_string(length) +
                      " characters) (Anna): the phone library answered 0x80070057\t\tCalls: PlaceCall (0)");
    }

    for (const size_t length : {size_t{0}, size_t{39}, size_t{40}, size_t{99}, size_t{100}, size_t{259},
                                size_t{260}, size_t{2100}, size_t{100000}}) {
        std::wstring name(length, L'a');
        if (length > 39) name[38] = L'\xD83D', name[39] = L'\xDE00'; // a pair the cut must not split
        EXPECT_EQ(PlaceCall(L"123", name.c_str()), 0) << length;
        const std::wstring kept = length <= 39 ? name : std::wstring(38, L'a');
        EXPECT_EQ(dialer.Calls().back(), L"123|" + kept) << length;
    }
    EXPECT_TRUE(launches.launches.empty());
}

TEST_F(PlacingCalls, ThePhoneLibraryRefusesRecordsBeyondItsBuffers) {
    Receiver dialer(platform::DialerClass);
    HMODULE library = LoadLibraryW(L"phone.dll");
    ASSERT_TRUE(library);
    const auto makeCall = reinterpret_cast<platform::PhoneMakeCallFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "PhoneMakeCall")));
    const std::wstring longest(79, L'1'), tooLong(80, L'1'), longestName(39, L'n'), tooLongName(40, L'n');
    const auto call = [&](const std::wstring& number, const std::wstring& name) {
        platform::CallInfo info = {sizeof info, 0, number.c_str(), nullptr, name.c_str(), nullptr};
        return makeCall(&info);
    };
    EXPECT_EQ(call(longest, longestName), 0);
    EXPECT_EQ(call(tooLong, longestName), LONG(E_INVALIDARG));
    EXPECT_EQ(call(longest, tooLongName), LONG(E_INVALIDARG));
    EXPECT_EQ(call(std::wstring(100000, L'1'), L""), LONG(E_INVALIDARG));
    EXPECT_EQ(dialer.Calls(), std::vector<std::wstring>{longest + L"|" + longestName});
}

TEST_F(PlacingCalls, ServiceCodeBlocksCoverTextAndTerminatorInWholeWords) {
    for (int length = 0; length <= 9; ++length) {
        const std::wstring code(length, L'7');
        std::string expected = std::string("\1\0\0\0\x14", 5) + std::string(15, '\0') +
                               std::string(reinterpret_cast<const char*>(code.data()), 2 * length);
        expected.resize((2 * length + 25) / 4 * 4, '\0');
        EXPECT_EQ(ServiceCodeBlock(code.c_str()), expected) << length;
    }
}

TEST_F(PlacingCalls, TheKeyStampMovesBackUnlessTheHackIsOff) {
    SetDword(HKEY_LOCAL_MACHINE, HookPath, L"Other", 1);
    MoveKeyStampBack(); // a key without the value gains none
    EXPECT_FALSE(GetDword(HKEY_LOCAL_MACHINE, HookPath, L"SendKeyStamp"));
    SetDword(HKEY_LOCAL_MACHINE, HookPath, L"SendKeyStamp", 10000);
    Receiver dialer(platform::DialerClass);
    EXPECT_EQ(PlaceCall(L"123", nullptr), 0);
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, HookPath, L"SendKeyStamp"), 8000u);
    SetDword(HKEY_LOCAL_MACHINE, HookPath, L"SendKeyStamp", 1000);
    MoveKeyStampBack();
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, HookPath, L"SendKeyStamp"), 0xFFFFFFFFu - 999u)
        << "wraps like the tick count";

    SetDword(HKEY_CURRENT_USER, SettingsPath, L"D2Hack", 0);
    EXPECT_EQ(PlaceCall(L"123", nullptr), 0);
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, HookPath, L"SendKeyStamp"), 0xFFFFFFFFu - 999u);
}

TEST_F(PlacingCalls, ADialerGetsTheCallStartedAndAwaitedWhenMissing) {
    std::unique_ptr<Receiver> dialer;
    ScriptedLaunches launches(TRUE, [&] { dialer = std::make_unique<Receiver>(platform::DialerClass); });
    EXPECT_EQ(PlaceCall(L"8 (916) 123-45-67", L"Анна"), 0);
    ASSERT_TRUE(dialer);
    EXPECT_EQ(launches.launches[0].application, L"cprog.exe");
    EXPECT_EQ(PlaceCall(L"+7916", nullptr), 0);
    EXPECT_EQ(launches.launches.size(), 1u) << "a running dialer is not started again";
    EXPECT_EQ(dialer->Calls(), (std::vector<std::wstring>{L"8 (916) 123-45-67|Анна", L"+7916|"}));
}

TEST_F(PlacingCalls, TheContactViewerStartsOnlyWhenConfigured) {
    ScriptedLaunches launches(TRUE);
    OpenContactViewer(L"v 1f");
    EXPECT_TRUE(launches.launches.empty());
    SetString(HKEY_CURRENT_USER, SettingsPath, L"ProgramPath", L"C:\\Program Files\\Viewer\\viewer.exe");
    OpenContactViewer(L"v 1f");
    ASSERT_EQ(launches.launches.size(), 1u);
    EXPECT_EQ(launches.launches[0].application, L"C:\\Program Files\\Viewer\\viewer.exe");
    EXPECT_EQ(launches.launches[0].commandLine, L"v 1f");
}

// The real dialer of the desktop, started through the phone library, writing its call log.
class DesktopDialer : public PlacingCalls {
protected:
    void SetUp() override {
        PlacingCalls::SetUp();
        wchar_t appData[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, appData);
        logPath = std::wstring(appData) + L"\\Orvanix\\Dialvane\\calls.log";
        DeleteFileW(logPath.c_str());
    }
    void TearDown() override {
        // Ends the dialer this test brought up.
        if (HWND dialer = FindWindowW(platform::DialerClass, nullptr)) PostMessageW(dialer, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitUntil([] { return !FindWindowW(platform::DialerClass, nullptr); }, 10000));
        PlacingCalls::TearDown();
    }

    // The log's lines without their time stamps; the stamps must have the documented shape.
    std::vector<std::string> LoggedLines() {
        std::ifstream file(logPath.c_str(), std::ios::binary);
        const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\t(.*)\r)");
        std::vector<std::string> lines;
        std::smatch match;
        for (std::string line; std::getline(file, line); lines.push_back(match[1]))
            EXPECT_TRUE(std::regex_match(line, match, stamped)) << line;
        return lines;
    }

    std::wstring logPath;
};

TEST_F(DesktopDialer, ACallBringsUpTheDialerAndLandsInTheCallLog) {
    {
        ScriptedLaunches launches(FALSE);
        EXPECT_EQ(PlaceCall(L"+7 (916) 123-45-67", L"Анна Петрова"), 0)
            << "the phone library brings up its dialer itself";
    }
    HWND dialer = FindWindowW(platform::DialerClass, nullptr);
    ASSERT_TRUE(dialer);
    EXPECT_TRUE(IsWindowVisible(dialer)) << "the in-call screen is showing";
    ASSERT_TRUE(WaitUntil([&] { return LoggedLines().size() == 1; }, 10000));

    // The running dialer's call-policy window takes service codes.
    EXPECT_EQ(PlaceCall(L"*102#", nullptr), 0);
    EXPECT_EQ(PlaceCall(L"555", nullptr), 0);
    const std::vector<std::string> lines = LoggedLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "+7 (916) 123-45-67\t\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0 "
                        "\xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB0\tcall");
    EXPECT_EQ(lines[1], "*102#\t\tservice");
    EXPECT_EQ(lines[2], "555\t\tcall");
}

} // namespace
