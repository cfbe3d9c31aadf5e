// The character-class routines and the splits the formatter is built from.
#include "phonenumbers/CharClasses.h"
#include "phonenumbers/PhoneFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CharClasses, CountAndFindRespectTheirBoundsAndNulls) {
    EXPECT_EQ(CountCharsOf(L"+7 (916) 123", charclass::Digits), 7);
    EXPECT_EQ(CountCharsOf(L"", charclass::Digits), 0);
    EXPECT_EQ(CountCharsOf(nullptr, charclass::Digits), 0);
    EXPECT_EQ(CountCharsOf(L"123", nullptr), 0);

    EXPECT_EQ(FindFirstOf(0, L"ab1c2", charclass::Digits), 2);
    EXPECT_EQ(FindFirstOf(3, L"ab1c2", charclass::Digits), 4);
    EXPECT_EQ(FindFirstOf(5, L"ab1c2", charclass::Digits), -1);
    EXPECT_EQ(FindFirstOf(99, L"ab1c2", charclass::Digits), -1);
    EXPECT_EQ(FindFirstOf(-1, L"ab1c2", charclass::Digits), -1);
    EXPECT_EQ(FindFirstOf(0, nullptr, charclass::Digits), -1);
    EXPECT_EQ(FindLastOf(L"1ab2c", charclass::Digits), 3);
    EXPECT_EQ(FindLastOf(L"", charclass::Digits), -1);
    EXPECT_EQ(FindLastOf(L"abc", charclass::Digits), -1);
}

TEST(CharClasses, CopiesFailSafelyOnNullEmptyAndOverflow) {
    wchar_t buffer[8] = L"keep";
    EXPECT_FALSE(CopyWithout(nullptr, buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"keep");
    EXPECT_FALSE(CopyOnly(L"12", buffer, nullptr, 8));
    EXPECT_STREQ(buffer, L"keep");

    EXPECT_FALSE(CopyWithout(L"", buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"");
    wcscpy(buffer, L"keep");
    EXPECT_TRUE(CopyOnly(L"", buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"");

    EXPECT_TRUE(CopyWithout(L"1-2-3", buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"123");
    EXPECT_TRUE(CopyOnly(L"a1b2", buffer, charclass::Digits, 8));
    EXPECT_STREQ(buffer, L"12");

    // Seven characters fit a buffer of eight, eight do not.
    EXPECT_TRUE(CopyWithout(L"1234567", buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"1234567");
    EXPECT_FALSE(CopyWithout(L"12345678", buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"");
    EXPECT_TRUE(CopyOnly(L"1-2-3-4-5-6-7-", buffer, charclass::Digits, 8));
    EXPECT_STREQ(buffer, L"1234567");
}

struct Split3 {
    std::wstring a, b, c;
};

Split3 DigitRun(const wchar_t* text) {
    WString head, core, tail;
    SplitDigitRun(text, charclass::Digits, head, core, tail);
    return {static_cast<const wchar_t*>(head), static_cast<const wchar_t*>(core),
            static_cast<const wchar_t*>(tail)};
}

TEST(NumberSplits, DigitRunHeadCoreTail) {
    Split3 s = DigitRun(L"tel +7 916-12 ext");
    EXPECT_EQ(s.a, L"tel +");
    EXPECT_EQ(s.b, L"7 916-12");
    EXPECT_EQ(s.c, L" ext");
    s = DigitRun(L"no digits");
    EXPECT_EQ(s.a, L"");
    EXPECT_EQ(s.b, L"no digits");
    EXPECT_EQ(s.c, L"");
    s = DigitRun(L"5");
    EXPECT_EQ(s.b, L"5");
}

TEST(NumberSplits, OpenerAndCloserGroups) {
    WString rest, group;
    SplitOpenerGroup(L"tel +(", rest, group);
    EXPECT_TRUE(rest == L"tel ");
    EXPECT_TRUE(group == L"+(");
    SplitOpenerGroup(L"+", rest, group);
    EXPECT_TRUE(rest == L"");
    EXPECT_TRUE(group == L"+");
    SplitOpenerGroup(L"tel ", rest, group);
    EXPECT_TRUE(rest == L"tel ");
    EXPECT_TRUE(group == L"");
    // A prefix-end that is no opener still ends the group; openers before it join it.
    SplitOpenerGroup(L"a[-", rest, group);
    EXPECT_TRUE(rest == L"a");
    EXPECT_TRUE(group == L"[-");
    // The output may be the input itself.
    WString head = L"x+";
    SplitOpenerGroup(head, head, group);
    EXPECT_TRUE(head == L"x");
    EXPECT_TRUE(group == L"+");

    SplitCloserGroup(L")] ext", group, rest);
    EXPECT_TRUE(group == L")]");
    EXPECT_TRUE(rest == L" ext");
    SplitCloserGroup(L" )", group, rest);
    EXPECT_TRUE(group == L"");
    EXPECT_TRUE(rest == L" )");
    SplitCloserGroup(L"", group, rest);
    EXPECT_TRUE(group == L"" && rest == L"");
}

TEST(NumberSplits, TemplateCoreMatching) {
    EXPECT_TRUE(MatchTemplateCore(L"# (###) ###-##-##", L"89161234567"));
    EXPECT_TRUE(MatchTemplateCore(L"8 (###) ###-##-##", L"89161234567"));
    EXPECT_FALSE(MatchTemplateCore(L"8 (###) ###-##-##", L"79161234567")) << "fixed digit differs";
    EXPECT_FALSE(MatchTemplateCore(L"###-##-##", L"123456")) << "too few digits";
    EXPECT_FALSE(MatchTemplateCore(L"##-##", L"12345")) << "too many digits";
    EXPECT_FALSE(MatchTemplateCore(L"###", L"1-23")) << "separator in the number";
    EXPECT_FALSE(MatchTemplateCore(L"", L"1"));
    EXPECT_FALSE(MatchTemplateCore(L"#", L""));
    // Other characters must appear in both, in order, without regard to case.
    EXPECT_TRUE(MatchTemplateCore(L"##X##", L"12x34"));
    EXPECT_FALSE(MatchTemplateCore(L"##.##", L"1234"));
    EXPECT_FALSE(MatchTemplateCore(L"#a#b#", L"1b2a3"));
}

} // namespace
