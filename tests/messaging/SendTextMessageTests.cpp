// Both roads of a text message, end to end: through the message store and its transport, and through
// the SMS library with the copy filed in Sent Items, checked against the files on disk.
#include "messaging/SendTextMessage.h"
#include "platform/MessageStoreMapi.h"
#include "platform/SmsTransport.h"
#include "support/MessageStore.h"
#include "support/Processes.h"
#include "support/Registry.h"
#include "support/ScriptedLaunches.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace platform;
using namespace testing_support;

namespace {

constexpr wchar_t SettingsPath[] = L"Software\\Orvanix\\PIM\\Settings";

// The message and recipient properties, by tag, that the Part's records list for a message.
void ExpectTextMessage(const StoredMessage& message, const std::wstring& number, const std::wstring& text,
                       ULONG flags) {
    EXPECT_EQ(TextOf(message, PR_SUBJECT), text);
    ASSERT_NE(message.Find(PR_SENDER_EMAIL_ADDRESS), nullptr);
    EXPECT_EQ(TextOf(message, PR_SENDER_EMAIL_ADDRESS), L"");
    EXPECT_EQ(NumberOf(message, PR_MSG_STATUS), 0x40000u);
    EXPECT_EQ(NumberOf(message, PR_MESSAGE_FLAGS), flags);
    ASSERT_EQ(message.Named.size(), 1u);
    EXPECT_TRUE(IsEqualGUID(message.Named[0].Set, PS_MAPI));
    EXPECT_EQ(message.Named[0].Name, L"SMS:Unicode");
    EXPECT_EQ(message.Named[0].Value.Type, PT_BOOLEAN);
    EXPECT_EQ(message.Named[0].Value.Number, 1u);
    ASSERT_EQ(message.Recipients.size(), 1u);
    const std::vector<StoredProperty>& recipient = message.Recipients[0].Properties;
    ASSERT_EQ(recipient.size(), 3u);
    EXPECT_EQ(recipient[0].Tag, PR_RECIPIENT_TYPE);
    EXPECT_EQ(recipient[0].Value.Number, 1u);
    EXPECT_EQ(recipient[1].Tag, PR_ADDRTYPE);
    EXPECT_EQ(recipient[1].Value.Text, L"SMS");
    EXPECT_EQ(recipient[2].Tag, PR_EMAIL_ADDRESS);
    EXPECT_EQ(recipient[2].Value.Text, number);
    for (const StoredProperty& property : message.Properties)
        EXPECT_NE(PROP_ID(property.Tag), 0x1000u) << "no body: the text is in the subject";
}

std::vector<ULONG> Tags(const StoredMessage& message) {
    std::vector<ULONG> tags;
    for (const StoredProperty& property : message.Properties) tags.push_back(property.Tag);
    return tags;
}

uint64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
}

class SendingText : public ::testing::Test {
protected:
    void SetUp() override { DeletePimBranch(); }
    void TearDown() override { DeletePimBranch(); }

    TestMessageStore store;
    TempFolder folder;
    ScriptedLaunches launches{TRUE};
};

const std::wstring Texts[] = {L"Позвони мне", L"", std::wstring(10000, L'x'),
                              L"\xD83D\xDE00 пара \"кавычки\" 100%\n"};

} // namespace

TEST_F(SendingText, TheStoreRoadSubmitsAndTheTransportFilesTheMessageInSentItems) {
    const uint64_t before = Now();
    for (const std::wstring& text : Texts) EXPECT_TRUE(SendTextMessage(L"+7 (916) 123-45-67", text.c_str()));
    ASSERT_EQ(launches.launches.size(), 4u);
    EXPECT_EQ(launches.launches[0].application, L"tmail.exe");
    EXPECT_EQ(launches.launches[0].commandLine, L"-service");

    const std::vector<StoredMessage> sent = store.Messages(L"Sent Items");
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_TRUE(store.Files(L"Outbox").empty());
    for (size_t i = 0; i < sent.size(); ++i) {
        ExpectTextMessage(sent[i], L"+7 (916) 123-45-67", Texts[i], 0x21);
        // The four properties set at submission, then what the transport adds.
        EXPECT_EQ(Tags(sent[i]),
                  (std::vector<ULONG>{PR_SUBJECT, PR_SENDER_EMAIL_ADDRESS, PR_MSG_STATUS, PR_MESSAGE_FLAGS,
                                      PR_CLIENT_SUBMIT_TIME, PR_MESSAGE_DELIVERY_TIME}));
        EXPECT_EQ(sent[i].State, TransportState::Sent);
        EXPECT_GE(NumberOf(sent[i], PR_MESSAGE_DELIVERY_TIME), before);
    }
}

TEST_F(SendingText, ASubmittedMessageWaitsInTheOutboxAsThePartListsItWhileTheGatewayRuns) {
    TestMessageStore::SetGateway(TestMessageStore::TestGateway({L"record", folder / L"calls.bin"}));
    EXPECT_TRUE(SendTextMessage(L"+7916", L"later"));
    const std::vector<StoredMessage> outbox = store.Messages(L"Outbox");
    ASSERT_EQ(outbox.size(), 1u);
    ExpectTextMessage(outbox[0], L"+7916", L"later", 0x29);
    EXPECT_EQ(outbox[0].Find(PR_MESSAGE_DELIVERY_TIME), nullptr);
    EXPECT_EQ(outbox[0].State, TransportState::Queued);
}

TEST_F(SendingText, TheDirectRoadSendsThroughTheLibraryAndFilesACopy) {
    SetDword(HKEY_CURRENT_USER, SettingsPath, L"SmsAlt", 1);
    for (const std::wstring& text : Texts) EXPECT_TRUE(SendTextMessage(L"+7916", text.c_str()));
    EXPECT_TRUE(launches.launches.empty()) << "the transport program is not started";
    const std::vector<StoredMessage> sent = store.Messages(L"Sent Items");
    ASSERT_EQ(sent.size(), 4u);
    for (size_t i = 0; i < sent.size(); ++i) {
        ExpectTextMessage(sent[i], L"+7916", Texts[i], 0x21);
        EXPECT_EQ(Tags(sent[i]), (std::vector<ULONG>{PR_SUBJECT, PR_SENDER_EMAIL_ADDRESS, PR_MSG_STATUS,
                                                     PR_MESSAGE_FLAGS, PR_MESSAGE_DELIVERY_TIME}));
        EXPECT_EQ(sent[i].State, TransportState::None) << "filed, not submitted";
        EXPECT_LE(NumberOf(sent[i], PR_MESSAGE_DELIVERY_TIME) / 10000000, Now() / 10000000) << "UTC";
        EXPECT_GE(NumberOf(sent[i], PR_MESSAGE_DELIVERY_TIME) / 10000000 + 2, Now() / 10000000) << "UTC";
    }
}

TEST_F(SendingText, TheDirectRoadKeepsAMessageTheGatewayCouldNotSendInTheOutbox) {
    SetDword(HKEY_CURRENT_USER, SettingsPath, L"SmsAlt", 7);
    TestMessageStore::SetGateway(TestMessageStore::TestGateway({L"fail", L"1", L"not paired"}));
    EXPECT_FALSE(SendTextMessage(L"+7916", L"hi"));
    EXPECT_TRUE(store.Files(L"Sent Items").empty());
    const std::vector<StoredMessage> outbox = store.Messages(L"Outbox");
    ASSERT_EQ(outbox.size(), 1u);
    ExpectTextMessage(outbox[0], L"+7916", L"hi", 0x29);
    EXPECT_EQ(outbox[0].State, TransportState::Failed);

    const std::wstring record = folder / L"calls.bin";
    TestMessageStore::SetGateway(TestMessageStore::TestGateway({L"record", record}));
    EXPECT_TRUE(SendTextMessage(L"\"; rm -rf ~", L"it's \"quoted\" 100%"));
    EXPECT_EQ(TestMessageStore::RecordedCalls(record),
              (std::vector<std::vector<std::wstring>>{{L"\"; rm -rf ~", L"it's \"quoted\" 100%"}}));
    EXPECT_EQ(store.Files(L"Sent Items").size(), 1u);

    EXPECT_FALSE(SendTextMessage(std::wstring(256, L'1').c_str(), L"x")) << "does not fit the address field";
    EXPECT_TRUE(SendTextMessage(std::wstring(255, L'1').c_str(), L"x"));
    EXPECT_EQ(TestMessageStore::RecordedCalls(record).size(), 2u);
}

TEST_F(SendingText, NothingIsSentWithoutAStoreNamedExactlySms) {
    // A store whose name differs only in case; no "SMS" can be made beside it on this file system.
    RemoveDirectoryW(store.Folder(L"Outbox").c_str());
    CreateDirectoryW(store.Root().c_str(), nullptr);
    CreateDirectoryW((store.Root() + L"\\sms").c_str(), nullptr);
    CreateDirectoryW((store.Root() + L"\\sms\\Outbox").c_str(), nullptr);
    CreateDirectoryW((store.Root() + L"\\sms\\Sent Items").c_str(), nullptr);
    EXPECT_FALSE(SendTextMessage(L"+7916", L"hi"));
    SetDword(HKEY_CURRENT_USER, SettingsPath, L"SmsAlt", 1);
    EXPECT_TRUE(SendTextMessage(L"+7916", L"hi")) << "sent, only the copy cannot be filed";
    EXPECT_TRUE(store.Files(L"Outbox", L"sms").empty());
    EXPECT_TRUE(store.Files(L"Sent Items", L"sms").empty());
}

TEST_F(SendingText, AStoreLackingTheFolderEndsTheSearch) {
    CreateDirectoryW((store.Root() + L"\\Archive").c_str(), nullptr); // listed before "SMS", no Outbox
    EXPECT_FALSE(SendTextMessage(L"+7916", L"hi"));
    RemoveDirectoryW((store.Root() + L"\\Archive").c_str());
    RemoveDirectoryW(store.Folder(L"Sent Items").c_str());
    std::ofstream(store.Folder(L"Sent Items").c_str()) << "a file where the folder should be";
    SetDword(HKEY_CURRENT_USER, SettingsPath, L"SmsAlt", 1);
    EXPECT_TRUE(SendTextMessage(L"+7916", L"hi"));
    EXPECT_TRUE(store.Files(L"Outbox").empty());
}

// The real transport program, started as the store road starts it, sends through the gateway.
TEST_F(SendingText, TheTransportServiceSendsWhatTheStoreRoadQueues) {
    const std::wstring record = folder / L"calls.bin";
    TestMessageStore::SetGateway(TestMessageStore::TestGateway({L"record", record, L"{number}", L"{text}"}));
    EXPECT_TRUE(SendTextMessage(L"+7916", L"before the service"));
    ChildProcess service(BesideTestBinary(TransportProgram), TransportServiceArgument);
    ASSERT_TRUE(service.Started());
    ASSERT_TRUE(WaitUntil([&] { return store.Files(L"Sent Items").size() == 1; }, 20000));
    EXPECT_TRUE(SendTextMessage(L"+7916", L"while it runs"));
    ASSERT_TRUE(WaitUntil([&] { return store.Files(L"Sent Items").size() == 2; }, 20000));
    EXPECT_EQ(TestMessageStore::RecordedCalls(record),
              (std::vector<std::vector<std::wstring>>{{L"+7916", L"before the service"},
                                                      {L"+7916", L"while it runs"}}));
    ChildProcess second(BesideTestBinary(TransportProgram), TransportServiceArgument);
    EXPECT_EQ(second.WaitForExit(10000), 0) << "one transport per session";
}
