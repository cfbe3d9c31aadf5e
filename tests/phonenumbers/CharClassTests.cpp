// The character-class copies; template matching is tested through the formatter.
#include "phonenumbers/CharClasses.h"

#include <gtest/gtest.h>

namespace {

TEST(CharClasses, CopiesFailSafelyOnNullAndOverflow) {
    wchar_t buffer[8] = L"keep";
    EXPECT_FALSE(CopyWithout(nullptr, buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"keep");
    // Seven characters fit a buffer of eight, eight do not.
    EXPECT_TRUE(CopyWithout(L"1-2-3-4-5-6-7", buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"1234567");
    EXPECT_FALSE(CopyWithout(L"12345678", buffer, L"-", 8));
    EXPECT_STREQ(buffer, L"");
}

} // namespace
