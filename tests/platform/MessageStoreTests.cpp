// The desktop message store through its MAPI subset, checked against the files it writes.
#include "platform/MessageStoreMapi.h"
#include "platform/MessageStoreFolders.h"
#include "platform/SmsTransport.h"
#include "foundation/ScopedHandles.h"
#include "foundation/TestHelpers.h"
#include "support/MessageStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using namespace platform;
using namespace testing_support;

namespace {

class MessageStore : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(MAPIInitialize(nullptr), S_OK);
        ASSERT_EQ(MAPILogonEx(0, nullptr, nullptr, 0, session.Receive()), S_OK);
    }
    void TearDown() override { MAPIUninitialize(); }

    // The stores table's rows as (display name, entry identifier).
    std::vector<std::pair<std::wstring, std::vector<BYTE>>> Stores() {
        std::vector<std::pair<std::wstring, std::vector<BYTE>>> stores;
        ComPtr<IMAPITable> table;
        EXPECT_EQ(session->GetMsgStoresTable(MAPI_UNICODE, table.Receive()), S_OK);
        for (;;) {
            SRowSet* rows = nullptr;
            EXPECT_EQ(table->QueryRows(1, 0, &rows), S_OK);
            if (!rows || rows->cRows == 0) {
                FreeProws(rows);
                return stores;
            }
            const SRow& row = rows->aRow[0];
            EXPECT_EQ(row.cValues, 2u);
            EXPECT_EQ(row.lpProps[0].ulPropTag, PR_ENTRYID);
            EXPECT_EQ(row.lpProps[1].ulPropTag, PR_DISPLAY_NAME);
            const SBinary& id = row.lpProps[0].Value.bin;
            stores.emplace_back(row.lpProps[1].Value.lpszW, std::vector<BYTE>(id.lpb, id.lpb + id.cb));
            FreeProws(rows);
        }
    }

    IMsgStore* OpenStore(const wchar_t* name) {
        for (auto& [display, id] : Stores())
            if (display == name) {
                IMsgStore* store = nullptr;
                EXPECT_EQ(session->OpenMsgStore(0, static_cast<ULONG>(id.size()),
                                                reinterpret_cast<ENTRYID*>(id.data()), nullptr, 0, &store),
                          S_OK);
                return store;
            }
        return nullptr;
    }

    // A new message in the folder that the property of the store "SMS" names.
    IMessage* NewMessage(ULONG folderProperty) {
        ComPtr<IMsgStore> store(OpenStore(L"SMS"));
        if (!store.Get()) return nullptr;
        SizedSPropTagArray<1> tags;
        tags.aulPropTag[0] = folderProperty;
        ULONG count = 0;
        SPropValue* values = nullptr;
        EXPECT_EQ(store->GetProps(tags.Get(), MAPI_UNICODE, &count, &values), S_OK);
        ComPtr<IUnknown> folder;
        ULONG type = 0;
        EXPECT_EQ(session->OpenEntry(values[0].Value.bin.cb,
                                     reinterpret_cast<ENTRYID*>(values[0].Value.bin.lpb), nullptr,
                                     MAPI_MODIFY, &type, folder.Receive()),
                  S_OK);
        MAPIFreeBuffer(values);
        EXPECT_EQ(type, MAPI_FOLDER);
        IMessage* message = nullptr;
        EXPECT_EQ(static_cast<IMAPIFolder*>(folder.Get())->CreateMessage(nullptr, 0, &message), S_OK);
        return message;
    }

    TestMessageStore files; // before the session: the store folder is set first
    ComPtr<IMAPISession> session;
};

SPropValue Text(ULONG tag, const wchar_t* text) {
    SPropValue value = {};
    value.ulPropTag = tag;
    value.Value.lpszW = const_cast<wchar_t*>(text);
    return value;
}

SPropValue Long(ULONG tag, ULONG number) {
    SPropValue value = {};
    value.ulPropTag = tag;
    value.Value.ul = number;
    return value;
}

} // namespace

TEST_F(MessageStore, LogonMakesTheTextMessageStoreAndTheTableListsEveryStore) {
    EXPECT_NE(GetFileAttributesW(files.Folder(L"Outbox").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(files.Folder(L"Sent Items").c_str()), INVALID_FILE_ATTRIBUTES);
    CreateDirectoryW((files.Root() + L"\\Mail").c_str(), nullptr);
    CreateDirectoryW((files.Root() + L"\\Archive").c_str(), nullptr);
    std::ofstream((files.Root() + L"\\notes.txt").c_str()) << "not a store";
    std::vector<std::wstring> names;
    for (auto& [name, id] : Stores()) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Archive", L"Mail", L"SMS"}));

    SRowSet* rows = nullptr;
    ComPtr<IMAPITable> table;
    ASSERT_EQ(session->GetMsgStoresTable(0, table.Receive()), S_OK);
    ASSERT_EQ(table->QueryRows(10, 0, &rows), S_OK);
    EXPECT_EQ(rows->cRows, 3u) << "several rows at once";
    FreeProws(rows);
}

TEST_F(MessageStore, AStoreNamesItsFoldersAndAMissingFolderComesBackAsAnError) {
    CreateDirectoryW((files.Root() + L"\\Mail").c_str(), nullptr);
    ComPtr<IMsgStore> mail(OpenStore(L"Mail"));
    ASSERT_TRUE(mail.Get());
    SizedSPropTagArray<3> tags;
    tags.aulPropTag[0] = PR_IPM_OUTBOX_ENTRYID;
    tags.aulPropTag[1] = PR_DISPLAY_NAME;
    tags.aulPropTag[2] = PR_IPM_SENTMAIL_ENTRYID;
    ULONG count = 0;
    SPropValue* values = nullptr;
    EXPECT_EQ(mail->GetProps(tags.Get(), MAPI_UNICODE, &count, &values), MAPI_W_ERRORS_RETURNED);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(values[0].ulPropTag, PROP_TAG(PT_ERROR, PROP_ID(PR_IPM_OUTBOX_ENTRYID)));
    EXPECT_EQ(values[0].Value.err, MAPI_E_NOT_FOUND);
    EXPECT_STREQ(values[1].Value.lpszW, L"Mail");
    MAPIFreeBuffer(values);

    ComPtr<IMsgStore> sms(OpenStore(L"SMS"));
    ASSERT_EQ(sms->GetProps(tags.Get(), MAPI_UNICODE, &count, &values), S_OK);
    EXPECT_EQ(values[0].ulPropTag, PR_IPM_OUTBOX_ENTRYID);
    EXPECT_EQ(values[2].ulPropTag, PR_IPM_SENTMAIL_ENTRYID);
    ComPtr<IUnknown> outbox;
    ULONG type = 0;
    ASSERT_EQ(session->OpenEntry(values[0].Value.bin.cb, reinterpret_cast<ENTRYID*>(values[0].Value.bin.lpb),
                                 nullptr, MAPI_MODIFY, &type, outbox.Receive()),
              S_OK);
    MAPIFreeBuffer(values);
    ULONG folderCount = 0;
    SPropValue* folderValues = nullptr;
    ASSERT_EQ(static_cast<IMAPIFolder*>(outbox.Get())->GetProps(nullptr, 0, &folderCount, &folderValues),
              S_OK);
    ASSERT_EQ(folderCount, 2u);
    EXPECT_STREQ(folderValues[1].Value.lpszW, L"Outbox");
    MAPIFreeBuffer(folderValues);
}

TEST_F(MessageStore, EntryIdentifiersThatLeaveTheStoreAreRefused) {
    auto open = [&](const std::wstring& path) {
        std::vector<BYTE> id(8 + path.size() * 2);
        std::memcpy(id.data() + 4, "DVMS", 4);
        std::memcpy(id.data() + 8, path.data(), path.size() * 2);
        ComPtr<IUnknown> object;
        ULONG type = 0;
        return session->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<ENTRYID*>(id.data()),
                                  nullptr, 0, &type, object.Receive());
    };
    EXPECT_EQ(open(L"SMS\\Outbox"), S_OK);
    for (const wchar_t* path : {L"SMS\\..\\..", L"..", L"SMS\\Outbox\\..\\x.msg", L"C:\\x", L"SMS\\\\Outbox",
                                L"SMS\\Outbox\\m.tmp", L"SMS\\Outbox\\a\\b.msg", L""})
        EXPECT_EQ(open(path), MAPI_E_INVALID_ENTRYID) << path;
    EXPECT_EQ(open(L"Nowhere"), MAPI_E_NOT_FOUND);
    BYTE foreign[12] = {0, 0, 0, 0, 'X', 'X', 'X', 'X', 'S', 0, 'M', 0};
    ComPtr<IUnknown> object;
    EXPECT_EQ(session->OpenEntry(sizeof foreign, reinterpret_cast<ENTRYID*>(foreign), nullptr, 0, nullptr,
                                 object.Receive()),
              MAPI_E_INVALID_ENTRYID);
}

TEST_F(MessageStore, AMessageKeepsItsChangesWhenReleased) {
    ComPtr<IMessage> message(NewMessage(PR_IPM_OUTBOX_ENTRYID));
    ASSERT_TRUE(message.Get());

    // Named properties get ids from 0x8000, the same for the same name in the whole session.
    GUID set = PS_MAPI;
    MAPINAMEID unicode = {&set, MNID_STRING, {}};
    unicode.Kind.lpwstrName = const_cast<wchar_t*>(L"SMS:Unicode");
    MAPINAMEID numbered = {&set, MNID_ID, {}};
    numbered.Kind.lID = 7;
    MAPINAMEID* names[] = {&unicode, &numbered};
    SPropTagArray* ids = nullptr;
    EXPECT_EQ(message->GetIDsFromNames(2, names, 0, &ids), MAPI_W_ERRORS_RETURNED)
        << "no ids without MAPI_CREATE";
    MAPIFreeBuffer(ids);
    ASSERT_EQ(message->GetIDsFromNames(2, names, MAPI_CREATE, &ids), S_OK);
    EXPECT_EQ(ids->aulPropTag[0], 0x80000000u);
    EXPECT_EQ(ids->aulPropTag[1], 0x80010000u);
    MAPIFreeBuffer(ids);

    SPropValue marker = {};
    marker.ulPropTag = PROP_TAG(PT_BOOLEAN, 0x8000);
    marker.Value.b = TRUE;
    ASSERT_EQ(message->SetProps(1, &marker, nullptr), S_OK);
    SPropValue recipient[] = {Long(PR_RECIPIENT_TYPE, MAPI_TO), Text(PR_EMAIL_ADDRESS, L"+7916")};
    ADRLIST list = {1, {{0, 2, recipient}}};
    ASSERT_EQ(message->ModifyRecipients(MODRECIP_ADD, &list), S_OK);
    SPropValue properties[] = {Text(PR_SUBJECT, L"Привет"), Long(PR_MESSAGE_FLAGS, 0x29)};
    ASSERT_EQ(message->SetProps(2, properties, nullptr), S_OK);

    // What cannot be kept changes nothing: an unknown type, an id no name was resolved to.
    SPropValue bad[] = {Text(PR_SUBJECT, L"changed"), Long(PROP_TAG(0x0014, 0x6000), 1)};
    EXPECT_EQ(message->SetProps(2, bad, nullptr), MAPI_E_BAD_VALUE);
    SPropValue unnamed = Long(PROP_TAG(PT_LONG, 0x8005), 1);
    EXPECT_EQ(message->SetProps(1, &unnamed, nullptr), MAPI_E_INVALID_PARAMETER);
    SizedSPropTagArray<3> tags;
    tags.aulPropTag[0] = PR_SUBJECT;
    tags.aulPropTag[1] = PROP_TAG(PT_BOOLEAN, 0x8000);
    tags.aulPropTag[2] = PR_MESSAGE_DELIVERY_TIME;
    ULONG count = 0;
    SPropValue* values = nullptr;
    EXPECT_EQ(message->GetProps(tags.Get(), MAPI_UNICODE, &count, &values), MAPI_W_ERRORS_RETURNED);
    EXPECT_STREQ(values[0].Value.lpszW, L"Привет");
    EXPECT_EQ(values[1].Value.b, TRUE);
    EXPECT_EQ(PROP_TYPE(values[2].ulPropTag), PT_ERROR);
    MAPIFreeBuffer(values);

    EXPECT_TRUE(files.Files(L"Outbox").empty()) << "written when released";
    message.Reset();
    const std::vector<StoredMessage> written = files.Messages(L"Outbox");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(TextOf(written[0], PR_SUBJECT), L"Привет");
    EXPECT_EQ(NumberOf(written[0], PR_MESSAGE_FLAGS), 0x29u);
    ASSERT_EQ(written[0].Named.size(), 1u);
    EXPECT_EQ(written[0].Named[0].Name, L"SMS:Unicode");
    ASSERT_EQ(written[0].Recipients.size(), 1u);
    EXPECT_EQ(written[0].Recipients[0].Properties[1].Value.Text, L"+7916");
    EXPECT_EQ(written[0].State, TransportState::None);

    ComPtr<IMessage> untouched(NewMessage(PR_IPM_OUTBOX_ENTRYID));
    untouched.Reset();
    EXPECT_EQ(files.Files(L"Outbox").size(), 1u) << "an unchanged message leaves nothing behind";
}

TEST_F(MessageStore, AWriteThatFailsAtTheReleaseIsLoggedAndTheFileStaysAsItWas) {
    std::vector<BYTE> id;
    {
        ComPtr<IMessage> message(NewMessage(PR_IPM_SENTMAIL_ENTRYID));
        SPropValue subject = Text(PR_SUBJECT, L"first");
        ASSERT_EQ(message->SetProps(1, &subject, nullptr), S_OK);
        SizedSPropTagArray<1> tags;
        tags.aulPropTag[0] = PR_ENTRYID;
        ULONG count = 0;
        SPropValue* values = nullptr;
        ASSERT_EQ(message->GetProps(tags.Get(), 0, &count, &values), S_OK);
        id.assign(values[0].Value.bin.lpb, values[0].Value.bin.lpb + values[0].Value.bin.cb);
        MAPIFreeBuffer(values);
    }
    ComPtr<IUnknown> reopened;
    ULONG type = 0;
    ASSERT_EQ(session->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<ENTRYID*>(id.data()),
                                 nullptr, MAPI_MODIFY, &type, reopened.Receive()),
              S_OK);
    ASSERT_EQ(type, MAPI_MESSAGE);
    auto* message = static_cast<IMessage*>(reopened.Get());
    SPropValue subject = Text(PR_SUBJECT, L"second");
    ASSERT_EQ(message->SetProps(1, &subject, nullptr), S_OK);
    const std::wstring path = files.Folder(L"Sent Items") + L"\\" + files.Files(L"Sent Items")[0];
    HANDLE holder =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const std::string logged = LoggedBy([&] { reopened.Reset(); });
    CloseHandle(holder);
    EXPECT_NE(logged.find("Message store: cannot write"), std::string::npos) << logged;
    EXPECT_EQ(TextOf(files.Messages(L"Sent Items")[0], PR_SUBJECT), L"first");
}

TEST_F(MessageStore, AMessageWhoseFolderHasGoneTakesNoChanges) {
    ComPtr<IMessage> message(NewMessage(PR_IPM_OUTBOX_ENTRYID));
    ASSERT_TRUE(RemoveDirectoryW(files.Folder(L"Outbox").c_str()));
    SPropValue subject = Text(PR_SUBJECT, L"x");
    EXPECT_EQ(message->SetProps(1, &subject, nullptr), MAPI_E_NOT_FOUND);
}

TEST_F(MessageStore, ASubmittedMessageIsSentAtOnceWithoutAGatewayAndCannotChangeAfterwards) {
    ComPtr<IMessage> message(NewMessage(PR_IPM_OUTBOX_ENTRYID));
    SPropValue properties[] = {Text(PR_SUBJECT, L"hi"), Long(PR_MESSAGE_FLAGS, 0x29)};
    ASSERT_EQ(message->SetProps(2, properties, nullptr), S_OK);
    ASSERT_EQ(message->SubmitMessage(0), S_OK);
    EXPECT_TRUE(files.Files(L"Outbox").empty());
    const std::vector<StoredMessage> sent = files.Messages(L"Sent Items");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].State, TransportState::Sent);
    EXPECT_EQ(NumberOf(sent[0], PR_MESSAGE_FLAGS), 0x21u) << "no longer unsent";
    EXPECT_NE(sent[0].Find(PR_CLIENT_SUBMIT_TIME), nullptr);
    EXPECT_NE(sent[0].Find(PR_MESSAGE_DELIVERY_TIME), nullptr);
    EXPECT_EQ(message->SetProps(2, properties, nullptr), MAPI_E_NO_ACCESS);
    EXPECT_EQ(message->SubmitMessage(0), MAPI_E_NO_ACCESS);
}

TEST(MessageStoreLogon, WithoutInitialisationThereIsNoSession) {
    IMAPISession* session = nullptr;
    EXPECT_EQ(MAPILogonEx(0, nullptr, nullptr, 0, &session), MAPI_E_NOT_INITIALIZED);
    EXPECT_EQ(session, nullptr);
}
