// A folder of one-card files as a sync tool keeps it: the card cache across starts, files that
// cannot be read, and changes told by name while the store runs.
#include "companions/contactstore/CardCache.h"
#include "companions/contactstore/FileAccess.h"
#include "foundation/ScopedHandles.h"

#include "ContactTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using contactstore::VcardContactStore;
using testing_support::TempFolder;

// Writes the file and dates it in the past, stamp minutes after a fixed time, as files long synced are.
void WriteAged(const std::wstring& path, std::string_view bytes, int stamp = 0) {
    WriteBytes(path, bytes);
    ScopedFile file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    ULARGE_INTEGER time;
    time.QuadPart = 133'500'000'000'000'000ull + stamp * 600'000'000ull; // 2024, and minutes
    const FILETIME aged{time.LowPart, time.HighPart};
    SetFileTime(file.Get(), nullptr, nullptr, &aged);
}

std::shared_ptr<VcardContactStore> CachedStoreAt(const std::wstring& location, const std::wstring& cache,
                                                 const std::wstring& state = L"") {
    return std::make_shared<VcardContactStore>(VcardContactStore::Options{location, state, false, cache});
}

// The first number of the card with this sort name; empty when there is no such card.
std::string NumberOf(const VcardContactStore& store, std::string_view sortName) {
    const DWORD oid = OidOf(store, sortName);
    if (!oid) return "";
    auto snapshot = store.Snapshot();
    const auto* entry = snapshot->Find(oid);
    return std::string(snapshot->SetOf(*entry).Get(
        snapshot->CardOf(*entry), static_cast<vcard::Field>(vcard::PhoneField(vcard::Mobile))));
}

TEST(SyncedFolderCache, AWarmStartReadsOnlyTheFilesThatChanged) {
    TempFolder folder, data;
    const std::wstring book = folder.Path(), cache = data / L"cache.bin";
    WriteAged(folder / L"same.vcf", Card("1", "Same", "111"));
    WriteAged(folder / L"resized.vcf", Card("2", "Resized", "222"));
    WriteAged(folder / L"retimed.vcf", Card("3", "Retimed", "333"));
    WriteAged(folder / L"gone.vcf", Card("4", "Gone", "444"));
    CachedStoreAt(book, cache);
    // Behind the cache's back: the same size and time with other digits, so only a file read shows them.
    WriteAged(folder / L"same.vcf", Card("1", "Same", "999"));
    WriteAged(folder / L"retimed.vcf", Card("3", "Retimed", "999"), 1);
    WriteAged(folder / L"resized.vcf", Card("2", "Resized", "2222"));
    DeleteFileW((folder / L"gone.vcf").c_str());
    WriteAged(folder / L"new.vcf", Card("5", "New", "555"));
    {
        auto store = CachedStoreAt(book, cache);
        EXPECT_EQ(NumberOf(*store, "Same"), "111") << "taken from the cache, not read";
        EXPECT_EQ(NumberOf(*store, "Retimed"), "999");
        EXPECT_EQ(NumberOf(*store, "Resized"), "2222");
        EXPECT_EQ(NumberOf(*store, "New"), "555");
        EXPECT_EQ(NumberOf(*store, "Gone"), "");
        EXPECT_EQ(store->Snapshot()->CardCount(), 4u);
    }
    // The cache of another location, or none at all, is not used.
    CachedStoreAt(folder / L"same.vcf", cache);
    EXPECT_EQ(NumberOf(*CachedStoreAt(book, cache), "Same"), "999");
    EXPECT_EQ(NumberOf(*CachedStoreAt(book, L""), "Same"), "999");
}

TEST(SyncedFolderCache, AFileWrittenWithinTheTimeResolutionOfItsReadingIsReadAgain) {
    TempFolder folder, data;
    const std::wstring cache = data / L"cache.bin";
    const std::wstring path = folder / L"fresh.vcf";
    WriteBytes(path, Card("1", "Fresh", "111")); // written just now
    FILETIME written = {};
    {
        ScopedFile file(
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        GetFileTime(file.Get(), nullptr, nullptr, &written);
    }
    CachedStoreAt(folder.Path(), cache);
    // Written again at once with as many bytes, and (as on a coarse file system) the same time.
    WriteBytes(path, Card("1", "Fresh", "999"));
    {
        ScopedFile file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        SetFileTime(file.Get(), nullptr, nullptr, &written);
    }
    EXPECT_EQ(NumberOf(*CachedStoreAt(folder.Path(), cache), "Fresh"), "999");
}

TEST(SyncedFolderCache, ADamagedOrForeignCacheIsToldAndRebuilt) {
    TempFolder folder, data;
    const std::wstring cache = data / L"cache.bin";
    WriteAged(folder / L"a.vcf", Card("1", "Alpha", "1"));
    CachedStoreAt(folder.Path(), cache);
    std::string bytes;
    DWORD error;
    ASSERT_TRUE(contactstore::ReadWholeFile(cache, bytes, error));
    bytes[bytes.size() - 3] ^= 1;
    WriteBytes(cache, bytes);
    std::vector<std::string> lines =
        LogLinesOf([&] { EXPECT_EQ(NumberOf(*CachedStoreAt(folder.Path(), cache), "Alpha"), "1"); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("damaged (checksum); the cards are read from their files"), std::string::npos);
    std::wstring why;
    EXPECT_EQ(contactstore::ReadCardCache(cache, folder.Path(), why).size(), 1u) << "written afresh";
    EXPECT_TRUE(why.empty());
    ASSERT_TRUE(contactstore::ReadWholeFile(cache, bytes, error));

    bytes[8] = static_cast<char>(contactstore::CardCacheVersion + 1);
    WriteBytes(cache, bytes);
    lines = LogLinesOf([&] { CachedStoreAt(folder.Path(), cache); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("written by another version"), std::string::npos);
    // A cache of another location is rebuilt without a word.
    EXPECT_TRUE(LogLinesOf([&] { CachedStoreAt(folder / L"a.vcf", cache); }).empty());
    EXPECT_TRUE(LogLinesOf([&] { CachedStoreAt(folder.Path(), cache); }).empty());
}

TEST(SyncedFolderFiles, OnlyCardFilesCountAndEveryReadableCardShows) {
    TempFolder folder, data;
    const std::wstring cache = data / L"cache.bin";
    WriteAged(folder / L"\u041F\u0451\u0442\u0440 \U0001F4DE.vcf", Card("1", "Pyotr", "1"));
    WriteAged(folder / L"locked.vcf", Card("2", "Locked", "2"));
    WriteAged(folder / L"UPPER.VCF", Card("3", "Upper", "3"));
    for (const wchar_t* skipped : {L".hidden.vcf", L"~lock.vcf", L"card.vcf.tmp", L"notes.txt", L"vcf"})
        WriteAged(folder / skipped, Card("x", "Skipped", "0"));
    CreateDirectoryW((folder / L"sub.vcf").c_str(), nullptr);
    WriteAged(folder / L"sub.vcf\\inner.vcf", Card("y", "Inner", "0"));
    WriteBytes(folder / L"empty.vcf", "");
    std::vector<std::string> lines = LogLinesOf([&] {
        auto store = CachedStoreAt(folder.Path(), cache);
        EXPECT_EQ(store->Snapshot()->CardCount(), 3u);
        EXPECT_NE(OidOf(*store, "Pyotr"), 0u);
        EXPECT_EQ(OidOf(*store, "Skipped"), 0u);
        EXPECT_EQ(OidOf(*store, "Inner"), 0u);
    });
    EXPECT_EQ(lines, std::vector<std::string>{"empty.vcf: the file is empty"});

    // Held by another program at the next start: its cards come from the cache, and it is tried again.
    WriteAged(folder / L"locked.vcf", Card("2", "Locked", "22"), 1);
    ScopedFile lock(
        CreateFileW((folder / L"locked.vcf").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    std::shared_ptr<VcardContactStore> store;
    lines = LogLinesOf([&] { store = CachedStoreAt(folder.Path(), cache); });
    ASSERT_EQ(lines.size(), 2u) << (lines.empty() ? "" : lines[0]);
    EXPECT_EQ(lines[0], "empty.vcf: the file is empty") << "told again, from the cache";
    EXPECT_EQ(lines[1].rfind("locked.vcf: could not be read (", 0), 0u) << lines[1];
    EXPECT_EQ(NumberOf(*store, "Locked"), "2");
    EXPECT_EQ(store->Snapshot()->CardCount(), 3u);
    lock.Reset();
    EXPECT_TRUE(store->Reload());
    EXPECT_EQ(NumberOf(*store, "Locked"), "22");
}

TEST(SyncedFolderChanges, ALookAtNamedFilesTakesInJustThoseAndARenameKeepsTheIds) {
    TempFolder folder;
    WriteBytes(folder / L"a.vcf", Card("1", "Alpha", "1"));
    WriteBytes(folder / L"b.vcf", Card("2", "Beta", "2"));
    WriteBytes(folder / L"solo.vcf", Card("", "Solo", "3"));
    auto store = StoreAt(folder.Path());
    const DWORD alpha = OidOf(*store, "Alpha"), solo = OidOf(*store, "Solo");
    WriteBytes(folder / L"a.vcf", Card("1", "Alpha", "11"));
    WriteBytes(folder / L"b.vcf", Card("2", "Beta", "22"));
    EXPECT_TRUE(store->Reload({L"a.vcf", L"unknown.vcf", L"..\\escape.vcf"}));
    EXPECT_EQ(NumberOf(*store, "Alpha"), "11");
    EXPECT_EQ(NumberOf(*store, "Beta"), "2") << "not looked at yet";
    EXPECT_TRUE(store->Reload());
    EXPECT_EQ(NumberOf(*store, "Beta"), "22");
    // Renamed, with a UID or alone in its file: the same cards, the same ids, at once.
    MoveFileW((folder / L"a.vcf").c_str(), (folder / L"renamed.vcf").c_str());
    MoveFileW((folder / L"solo.vcf").c_str(), (folder / L"solo2.vcf").c_str());
    EXPECT_TRUE(store->Reload({L"a.vcf", L"renamed.vcf", L"solo.vcf", L"solo2.vcf"}));
    EXPECT_EQ(store->Snapshot()->CardCount(), 3u);
    EXPECT_EQ(OidOf(*store, "Alpha"), alpha);
    EXPECT_EQ(OidOf(*store, "Solo"), solo);
}

TEST(SyncedFolderWatching, ABatchOfChangesIsOneNoticeAndARenameOverIsOneChange) {
    MainWindowStandIn mainWindow;
    TempFolder folder;
    for (int i = 0; i < 30; ++i)
        WriteBytes(folder / (L"card" + std::to_wstring(i) + L".vcf").c_str(),
                   Card("u" + std::to_string(i), "Card" + std::to_string(i), "1"));
    auto store = StoreAt(folder.Path(), L"", true);
    const DWORD first = OidOf(*store, "Card0");
    for (int i = 0; i < 30; ++i)
        WriteBytes(folder / (L"card" + std::to_wstring(i) + L".vcf").c_str(),
                   Card("u" + std::to_string(i), "Card" + std::to_string(i), "2"));
    int notices = 0;
    ASSERT_TRUE(mainWindow.WaitForNotice(VcardContactStore::SettleMs * 4, &notices));
    EXPECT_EQ(notices, 1);
    for (int i = 0; i < 30; ++i) EXPECT_EQ(NumberOf(*store, "Card" + std::to_string(i)), "2");

    // A sync tool's save: a hidden temporary file, written and renamed over the card.
    WriteBytes(folder / L".card0.vcf.tmp", Card("u0", "Card0", "3"));
    MoveFileExW((folder / L".card0.vcf.tmp").c_str(), (folder / L"card0.vcf").c_str(),
                MOVEFILE_REPLACE_EXISTING);
    ASSERT_TRUE(mainWindow.WaitForNotice(VcardContactStore::ConfirmMs * 2, &notices));
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(NumberOf(*store, "Card0"), "3");
    EXPECT_EQ(OidOf(*store, "Card0"), first);
    // Renamed: one notice, never two cards on the way.
    MoveFileW((folder / L"card0.vcf").c_str(), (folder / L"renamed.vcf").c_str());
    ASSERT_TRUE(mainWindow.WaitForNotice(VcardContactStore::ConfirmMs * 2, &notices));
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(OidOf(*store, "Card0"), first);
    EXPECT_EQ(store->Snapshot()->CardCount(), 30u);
    // Removed: counts once it has stayed so.
    DeleteFileW((folder / L"renamed.vcf").c_str());
    ASSERT_TRUE(mainWindow.WaitForNotice(VcardContactStore::ConfirmMs * 2, &notices));
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(store->Snapshot()->CardCount(), 29u);
}

} // namespace
