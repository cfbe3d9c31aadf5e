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
    const int cases[][2] = {{24, 64}, {25, 128}, {57, 256}, {249, 512}, {250, 514}};
    for (const auto& c : cases) {
        WString s = std::wstring(c[0], L'x').c_str();
        EXPECT_EQ(s.BufferSize(), c[1]) << "length " << c[0];
    }
}

TEST(WString, EveryEmptyValueSharesTheStaticBuffer) {
    WString a, b(L""), c(static_cast<const wchar_t*>(nullptr)), d(L"text");
    d.Empty();
    for (const WString* s : {&b, &c, &d}) EXPECT_EQ(Chars(*s), Chars(a));
    EXPECT_EQ(a.RefCount(), 100);
    EXPECT_EQ(a.BufferSize(), 64);
}

TEST(WString, CopiesShareUntilOneOfThemChanges) {
    WString a(L"hello");
    WString b = a, c = a;
    EXPECT_EQ(a.RefCount(), 3);
    b += L" world";
    c += L'!';
    EXPECT_EQ(a, L"hello");
    EXPECT_EQ(b, L"hello world");
    EXPECT_EQ(c, L"hello!");
    EXPECT_EQ(a.RefCount(), 1);

    // No-op changes keep the buffer shared.
    WString d = a;
    d += L"";
    d += WString();
    d = Chars(d);
    d.TrimLeft();
    d.TrimRight();
    EXPECT_EQ(Chars(d.Right(99)), Chars(a));
    EXPECT_EQ(a.RefCount(), 2);
    EXPECT_TRUE(d == WString(L"hello"));
    EXPECT_FALSE(d == WString(L"hellO"));
}

TEST(WString, AppendGrowsInPlaceWhileTheBufferHasRoomAndSurvivesAliasing) {
    WString s(L"abc");
    const wchar_t* before = s;
    s += L"defghijklmnopqrstuvwxy"; // 25 characters fill a 64-byte buffer
    EXPECT_EQ(Chars(s), before);
    s += s;
    s += Chars(s) + 45;
    EXPECT_EQ(s, L"abcdefghijklmnopqrstuvwxyabcdefghijklmnopqrstuvwxyuvwxy");
    s = Chars(s) + 50;
    EXPECT_EQ(s, L"uvwxy");
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

    logged = LoggedBy([&] { s.Format(L"%*d", INT_MAX, 1); });
    EXPECT_EQ(WithoutStamp(logged), "Memory allocation failed\t\t.\\Str:  (23)\r\n");
    EXPECT_EQ(s, L"keep");
}

} // namespace
