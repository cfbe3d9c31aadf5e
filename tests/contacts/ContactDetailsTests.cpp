#include "contacts/ContactDetails.h"

#include "ContactTestSupport.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Entry {
    std::wstring number, label;
    int kind;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> Entries(const Array<PhoneEntry>& phones) {
    std::vector<Entry> entries;
    for (int i = 0; i < phones.GetSize(); ++i) {
        PhoneEntry phone = phones.GetAt(i);
        entries.push_back(
            {phone.Number.operator const wchar_t*(), phone.Label.operator const wchar_t*(), phone.Kind});
    }
    return entries;
}

void PrintTo(const Entry& entry, std::ostream* out) {
    WString number(entry.number.c_str()), label(entry.label.c_str());
    *out << "{";
    ::PrintTo(number, out);
    *out << ", ";
    ::PrintTo(label, out);
    *out << ", " << entry.kind << "}";
}

std::vector<Entry> PhoneList(const wchar_t* block) {
    Array<PhoneEntry> phones;
    ReadPhoneList(WString(block), phones);
    return Entries(phones);
}

TEST(PhoneList, ItemsLabelsAndEscapes) {
    EXPECT_EQ(PhoneList(L"Phone: [Дача: 123] [Work\\: 2: 456]"),
              (std::vector<Entry>{{L"123", L"Дача", 100}, {L"456", L"Work: 2", 100}}));
    EXPECT_EQ(PhoneList(L"\r\nPhone:\r\n[ Cottage :\t+7 (812) 1\\]2 ]\r\n[Spare:9]"),
              (std::vector<Entry>{{L"+7 (812) 1]2 ", L"Cottage ", 100}, {L"9", L"Spare", 100}}));
    EXPECT_EQ(PhoneList(L"Phone: [x] [B: 2]"), (std::vector<Entry>{{L"2", L"B", 100}}));
    EXPECT_EQ(PhoneList(L"Phone: [A: ] [B: 2] [C: 3"),
              (std::vector<Entry>{{L"2", L"B", 100}, {L"3", L"C", 100}}));
}

TEST(PhoneList, WhatEndsOrPreventsTheList) {
    EXPECT_TRUE(PhoneList(L"Phone: x [A: 1]").empty());
    EXPECT_EQ(PhoneList(L"Phone: [A: 1] stop [B: 2]"), (std::vector<Entry>{{L"1", L"A", 100}}));
    EXPECT_EQ(PhoneList(L"[Phone: [Z: 0]] Phone: [A: 1]"), (std::vector<Entry>{{L"1", L"A", 100}}));
    EXPECT_TRUE(PhoneList(L"[Phone: [A: 1]").empty()); // bracket left open
    EXPECT_TRUE(PhoneList(L"phone: [A: 1]").empty());  // the keyword is case-sensitive
    EXPECT_TRUE(PhoneList(L"Phone: [A").empty());
    // An empty label drops the item; its number is then read as text between items, and a digit ends the
    // list.
    EXPECT_TRUE(PhoneList(L"Phone: [: 5] [B: 2]").empty());
    EXPECT_TRUE(PhoneList(L"").empty());
}

TEST(InformationBlockText, MarkersDelimitTheBlock) {
    EXPECT_EQ(InformationBlock(L"a == start pim information ==Phone: [A: 1]== end pim information == b"),
              L"Phone: [A: 1]");
    EXPECT_EQ(InformationBlock(L"== start pim information == open"), L" open");
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
    EXPECT_TRUE(Decode("\xFE\xFF").IsEmpty());
    EXPECT_EQ(Decode("plain text"), L"plain text");
    // "{\pwi" without a small byte among bytes 5 to 13 is not the compact format.
    EXPECT_EQ(Decode("{\\pwi not compact at all"), L"{\\pwi not compact at all");
    EXPECT_TRUE(DecodeNotes(nullptr, 0).IsEmpty());
}

// A small picture that any decoder reads: a 2 x 1 bitmap file of 24 bits per pixel.
std::string TwoByOneBitmap() {
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    const BYTE pixels[8] = {0, 0, 0xFF, 0, 0xFF, 0, 0, 0};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + sizeof pixels;
    info.biSize = sizeof info;
    info.biWidth = 2;
    info.biHeight = 1;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = sizeof pixels;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(reinterpret_cast<const char*>(pixels), sizeof pixels);
    return bytes;
}

std::string Base64(std::string_view bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[(n >> 18) & 63];
        out += alphabet[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? alphabet[n & 63] : '=';
    }
    return out;
}

class ReadContactTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string cards =
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:car\r\nN:Сидоров;Олег;Ильич\r\nORG:Такси\r\n"
            "TEL;TYPE=CELL:+7 900 1\r\nTEL;TYPE=CAR:+7 900 2\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:notes\r\nFN:Anna Lee\r\nTEL;TYPE=HOME:1\r\nTEL;TYPE=WORK:2\r\n"
            "NOTE:== start pim information ==\\nPhone: [Дача: 123] [Work\\\\: 2: 456]\\n== end pim "
            "information ==\r\n"
            "PHOTO;ENCODING=b;TYPE=BMP:" +
            Base64(TwoByOneBitmap()) +
            "\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:rich\r\nORG:Firm\r\nX-DIALVANE-NOTES;ENCODING=b:" +
            Base64(CompactNotes({CompactRecord('A', "== start pim information =="),
                                 CompactRecord('A', "Phone: [Fax: 77]")})) +
            "\r\nEND:VCARD\r\n";
        WriteBytes(folder / L"cards.vcf", cards);
        store = StoreAt(folder.Path());
        session = SessionOn(store);
    }

    testing_support::TempFolder folder;
    std::shared_ptr<platform::VcardContactStore> store;
    std::unique_ptr<ContactStore> session;
};

TEST_F(ReadContactTest, NamesAndNumbersInKindOrder) {
    ContactDetails details;
    DWORD oid = OidOf(*store, "Сидоров, Олег");
    ASSERT_NE(oid, 0u);
    ASSERT_EQ(ReadContact(session.get(), oid, details, ReadNames | ReadPhones | ReadPhotoPresence, 0, 0, 0),
              1);
    EXPECT_EQ(details.Oid, oid);
    EXPECT_EQ(details.First, L"Олег");
    EXPECT_EQ(details.Last, L"Сидоров");
    EXPECT_EQ(details.Middle, L"Ильич");
    EXPECT_EQ(details.Company, L"Такси");
    EXPECT_EQ(details.SortName, L"Сидоров, Олег");
    EXPECT_EQ(Entries(details.Phones),
              (std::vector<Entry>{{L"+7 900 1", L"Мобильный", 0}, {L"+7 900 2", L"Авто", 12}}));
    EXPECT_EQ(details.HasPhoto, 0u);

    // Flag 1 alone reads no numbers; a second read starts from an empty record.
    ASSERT_EQ(ReadContact(session.get(), oid, details, ReadNames, 0, 0, 0), 1);
    EXPECT_EQ(details.Phones.GetSize(), 0);
}

TEST_F(ReadContactTest, NotesNumbersFollowTheStandardOnesAndLabelsRepeatAcrossKinds) {
    ContactDetails details;
    DWORD oid = OidOf(*store, "Lee, Anna");
    ASSERT_EQ(ReadContact(session.get(), oid, details, 35, 0, 0, 0), 1);
    EXPECT_EQ(Entries(details.Phones), (std::vector<Entry>{{L"1", L"Домашний", 1},
                                                           {L"2", L"Рабочий", 3},
                                                           {L"123", L"Дача", 100},
                                                           {L"456", L"Work: 2", 100}}));
    EXPECT_EQ(details.HasPhoto, 1u);
    EXPECT_EQ(details.Photo, nullptr);
    EXPECT_EQ(std::wstring(PhoneKindTable[7].Label), std::wstring(L"Ас") + L"c" + L"истент");
    EXPECT_EQ(std::wstring(PhoneKindTable[2].Label), PhoneKindTable[1].Label);

    ContactDetails rich;
    ASSERT_EQ(ReadContact(session.get(), OidOf(*store, "Firm"), rich, ReadPhones, 0, 0, 0), 1);
    EXPECT_EQ(Entries(rich.Phones), (std::vector<Entry>{{L"77", L"Fax", 100}}));
}

TEST_F(ReadContactTest, ThePictureIsDecodedFittedToTheBox) {
    ContactDetails details;
    ASSERT_EQ(ReadContact(session.get(), OidOf(*store, "Lee, Anna"), details, ReadPhoto, 2, 50, 50), 1);
    ASSERT_NE(details.Photo, nullptr);
    BITMAP bitmap;
    ASSERT_TRUE(GetObjectW(details.Photo, sizeof bitmap, &bitmap));
    EXPECT_EQ(bitmap.bmWidth, 100);
    EXPECT_EQ(bitmap.bmHeight, 50);
    EXPECT_GE(bitmap.bmBitsPixel, 16);
    EXPECT_EQ(details.HasPhoto, 1u);
    EXPECT_TRUE(details.First.IsEmpty()); // flag 4 reads no names
}

TEST_F(ReadContactTest, UnknownContactsAndMissingStoresLeaveTheRecordAlone) {
    ContactDetails details;
    details.First = L"kept";
    EXPECT_EQ(ReadContact(session.get(), 0xDEAD, details, 35, 0, 0, 0), 0);
    EXPECT_EQ(ReadContact(nullptr, OidOf(*store, "Firm"), details, 35, 0, 0, 0), 0);
    ContactStore loggedOff;
    EXPECT_EQ(ReadContact(&loggedOff, OidOf(*store, "Firm"), details, 35, 0, 0, 0), 0);
    EXPECT_EQ(details.First, L"kept");
}

} // namespace
