#include "companions/contactstore/CardCache.h"
#include "companions/contactstore/FileAccess.h"
#include "companions/contactstore/TextConversion.h"
#include "foundation/ScopedHandles.h"

#include "ContactTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <thread>

namespace {

using contactstore::CachedFiles;
using contactstore::FileCards;
using testing_support::TempFolder;

std::shared_ptr<FileCards> Parsed(const std::wstring& name, std::string_view text, uint64_t size = 10) {
    auto file = std::make_shared<FileCards>();
    file->File = {name, size, 1000};
    file->ReadAt = 1000 + contactstore::WriteTimeMargin + 1;
    const vcard::ParseResult parsed = vcard::ParseVcards(text, file->Set);
    file->Complete = parsed.Complete;
    for (const vcard::Problem& problem : parsed.Problems)
        file->Problems.push_back(L"problem " + contactstore::Wide(problem.What));
    return file;
}

CachedFiles SampleFiles() {
    const std::string photo = "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\n";
    return {Parsed(L"a.vcf", Card("u-1", "Alpha", "1") + Card("", "Beta", "2")),
            Parsed(L"b-\u0416\u0443\u043A.vcf", "BEGIN:VCARD\r\nN:Photo;\r\nX-DIALVANE-NOTES:e1xwd2k=\r\n" +
                                                    photo + "no colon\r\nEND:VCARD\r\n"),
            Parsed(L"c-\U0001F600.vcf", "BEGIN:VCARD\r\nN:Cut;\r\nTEL:5")};
}

// The raw bytes of each card field, to compare two sets by.
std::vector<std::string> Fields(const vcard::CardSet& set) {
    std::vector<std::string> fields;
    for (const vcard::Card& card : set.Cards) {
        fields.push_back(std::to_string(card.UidKey) + "/" + std::to_string(card.NameKey) + "/" +
                         std::to_string(card.RawNotes));
        for (int field = 0; field < vcard::FieldCount; ++field)
            fields.emplace_back(set.Get(card, static_cast<vcard::Field>(field)));
    }
    return fields;
}

// Seals payload bytes changed behind the cache's back with a fitting length and checksum.
void Reseal(std::string& bytes) {
    const std::string_view payload = std::string_view(bytes).substr(32);
    const uint64_t length = payload.size(), checksum = contactstore::CacheChecksum(payload);
    std::memcpy(bytes.data() + 16, &length, 8);
    std::memcpy(bytes.data() + 24, &checksum, 8);
}

TEST(CardCacheFormat, EveryFieldAndNameComesBackAsWritten) {
    const CachedFiles files = SampleFiles();
    CachedFiles decoded;
    std::wstring why;
    ASSERT_TRUE(contactstore::DecodeCardCache(contactstore::EncodeCardCache(L"C:\\book", files), L"C:\\book",
                                              decoded, why));
    EXPECT_TRUE(why.empty());
    ASSERT_EQ(decoded.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(decoded[i]->File, files[i]->File);
        EXPECT_EQ(decoded[i]->ReadAt, files[i]->ReadAt);
        EXPECT_EQ(decoded[i]->Complete, files[i]->Complete);
        EXPECT_EQ(decoded[i]->Problems, files[i]->Problems);
        EXPECT_EQ(Fields(decoded[i]->Set), Fields(files[i]->Set));
    }
    EXPECT_FALSE(decoded[2]->Complete);
    EXPECT_FALSE(decoded[2]->Problems.empty());
    // Another location's cache is of no use, but is not a fault.
    ASSERT_TRUE(contactstore::DecodeCardCache(contactstore::EncodeCardCache(L"C:\\other", files), L"C:\\book",
                                              decoded, why));
    EXPECT_TRUE(decoded.empty());
    EXPECT_TRUE(why.empty());
}

TEST(CardCacheFormat, AnotherVersionACutOrDamagedCacheIsRefusedWithItsReason) {
    const std::string good = contactstore::EncodeCardCache(L"L", SampleFiles());
    auto refused = [](std::string bytes) {
        CachedFiles files;
        std::wstring why;
        const bool taken = contactstore::DecodeCardCache(bytes, L"L", files, why);
        EXPECT_TRUE(files.empty());
        return taken ? std::wstring(L"taken") : why;
    };
    std::string newer = good;
    newer[8] = static_cast<char>(contactstore::CardCacheVersion + 1);
    EXPECT_EQ(refused(newer),
              L"written by another version (" + std::to_wstring(contactstore::CardCacheVersion + 1) + L")");
    EXPECT_EQ(refused(good.substr(0, good.size() - 1)), L"cut short");
    EXPECT_EQ(refused(good.substr(0, 20)), L"not a card cache");
    EXPECT_EQ(refused(""), L"not a card cache");
    EXPECT_EQ(refused(good + "x"), L"longer than it should be");
    std::string flipped = good;
    flipped[good.size() / 2] ^= 0x10;
    EXPECT_EQ(refused(flipped), L"damaged (checksum)");

    // Damage that a checksum of its own hides is still found: files out of order, cards that point
    // past their bytes.
    CachedFiles unordered = SampleFiles();
    std::swap(unordered[0], unordered[1]);
    EXPECT_EQ(refused(contactstore::EncodeCardCache(L"L", unordered)), L"damaged (contents)");
    CachedFiles outside = SampleFiles();
    auto bad = std::make_shared<FileCards>(*outside[0]);
    bad->Set.Cards[1].NotesLength += static_cast<uint32_t>(bad->Set.Bytes.size());
    outside[0] = bad;
    EXPECT_EQ(refused(contactstore::EncodeCardCache(L"L", outside)), L"damaged (contents)");
    std::string trailing = good + std::string(7, '\0');
    Reseal(trailing);
    EXPECT_EQ(refused(trailing), L"damaged (contents)");
}

// Random damage: never taken unless resealed, and even resealed never read past its bytes.
TEST(CardCacheFuzz, RandomDamageIsNeverTrustedNorReadPastItsEnd) {
    const std::string good = contactstore::EncodeCardCache(L"L", SampleFiles());
    std::mt19937 random(20240611);
    int takenResealed = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = random() % bytes.size();
            switch (random() % 4) {
            case 0:
                bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
                break;
            case 1:
                bytes.resize(at);
                break;
            case 2:
                bytes.insert(at, 1 + random() % 8, static_cast<char>(random()));
                break;
            default:
                bytes.erase(at, 1 + random() % 16);
                break;
            }
            if (bytes.empty()) bytes = "x";
        }
        if (bytes == good) continue;
        CachedFiles files;
        std::wstring why;
        EXPECT_FALSE(contactstore::DecodeCardCache(bytes, L"L", files, why)) << "round " << round;
        EXPECT_FALSE(why.empty());
        if (bytes.size() < 32 || std::memcmp(bytes.data(), good.data(), 16) != 0) continue;
        Reseal(bytes);
        if (!contactstore::DecodeCardCache(bytes, L"L", files, why)) continue;
        ++takenResealed;
        for (size_t i = 0; i < files.size(); ++i) {
            if (i) {
                EXPECT_LT(files[i - 1]->File.Name, files[i]->File.Name);
            }
            for (const vcard::Card& card : files[i]->Set.Cards) {
                const std::string_view photo = files[i]->Set.Get(card, vcard::Photo);
                EXPECT_LE(photo.data() + photo.size(),
                          files[i]->Set.Bytes.data() + files[i]->Set.Bytes.size());
            }
        }
    }
    EXPECT_GT(takenResealed, 0) << "some resealed damage (inside texts) reads as a cache";
}

TEST(CardCacheEntries, AFileCountsAsUnchangedOnlyWithItsSizeTimeAndASafeReadingTime) {
    FileCards cached;
    cached.File = {L"a.vcf", 10, 5'000'000'000};
    cached.ReadAt = cached.File.WriteTime + contactstore::WriteTimeMargin + 1;
    EXPECT_TRUE(contactstore::CacheEntryHolds(cached, {L"a.vcf", 10, 5'000'000'000}));
    EXPECT_FALSE(contactstore::CacheEntryHolds(cached, {L"a.vcf", 11, 5'000'000'000}));
    EXPECT_FALSE(contactstore::CacheEntryHolds(cached, {L"a.vcf", 10, 5'000'000'001}));
    EXPECT_FALSE(contactstore::CacheEntryHolds(cached, {L"b.vcf", 10, 5'000'000'000}));
    // Read within the file system's time resolution of its writing: a second write may not show.
    cached.ReadAt = cached.File.WriteTime + contactstore::WriteTimeMargin;
    EXPECT_FALSE(contactstore::CacheEntryHolds(cached, {L"a.vcf", 10, 5'000'000'000}));
}

TEST(CardCacheFile, ReplacedWholeWhileReadersHoldItAndNeverLeftHalfWritten) {
    TempFolder folder;
    const std::wstring path = folder / L"cache.bin";
    DWORD error = 0;
    ASSERT_TRUE(contactstore::ReplaceWholeFile(path, "old contents", error));
    {
        // A reader holds the old file open, as the store's reader does for a moment: the writer waits for
        // it, and the reader sees the old contents whole.
        ScopedFile reader(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        bool replaced = false;
        std::thread writer([&] { replaced = contactstore::ReplaceWholeFile(path, "new contents", error); });
        Sleep(contactstore::ReplaceRetryMs * 3);
        char old[32] = {};
        DWORD read = 0;
        ReadFile(reader.Get(), old, sizeof old, &read, nullptr);
        EXPECT_EQ(std::string(old, read), "old contents");
        reader.Reset();
        writer.join();
        ASSERT_TRUE(replaced) << error;
    }
    std::string bytes;
    ASSERT_TRUE(contactstore::ReadWholeFile(path, bytes, error));
    EXPECT_EQ(bytes, "new contents");
    // A target that cannot be replaced (a folder of that name) fails and leaves no temporary file.
    CreateDirectoryW((folder / L"taken").c_str(), nullptr);
    EXPECT_FALSE(contactstore::ReplaceWholeFile(folder / L"taken", "x", error));
    EXPECT_NE(error, 0u);
    int entries = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder / L"*").c_str(), &data);
    do entries += data.cFileName[0] != L'.';
    while (FindNextFileW(find, &data));
    FindClose(find);
    EXPECT_EQ(entries, 2) << "cache.bin and the folder, nothing else";
}

} // namespace
