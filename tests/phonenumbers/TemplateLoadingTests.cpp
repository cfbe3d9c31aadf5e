// Loading the display templates from the settings store.
#include "phonenumbers/PhoneFormat.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr wchar_t TemplatesPath[] = L"Software\\Orvanix\\PIM\\Templates";

std::vector<std::wstring> TemplatesOf(const PhoneTemplateSet& set) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < set.Templates.GetSize(); ++i)
        texts.push_back(static_cast<const wchar_t*>(set.Templates.GetAt(i)));
    return texts;
}

std::vector<int> CountsOf(const PhoneTemplateSet& set) {
    std::vector<int> counts;
    for (int i = 0; i < set.PlaceholderCounts.GetSize(); ++i)
        counts.push_back(set.PlaceholderCounts.GetAt(i));
    return counts;
}

class TemplateLoading : public ::testing::Test {
protected:
    void SetUp() override { DeletePimBranch(); }
    void TearDown() override { DeletePimBranch(); }
};

TEST_F(TemplateLoading, CustomTemplatesInIndexOrderSkipMissingEmptyAndBracketedValues) {
    SetDword(HKEY_CURRENT_USER, TemplatesPath, L"Count", 12);
    SetString(HKEY_CURRENT_USER, TemplatesPath, L"10", L"(###) ###-####");
    SetString(HKEY_CURRENT_USER, TemplatesPath, L"0", L"###-###");
    SetString(HKEY_CURRENT_USER, TemplatesPath, L"3", L"<###>");
    SetString(HKEY_CURRENT_USER, TemplatesPath, L"5", L"");
    SetString(HKEY_CURRENT_USER, TemplatesPath, L"6", L"8 ##");
    SetString(HKEY_CURRENT_USER, TemplatesPath, L"12", L"##"); // not below Count: never read
    SetString(HKEY_CURRENT_USER, TemplatesPath, L"02", L"##"); // not an index: never read
    SetDword(HKEY_CURRENT_USER, TemplatesPath, L"1", 5);       // a number where text belongs reads as empty

    PhoneTemplateSet set;
    LoadTemplates(set);
    EXPECT_EQ(TemplatesOf(set), (std::vector<std::wstring>{L"###-###", L"8 ##", L"(###) ###-####"}));
    EXPECT_EQ(CountsOf(set), (std::vector<int>{6, 3, 10}));
}

TEST_F(TemplateLoading, BuiltInsWithoutACountNoneBelowOneAndAReloadReplacesEverything) {
    PhoneTemplateSet set;
    LoadTemplates(set);
    EXPECT_EQ(CountsOf(set), (std::vector<int>{6, 7, 11, 11})) << "the built-ins";
    SetDword(HKEY_CURRENT_USER, TemplatesPath, L"Count", 0);
    LoadTemplates(set);
    EXPECT_EQ(set.Templates.GetSize(), 0);
    WString number = L"1234567";
    EXPECT_FALSE(FormatPhoneNumber(&set, number));

    // A huge count costs only the values that exist.
    SetDword(HKEY_CURRENT_USER, TemplatesPath, L"Count", 0x7FFFFFFF);
    SetString(HKEY_CURRENT_USER, TemplatesPath, L"0", L"### ####");
    LoadTemplates(set);
    EXPECT_EQ(TemplatesOf(set), (std::vector<std::wstring>{L"### ####"}));
    EXPECT_TRUE(FormatPhoneNumber(&set, number) && number == L"123 4567");

    // A "Count" of the wrong type counts as missing.
    SetString(HKEY_CURRENT_USER, TemplatesPath, L"Count", L"3");
    LoadTemplates(set);
    EXPECT_EQ(CountsOf(set), (std::vector<int>{6, 7, 11, 11}));
}

} // namespace
