// The speed-dial model against cards on disk and the test prefix's real registry.
#include "contacts/ContactTestSupport.h"
#include "model/SpeedDialModel.h"
#include "support/Processes.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr wchar_t ButtonKey[] = L"Software\\Orvanix\\PIM\\Dialvane";
constexpr wchar_t SettingsKey[] = L"Software\\Orvanix\\PIM\\Settings";

constexpr char Cards[] = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna\r\nN:Petrova;Anna;Sergeevna;;\r\n"
                         "TEL;TYPE=CELL:+7 900 111-22-33\r\nTEL;TYPE=WORK:+7 495 123-45-67\r\nEND:VCARD\r\n";

std::optional<std::wstring> StoredText(const wchar_t* name) {
    wchar_t text[256] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, ButtonKey, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return text;
}

// A stored button with the values a save writes.
void StoreButton(int n, DWORD oid, int index, const wchar_t* phone, const wchar_t* type, DWORD link,
                 const wchar_t* first, const wchar_t* last) {
    auto name = [n](const wchar_t* stem) { return std::wstring(stem) + std::to_wstring(n); };
    SetDword(HKEY_CURRENT_USER, ButtonKey, name(L"Oid").c_str(), oid);
    SetDword(HKEY_CURRENT_USER, ButtonKey, name(L"Index").c_str(), static_cast<DWORD>(index));
    SetDword(HKEY_CURRENT_USER, ButtonKey, name(L"Link").c_str(), link);
    SetString(HKEY_CURRENT_USER, ButtonKey, name(L"Phone").c_str(), phone);
    SetString(HKEY_CURRENT_USER, ButtonKey, name(L"Type").c_str(), type);
    SetString(HKEY_CURRENT_USER, ButtonKey, name(L"First").c_str(), first);
    SetString(HKEY_CURRENT_USER, ButtonKey, name(L"Last").c_str(), last);
}

constexpr const wchar_t* ValueStems[] = {L"Oid",  L"Display", L"Btn",  L"Index",  L"Phone",  L"Type",
                                         L"Link", L"First",   L"Last", L"Middle", L"Company"};

// Gives every stored value of button n a type no save writes (REG_EXPAND_SZ for texts, REG_BINARY for
// numbers), keeping its data: a value written again shows by its type.
void MarkStoredValues(int n) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, ButtonKey, 0, KEY_READ | KEY_WRITE, &key), ERROR_SUCCESS);
    for (const wchar_t* stem : ValueStems) {
        const std::wstring name = stem + std::to_wstring(n);
        BYTE data[512];
        DWORD type = 0, size = sizeof data;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS) continue;
        RegSetValueExW(key, name.c_str(), 0, type == REG_SZ ? REG_EXPAND_SZ : REG_BINARY, data, size);
    }
    RegCloseKey(key);
}

// The values of button n written since MarkStoredValues.
std::vector<std::wstring> RewrittenValues(int n) {
    std::vector<std::wstring> rewritten;
    for (const wchar_t* stem : ValueStems) {
        const std::wstring name = stem + std::to_wstring(n);
        DWORD type = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, ButtonKey, name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                         nullptr, nullptr) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_DWORD))
            rewritten.push_back(name);
    }
    return rewritten;
}

SpeedDialButton Named(int index, const wchar_t* last) {
    SpeedDialButton button;
    button.Index = index;
    button.Last = last;
    return button;
}

Array<int> Positions(std::initializer_list<int> positions) {
    Array<int> array;
    for (int position : positions) array.Add(position);
    return array;
}

class SpeedDialModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeletePimBranch();
        WriteBytes(folder / L"cards.vcf", Cards);
        store = StoreAt(folder.Path());
        session = SessionOn(store);
        model.Store = session.get();
        anna = OidOf(*store, "Petrova, Anna");
        ASSERT_NE(anna, 0u);
    }
    void TearDown() override { DeletePimBranch(); }

    // Places buttons directly, each saved singly as an add would.
    void Place(std::initializer_list<SpeedDialButton> buttons) {
        for (const SpeedDialButton& button : buttons) model.SetAtPosition(button.Index, button);
    }

    std::vector<std::wstring> StoredLastNames() {
        std::vector<std::wstring> names;
        for (int n = 0; auto last = StoredText((L"Last" + std::to_wstring(n)).c_str()); ++n)
            names.push_back(*last);
        return names;
    }

    TempFolder folder;
    std::shared_ptr<contactstore::VcardContactStore> store;
    std::unique_ptr<ContactStore> session;
    SpeedDialModel model;
    DWORD anna = 0;
};

TEST_F(SpeedDialModelTest, AddedButtonIsStoredAndLoadsBack) {
    model.AddFromContact(5, anna, {L"+7 495 123-45-67", L"Рабочий", 3});
    SpeedDialModel loaded;
    loaded.Store = session.get();
    loaded.Load(1);
    SpeedDialButton button;
    ASSERT_TRUE(loaded.GetByPosition(5, button));
    EXPECT_STREQ(button.Phone, L"+7 495 123-45-67");
    EXPECT_EQ(button.Phones.GetSize(), 2) << "the numbers come from the contact, not the registry";
    EXPECT_STREQ(SpeedDialModel::DisplayNameOf(button), L"Petrova, Anna Sergeevna");
}

TEST_F(SpeedDialModelTest, RefreshFollowsTheContactsNumbers) {
    StoreButton(0, anna, 0, L"old mobile", L"Мобильный", 0, L"Anna", L"Petrova");
    StoreButton(1, anna, 1, L"gone", L"Рабочий", 4, L"Anna", L"Petrova");
    StoreButton(2, anna, 2, L"gone", L"Радио", 6, L"Anna", L"Petrova");
    model.Load(1);
    EXPECT_EQ(StoredText(L"Phone0"), L"+7 900 111-22-33") << "the number of the same kind changed";
    EXPECT_EQ(StoredText(L"Phone1"), L"+7 495 123-45-67")
        << "no second work number: the first with the label";
    EXPECT_EQ(StoredText(L"Phone2"), L"+7 900 111-22-33") << "no label matches: the first number";
    EXPECT_EQ(StoredText(L"Middle0"), L"Sergeevna") << "names are taken from the contact";
}

TEST_F(SpeedDialModelTest, AButtonWhoseContactIsGoneKeepsItsNameAndNumber) {
    StoreButton(0, 0x7777, 3, L"12345", L"Домашний", 1, L"Ivan", L"Sidorov");
    model.Load(0);
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, ButtonKey, L"Oid0"), 0u);
    EXPECT_EQ(StoredText(L"Phone0"), L"12345");
    SetString(HKEY_CURRENT_USER, ButtonKey, L"Phone0", L"changed elsewhere");
    model.Load(0);
    EXPECT_EQ(StoredText(L"Phone0"), L"changed elsewhere") << "with force 0 an unbound button is left alone";
}

TEST_F(SpeedDialModelTest, ALoadWritesOnlyTheValuesItsRefreshChanged) {
    // Two buttons up to date with their contact, and one bound to nobody, whose number nobody has.
    StoreButton(0, anna, 0, L"+7 900 111-22-33", L"Мобильный", 0, L"Anna", L"Petrova");
    StoreButton(1, anna, 1, L"+7 495 123-45-67", L"Рабочий", 3, L"Anna", L"Petrova");
    StoreButton(2, 0, 2, L"+1 555 0100", L"Домашний", 1, L"Ivan", L"Sidorov");
    for (int n = 0; n < 3; ++n)
        SetString(HKEY_CURRENT_USER, ButtonKey, (L"Middle" + std::to_wstring(n)).c_str(),
                  n < 2 ? L"Sergeevna" : L"");
    for (int n = 0; n < 3; ++n) MarkStoredValues(n);
    model.Load(1);
    model.Load(0);
    for (int n = 0; n < 3; ++n) EXPECT_EQ(RewrittenValues(n), std::vector<std::wstring>{}) << "button " << n;

    SetString(HKEY_CURRENT_USER, ButtonKey, L"Phone0", L"old mobile");
    MarkStoredValues(0);
    model.Load(0);
    EXPECT_EQ(RewrittenValues(0), std::vector<std::wstring>{L"Phone0"});
    EXPECT_EQ(StoredText(L"Phone0"), L"+7 900 111-22-33");
}

TEST_F(SpeedDialModelTest, TheListEndsAtTheFirstMissingOid) {
    StoreButton(0, 0, 0, L"1", L"", 0, L"", L"a");
    StoreButton(1, 0, 1, L"2", L"", 0, L"", L"b");
    StoreButton(3, 0, 3, L"4", L"", 0, L"", L"d");
    model.Load(0);
    model.Save(-1);
    EXPECT_EQ(StoredLastNames(), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_FALSE(GetDword(HKEY_CURRENT_USER, ButtonKey, L"Oid3").has_value());

    model.DeletePositions(Positions({0, 1}));
    HKEY key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, ButtonKey, 0, KEY_READ, &key), ERROR_SUCCESS)
        << "no buttons, no key";
}

TEST_F(SpeedDialModelTest, OddRegistryValuesAreData) {
    SetDword(HKEY_CURRENT_USER, ButtonKey, L"Oid0", 0);
    SetString(HKEY_CURRENT_USER, ButtonKey, L"Btn0", L"seven");
    RegSetKeyValueW(HKEY_CURRENT_USER, ButtonKey, L"Phone0", REG_BINARY, "1\0002\0003", 5);
    SetDword(HKEY_CURRENT_USER, ButtonKey, L"Index0", 0xFFFFFFF0);
    const std::wstring longName(1000, L'я');
    SetString(HKEY_CURRENT_USER, ButtonKey, L"Display0", longName.c_str());
    model.Load(0);
    ASSERT_EQ(model.Buttons.GetSize(), 1);
    const SpeedDialButton button = model.Buttons.GetAt(0);
    EXPECT_EQ(button.Btn, -1);
    EXPECT_EQ(button.Index, -16);
    EXPECT_STREQ(button.Phone, L"12") << "unterminated text ends with the stored data";
    EXPECT_EQ(std::wstring(button.Display), longName);
}

TEST_F(SpeedDialModelTest, DisplayNames) {
    SpeedDialButton button;
    button.Middle = L"Middle";
    button.Company = L"Firm";
    EXPECT_STREQ(SpeedDialModel::DisplayNameOf(button), L"Middle");
    button.SortName = L"Sorted";
    SetDword(HKEY_CURRENT_USER, SettingsKey, L"SortType", 1);
    EXPECT_STREQ(SpeedDialModel::DisplayNameOf(button), L"Sorted");
    button.Display = L"Mine";
    EXPECT_STREQ(SpeedDialModel::DisplayNameOf(button), L"Mine");
    EXPECT_STREQ(SpeedDialModel::DisplayNameOf(SpeedDialButton()), L"Безымянный");
}

TEST_F(SpeedDialModelTest, DialNumbersStayUniqueAndCellsSwapAndDelete) {
    Place({Named(3, L"a"), Named(5, L"b"), Named(6, L"c")});
    model.AssignNumber(3, 5);
    model.AssignNumber(5, 7);
    model.AssignNumber(6, 5);
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, ButtonKey, L"Btn0"), 0xFFFFFFFFu);
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, ButtonKey, L"Btn2"), 5u);
    model.AssignNumber(9, 7);
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, ButtonKey, L"Btn1"), 7u) << "an empty cell takes no number";

    model.SwapPositions(3, 4);
    model.SwapPositions(4, 5);
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, ButtonKey, L"Index0"), 5u);
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, ButtonKey, L"Index1"), 4u);

    model.DeletePositions(Positions({5, 5}));
    EXPECT_EQ(StoredLastNames(), (std::vector<std::wstring>{L"b", L"c"}));
}

TEST_F(SpeedDialModelTest, SortingPacksByNameKeepsEqualNamesInOrderAndWritesOnlyOnChange) {
    SpeedDialButton first = Named(3, L"a"), second = Named(5, L"a");
    first.Phone = L"1";
    second.Phone = L"2";
    Place({Named(7, L"b"), first, Named(12, L"c"), second});
    model.SortByName();
    EXPECT_EQ(StoredLastNames(), (std::vector<std::wstring>{L"a", L"a", L"b", L"c"}));
    EXPECT_EQ(StoredText(L"Phone0"), L"1");
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, ButtonKey, L"Index3"), 3u);

    SetDword(HKEY_CURRENT_USER, ButtonKey, L"Marker", 1);
    model.SortByName();
    EXPECT_TRUE(GetDword(HKEY_CURRENT_USER, ButtonKey, L"Marker").has_value())
        << "already sorted: nothing written";
}

TEST_F(SpeedDialModelTest, OnlyTheStoredButtonOwnsItsPicture) {
    HBITMAP first = CreateBitmap(4, 4, 1, 32, nullptr);
    HBITMAP second = CreateBitmap(4, 4, 1, 32, nullptr);
    SpeedDialButton button = Named(0, L"a");
    button.Photo = first;
    Place({button});
    {
        SpeedDialButton copy;
        ASSERT_TRUE(model.GetByPosition(0, copy));
        EXPECT_EQ(copy.Photo, first);
    }
    EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BITMAP)) << "a copy going away keeps the picture";
    button.Photo = second;
    model.SetAtPosition(0, button);
    EXPECT_EQ(GetObjectType(first), 0u) << "replacing the button deletes its picture";
    model.Clear();
    EXPECT_EQ(GetObjectType(second), 0u);
}

} // namespace
