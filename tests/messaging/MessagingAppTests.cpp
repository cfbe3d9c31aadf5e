// Handing a new message to the user's or the platform's messaging program, with scripted launches.
#include "messaging/MessagingApp.h"
#include "support/Registry.h"
#include "support/ScriptedLaunches.h"
#include "support/WStringPrinter.h"

#include <gtest/gtest.h>

#include <string>

using namespace testing_support;

namespace {

constexpr wchar_t SettingsPath[] = L"Software\\Orvanix\\PIM\\Settings";
constexpr wchar_t InboxPath[] = L"Software\\Microsoft\\Shell\\Rai\\:MSINBOX";

class MessagingApp : public ::testing::Test {
protected:
    void SetUp() override {
        DeletePimBranch();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, InboxPath);
    }
    void TearDown() override { SetUp(); }

    // What was started, as "application|command line".
    std::vector<std::wstring> Started(const ScriptedLaunches& launches) {
        std::vector<std::wstring> started;
        for (const auto& launch : launches.launches)
            started.push_back(launch.application + L"|" + launch.commandLine);
        return started;
    }
};

} // namespace

TEST_F(MessagingApp, TheInboxProgramComposesToTheCleanedNameAndNumber) {
    ScriptedLaunches launches(TRUE);
    OpenMessagingApp(L"+7 (916) 123-45-67", L"Ivan [work]");
    OpenMessagingApp(L"+7 (916) 123-45-67", L"");
    OpenMessagingApp(L"+7 (916) 123-45-67", L"[];:");
    OpenMessagingApp(std::wstring(100, L'1').c_str(), L"Too, long; number");
    EXPECT_EQ(Started(launches), (std::vector<std::wstring>{
                                     L"tmail.exe|-service \"SMS\" -To \"Ivan work<+79161234567>\"",
                                     L"tmail.exe|-service \"SMS\" -To \"+79161234567\"",
                                     L"tmail.exe|-service \"SMS\" -To \"+79161234567\"",
                                     L"tmail.exe|-service \"SMS\" -To \"Too long number<>\"",
                                 }));
}

TEST_F(MessagingApp, TheUsersProgramNeedsBothSettingsAndThePlaceholderForTheNumber) {
    ScriptedLaunches launches(TRUE);
    SetString(HKEY_CURRENT_USER, SettingsPath, L"SmsApp", L"C:\\Apps\\sms.exe");
    OpenMessagingApp(L"+7 916", L"Ivan");
    SetString(HKEY_CURRENT_USER, SettingsPath, L"SmsParam", L"/to %p /name %n %p %n");
    OpenMessagingApp(L"+7 (916) 123-45-67", L"Ivan [work]");
    SetString(HKEY_CURRENT_USER, SettingsPath, L"SmsParam", L"/name %n");
    OpenMessagingApp(L"+7 916", L"Ivan");
    EXPECT_EQ(Started(launches), (std::vector<std::wstring>{
                                     L"tmail.exe|-service \"SMS\" -To \"Ivan<+7916>\"",
                                     L"C:\\Apps\\sms.exe|/to +79161234567 /name Ivan work %p %n",
                                     L"tmail.exe|-service \"SMS\" -To \"Ivan<+7916>\"",
                                 }));
}

TEST_F(MessagingApp, FailedStartsFallBackToTheInboxAndThenToPmail) {
    ScriptedLaunches launches(FALSE);
    SetString(HKEY_CURRENT_USER, SettingsPath, L"SmsApp", L"C:\\Apps\\sms.exe");
    SetString(HKEY_CURRENT_USER, SettingsPath, L"SmsParam", L"%p");
    OpenMessagingApp(L"5", L"");
    EXPECT_EQ(Started(launches),
              (std::vector<std::wstring>{L"C:\\Apps\\sms.exe|5", L"tmail.exe|-service \"SMS\" -To \"5\"",
                                         L"pmail.exe|-service \"SMS\" -To \"5\""}));
}

TEST_F(MessagingApp, TheInboxCommandIsReadWithoutItsQuotes) {
    EXPECT_EQ(GetInboxAppPath(), L"tmail.exe");
    SetString(HKEY_LOCAL_MACHINE, InboxPath, L"1", L"\"\\Windows\\inbox app.exe\"");
    EXPECT_EQ(GetInboxAppPath(), L"\\Windows\\inbox app.exe");
    SetString(HKEY_LOCAL_MACHINE, InboxPath, L"1", L"\"\"");
    EXPECT_EQ(GetInboxAppPath(), L"tmail.exe");
    // A value that fills the whole buffer without a terminator is cut at its last character (the type
    // is not looked at).
    const std::wstring full(260, L'a');
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, InboxPath, L"1", REG_BINARY, full.data(), 520);
    EXPECT_EQ(GetInboxAppPath(), std::wstring(259, L'a').c_str());
    SetString(HKEY_LOCAL_MACHINE, InboxPath, L"1", std::wstring(300, L'b').c_str());
    const WString tooLong = GetInboxAppPath();
    EXPECT_LE(tooLong.GetLength(), 259);
}
