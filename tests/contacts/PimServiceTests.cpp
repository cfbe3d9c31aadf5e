// The contact search service: its index directly, and the library answering through the service
// manager as the program calls it.
#include "contacts/ContactTestSupport.h"
#include "contacts/SearchService.h"
#include "model/SpeedDialModel.h"
#include "companions/pimservice/ContactSearchIndex.h"
#include "support/Processes.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr char Cards[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bob\r\nN:Adams;Bob;;;\r\nTEL;TYPE=HOME:555-0100\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna\r\nN:Petrova;Anna;;;\r\nTEL;TYPE=CELL:+7 900 "
    "111-22-33\r\nTEL;TYPE=X-BOAT:777\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ivan\r\nN:\xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2;"
    "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD;;;\r\nTEL;TYPE=WORK:8 (900) 111-22-33\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:dan\r\nN:Cole;Dan;;;\r\nTEL;TYPE=CELL:+44 20 7946 0958\r\n"
    "END:VCARD\r\n";

class ContactIndex : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(folder / L"cards.vcf", Cards);
        store = StoreAt(folder.Path());
        index.Build(*store->Snapshot());
        KeypadLayout latinAndCyrillic;
        BuildKeypadLayout(3, latinAndCyrillic);
        index.SetKeys(latinAndCyrillic);
    }

    std::vector<std::wstring> Names(const std::vector<DWORD>& ids) {
        std::vector<std::wstring> names;
        for (DWORD id : ids) names.push_back(index.Find(id)->Name);
        return names;
    }

    std::vector<std::wstring> Search(const std::wstring& digits,
                                     std::vector<std::wstring>* patterns = nullptr) {
        std::vector<DWORD> ids;
        std::vector<std::wstring> found;
        index.Search(digits, ids, patterns ? *patterns : found);
        return Names(ids);
    }

    TempFolder folder;
    std::shared_ptr<platform::VcardContactStore> store;
    platform::ContactSearchIndex index;
};

using NameList = std::vector<std::wstring>;

TEST_F(ContactIndex, NameMatchesComeBeforeNumberMatches) {
    std::vector<std::wstring> patterns;
    EXPECT_EQ(Search(L"2", &patterns),
              (NameList{L"Adams, Bob", L"Cole, Dan", L"Petrova, Anna", L"Петров, Иван"}));
    EXPECT_EQ(patterns, NameList{L"абвгabc"});
    EXPECT_TRUE(Search(L"3267").empty()) << "\"dams\" inside Adams: never inside a word";
    EXPECT_EQ(Search(L"54"), NameList{L"Петров, Иван"}) << "initials of consecutive words";
    EXPECT_EQ(Search(L"0100"), NameList{L"Adams, Bob"}) << "0 and 1 carry no letters: numbers only";
}

TEST_F(ContactIndex, NumbersMatchAcrossNationalAndInternationalForms) {
    EXPECT_EQ(Names(index.FindByNumber(L"+7 900 111 22 33")), (NameList{L"Petrova, Anna", L"Петров, Иван"}));
    EXPECT_EQ(Names(index.FindByNumber(L"020 7946 0958")), NameList{L"Cole, Dan"});
    EXPECT_TRUE(index.FindByNumber(L"111-22-33").empty()) << "short numbers must match exactly";
}

// The library itself, started by the service manager as the program starts it.
class SearchServiceLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new TempFolder;
        WriteBytes(*folder / L"cards.vcf", Cards);
        SetString(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Settings", L"ContactsPath",
                  folder->Path().c_str());
    }
    static void TearDownTestSuite() { delete folder; }
    static TempFolder* folder;
};
TempFolder* SearchServiceLibrary::folder = nullptr;

TEST_F(SearchServiceLibrary, AnswersAllThreeRequests) {
    const Array<int> ids = FindContactsByNumber(NumberOperation(), L"+7 900 111-22-33");
    ASSERT_EQ(ids.GetSize(), 2);

    ServiceRecord record;
    ASSERT_TRUE(GetContactRecord(RecordOperation(), static_cast<DWORD>(ids.GetAt(0)), record));
    EXPECT_STREQ(record.Name, L"Petrova, Anna");
    ASSERT_EQ(record.Phones.GetSize(), 2);
    EXPECT_EQ(record.Phones.GetAt(0).Kind, 0) << "kinds travel one up and come back";
    EXPECT_STREQ(record.Phones.GetAt(1).Number, L"777");
    EXPECT_FALSE(GetContactRecord(RecordOperation(), 0xDEAD, record));

    SearchResult result;
    ASSERT_TRUE(SearchContacts(SearchOperation(), L"26", 2, result));
    EXPECT_EQ(result.ids.GetSize(), 3);
    ASSERT_EQ(result.texts.GetSize(), 1);
}

TEST_F(SearchServiceLibrary, ModelRefindsAContactByItsNumber) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Dialvane");
    SpeedDialModel model;
    model.Store = ContactStore::Instance();
    model.Store->Logon();
    SpeedDialButton button;
    button.Oid = 0x7777;
    button.Index = 0;
    button.Phone = L"8 900 111 22 33";
    button.First = L"Anna";
    button.Last = L"Petrova";
    model.SetAtPosition(0, button);
    model.Load(0);
    SpeedDialButton found;
    ASSERT_TRUE(model.GetByPosition(0, found));
    EXPECT_EQ(found.Oid,
              static_cast<DWORD>(FindContactsByNumber(NumberOperation(), L"+7 900 111-22-33").GetAt(0)))
        << "re-found by number, bound to the contact with the same names";
    EXPECT_STREQ(found.Phone, L"+7 900 111-22-33");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Dialvane");
}

} // namespace
