// The desktop messaging program: its folder view and composer on the test's own store, and the program
// started as the phone starts it.
#include "companions/tmail/ComposeWindow.h"
#include "companions/tmail/MessageFolderWindow.h"
#include "companions/tmail/MessageRows.h"
#include "messaging/MessagingApp.h"
#include "platform/MessageStoreFolders.h"
#include "platform/MessageStoreMapi.h"
#include "platform/ModalHost.h"
#include "platform/SmsTransport.h"
#include "support/MessageStore.h"
#include "support/Processes.h"
#include "support/Registry.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>

using namespace platform;
using namespace testing_support;

namespace {

// Writes a message into a folder of the store "SMS" with the given state and times.
std::wstring Put(const TestMessageStore& store, const wchar_t* folder, const std::wstring& number,
                 const std::wstring& text, TransportState state, uint64_t delivered) {
    StoredMessage message = NewTextMessage(number, text);
    message.State = state;
    if (delivered) {
        StoredProperty time{PR_MESSAGE_DELIVERY_TIME, {}};
        time.Value.Type = PT_SYSTIME;
        time.Value.Number = delivered;
        message.Set(time);
    }
    const std::wstring path = store.Folder(folder) + L"\\" + NewMessageFileName();
    EXPECT_EQ(WriteMessageFile(path, message), 0u);
    return path;
}

std::wstring Cell(HWND list, int row, int column) {
    wchar_t text[256] = {};
    ListView_GetItemText(list, row, column, text, 256);
    return text;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

// Answers every message box with answer and keeps their texts.
class Boxes {
public:
    explicit Boxes(int answer) {
        SetMessageBoxScript([this, answer](const ModalRecord& box) {
            shown.push_back(box.text);
            return answer;
        });
    }
    ~Boxes() { SetMessageBoxScript({}); }
    Boxes(const Boxes&) = delete;
    Boxes& operator=(const Boxes&) = delete;
    std::vector<std::wstring> shown;
};

class MessagingProgram : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(EnsureSmsStore(store.Root()), 0u); }
    TestMessageStore store;
};

} // namespace

TEST(MessagingProgramRecipients, NamesAndNumbersAreReadAsTheyAreWritten) {
    const struct {
        const wchar_t* text;
        const wchar_t* name;
        const wchar_t* number;
    } cases[] = {
        {L"Ivan work<+79161234567>", L"Ivan work", L"+79161234567"},
        {L"  Анна  < +7 916 >", L"Анна", L"+7 916"},
        {L"+79161234567", L"", L"+79161234567"},
        {L"<123>", L"", L"123"},
        {L"Ivan >x< ", L"", L"Ivan >x<"},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        const Recipient recipient = ParseRecipient(c.text);
        EXPECT_EQ(recipient.Name, c.name) << c.text;
        EXPECT_EQ(recipient.Number, c.number) << c.text;
    }
    EXPECT_EQ(FormatRecipient({L"Анна", L"+7916"}), L"Анна <+7916>");
    EXPECT_EQ(FormatRecipient({L"", L"+7916"}), L"+7916");
}

TEST_F(MessagingProgram, TheFolderViewListsNewestFirstAndSendsAFailedMessageAgain) {
    Put(store, L"Sent Items", L"+1", L"старое", TransportState::Sent, 133000000000000000ull);
    Put(store, L"Sent Items", L"+2", L"новое\nв две строки", TransportState::Sent, 134000000000000000ull);
    const std::wstring failed = Put(store, L"Outbox", L"+3", L"не ушло", TransportState::Failed, 0);
    std::ofstream((store.Folder(L"Outbox") + L"\\broken.msg").c_str(), std::ios::binary) << "garbage";

    MessageFolderWindow view;
    ASSERT_TRUE(view.Open(L"SMS", false));
    HWND list = GetDlgItem(view.Window, MessageFolderWindow::List);
    ASSERT_EQ(ListView_GetItemCount(list), 2);
    EXPECT_EQ(Cell(list, 0, 0), L"+3");
    EXPECT_EQ(Cell(list, 0, 2), L"не отправлено");
    EXPECT_EQ(Cell(list, 1, 1), L"(файл не читается: broken.msg)");
    EXPECT_EQ(Cell(list, 1, 2), L"повреждено");
    EXPECT_EQ(WindowText(view.Window), L"Сообщения — Исходящие (2)");

    // The folder opens on its newest message; Send again is there for one that was not sent.
    HWND sendAgain = GetDlgItem(view.Window, MessageFolderWindow::SendAgainButton);
    EXPECT_TRUE(IsWindowEnabled(sendAgain));
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_FALSE(IsWindowEnabled(sendAgain)) << "not for an unreadable file";
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_NE(
        WindowText(GetDlgItem(view.Window, MessageFolderWindow::Preview)).find(L"Состояние: не отправлено"),
        std::wstring::npos);
    SendMessageW(view.Window, WM_COMMAND, MessageFolderWindow::SendAgainButton, 0);
    EXPECT_EQ(GetFileAttributesW(failed.c_str()), INVALID_FILE_ATTRIBUTES)
        << "without a gateway it is sent at once";
    EXPECT_EQ(ListView_GetItemCount(list), 1) << "only the unreadable file is left";

    SendMessageW(view.Window, WM_COMMAND, MessageFolderWindow::OtherFolder, 0);
    ASSERT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(Cell(list, 2, 2), FormatShortTime(133000000000000000ull)) << "Sent Items tells when";
    EXPECT_EQ(Cell(list, 1, 1), L"новое в две строки") << "on one line";
    EXPECT_EQ(Cell(list, 2, 0), L"+1");
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_NE(
        WindowText(GetDlgItem(view.Window, MessageFolderWindow::Preview)).find(L"новое\r\nв две строки"),
        std::wstring::npos)
        << "in full below the list";
    EXPECT_FALSE(IsWindowEnabled(sendAgain));

    // A message the transport files meanwhile shows at the next look.
    Put(store, L"Sent Items", L"+4", L"ещё", TransportState::Sent, 135000000000000000ull);
    view.Refresh(false);
    EXPECT_EQ(ListView_GetItemCount(list), 4);
    EXPECT_EQ(Cell(list, 0, 0), L"+4");
}

TEST_F(MessagingProgram, TheComposerSubmitsThroughTheStore) {
    Boxes boxes(IDNO);
    ComposeWindow composer;
    ASSERT_TRUE(composer.Open({L"Ivan work", L"+79161234567"}, false));
    EXPECT_EQ(WindowText(GetDlgItem(composer.Window, ComposeWindow::To)), L"Ivan work <+79161234567>");
    EXPECT_FALSE(composer.Send()) << "an empty text is sent only when the user says so";
    // Typed, as a user types it.
    SendDlgItemMessageW(composer.Window, ComposeWindow::Text, EM_REPLACESEL, TRUE,
                        reinterpret_cast<LPARAM>(L"Привет,\r\n\"мир\" 100%"));
    EXPECT_EQ(WindowText(GetDlgItem(composer.Window, ComposeWindow::Count)), L"знаков: 18");
    ASSERT_TRUE(composer.Send());
    const std::vector<StoredMessage> sent = store.Messages(L"Sent Items");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(TextOf(sent[0], PR_SUBJECT), L"Привет,\n\"мир\" 100%");
    EXPECT_EQ(sent[0].Recipients[0].Properties[2].Value.Text, L"+79161234567");

    SetWindowTextW(GetDlgItem(composer.Window, ComposeWindow::To), L"Ivan <>");
    EXPECT_FALSE(composer.Send());
    EXPECT_EQ(boxes.shown,
              (std::vector<std::wstring>{L"Отправить пустое сообщение?", L"Укажите номер получателя."}));
    EXPECT_EQ(store.Files(L"Sent Items").size(), 1u);
}

// The program as the phone starts it, composing to the cleaned name and number.
TEST_F(MessagingProgram, TheInboxProgramOpensItsComposerAndSends) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Shell\\Rai\\:MSINBOX");
    DeletePimBranch();
    OpenMessagingApp(L"+7 (916) 123-45-67", L"Ivan [work]");
    HWND composer = WaitForTopLevelWindow(ComposeWindow::ClassName, 0, 20000);
    ASSERT_TRUE(composer);
    DWORD process = 0;
    GetWindowThreadProcessId(composer, &process);
    EXPECT_NE(process, GetCurrentProcessId());
    wchar_t to[128] = {};
    SendMessageW(GetDlgItem(composer, ComposeWindow::To), WM_GETTEXT, 128, reinterpret_cast<LPARAM>(to));
    EXPECT_STREQ(to, L"Ivan work <+79161234567>");
    SendMessageW(GetDlgItem(composer, ComposeWindow::Text), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Еду"));
    PostMessageW(composer, WM_COMMAND, ComposeWindow::SendButton, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(composer); }, 20000)) << "it ends once the message is sent";
    const std::vector<StoredMessage> sent = store.Messages(L"Sent Items");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(TextOf(sent[0], PR_SUBJECT), L"Еду");
}
