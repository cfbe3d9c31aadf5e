// The contact search service: its index directly, and the library answering through the service
// manager as the program calls it.
#include "contacts/ContactTestSupport.h"
#include "companions/contactstore/SnapshotList.h"
#include "contacts/SearchService.h"
#include "foundation/DataFiles.h"
#include "model/SpeedDialModel.h"
#include "companions/pimservice/ContactSearchIndex.h"
#include "support/Processes.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
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
        contactstore::SnapshotList contacts(store->Snapshot());
        index.Build(contacts);
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
    std::shared_ptr<contactstore::VcardContactStore> store;
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

// Random numbers in national, international and short forms, many sharing their last digits: the
// look-up finds exactly the contacts that a comparison with every number finds, in name order.
TEST_F(ContactIndex, NumberLookUpAgreesWithComparingEveryNumber) {
    std::mt19937 random(2024);
    const auto number = [&] {
        std::string digits = std::to_string(random() % 4);
        for (int length = 4 + int(random() % 10); int(digits.size()) < length;)
            digits += char('0' + random() % 3);
        return (random() % 2 ? "+7 " : "8 (") + digits;
    };
    std::string cards;
    for (int card = 0; card < 300; ++card) {
        cards += "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c" + std::to_string(card) + "\r\nN:Name" +
                 std::to_string(random() % 50) + ";;;;\r\n";
        for (int n = int(random() % 3); n >= 0; --n)
            cards += "TEL;TYPE=" + std::string(n ? "HOME" : "CELL") + ":" + number() + "\r\n";
        cards += "END:VCARD\r\n";
    }
    WriteBytes(folder / L"cards.vcf", cards);
    contactstore::SnapshotList contacts(StoreAt(folder.Path())->Snapshot());
    index.Build(contacts);
    std::vector<DWORD> everyone;
    std::vector<std::wstring> patterns;
    index.Search(L"", everyone, patterns);
    for (int query = 0; query < 300; ++query) {
        const std::string typed = number();
        const std::wstring wide(typed.begin(), typed.end());
        std::vector<DWORD> expected;
        for (DWORD oid : everyone) {
            const std::vector<std::wstring> numbers = index.Find(oid)->Numbers;
            for (const std::wstring& own : numbers)
                if (platform::SameNumber(platform::DigitsOf(own.c_str()), platform::DigitsOf(wide.c_str()))) {
                    expected.push_back(oid);
                    break;
                }
        }
        EXPECT_EQ(index.FindByNumber(wide), expected) << typed;
    }
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

// The program's session and the service read one store: an edit is parsed once, told once, and its
// new id is written once.
TEST_F(SearchServiceLibrary, OneStoreServesTheProgramAndTheServiceAndTellsOfAnEditOnce) {
    MainWindowStandIn mainWindow;
    ContactStore* session = ContactStore::Instance();
    ASSERT_TRUE(session->Logon());
    SearchResult everyone;
    ASSERT_TRUE(SearchContacts(SearchOperation(), L"", 0, everyone));
    EXPECT_NE(GetModuleHandleW(L"DialvaneContacts.dll"), nullptr);

    WriteBytes(*folder / L"carol.vcf",
               "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:carol\r\nN:King;Carol;;;\r\nTEL;TYPE=CELL:555-0199\r\n"
               "END:VCARD\r\n");
    int notices = 0;
    ASSERT_TRUE(mainWindow.WaitForNotice(1500, &notices));
    EXPECT_EQ(notices, 1);

    const Array<int> found = FindContactsByNumber(NumberOperation(), L"555-0199");
    ASSERT_EQ(found.GetSize(), 1);
    const DWORD carol = static_cast<DWORD>(found.GetAt(0));
    ContactDetails details;
    ASSERT_TRUE(ReadContact(session, carol, details, ReadNames, 0, 0, 0));
    EXPECT_STREQ(details.First, L"Carol");

    // One writer of the id state: each line (an id and a key of it) is written once.
    char oid[16];
    std::snprintf(oid, sizeof oid, "%08lx ", static_cast<unsigned long>(carol));
    std::ifstream state(std::filesystem::path(DataFilePath(L"contact-ids.txt")));
    std::set<std::string> lines;
    int carolsLines = 0;
    for (std::string line; std::getline(state, line);) {
        EXPECT_TRUE(lines.insert(line).second) << line;
        carolsLines += line.rfind(oid, 0) == 0;
    }
    EXPECT_GT(carolsLines, 0);
}

// Ranking as the program meets it: the dialer's log and the setting in the test prefix, read when a
// picker opens (the empty query) and not while it types.
TEST_F(SearchServiceLibrary, RanksByTheCallLogFromTheNextPickerOnUnlessSwitchedOff) {
    SetDword(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\ABC", L"Type", 1);
    const std::filesystem::path log(DataFilePath(CallLogName));
    std::string kept;
    {
        std::ifstream file(log, std::ios::binary);
        kept.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    WriteBytes(log.wstring(), "2026-03-10 12:00:00\t020 7946 0958\tDan\tcall\r\n");
    auto first = [](const wchar_t* query) {
        SearchResult result;
        ServiceRecord record;
        if (!SearchContacts(SearchOperation(), query, static_cast<int>(wcslen(query)), result) ||
            !result.ids.GetSize() ||
            !GetContactRecord(RecordOperation(), static_cast<DWORD>(result.ids[0]), record))
            return std::wstring();
        return std::wstring(record.Name);
    };
    EXPECT_EQ(first(L""), L"Cole, Dan") << "called, and so before Adams";
    EXPECT_EQ(first(L"2"), L"Cole, Dan");

    SetDword(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Settings", L"RankByCalls", 0);
    EXPECT_EQ(first(L"2"), L"Cole, Dan") << "typing reads no setting";
    EXPECT_EQ(first(L""), L"Adams, Bob") << "the next picker does";
    SetDword(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Settings", L"RankByCalls", 1);
    EXPECT_EQ(first(L""), L"Cole, Dan");
    WriteBytes(log.wstring(), "2026-03-10 12:00:00\t020 7946 0958\tDan\tcall\r\n"
                              "2026-03-11 12:00:00\t+7 900 111 22 33\tAnna\tcall\r\n");
    EXPECT_EQ(first(L"2"), L"Cole, Dan");
    EXPECT_EQ(first(L""), L"Petrova, Anna") << "a newer call, to her international form";

    if (kept.empty())
        std::filesystem::remove(log);
    else
        WriteBytes(log.wstring(), kept);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\Settings", L"RankByCalls");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Orvanix\\PIM\\ABC", L"Type");
}

} // namespace
