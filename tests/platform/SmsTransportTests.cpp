// The transport's queue: sending through the gateway, failures kept in the Outbox, sending again, and
// what a stopped transport leaves behind.
#include "platform/MessageStoreFolders.h"
#include "platform/MessageStoreMapi.h"
#include "platform/SmsTransport.h"
#include "foundation/TestHelpers.h"
#include "support/MessageStore.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace platform;
using namespace testing_support;

namespace {

StoredProperty Text(ULONG tag, const std::wstring& text) {
    StoredProperty property{tag, {}};
    property.Value.Type = PT_UNICODE;
    property.Value.Text = text;
    return property;
}

StoredProperty Number(ULONG tag, uint64_t number) {
    StoredProperty property{tag, {}};
    property.Value.Type = PROP_TYPE(tag);
    property.Value.Number = number;
    return property;
}

StoredRecipient To(const std::wstring& number) {
    return {{Number(PR_RECIPIENT_TYPE, MAPI_TO), Text(PR_ADDRTYPE, L"SMS"), Text(PR_EMAIL_ADDRESS, number)}};
}

class Transport : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(EnsureSmsStore(store.Root()), 0u); }

    // Writes a message into the Outbox in the given state; its path.
    std::wstring Put(TransportState state, std::vector<StoredRecipient> recipients,
                     const std::wstring& text = L"hi") {
        StoredMessage message;
        message.State = state;
        message.Properties = {Text(PR_SUBJECT, text), Number(PR_MESSAGE_FLAGS, 0x29)};
        message.Recipients = std::move(recipients);
        const std::wstring path = store.Folder(L"Outbox") + L"\\" + NewMessageFileName();
        EXPECT_EQ(WriteMessageFile(path, message), 0u);
        return path;
    }

    void Record() {
        TestMessageStore::SetGateway(
            TestMessageStore::TestGateway({L"record", record, L"{number}", L"{text}"}));
    }

    TestMessageStore store;
    TempFolder folder;
    std::wstring record = folder / L"calls.bin";
};

} // namespace

TEST_F(Transport, QueuedMessagesGoThroughTheGatewayToSentItems) {
    Record();
    Put(TransportState::Queued, {To(L"+7916")}, L"Привет \xD83D\xDE00");
    Put(TransportState::None, {To(L"+1")}); // never submitted: not the transport's
    RunTransportQueue(false);
    EXPECT_EQ(TestMessageStore::RecordedCalls(record),
              (std::vector<std::vector<std::wstring>>{{L"+7916", L"Привет \xD83D\xDE00"}}));
    const std::vector<StoredMessage> sent = store.Messages(L"Sent Items");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].State, TransportState::Sent);
    EXPECT_EQ(sent[0].Note, L"sent through the gateway command");
    EXPECT_EQ(NumberOf(sent[0], PR_MESSAGE_FLAGS), 0x21u);
    EXPECT_NE(sent[0].Find(PR_MESSAGE_DELIVERY_TIME), nullptr);
    EXPECT_EQ(store.Files(L"Outbox").size(), 1u);
}

TEST_F(Transport, AFailedMessageStaysInTheOutboxUntilSentAgain) {
    TestMessageStore::SetGateway(TestMessageStore::TestGateway({L"fail", L"2", L"no signal"}));
    const std::wstring path = Put(TransportState::Queued, {To(L"+7916")});
    const std::string logged = LoggedBy([] { RunTransportQueue(false); });
    EXPECT_NE(logged.find("was not sent: the gateway command exited with status 2: no signal"),
              std::string::npos)
        << logged;
    std::vector<StoredMessage> outbox = store.Messages(L"Outbox");
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_EQ(outbox[0].State, TransportState::Failed);
    EXPECT_EQ(outbox[0].Note, L"the gateway command exited with status 2: no signal");
    EXPECT_EQ(NumberOf(outbox[0], PR_MESSAGE_FLAGS), 0x29u);

    Record();
    RunTransportQueue(true);
    EXPECT_TRUE(TestMessageStore::RecordedCalls(record).empty()) << "never retried on its own";
    EXPECT_FALSE(SendAgain(store.Folder(L"Sent Items") + L"\\none.msg"));
    ASSERT_TRUE(SendAgain(path));
    EXPECT_FALSE(SendAgain(path)) << "queued already";
    RunTransportQueue(false);
    EXPECT_EQ(TestMessageStore::RecordedCalls(record).size(), 1u);
    EXPECT_TRUE(store.Files(L"Outbox").empty());
    EXPECT_EQ(store.Files(L"Sent Items").size(), 1u);
}

TEST_F(Transport, EveryRecipientIsSentToAndAPartialFailureSaysWhoGotIt) {
    TestMessageStore::SetGateway(TestMessageStore::TestGateway({L"fail", L"{number}", L"busy"}));
    Put(TransportState::Queued, {To(L"0"), To(L"5")});
    Put(TransportState::Queued, {});
    RunTransportQueue(false);
    const std::vector<StoredMessage> outbox = store.Messages(L"Outbox");
    ASSERT_EQ(outbox.size(), 2u);
    EXPECT_EQ(outbox[0].Note, L"sent to 0; not to 5: the gateway command exited with status 5: busy");
    EXPECT_EQ(outbox[1].Note, L"the message has no recipient with a text-message number");
}

TEST_F(Transport, WithoutAGatewayQueuedMessagesAreKeptOnThisComputer) {
    Put(TransportState::Queued, {To(L"+7916")});
    RunTransportQueue(false);
    const std::vector<StoredMessage> sent = store.Messages(L"Sent Items");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Note, L"kept on this computer (no gateway command is set)");
}

TEST_F(Transport, AStartingTransportFinishesWhatAStoppedOneLeft) {
    Record();
    Put(TransportState::Sending, {To(L"+1")});
    Put(TransportState::Sent, {To(L"+2")});
    const std::wstring corrupt = store.Folder(L"Outbox") + L"\\broken.msg";
    std::ofstream(corrupt.c_str(), std::ios::binary)
        << "Dialvane-Message: 1\r\nState: queued\r\n0x0037001F Subject: \\x\r\n";
    const std::string logged = LoggedBy([] {
        RunTransportQueue(true);
        RunTransportQueue(false);
    });
    EXPECT_TRUE(TestMessageStore::RecordedCalls(record).empty()) << "nothing is sent twice";
    std::vector<StoredMessage> outbox;
    for (const std::wstring& name : store.Files(L"Outbox")) {
        StoredMessage message;
        std::wstring problem;
        if (ReadMessageFile(store.Folder(L"Outbox") + L"\\" + name, message, problem) == FileRead::Ok)
            outbox.push_back(message);
    }
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_EQ(outbox[0].State, TransportState::Failed);
    EXPECT_EQ(outbox[0].Note, L"the transport stopped while sending it; it may or may not have gone out");
    EXPECT_EQ(store.Messages(L"Sent Items").size(), 1u);
    EXPECT_NE(GetFileAttributesW(corrupt.c_str()), INVALID_FILE_ATTRIBUTES)
        << "an unreadable file is left alone";
    EXPECT_NE(logged.find("broken.msg is left alone: line 3"), std::string::npos) << logged;
    EXPECT_EQ(logged.find("broken.msg"), logged.rfind("broken.msg")) << "reported once";
}

TEST_F(Transport, AMessageTheLibraryCouldNotSendIsKeptAsASubmittedOne) {
    const std::string logged =
        LoggedBy([] { EXPECT_TRUE(KeepFailedMessage(L"+7916", L"hi", L"modem gone")); });
    EXPECT_NE(logged.find("SMS library: the message to +7916 was not sent: modem gone"), std::string::npos);
    const std::vector<StoredMessage> outbox = store.Messages(L"Outbox");
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_EQ(outbox[0].State, TransportState::Failed);
    EXPECT_EQ(TextOf(outbox[0], PR_SUBJECT), L"hi");
    EXPECT_EQ(NumberOf(outbox[0], PR_MESSAGE_FLAGS), 0x29u);
    EXPECT_EQ(NumberOf(outbox[0], PR_MSG_STATUS), 0x40000u);
    ASSERT_EQ(outbox[0].Named.size(), 1u);
    EXPECT_EQ(outbox[0].Recipients, std::vector<StoredRecipient>{To(L"+7916")});
}
