#include "foundation/WString.h"

#include "TestHelpers.h"
#include "TestStringIds.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The runtime's own output, printed into a buffer far larger than any case needs.
template <class... Args> std::wstring Reference(const wchar_t* format, Args... args) {
    std::vector<wchar_t> buffer(1 << 16);
    int count = _snwprintf(buffer.data(), buffer.size() - 1, format, args...);
    return std::wstring(buffer.data(), count < 0 ? 0 : count);
}

template <class... Args> void ExpectFormat(const wchar_t* format, Args... args) {
    WString s;
    s.Format(format, args...);
    EXPECT_EQ(std::wstring(s, s.GetLength()), Reference(format, args...)) << ::testing::PrintToString(format);
}

std::wstring Pattern(int length) {
    std::wstring text;
    for (int i = 0; i < length; ++i) text += static_cast<wchar_t>(L'A' + i % 26);
    return text;
}

TEST(Format, MatchesTheRuntimesPrintf) {
    WString twelve;
    twelve.Format(L"%d", 12);
    EXPECT_EQ(twelve, L"12");
    twelve.Format(L"");
    EXPECT_TRUE(twelve.IsEmpty());

    ExpectFormat(L"%d|%i|%u|%x %X %o %#x|%+d|% d|%05d|%-6d|%.4d", -42, INT_MIN, 4000000000u, 0xbeef, 0xBEEF,
                 511, 255, 7, 7, -7, 7, 7);
    ExpectFormat(L"%I64d %I64u %d %I64x %d", LLONG_MIN, ULLONG_MAX, 1, 0x123456789abcLL, 3);
    ExpectFormat(L"<%s> <%S> <%hs> <%ls> <%s> <%S> 100%%", L"wide", "narrow", "narrow", L"wide",
                 static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr));
    ExpectFormat(L"%c%C%lc%hc [%5c] Привет, %s!", L'Ж', 'n', L'w', 'h', L'x', L"мир");
    ExpectFormat(L"[%10s] [%-10s] [%.3s] [%10.2s] [%.*s] [%*.*s]", L"abc", L"abc", L"abcdef", L"abcdef", 2,
                 L"abcdef", 6, 3, L"abcdef");
    ExpectFormat(L"[%*d] [%-*d] [%*d]", 8, 5, 8, 5, -8, 5);
    ExpectFormat(L"%f %f [%10.3f] [%-12.1f] [%.0f] [%+f]", 3.14159, -0.5, 2.71828, 1.25, 99.5, 1.0);
    ExpectFormat(L"%e %E %g %G [%*.*e] %p", 12345.678, 0.000123, 1e-10, 1e20, 150, 20, 1.0 / 3,
                 static_cast<void*>(&twelve));
}

TEST(Format, OutputsFarBeyondTheBucketSizes) {
    std::wstring long1000 = Pattern(1000);
    std::string narrow(700, 'n');
    ExpectFormat(L"%s%s|%S", long1000.c_str(), long1000.c_str(), narrow.c_str());
    ExpectFormat(L"[%500d] [%-300s]", 1, L"left");
    ExpectFormat(L"%f|%.2f|%400.2f|%.300f", 1e300, -1e300, 1.5, 1.0);
}

TEST(Format, AnEstimateThatFallsShortCutsTheText) {
    // The estimate does not know "%lld", so it reserves room for the two plain characters only.
    WString s;
    s.Format(L"%lld%lld", LLONG_MAX, LLONG_MAX);
    std::wstring full = Reference(L"%lld%lld", LLONG_MAX, LLONG_MAX);
    EXPECT_EQ(static_cast<size_t>(s.GetLength()), std::min<size_t>(full.size(), s.BufferSize() / 2 - 7));
    EXPECT_EQ(std::wstring(s), full.substr(0, s.GetLength()));
}

TEST(Format, TheValueItselfMayBeAnArgument) {
    WString s(L"abc");
    WString shared = s;
    s.Format(L"%s-%s", static_cast<const wchar_t*>(s), static_cast<const wchar_t*>(s));
    EXPECT_EQ(s, L"abc-abc");
    EXPECT_EQ(shared, L"abc");
}

TEST(StringResources, TextsLongerThanTheFirstAttemptLoadWhole) {
    ScriptedBoxes boxes;
    const int cases[][2] = {
        {IDS_TEST_254, 254}, {IDS_TEST_255, 255}, {IDS_TEST_300, 300}, {IDS_TEST_600, 600}};
    for (const auto& c : cases) {
        WString s(L"previous");
        EXPECT_TRUE(s.LoadString(c[0]));
        EXPECT_EQ(std::wstring(s, s.GetLength()), Pattern(c[1]));
    }
    WString s;
    EXPECT_TRUE(s.LoadString(IDS_TEST_CYRILLIC));
    EXPECT_EQ(s, L"Мобильный, Рабочий");

    wchar_t buffer[10];
    EXPECT_EQ(SafeLoadStr(IDS_TEST_300, GetModuleHandleW(nullptr), buffer, 10), 9);
    EXPECT_STREQ(buffer, L"ABCDEFGHI");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(StringResources, AMissingResourceIsEmptyLoggedAndShown) {
    ScriptedBoxes boxes;
    WString s(L"previous");
    std::string logged = LoggedBy([&] { EXPECT_FALSE(s.LoadString(IDS_TEST_MISSING)); });
    EXPECT_TRUE(s.IsEmpty());
    char expected[128];
    std::snprintf(expected, sizeof expected, "Resource loading fail (id: %d hInst: %x)\t\t.\\Str:  (174)\r\n",
                  IDS_TEST_MISSING,
                  static_cast<unsigned>(reinterpret_cast<UINT_PTR>(GetModuleHandleW(nullptr))));
    EXPECT_EQ(WithoutStamp(logged), expected);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].owner, nullptr);
    EXPECT_EQ(boxes.shown[0].text, L"SafeLoadStr failed, resid: 9099");
    EXPECT_EQ(boxes.shown[0].caption, L"Addrivo Tracer");
    EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_OK));
}

} // namespace
