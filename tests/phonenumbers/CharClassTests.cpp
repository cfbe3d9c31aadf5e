// The character-class routines and the splits the formatter is built from.
#include "phonenumbers/CharClasses.h"
#include "phonenumbers/PhoneFormat.h"

#include <gtest/gtest.h>

namespace {

TEST(CharClasses, CopiesFailSafelyOnNullAndOverflow) {
    wchar_t buffer[8] = L"keep";
    EXPECT_FALSE(CopyWithout(nullptr, buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"keep");
    EXPECT_TRUE(CopyOnly(L"a1b2", buffer, charclass::Digits, 8));
    EXPECT_STREQ(buffer, L"12");
    // Seven characters fit a buffer of eight, eight do not.
    EXPECT_TRUE(CopyWithout(L"1-2-3-4-5-6-7", buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"1234567");
    EXPECT_FALSE(CopyWithout(L"12345678", buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"");
}

TEST(NumberSplits, TemplateCoreMatching) {
    EXPECT_TRUE(MatchTemplateCore(L"# (###) ###-##-##", L"89161234567"));
    EXPECT_TRUE(MatchTemplateCore(L"8 (###) ###-##-##", L"89161234567"));
    EXPECT_FALSE(MatchTemplateCore(L"8 (###) ###-##-##", L"79161234567")) << "fixed digit differs";
    EXPECT_FALSE(MatchTemplateCore(L"###-##-##", L"123456")) << "too few digits";
    EXPECT_FALSE(MatchTemplateCore(L"##-##", L"12345")) << "too many digits";
    EXPECT_FALSE(MatchTemplateCore(L"###", L"1-23")) << "separator in the number";
    // Other characters must appear in both, in order, without regard to case.
    EXPECT_TRUE(MatchTemplateCore(L"##X##", L"12x34"));
    EXPECT_FALSE(MatchTemplateCore(L"##.##", L"1234"));
    EXPECT_FALSE(MatchTemplateCore(L"#a#b#", L"1b2a3"));
}

} // namespace
