#include "contacts/ContactDetails.h"
#include "contacts/ContactStore.h"

#include "ContactTestSupport.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace {

using testing_support::TempFolder;

std::string Card(std::string_view uid, std::string_view name, std::string_view number) {
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    if (!uid.empty()) card.append("UID:").append(uid).append("\r\n");
    return card.append("N:")
        .append(name)
        .append(";\r\nTEL;TYPE=CELL:")
        .append(number)
        .append("\r\nEND:VCARD\r\n");
}

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

TEST(ContactStoreReload, AHalfWrittenFileKeepsTheCardsUntilItSettles) {
    TempFolder folder;
    std::wstring file = folder / L"book.vcf";
    WriteBytes(file, Card("1", "One", "1") + Card("2", "Two", "2"));
    auto store = StoreAt(file);
    WriteBytes(file, Card("1", "One", "1") + Card("2", "Two", "2") + Card("3", "Three", "3"));
    EXPECT_TRUE(store->Reload());
    WriteBytes(file, Card("1", "One", "1") + "BEGIN:VCARD\r\nUID:2\r\nN:Tw");
    EXPECT_FALSE(store->Reload());
    EXPECT_EQ(store->Snapshot()->CardCount(), 3u);
    // A file left incomplete long enough is taken as it is.
    Sleep(2100);
    EXPECT_TRUE(store->Reload());
    EXPECT_EQ(store->Snapshot()->CardCount(), 2u);
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
