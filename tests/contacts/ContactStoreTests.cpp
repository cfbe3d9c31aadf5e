#include "contacts/ContactDetails.h"
#include "contacts/ContactStore.h"
#include "model/SpeedDialModel.h"

#include "ContactTestSupport.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

namespace {

using contactstore::VcardContactStore;
using testing_support::TempFolder;

// The numbers of a contact, which are ASCII here.
std::vector<std::string> Numbers(ContactStore& session, DWORD oid) {
    ContactDetails details;
    std::vector<std::string> numbers;
    ReadContact(&session, oid, details, ReadPhones, 0, 0, 0);
    for (int i = 0; i < details.Phones.GetSize(); ++i) {
        const WString number = details.Phones.GetAt(i).Number;
        numbers.emplace_back(number.operator const wchar_t*(),
                             number.operator const wchar_t*() + number.GetLength());
    }
    return numbers;
}

std::string Number(ContactStore& session, DWORD oid) {
    const std::vector<std::string> numbers = Numbers(session, oid);
    return numbers.empty() ? "" : numbers[0];
}

TEST(ContactStoreIds, StableAcrossEditsAndRestartsAndNeverZeroOrShared) {
    TempFolder folder;
    const std::wstring state = folder / L"ids.txt";
    const std::string betas = Card("", "Beta", "2") + Card("", "Beta", "3");
    WriteBytes(folder / L"a.vcf", Card("u-1", "Alpha", "1") + betas);
    WriteBytes(folder / L"solo.vcf", Card("", "Gamma", "4"));
    std::map<DWORD, std::string> numbers;
    {
        auto store = StoreAt(folder.Path(), state);
        auto session = SessionOn(store);
        for (const auto& entry : store->Snapshot()->ByOid) numbers[entry.Oid] = Number(*session, entry.Oid);
    }
    EXPECT_EQ(numbers.size(), 4u);
    EXPECT_FALSE(numbers.count(0));
    // Edited cards (renamed, new numbers) keep their ids by UID and by file; a restart reads the state back.
    WriteBytes(folder / L"a.vcf", Card("u-1", "Alpha Renamed", "10") + betas);
    WriteBytes(folder / L"solo.vcf", Card("", "Gamma Renamed", "40"));
    auto store = StoreAt(folder.Path(), state);
    auto session = SessionOn(store);
    for (const auto& [oid, number] : numbers)
        EXPECT_EQ(Number(*session, oid), number == "1" || number == "4" ? number + "0" : number);
}

TEST(ContactStoreLocation, BrokenStateFilesAndMissingOrEmptyLocationsGiveWhatTheyCan) {
    TempFolder folder;
    WriteBytes(folder / L"ids.txt", std::string("zz\n00000000 1\n\xFF\xFE garbage", 30));
    WriteBytes(folder / L"c.vcf", Card("x", "X", "1") + Card("y", "Y", "2"));
    auto store = StoreAt(folder / L"c.vcf", folder / L"ids.txt");
    EXPECT_NE(OidOf(*store, "X"), 0u);
    EXPECT_EQ(store->Snapshot()->CardCount(), 2u);
    EXPECT_EQ(StoreAt(folder / L"missing")->Snapshot()->CardCount(), 0u);
    WriteBytes(folder / L"empty.vcf", "");
    EXPECT_EQ(StoreAt(folder / L"empty.vcf")->Snapshot()->CardCount(), 0u);
}

TEST(ContactStoreIds, IdsFollowTheCardsWhenUidsRepeat) {
    TempFolder folder;
    const std::wstring file = folder / L"book.vcf", state = folder / L"ids.txt";
    WriteBytes(file, Card("solo", "Carl", "3"));
    auto store = StoreAt(file, state);
    const DWORD carl = OidOf(*store, "Carl");
    // A second card with Carl's UID, written before him: Carl keeps his id.
    WriteBytes(file, Card("solo", "Dora", "4") + Card("solo", "Carl", "3"));
    Sleep(VcardContactStore::ConfirmMs + 50); // a card counts as gone only when it stays so
    ASSERT_TRUE(store->Reload());
    EXPECT_EQ(OidOf(*store, "Carl"), carl);
    const DWORD dora = OidOf(*store, "Dora");
    EXPECT_NE(dora, 0u);
    EXPECT_NE(dora, carl);
    // The two written the other way round keep their ids, live and after a restart.
    WriteBytes(file, Card("solo", "Carl", "3") + Card("solo", "Dora", "4"));
    ASSERT_TRUE(store->Reload());
    EXPECT_EQ(OidOf(*store, "Carl"), carl);
    EXPECT_EQ(OidOf(*store, "Dora"), dora);
    store.reset();
    WriteBytes(file, Card("solo", "Dora", "4") + Card("solo", "Carl", "3"));
    store = StoreAt(file, state);
    EXPECT_EQ(OidOf(*store, "Carl"), carl);
    EXPECT_EQ(OidOf(*store, "Dora"), dora);
}

TEST(ContactStoreReload, AFileThatLosesCardsKeepsThemUntilItHasStayedSo) {
    TempFolder folder;
    const std::wstring file = folder / L"book.vcf";
    const std::string three = Card("1", "One", "1") + Card("2", "Two", "2") + Card("3", "Three", "3");
    WriteBytes(file, three);
    auto store = StoreAt(file);
    // Half written, then empty: the cards stay; written whole again, the change counts at once.
    for (const std::string& saving :
         {Card("1", "One", "1") + "BEGIN:VCARD\r\nUID:2\r\nN:Tw", std::string()}) {
        WriteBytes(file, saving);
        EXPECT_FALSE(store->Reload());
        EXPECT_EQ(store->Snapshot()->CardCount(), 3u);
    }
    WriteBytes(file, Card("1", "One", "1") + Card("2", "Two", "2") + Card("3", "Three", "33"));
    EXPECT_TRUE(store->Reload());
    auto session = SessionOn(store);
    EXPECT_EQ(Number(*session, OidOf(*store, "Three")), "33");
    // A file that stays short is read again and then believed.
    WriteBytes(file, Card("1", "One", "1"));
    EXPECT_FALSE(store->Reload());
    Sleep(VcardContactStore::ConfirmMs + 50);
    EXPECT_TRUE(store->Reload());
    EXPECT_EQ(store->Snapshot()->CardCount(), 1u);
}

TEST(ContactStoreProblems, EachProblemIsOneLineAndALoadWritesNoMoreThanItsLimit) {
    TempFolder folder;
    WriteBytes(folder / L"good.vcf", Card("1", "Good", "1"));
    WriteBytes(folder / L"broken.vcf", "BEGIN:VCARD\r\nN:Broken;\r\nno colon\r\nPHOTO;ENCODING=b:@@\r\n");
    WriteBytes(folder / L"nothing.vcf", "just text\r\n");
    std::string many;
    for (int i = 0; i < 25; ++i) many += "BEGIN:VCARD\r\nN:Many;\r\nbad\r\nEND:VCARD\r\n";
    WriteBytes(folder / L"many.vcf", many);
    const std::vector<std::string> lines = LogLinesOf([&] { StoreAt(folder.Path()); });
    auto logged = [&](const std::string& line) { return std::count(lines.begin(), lines.end(), line); };
    EXPECT_EQ(logged("broken.vcf: card \"Broken\" (line 3): a line without ':' was left out"), 1);
    EXPECT_EQ(logged("broken.vcf: card \"Broken\" (line 4): PHOTO is not base64: left out"), 1);
    EXPECT_EQ(logged("broken.vcf: card \"Broken\" (line 1): no END:VCARD: the file ends inside the card"), 1);
    EXPECT_EQ(logged("nothing.vcf: no card in it (no BEGIN:VCARD line)"), 1);
    EXPECT_EQ(logged("many.vcf: 5 more problems in this file"), 1);
    EXPECT_EQ(lines.size(), 3u + 1 + 20 + 1);

    TempFolder crowd;
    for (int i = 0; i < VcardContactStore::ReportLimit + 50; ++i)
        WriteBytes(crowd / (std::to_wstring(i) + L".vcf").c_str(), "no cards\r\n");
    const std::vector<std::string> bounded = LogLinesOf([&] { StoreAt(crowd.Path()); });
    ASSERT_EQ(bounded.size(), static_cast<size_t>(VcardContactStore::ReportLimit) + 1);
    EXPECT_EQ(bounded.back(), "... and 50 more problems like these");
}

TEST(ContactStoreWatching, ChangedFilesAreReloadedAndTheMainWindowIsTold) {
    MainWindowStandIn mainWindow;
    TempFolder folder;
    WriteBytes(folder / L"a.vcf", Card("1", "One", "1"));
    auto store = StoreAt(folder.Path(), L"", true);
    auto session = SessionOn(store);
    DWORD one = OidOf(*store, "One");
    WriteBytes(folder / L"b.vcf", Card("2", "Two", "2"));
    ASSERT_TRUE(mainWindow.WaitForNotice());
    EXPECT_EQ(store->Snapshot()->CardCount(), 2u);
    WriteBytes(folder / L"a.vcf", Card("1", "One", "11"));
    ASSERT_TRUE(mainWindow.WaitForNotice());
    EXPECT_EQ(Number(*session, one), "11");
}

TEST(ContactStoreWatching, AnEditorsSlowSaveNeverUnbindsAButton) {
    MainWindowStandIn mainWindow;
    RegDeleteTreeW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey);
    TempFolder folder;
    const std::wstring file = folder / L"book.vcf";
    WriteBytes(file, Card("1", "One", "1") + Card("2", "Two", "2"));
    auto store = StoreAt(file, L"", true);
    auto session = SessionOn(store);
    SpeedDialModel model;
    model.Store = session.get();
    const DWORD two = OidOf(*store, "Two");
    model.AddFromContact(0, two, {L"2", L"Мобильный", 0});
    // The editor empties the file, writes half of it, then all of it with a number changed, each step
    // slower than the store's settling.
    for (const std::string& saving :
         {std::string(), Card("1", "One", "1") + "BEGIN:VCARD\r\nUID:2\r\nN:Tw"}) {
        WriteBytes(file, saving);
        Sleep(VcardContactStore::SettleMs * 3);
    }
    WriteBytes(file, Card("1", "One", "1") + Card("2", "Two", "22"));
    int notices = 0;
    ASSERT_TRUE(mainWindow.WaitForNotice(VcardContactStore::ConfirmMs * 2, &notices));
    EXPECT_EQ(notices, 1) << "only the whole file was believed";
    model.Load(0);
    SpeedDialButton button;
    ASSERT_TRUE(model.GetByPosition(0, button));
    EXPECT_EQ(button.Oid, two);
    EXPECT_STREQ(button.Phone, L"22");
    RegDeleteTreeW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey);
}

// Real exports, when the shared folder is there: every card loads, names and numbers survive.
TEST(ContactStoreRealExports, EveryCardLoadsWithItsNamesAndNumbers) {
    std::filesystem::path exports;
    for (auto at = std::filesystem::path(testing_support::BesideTestBinary(L"")).parent_path();
         at.has_relative_path(); at = at.parent_path())
        if (std::filesystem::exists(at / "shared" / "vcards")) {
            exports = at / "shared" / "vcards";
            break;
        }
    if (exports.empty()) exports = L"Z:\\work\\shared\\vcards";
    if (!std::filesystem::exists(exports)) GTEST_SKIP() << "no real-world exports here";
    auto store = StoreAt(exports.wstring());
    auto snapshot = store->Snapshot();
    EXPECT_GE(snapshot->CardCount(), 18u);
    EXPECT_NE(OidOf(*store, "Doe, John"), 0u);
    EXPECT_NE(OidOf(*store, "Perreault, Simon"), 0u);
    // No number is lost: every TEL value of every file is among the numbers the store gives.
    auto session = SessionOn(store);
    std::set<std::string> given;
    for (const auto& entry : snapshot->ByOid)
        for (const std::string& number : Numbers(*session, entry.Oid)) given.insert(number);
    for (const char* number : {"123456789", "45678901", "905-555-1234", "905-222-1234", "905-111-1234",
                               "555 555 2222", "(111) 555-3333", "+1-415-528-4164", "+1-418-262-6501"})
        EXPECT_TRUE(given.count(number)) << number;
}

} // namespace
