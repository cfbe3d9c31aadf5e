#include "foundation/WString.h"

#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

const wchar_t* Chars(const WString& s) {
    return s;
}

TEST(WString, BuffersRoundUpToBucketsBelow512BytesAndAreExactFromThere) {
    const int cases[][2] = {{24, 64}, {25, 128}, {249, 512}, {250, 514}};
    for (const auto& c : cases) {
        WString s = std::wstring(c[0], L'x').c_str();
        EXPECT_EQ(s.BufferSize(), c[1]) << "length " << c[0];
    }
}

// Values are checked against std::wstring in WStringModelTests; these are the sharing rules.
TEST(WString, CopiesShareUntilOneOfThemChangesAndNoOpChangesKeepSharing) {
    WString a(L"hello");
    WString b = a, c = a;
    EXPECT_EQ(a.RefCount(), 3);
    b += L" world";
    c.TrimLeft();
    c += L"";
    c = Chars(c);
    EXPECT_EQ(a.RefCount(), 2);
    EXPECT_EQ(Chars(c.Right(99)), Chars(a));
    c += Chars(c) + 3; // a pointer into its own buffer
    EXPECT_EQ(c, L"hellolo");
    EXPECT_EQ(a, L"hello");
}

TEST(WString, ReleaseBufferClampsTheLengthToTheBuffer) {
    WString b(L"abc");
    wchar_t* buffer = b.GetBuffer(10);
    const int capacity = b.BufferSize() / 2 - 7;
    std::fill(buffer, buffer + capacity + 1, L'q');
    b.ReleaseBuffer(1 << 20);
    EXPECT_EQ(wcslen(b), static_cast<size_t>(capacity));
}

TEST(WString, AFailedAllocationIsLoggedAndLeavesTheValue) {
    WString s(L"keep");
    WString shared = s;
    std::string logged = LoggedBy([&] { EXPECT_EQ(s.GetBuffer(INT_MAX), nullptr); });
    EXPECT_EQ(WithoutStamp(logged), "Memory allocation failed\t\t.\\Str:  (23)\r\n");
    EXPECT_EQ(s.RefCount(), 2);

    s.Format(L"%*d", INT_MAX, 1);
    EXPECT_EQ(s, L"keep");
}

} // namespace
