// Keypad layouts from the table, the locale and the user's own text, and highlighting typed keys.
#include "picker/KeypadLayout.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr wchar_t AbcKey[] = L"Software\\Orvanix\\PIM\\ABC";

std::vector<std::wstring> Strings(const Array<WString>& list) {
    std::vector<std::wstring> out;
    for (int i = 0; i < list.GetSize(); ++i) out.emplace_back(static_cast<const wchar_t*>(list.GetAt(i)));
    return out;
}

Array<WString> Patterns(std::initializer_list<const wchar_t*> texts) {
    Array<WString> patterns;
    for (const wchar_t* text : texts) patterns.Add(text);
    return patterns;
}

std::vector<std::pair<int, int>> Ranges(const wchar_t* name, const Array<WString>& patterns) {
    const Array<KeypadMatch> matches = FindKeypadMatches(name, patterns);
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < matches.GetSize(); ++i)
        out.emplace_back(matches.GetAt(i).first, matches.GetAt(i).last);
    return out;
}

void SetCustom(const std::wstring& text, DWORD extraBytes = 0) {
    RegSetKeyValueW(HKEY_CURRENT_USER, AbcKey, L"Custom", REG_BINARY, text.data(),
                    static_cast<DWORD>(text.size() * sizeof(wchar_t)) + extraBytes);
}

class KeypadSettings : public ::testing::Test {
protected:
    void SetUp() override { DeletePimBranch(); }
    void TearDown() override { DeletePimBranch(); }
};

TEST(KeypadTable, EveryRowParsesIntoEightKeysAndLanguagesPickTheirFirstRow) {
    for (const KeypadLanguageRow& row : KeypadLanguageTable) {
        KeypadLayout layout;
        ASSERT_TRUE(BuildKeypadLayout(row.rowId, layout)) << "row " << row.rowId;
        EXPECT_EQ(layout.labels.GetSize() + layout.letters.GetSize() + layout.extraLabels.GetSize(), 24)
            << "row " << row.rowId;
    }
    KeypadLayout layout;
    ASSERT_TRUE(BuildKeypadLayout(3, layout));
    EXPECT_FALSE(BuildKeypadLayout(18, layout));
    EXPECT_EQ(layout.labels.GetSize(), 0) << "a failed build leaves the layout empty";

    EXPECT_EQ(KeypadRowForLanguage(0x0419 & 0xFF), 2) << "Russian never picks the row with Latin";
    EXPECT_EQ(KeypadRowForLanguage(0x0804 & 0xFF), 1) << "a language without a row gets English";
}

TEST(KeypadText, KeysNeedALabelAndLettersAndTheCaretSplitsTheLabelOnce) {
    KeypadLayout layout;
    const std::wstring text(L"AB/ A^\\a,b-c.\u2116d\0CD^E^F/e\0", 25);
    ASSERT_TRUE(ParseKeypadText(text.c_str(), static_cast<int>(text.size()), layout));
    EXPECT_EQ(Strings(layout.labels), (std::vector<std::wstring>{L"A", L"CD"}));
    EXPECT_EQ(Strings(layout.extraLabels), (std::vector<std::wstring>{L"", L"E^F"}));
    EXPECT_EQ(Strings(layout.letters), (std::vector<std::wstring>{L"abcd", L"e"}));

    const std::wstring none = L"/abc XY/ ;;";
    EXPECT_FALSE(ParseKeypadText(none.c_str(), static_cast<int>(none.size()), layout));
    EXPECT_EQ(layout.letters.GetSize(), 0);
}

TEST_F(KeypadSettings, TypeChoosesTheRowOrTheCustomText) {
    SetDword(HKEY_CURRENT_USER, AbcKey, L"Type", 3);
    EXPECT_EQ(LoadKeypadLayout().hasExtraLabels, 1);

    SetDword(HKEY_CURRENT_USER, AbcKey, L"Type", 0);
    EXPECT_EQ(LoadKeypadLayout().labels.GetSize(), 0) << "no Custom value: the empty layout";

    SetCustom(std::wstring(L"12/ab 34/cd\0", 12), 1);
    EXPECT_EQ(Strings(LoadKeypadLayout().labels), (std::vector<std::wstring>{L"12", L"34"}))
        << "an odd last byte is ignored";

    SetString(HKEY_CURRENT_USER, AbcKey, L"Custom", L"12/ab");
    EXPECT_EQ(LoadKeypadLayout().labels.GetSize(), 0) << "Custom must be binary";
}

TEST_F(KeypadSettings, OutOfRangeTypeFallsBackToTheLocale) {
    wchar_t language[6] = {};
    ASSERT_TRUE(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ILANGUAGE, language, 6));
    KeypadLayout expected;
    BuildKeypadLayout(KeypadRowForLanguage(wcstol(language, nullptr, 16) & 0xFF), expected);
    for (DWORD type : {18u, 0xFFFFFFFFu, 1000u}) {
        SetDword(HKEY_CURRENT_USER, AbcKey, L"Type", type);
        EXPECT_EQ(Strings(LoadKeypadLayout().letters), Strings(expected.letters)) << "Type " << type;
    }
}

TEST(KeypadMatches, OnlyFromTheStartOfAWordAndAtMostOneRangePerPattern) {
    const Array<WString> abcDef = Patterns({L"abc+def"});
    using Found = std::vector<std::pair<int, int>>;
    EXPECT_EQ(Ranges(L"Bob Adams", abcDef), (Found{{4, 5}}));
    EXPECT_EQ(Ranges(L"dad", abcDef), Found{});
    EXPECT_EQ(Ranges(L"Mary-Ann", Patterns({L"abc+mno"})), (Found{{5, 6}}));
    EXPECT_EQ(Ranges(L"Adam Adams", abcDef), (Found{{0, 1}})) << "only the leftmost word";
    EXPECT_EQ(Ranges(L"ИВАН Петров", Patterns({L"ийкл+абвг", L"мноп+деёжз"})), (Found{{0, 1}, {5, 6}}))
        << "case never matters, in any alphabet";
    EXPECT_EQ(Ranges(L"Ann", Patterns({L"abc++mno"})), Found{}) << "an empty set matches nothing";
    EXPECT_EQ(Ranges(L"x (Bo)", Patterns({L"abc+mno", L"wxyz"})), (Found{{3, 4}, {0, 0}}));
}

} // namespace
