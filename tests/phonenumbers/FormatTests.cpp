// Laying numbers out by the built-in and custom templates, and inputs of every shape.
#include "phonenumbers/CharClasses.h"
#include "phonenumbers/PhoneFormat.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

PhoneTemplateSet Set(const std::vector<const wchar_t*>& templates) {
    PhoneTemplateSet set;
    set.Enabled = 1;
    set.IgnoreHyphens = 1;
    for (const wchar_t* text : templates) {
        set.Templates.Add(text);
        set.PlaceholderCounts.Add(CountCharsOf(text, charclass::Placeholders));
    }
    return set;
}

PhoneTemplateSet BuiltIns() {
    PhoneTemplateSet set;
    LoadDefaultTemplates(set);
    set.Enabled = 1;
    set.IgnoreHyphens = 1;
    return set;
}

std::wstring Formatted(const PhoneTemplateSet& set, const wchar_t* number) {
    WString text = number;
    FormatPhoneNumber(&set, text);
    return static_cast<const wchar_t*>(text);
}

TEST(FormatPhoneNumber, BuiltInTemplatesAndASetThatWasNeverLoadedIsOff) {
    const PhoneTemplateSet set = BuiltIns();
    EXPECT_EQ(Formatted(set, L"+7 916 123-45-67"), L"+7 (916) 123-45-67");
    EXPECT_EQ(Formatted(set, L"123456"), L"12-34-56");
    EXPECT_EQ(Formatted(set, L"tel 89161234567 ext"), L"tel 8 (916) 123-45-67 ext");
    EXPECT_EQ(Formatted(set, L"+1234567"), L"+1234567");
    WString number = L"12345";
    EXPECT_FALSE(FormatPhoneNumber(&set, number)) << "no template takes five digits";

    PhoneTemplateSet off;
    LoadDefaultTemplates(off);
    EXPECT_EQ(Formatted(off, L"1234567"), L"1234567");
}

TEST(FormatPhoneNumber, CustomTemplates) {
    const struct {
        std::vector<const wchar_t*> templates;
        const wchar_t *number, *result;
        int ignoreHyphens = 1;
    } cases[] = {
        // Templates with fixed digits win the pass before generic ones.
        {{L"#-###-###-##-##", L"8 (###) ###-##-##"}, L"89161234567", L"8 (916) 123-45-67"},
        {{L"#-###-###-##-##", L"8 (###) ###-##-##"}, L"79161234567", L"7-916-123-45-67"},
        {{L"###-##-##"}, L"123-45 67", L"123-45-67"},
        {{L"###-##-##"}, L"123-45 67", L"123-45 67", 0},
        // Template text around the digits is added unless the number has it.
        {{L"T(###)##-##x"}, L"1234567", L"T (123)45-67 x"},
        {{L"T(###)##-##x"}, L"t1234567X", L"t(123)45-67X"},
        // Openers and closers of the number must be in the template, which may lend its own.
        {{L"(###-##-##)", L"###-##-##"}, L"(1234567)", L"(123-45-67)"},
        {{L"(###-##-##)", L"###-##-##"}, L"1234567)", L"(123-45-67)"},
        {{L"###-##-##"}, L"(1234567", L"(1234567"},
    };
    for (const auto& c : cases) {
        PhoneTemplateSet set = Set(c.templates);
        set.IgnoreHyphens = c.ignoreHyphens;
        EXPECT_EQ(Formatted(set, c.number), c.result) << testing::PrintToString(std::wstring(c.number));
    }
}

TEST(FormatPhoneNumber, OverlongNumbersAndTemplatesAreLeftAlone) {
    std::wstring digits(300, L'5');
    std::wstring pattern(300, L'#');
    const PhoneTemplateSet set = Set({pattern.c_str()});
    EXPECT_EQ(Formatted(set, digits.c_str()), digits);
    // A core that fits, laid into a template whose core does not fit the working buffer.
    std::wstring wide = L"#" + std::wstring(280, L' ') + L"#";
    EXPECT_EQ(Formatted(Set({wide.c_str()}), L"12"), L"12");
    const PhoneTemplateSet exact = Set({std::wstring(259, L'#').c_str()});
    WString longest = std::wstring(259, L'7').c_str();
    EXPECT_TRUE(FormatPhoneNumber(&exact, longest)) << "the longest number that fits";
}

std::wstring DigitsOf(const std::wstring& text) {
    std::wstring digits;
    for (wchar_t c : text)
        if (c >= L'0' && c <= L'9') digits += c;
    return digits;
}

std::wstring RandomText(std::mt19937& random, const std::wstring& alphabet, int longest) {
    std::uniform_int_distribution<int> length(0, longest);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::wstring text;
    for (int i = length(random); i > 0; --i) text += alphabet[pick(random)];
    return text;
}

TEST(FormatPhoneNumber, RandomInputsNeverCrashAndKeepExactlyTheirDigits) {
    std::mt19937 random(20240607);
    const std::wstring numberAlphabet =
        L"0123456789012345678901234567890123456789 +-()[]{}=~\\|/_.*#,wWpPxa\u0416";
    const std::wstring templateAlphabet = L"#########0123456789 -()+.[x";
    std::uniform_int_distribution<int> coin(0, 9);
    for (int round = 0; round < 400; ++round) {
        PhoneTemplateSet set;
        LoadDefaultTemplates(set);
        set.Enabled = 1;
        set.IgnoreHyphens = coin(random) < 8;
        for (int t = coin(random); t > 0; --t) {
            std::wstring text = RandomText(random, templateAlphabet, coin(random) == 0 ? 320 : 20);
            set.Templates.Add(text.c_str());
            set.PlaceholderCounts.Add(CountCharsOf(text.c_str(), charclass::Placeholders));
        }
        for (int n = 0; n < 25; ++n) {
            std::wstring before = RandomText(random, numberAlphabet, coin(random) == 0 ? 600 : 18);
            WString number = before.c_str();
            const bool changed = FormatPhoneNumber(&set, number);
            const std::wstring after = static_cast<const wchar_t*>(number);
            if (!changed) {
                ASSERT_EQ(after, before);
                continue;
            }
            ASSERT_EQ(DigitsOf(after), DigitsOf(before)) << testing::PrintToString(before);
            ASSERT_EQ(before.find_first_of(charclass::DialControl), std::wstring::npos);
        }
    }
}

} // namespace
