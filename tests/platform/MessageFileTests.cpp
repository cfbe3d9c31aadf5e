// The message files of the desktop store: the documented text form, random round trips, damaged
// files, and writes that never leave half a message.
#include "platform/MessageFile.h"
#include "platform/MessageStoreMapi.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

using namespace platform;
using namespace testing_support;

namespace {

StoredProperty Prop(ULONG tag, uint64_t number) {
    StoredProperty property{tag, {}};
    property.Value.Type = PROP_TYPE(tag);
    property.Value.Number = number;
    return property;
}

StoredProperty Prop(ULONG tag, const std::wstring& text) {
    StoredProperty property{tag, {}};
    property.Value.Type = PT_UNICODE;
    property.Value.Text = text;
    return property;
}

StoredMessage SampleMessage() {
    StoredMessage message;
    message.State = TransportState::Sent;
    message.Note = L"kept";
    message.Properties = {Prop(PR_SUBJECT, L"Позвони мне\nкогда \"сможешь\" \\ 100%"),
                          Prop(PR_MESSAGE_FLAGS, 0x21),
                          Prop(PR_MESSAGE_DELIVERY_TIME, 133590528001234567ull)};
    NamedProperty named;
    named.Set = PS_MAPI;
    named.Name = L"SMS:Unicode";
    named.Value.Type = PT_BOOLEAN;
    named.Value.Number = 1;
    message.Named = {named};
    message.Recipients = {{{Prop(PR_RECIPIENT_TYPE, 1), Prop(PR_EMAIL_ADDRESS, L"+79161234567")}}};
    return message;
}

std::wstring RandomText(std::mt19937& random, int maxLength) {
    // Plain letters, the characters the format escapes, surrogate pairs and lone surrogates.
    static const wchar_t pool[] = L"aZ09 :#\"\\\n\r\t\x01\x1F\x7F{}%;ЖЯ";
    std::wstring text;
    const int length = std::uniform_int_distribution<int>(0, maxLength)(random);
    for (int i = 0; i < length; ++i) {
        switch (random() % 6) {
        case 0:
            text += L"\xD83D\xDE00";
            break;
        case 1:
            text += static_cast<wchar_t>(0xD800 + random() % 0x800);
            break;
        default:
            text += pool[random() % (std::size(pool) - 1)];
        }
    }
    return text;
}

StoredValue RandomValue(std::mt19937& random, ULONG type) {
    StoredValue value;
    value.Type = type;
    switch (type) {
    case PT_LONG:
        value.Number = static_cast<uint32_t>(random());
        break;
    case PT_BOOLEAN:
        value.Number = random() % 2;
        break;
    case PT_SYSTIME:
        value.Number = (static_cast<uint64_t>(random()) << 24 | random()) % 2650467743999999999ull;
        break;
    case PT_BINARY:
        value.Bytes.resize(random() % 20);
        for (BYTE& b : value.Bytes) b = static_cast<BYTE>(random());
        break;
    default:
        value.Text = RandomText(random, 30);
    }
    return value;
}

StoredMessage RandomMessage(std::mt19937& random) {
    static const ULONG types[] = {PT_LONG, PT_BOOLEAN, PT_UNICODE, PT_SYSTIME, PT_BINARY};
    StoredMessage message;
    message.State = static_cast<TransportState>(random() % 5);
    message.Note = RandomText(random, 10);
    for (int i = random() % 6; i > 0; --i)
        message.Set({PROP_TAG(types[random() % 5], 1 + random() % 0x7FFF), {}});
    for (StoredProperty& property : message.Properties)
        property.Value = RandomValue(random, PROP_TYPE(property.Tag));
    for (int i = random() % 3; i > 0; --i) {
        NamedProperty named;
        named.Set = {
            static_cast<unsigned long>(random()), 1, 2, {3, 4, 5, 6, 7, 8, 9, static_cast<unsigned char>(i)}};
        named.IsString = random() % 2;
        named.Name = named.IsString ? RandomText(random, 8) : L"";
        named.Id = named.IsString ? 0 : static_cast<LONG>(random());
        named.Value = RandomValue(random, types[random() % 5]);
        message.SetNamed(named);
    }
    for (int i = random() % 3; i > 0; --i) {
        StoredRecipient recipient;
        for (int j = random() % 4; j > 0; --j) {
            const ULONG type = types[random() % 5];
            recipient.Properties.push_back({PROP_TAG(type, 1 + j), RandomValue(random, type)});
        }
        message.Recipients.push_back(recipient);
    }
    return message;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace

TEST(MessageFiles, AMessageIsWrittenInTheDocumentedTextForm) {
    EXPECT_EQ(FormatMessageFile(SampleMessage()),
              "Dialvane-Message: 1\r\n"
              "State: sent\r\n"
              "Note: kept\r\n"
              "0x0037001F Subject: \xD0\x9F\xD0\xBE\xD0\xB7\xD0\xB2\xD0\xBE\xD0\xBD\xD0\xB8 "
              "\xD0\xBC\xD0\xBD\xD0\xB5\\n\xD0\xBA\xD0\xBE\xD0\xB3\xD0\xB4\xD0\xB0 "
              "\"\xD1\x81\xD0\xBC\xD0\xBE\xD0\xB6\xD0\xB5\xD1\x88\xD1\x8C\" \\\\ 100%\r\n"
              "0x0E070003 MessageFlags: 0x00000021\r\n"
              "0x0E060040 MessageDeliveryTime: 2024-05-01T16:00:00.1234567Z\r\n"
              "Named {00020328-0000-0000-C000-000000000046} \"SMS:Unicode\" 0x000B: true\r\n"
              "Recipient:\r\n"
              "0x0C150003 RecipientType: 0x00000001\r\n"
              "0x3003001F EmailAddress: +79161234567\r\n");
}

TEST(MessageFiles, RandomMessagesComeBackExactly) {
    std::mt19937 random(20240501);
    for (int i = 0; i < 400; ++i) {
        const StoredMessage message = RandomMessage(random);
        const std::string file = FormatMessageFile(message);
        StoredMessage read;
        std::wstring problem;
        ASSERT_TRUE(ParseMessageFile(file, read, problem)) << i << " " << file << " " << problem.size();
        ASSERT_EQ(read, message) << i << "\n" << file;
        ASSERT_EQ(FormatMessageFile(read), file);
    }
}

TEST(MessageFiles, EditedFilesAreReadLeniently) {
    // Plain line feeds, a byte-order mark, blank lines, decimal numbers, no space after the colon and
    // no names beside the tags are all fine.
    StoredMessage message;
    std::wstring problem;
    ASSERT_TRUE(
        ParseMessageFile("\xEF\xBB\xBF"
                         "Dialvane-Message: 1\n\n0x0E070003: 41\n0x0037001F:\n0x0E070003 Anything: -1\n",
                         message, problem))
        << problem.c_str();
    EXPECT_EQ(NumberOf(message, PR_MESSAGE_FLAGS), 0xFFFFFFFFu) << "the later line wins";
    ASSERT_NE(message.Find(PR_SUBJECT), nullptr);
    EXPECT_EQ(TextOf(message, PR_SUBJECT), L"");
}

TEST(MessageFiles, DamagedFilesAreRefusedWithTheLineAndReason) {
    const struct {
        const char* file;
        const wchar_t* problem;
    } cases[] = {
        {"", L"the file is empty"},
        {"Dialvane-Message: 2\r\n", L"line 1: not a message file of a known version"},
        {"Dialvane-Message: 1\r\nState: lost\r\n", L"line 2: unknown state"},
        {"Dialvane-Message: 1\r\n0x00370048 Subject: x\r\n",
         L"line 2: unknown type or bad value for tag 0x00370048"},
        {"Dialvane-Message: 1\r\n0x0E060040: 2024-13-01T00:00:00.0000000Z\r\n",
         L"line 2: unknown type or bad value for tag 0x0E060040"},
        {"Dialvane-Message: 1\r\n0x0037001F: bad \\q escape\r\n",
         L"line 2: unknown type or bad value for tag 0x0037001F"},
        {"Dialvane-Message: 1\r\n0x0102: AB\r\n", L"line 2: a property line needs an eight-digit tag"},
        {"Dialvane-Message: 1\r\n0x0E070003Flags: 1\r\n",
         L"line 2: a property name must follow its tag after a space"},
        {"Dialvane-Message: 1\r\nRecipient:\r\nNamed {00020328-0000-0000-C000-000000000046} \"x\" 0x000B: "
         "true\r\n",
         L"line 3: named properties belong before the recipients"},
        {"Dialvane-Message: 1\r\nNamed {00020328-0000-0000-C000-000000000046} \"x 0x000B: true\r\n",
         L"line 2: a named property needs a set, a name, a type and a value"},
        {"Dialvane-Message: 1\r\nSubject: x\r\n", L"line 2: unknown line"},
        {"Dialvane-Message: 1\r\n0x0037001F: \xC3\x28\r\n", L"the file is not UTF-8 text"},
    };
    for (const auto& c : cases) {
        StoredMessage message;
        std::wstring problem;
        EXPECT_FALSE(ParseMessageFile(c.file, message, problem)) << c.file;
        EXPECT_EQ(problem, c.problem) << c.file;
    }
}

TEST(MessageFiles, RandomDamageNeverBreaksTheReader) {
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        std::string file = FormatMessageFile(RandomMessage(random));
        for (int cuts = 1 + random() % 4; cuts > 0 && !file.empty(); --cuts) {
            const size_t at = random() % file.size();
            switch (random() % 3) {
            case 0:
                file.resize(at);
                break;
            case 1:
                file[at] = static_cast<char>(random());
                break;
            default:
                file.insert(at, 1, "\\\":\n\r{#"[random() % 8]);
            }
        }
        StoredMessage message;
        std::wstring problem;
        const bool parsed = ParseMessageFile(file, message, problem);
        EXPECT_EQ(parsed, problem.empty());
    }
}

TEST(MessageFiles, AWriteReplacesTheWholeFileOrNothing) {
    TempFolder folder;
    const std::wstring path = folder / L"m.msg";
    ASSERT_EQ(WriteMessageFile(path, SampleMessage()), 0u);
    StoredMessage read;
    std::wstring problem;
    ASSERT_EQ(ReadMessageFile(path, read, problem), FileRead::Ok);
    EXPECT_EQ(read, SampleMessage());

    // While another program holds the file, the write fails and the old message stays as it was.
    StoredMessage changed = SampleMessage();
    changed.Note = L"changed";
    HANDLE holder =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(WriteMessageFile(path, changed), 0u);
    CloseHandle(holder);
    EXPECT_EQ(ReadFile(path), FormatMessageFile(SampleMessage()));
    EXPECT_EQ(GetFileAttributesW((folder / L"~m.tmp").c_str()), INVALID_FILE_ATTRIBUTES)
        << "no temporary file left";

    EXPECT_EQ(WriteMessageFile(folder / L"missing\\m.msg", changed),
              static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ReadMessageFile(folder / L"gone.msg", read, problem), FileRead::Missing);
}
