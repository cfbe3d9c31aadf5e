// Laying numbers out by the built-in and custom templates, and inputs of every shape.
#include "phonenumbers/CharClasses.h"
#include "phonenumbers/PhoneFormat.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>

namespace {

PhoneTemplateSet Set(std::initializer_list<const wchar_t*> templates) {
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

TEST(FormatPhoneNumber, BuiltInTemplates) {
    const PhoneTemplateSet set = BuiltIns();
    const struct {
        const wchar_t* number;
        const wchar_t* result;
    } cases[] = {
        {L"89161234567", L"8 (916) 123-45-67"},
        {L"+79161234567", L"+7 (916) 123-45-67"},
        {L"+7 916 123-45-67", L"+7 (916) 123-45-67"},
        {L"1234567", L"123-45-67"},
        {L"123456", L"12-34-56"},
        {L"89161234567 ext", L"8 (916) 123-45-67 ext"},
        {L"tel 1234567", L"tel 123-45-67"},
        {L"8 (916) 123-45-67", L"8 (916) 123-45-67"},
        {L"+1234567", L"+1234567"},
        {L"*100#", L"*100#"},
        {L"1234567p12", L"1234567p12"},
        {L"1234567w", L"1234567w"},
        {L"123,4567", L"123,4567"},
        {L"12345", L"12345"},
        {L"no digits", L"no digits"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Formatted(set, c.number), c.result) << testing::PrintToString(std::wstring(c.number));
}

TEST(FormatPhoneNumber, ResultReportsWhetherTheNumberChanged) {
    const PhoneTemplateSet set = BuiltIns();
    WString number = L"1234567";
    EXPECT_TRUE(FormatPhoneNumber(&set, number));
    number = L"12345";
    EXPECT_FALSE(FormatPhoneNumber(&set, number));
    EXPECT_FALSE(FormatPhoneNumber(nullptr, number));
    EXPECT_TRUE(number == L"12345");
}

TEST(FormatPhoneNumber, DisabledOrEmptySetsFormatNothing) {
    PhoneTemplateSet off;
    LoadDefaultTemplates(off); // a set that was never loaded is off
    EXPECT_EQ(Formatted(off, L"1234567"), L"1234567");
    const PhoneTemplateSet empty = Set({});
    EXPECT_EQ(Formatted(empty, L"1234567"), L"1234567");
}

TEST(FormatPhoneNumber, FixedDigitTemplatesWinThePassBeforeGenericOnes) {
    const PhoneTemplateSet set = Set({L"#-###-###-##-##", L"8 (###) ###-##-##"});
    EXPECT_EQ(Formatted(set, L"89161234567"), L"8 (916) 123-45-67");
    EXPECT_EQ(Formatted(set, L"79161234567"), L"7-916-123-45-67");
}

TEST(FormatPhoneNumber, HyphensStayWhenTheSetDoesNotIgnoreThem) {
    PhoneTemplateSet set = Set({L"###-##-##"});
    EXPECT_EQ(Formatted(set, L"123-45 67"), L"123-45-67");
    set.IgnoreHyphens = 0;
    EXPECT_EQ(Formatted(set, L"123-45 67"), L"123-45 67");
}

TEST(FormatPhoneNumber, TemplateTextAroundTheDigitsIsAddedUnlessTheNumberHasIt) {
    const PhoneTemplateSet set = Set({L"T(###)##-##x"});
    EXPECT_EQ(Formatted(set, L"1234567"), L"T (123)45-67 x");
    EXPECT_EQ(Formatted(set, L"t1234567X"), L"t(123)45-67X");
    // The number's own opener and closer are kept when the template has them too.
    const PhoneTemplateSet brackets = Set({L"[###] ##-##"});
    EXPECT_EQ(Formatted(brackets, L"1234567"), L"[123] 45-67");
}

TEST(FormatPhoneNumber, OpenersAndClosersOfTheNumberMustBeInTheTemplate) {
    const PhoneTemplateSet set = Set({L"(###-##-##)", L"###-##-##"});
    EXPECT_EQ(Formatted(set, L"(1234567)"), L"(123-45-67)");
    EXPECT_EQ(Formatted(set, L"1234567)"), L"(123-45-67)") << "the template lends its opener";
    const PhoneTemplateSet plain = Set({L"###-##-##"});
    EXPECT_EQ(Formatted(plain, L"(1234567"), L"(1234567");
}

TEST(FormatPhoneNumber, OverlongNumbersAndTemplatesAreLeftAlone) {
    std::wstring digits(300, L'5');
    std::wstring pattern(300, L'#');
    const PhoneTemplateSet set = Set({pattern.c_str()});
    EXPECT_EQ(Formatted(set, digits.c_str()), digits);
    // A core that fits, laid into a template whose core does not fit the working buffer.
    std::wstring wide = L"#" + std::wstring(280, L' ') + L"#";
    const PhoneTemplateSet wideSet = Set({wide.c_str()});
    EXPECT_EQ(Formatted(wideSet, L"12"), L"12");
    std::wstring longest(259, L'7');
    const PhoneTemplateSet exact = Set({std::wstring(259, L'#').c_str()});
    EXPECT_EQ(Formatted(exact, longest.c_str()), longest);
    EXPECT_TRUE([&] {
        WString number = longest.c_str();
        return FormatPhoneNumber(&exact, number);
    }());
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
