// The gateway command: arguments that reach the program exactly, and every way a run can end.
#include "platform/SmsGateway.h"
#include "platform/Utf8Text.h"
#include "support/MessageStore.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <random>

using namespace platform;
using namespace testing_support;

namespace {

// A text that would do harm if anything along the way read it as a command line or a shell command.
const std::wstring Hostile = L"Say \"hi\" to 100% of \\\"them\\\"; rm -rf ~ & echo %PATH% | x\n"
                             L"line two\t\\\\ end\\";

std::vector<std::wstring> Split(const std::wstring& line) {
    int count = 0;
    wchar_t** parts = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> result(parts, parts + count);
    LocalFree(parts);
    return result;
}

using UnixNameFunction = char*(CDECL*)(const wchar_t*);

// The Unix path of a file under Wine; empty elsewhere.
std::string UnixPath(const std::wstring& path) {
    const auto toUnix = reinterpret_cast<UnixNameFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = toUnix ? toUnix(path.c_str()) : nullptr;
    const std::string result = name ? name : "";
    if (name) HeapFree(GetProcessHeap(), 0, name);
    return result;
}

class Gateway : public ::testing::Test {
protected:
    TestMessageStore store; // owns the transport's settings for the test
    TempFolder folder;
};

} // namespace

TEST(GatewayCommandLines, RandomArgumentsSplitBackExactly) {
    std::mt19937 random(42);
    static const wchar_t pool[] = L"ab \t\"\\\n%;&|ж";
    for (int i = 0; i < 3000; ++i) {
        std::vector<std::wstring> arguments = {L"C:\\Program Files\\gate way.exe"};
        for (int n = random() % 5; n > 0; --n) {
            std::wstring argument;
            for (int k = random() % 8; k > 0; --k) argument += pool[random() % (std::size(pool) - 1)];
            arguments.push_back(argument);
        }
        ASSERT_EQ(Split(JoinCommandLine(arguments)), arguments) << JoinCommandLine(arguments).c_str();
    }
}

TEST(GatewayCommandLines, PlaceholdersAreFilledOnceAndNumberAndTextAppendedWithoutThem) {
    EXPECT_EQ(GatewayArguments({L"tool", L"send", L"--to={number}", L"{text}{text}"}, L"+7", L"{number}"),
              (std::vector<std::wstring>{L"send", L"--to=+7", L"{number}{number}"}))
        << "a text holding a placeholder is not filled in again";
    EXPECT_EQ(GatewayArguments({L"tool", L"-v", L"{Number}"}, L"+7", L"hi"),
              (std::vector<std::wstring>{L"-v", L"{Number}", L"+7", L"hi"}));
    EXPECT_EQ(GatewayArguments({L"tool"}, L"", L""), (std::vector<std::wstring>{L"", L""}));
}

TEST_F(Gateway, TheCommandIsReadAsAListOrAsOneProgram) {
    EXPECT_TRUE(ReadGatewayCommand().empty());
    EXPECT_FALSE(RunSmsGateway(L"1", L"x").Configured) << "off by default";
    TestMessageStore::SetGateway({L"C:\\a b\\tool.exe", L"", L"{text}"});
    EXPECT_EQ(ReadGatewayCommand(), (std::vector<std::wstring>{L"C:\\a b\\tool.exe"}))
        << "an empty string ends the list";
    const wchar_t single[] = L"C:\\a b\\tool.exe --flag";
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Orvanix\\Messaging", L"GatewayCommand", REG_SZ, single,
                    sizeof single);
    EXPECT_EQ(ReadGatewayCommand(), (std::vector<std::wstring>{single})) << "REG_SZ is the program alone";
    TestMessageStore::SetGateway({L"  "});
    EXPECT_TRUE(ReadGatewayCommand().empty());
}

TEST_F(Gateway, EveryArgumentReachesTheProgramAsData) {
    const std::wstring record = folder / L"calls.bin";
    TestMessageStore::SetGateway(
        TestMessageStore::TestGateway({L"record", record, L"--to", L"{number}", L"{text}"}));
    for (const std::wstring& text : {Hostile, std::wstring(), std::wstring(10000, L'ы') + L"\xD83D\xDE00"}) {
        const GatewayOutcome outcome = RunSmsGateway(L"\"; rm -rf ~", text);
        EXPECT_TRUE(outcome.Configured && outcome.Sent) << outcome.Note.c_str();
    }
    const auto calls = TestMessageStore::RecordedCalls(record);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], (std::vector<std::wstring>{L"--to", L"\"; rm -rf ~", Hostile}));
    EXPECT_EQ(calls[1][2], L"");
    EXPECT_EQ(calls[2][2].size(), 10002u);
}

TEST_F(Gateway, FailuresSayWhy) {
    TestMessageStore::SetGateway(
        TestMessageStore::TestGateway({L"fail", L"3", L"modem not ready", L"second line"}));
    GatewayOutcome outcome = RunSmsGateway(L"+7", L"x");
    EXPECT_FALSE(outcome.Sent);
    EXPECT_EQ(outcome.Note, L"the gateway command exited with status 3: modem not ready");

    TestMessageStore::SetGateway({L"C:\\nowhere\\gateway.exe"});
    EXPECT_EQ(RunSmsGateway(L"+7", L"x").Note, L"the gateway program C:\\nowhere\\gateway.exe was not found");
    TestMessageStore::SetGateway({L"no-such-gateway-program"});
    EXPECT_FALSE(RunSmsGateway(L"+7", L"x").Sent);

    const std::wstring batch = folder / L"send.cmd";
    std::ofstream(batch.c_str()) << "@echo %2\n";
    TestMessageStore::SetGateway({batch});
    outcome = RunSmsGateway(L"+7", L"& del *");
    EXPECT_FALSE(outcome.Sent);
    EXPECT_NE(outcome.Note.find(L"batch file"), std::wstring::npos);

    TestMessageStore::SetGateway(TestMessageStore::TestGateway({L"record", folder / L"long.bin"}));
    outcome = RunSmsGateway(L"+7", std::wstring(40000, L'x'));
    EXPECT_FALSE(outcome.Sent);
    EXPECT_NE(outcome.Note.find(L"too long"), std::wstring::npos);
}

TEST_F(Gateway, AProgramThatHangsIsStoppedAtTheTimeout) {
    TestMessageStore::SetGateway(TestMessageStore::TestGateway({L"hang"}));
    TestMessageStore::SetGatewayTimeout(1);
    const DWORD start = GetTickCount();
    const GatewayOutcome outcome = RunSmsGateway(L"+7", L"x");
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_FALSE(outcome.Sent);
    EXPECT_EQ(outcome.Note,
              L"the gateway command did not finish within 1 seconds and was stopped; the message "
              L"may or may not have gone out");
}

// Under Wine, Unix programs run through the bridge beside the program.
TEST_F(Gateway, UnixProgramsReportTheirStatusThroughTheBridge) {
    const std::string recordUnix = UnixPath(folder / L"unix.txt");
    if (recordUnix.empty() || GetFileAttributesW(L"Z:\\usr\\bin\\python3") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "needs Wine and python3";
    std::wstring record;
    FromUtf8(recordUnix, record);
    TestMessageStore::SetGateway(
        {L"/bin/sh", L"-c", L"printf '%s\\0' \"$@\" > \"$0\"", record, L"{number}", L"{text}"});
    GatewayOutcome outcome = RunSmsGateway(L"+7 916", Hostile);
    ASSERT_TRUE(outcome.Sent) << outcome.Note.c_str();
    std::ifstream file((folder / L"unix.txt").c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "+7 916" + std::string(1, '\0') + ToUtf8(Hostile) + std::string(1, '\0'));

    TestMessageStore::SetGateway({L"Z:\\bin\\sh", L"-c", L"echo no phone paired >&2; exit 4"});
    EXPECT_EQ(RunSmsGateway(L"+7", L"x").Note, L"the gateway command exited with status 4: no phone paired");

    TestMessageStore::SetGateway({L"/bin/sleep", L"{number}"});
    TestMessageStore::SetGatewayTimeout(1);
    outcome = RunSmsGateway(L"30", L"x");
    EXPECT_NE(outcome.Note.find(L"did not finish within 1 seconds"), std::wstring::npos)
        << outcome.Note.c_str();
}
