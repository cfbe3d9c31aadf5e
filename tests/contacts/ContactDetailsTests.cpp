#include "contacts/ContactDetails.h"

#include "ContactTestSupport.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The entries as "number|label|kind" separated by "; ".
std::wstring Entries(const Array<PhoneEntry>& phones) {
    std::wstring text;
    for (int i = 0; i < phones.GetSize(); ++i) {
        const PhoneEntry phone = phones.GetAt(i);
        text += (i ? L"; " : L"") + std::wstring(phone.Number) + L"|" + std::wstring(phone.Label) + L"|" +
                std::to_wstring(phone.Kind);
    }
    return text;
}

std::wstring PhoneList(const wchar_t* block) {
    Array<PhoneEntry> phones;
    ReadPhoneList(WString(block), phones);
    return Entries(phones);
}

TEST(PhoneList, ItemsLabelsEscapesAndWhatEndsTheList) {
    EXPECT_EQ(PhoneList(L"\r\nPhone:\r\n[ Cottage :\t+7 (812) 1\\]2 ] [Work\\: 2: 456] [x] [A: ] [C: 3"),
              L"+7 (812) 1]2 |Cottage |100; 456|Work: 2|100; 3|C|100");
    EXPECT_EQ(PhoneList(L"Phone: [A: 1] stop [B: 2]"), L"1|A|100");
    EXPECT_EQ(PhoneList(L"[Phone: [A: 1]"), L"") << "bracket left open";
    // An empty label drops the item; its number is then read as text between items, and a digit ends the
    // list.
    EXPECT_EQ(PhoneList(L"Phone: [: 5] [B: 2]"), L"");

    EXPECT_EQ(InformationBlock(L"a == start pim information ==Phone: [A: 1]== end pim information == b"),
              L"Phone: [A: 1]");
    EXPECT_TRUE(InformationBlock(L"Phone: [A: 1]").IsEmpty());
}

std::string CompactRecord(char tag, std::string_view encoded) {
    int quads = static_cast<int>((24 + encoded.size() + 3) / 4);
    std::string record(6 + quads * 4, '\0');
    record[0] = tag;
    record[4] = static_cast<char>(quads & 0xFF);
    record[5] = static_cast<char>(quads >> 8);
    record[8] = static_cast<char>(encoded.size() & 0xFF);
    record[9] = static_cast<char>(encoded.size() >> 8);
    record.replace(30, encoded.size(), encoded);
    return record;
}

std::string CompactNotes(const std::vector<std::string>& records) {
    std::string notes("{\\pwi\x01\x00\x00\x00\x00\x00\x00\x00\x00", 14);
    for (const std::string& record : records) notes += record;
    return notes;
}

WString Decode(const std::string& bytes) {
    return DecodeNotes(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
}

TEST(NotesDecoding, CompactRichTextParagraphs) {
    // Plain, a tab, a character by its two bytes, a two-byte form, a skipped byte, then an end byte.
    std::string first = CompactRecord('A', std::string("Hi\xC4\x04\xC0\x16\x04\xB4\x10\xE9!Z\xF0tail", 17));
    std::string unicode =
        std::string("U\x01\x00\x00\x02\x00", 6) + std::string(65536 + 2, 'q'); // skipped by its long length
    std::string empty = CompactRecord('A', "\xF0");
    std::string last = CompactRecord('A', "end\xC1\x41\xC4\x19..\xC4\x1B......!");
    EXPECT_EQ(Decode(CompactNotes({first, unicode, empty, CompactRecord('B', "ignored"), last})),
              L"Hi\tЖдZ endA!");
    // A two-byte character whose second byte lies beyond the count is not produced.
    EXPECT_EQ(Decode(CompactNotes({CompactRecord('A', std::string("ok\xB4", 3))})), L"ok");
    // Truncated records never read past the end.
    std::string cut = CompactNotes({CompactRecord('A', "abcdef")});
    EXPECT_EQ(Decode(cut.substr(0, cut.size() - 2)), L"abcdef");
    EXPECT_TRUE(Decode(cut.substr(0, 40)).IsEmpty());
}

TEST(NotesDecoding, Utf16AnsiAndTheChoiceBetweenThem) {
    EXPECT_EQ(Decode(std::string("\xFE\xFF\x3F\x04\x40\x04\x38\x04", 8)), L"при");
    // "{\pwi" without a small byte among bytes 5 to 13 is not the compact format.
    EXPECT_EQ(Decode("{\\pwi not compact at all"), L"{\\pwi not compact at all");
}

class ReadContactTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Anna's picture is a 2 x 1 bitmap file; the firm's notes are in the compact format, two records:
        // "== start pim information ==" and "Phone: [Fax: 77]".
        const char* cards =
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:car\r\nN:Сидоров;Олег;Ильич\r\nORG:Такси\r\n"
            "TEL;TYPE=CELL:+7 900 1\r\nTEL;TYPE=CAR:+7 900 2\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:notes\r\nFN:Anna Lee\r\nTEL;TYPE=HOME:1\r\nTEL;TYPE=WORK:2\r\n"
            "NOTE:== start pim information ==\\nPhone: [Дача: 123] [Work\\\\: 2: 456]\\n== end pim "
            "information ==\r\n"
            "PHOTO;ENCODING=b;TYPE=BMP:Qk0+"
            "AAAAAAAAADYAAAAoAAAAAgAAAAEAAAABABgAAAAAAAgAAAAAAAAAAAAAAAAAAAAAAAAAAAD/"
            "AP8AAAA=\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:rich\r\nORG:Firm\r\nX-DIALVANE-NOTES;ENCODING=b:"
            "e1xwd2kBAAAAAAAAAABBAAAADQAAABsAAAAAAAAAAAAAAAAAAAAAAAAAAAA9PSBzdGFydCBwaW0gaW5mb3JtYXRpb24gPT0A"
            "QQAAAAoAAAAQ"
            "AAAAAAAAAAAAAAAAAAAAAAAAAAAAUGhvbmU6IFtGYXg6IDc3XQ==\r\nEND:VCARD\r\n";
        WriteBytes(folder / L"cards.vcf", cards);
        store = StoreAt(folder.Path());
        session = SessionOn(store);
    }

    testing_support::TempFolder folder;
    std::shared_ptr<contactstore::VcardContactStore> store;
    std::unique_ptr<ContactStore> session;
};

TEST_F(ReadContactTest, NamesAndNumbersInKindOrderThenTheNotesNumbers) {
    ContactDetails details;
    DWORD oid = OidOf(*store, "Сидоров, Олег");
    ASSERT_EQ(ReadContact(session.get(), oid, details, ReadNames | ReadPhones | ReadPhotoPresence, 0, 0, 0),
              1);
    EXPECT_EQ(details.Middle, L"Ильич");
    EXPECT_EQ(Entries(details.Phones), L"+7 900 1|Мобильный|0; +7 900 2|Авто|12");
    ASSERT_EQ(ReadContact(session.get(), oid, details, ReadNames, 0, 0, 0), 1);
    EXPECT_EQ(details.Phones.GetSize(), 0) << "a second read starts from an empty record";

    ASSERT_EQ(ReadContact(session.get(), OidOf(*store, "Lee, Anna"), details, 35, 0, 0, 0), 1);
    EXPECT_EQ(Entries(details.Phones), L"1|Домашний|1; 2|Рабочий|3; 123|Дача|100; 456|Work: 2|100");
    EXPECT_EQ(details.HasPhoto, 1u);
    EXPECT_EQ(details.Photo, nullptr);
    // The picture, a 2 x 1 bitmap, is decoded fitted to the box.
    ASSERT_EQ(ReadContact(session.get(), OidOf(*store, "Lee, Anna"), details, ReadPhoto, 2, 50, 50), 1);
    BITMAP bitmap;
    ASSERT_TRUE(GetObjectW(details.Photo, sizeof bitmap, &bitmap));
    EXPECT_EQ(bitmap.bmWidth, 100);
    EXPECT_EQ(bitmap.bmHeight, 50);
    ASSERT_EQ(ReadContact(session.get(), OidOf(*store, "Firm"), details, ReadPhones, 0, 0, 0), 1);
    EXPECT_EQ(Entries(details.Phones), L"77|Fax|100") << "from compact notes";
}

TEST_F(ReadContactTest, UnknownContactsAndMissingStoresLeaveTheRecordAlone) {
    ContactDetails details;
    details.First = L"kept";
    EXPECT_EQ(ReadContact(session.get(), 0xDEAD, details, 35, 0, 0, 0), 0);
    ContactStore loggedOff;
    EXPECT_EQ(ReadContact(&loggedOff, OidOf(*store, "Firm"), details, 35, 0, 0, 0), 0);
    EXPECT_EQ(details.First, L"kept");
}

} // namespace
