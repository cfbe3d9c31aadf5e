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
    ExpectFormat(L"%d|%u|%x %o %#x|%+d|% d|%05d|%-6d|%.4d", INT_MIN, 4000000000u, 0xbeef, 511, 255, 7, 7, -7,
                 7, 7);
    ExpectFormat(L"%I64d <%s> <%S> <%hs> <%s> 100%% %c%C", LLONG_MIN, L"wide", "narrow", "narrow",
                 static_cast<const wchar_t*>(nullptr), L'Ж', 'n');
    ExpectFormat(L"[%-10s] [%10.2s] [%*.*s] [%-*d]", L"abc", L"abcdef", 6, 3, L"abcdef", 8, 5);
    ExpectFormat(L"%f [%10.3f] [%.0f] %e %g [%*.*e] %p", -0.5, 2.71828, 99.5, 12345.678, 1e-10, 150, 20,
                 1.0 / 3, static_cast<void*>(nullptr));
    // Outputs far beyond the bucket sizes.
    std::wstring long1000 = Pattern(1000);
    ExpectFormat(L"%s%s|%S", long1000.c_str(), long1000.c_str(), std::string(700, 'n').c_str());
    ExpectFormat(L"[%500d] [%-300s] %f|%400.2f|%.300f", 1, L"left", 1e300, 1.5, 1.0);
}

TEST(Format, AnEstimateThatFallsShortCutsTheText) {
    // The estimate does not know "%lld", so it reserves room for the two plain characters only.
    WString s;
    s.Format(L"%lld%lld", LLONG_MAX, LLONG_MAX);
    std::wstring full = Reference(L"%lld%lld", LLONG_MAX, LLONG_MAX);
    EXPECT_EQ(static_cast<size_t>(s.GetLength()), std::min<size_t>(full.size(), s.BufferSize() / 2 - 7));
    EXPECT_EQ(std::wstring(s), full.substr(0, s.GetLength()));
}

TEST(StringResources, TextsLongerThanTheFirstAttemptLoadWhole) {
    ScriptedBoxes boxes;
    // The first attempt holds 255 characters and a terminator.
    for (const auto& c : {std::pair{IDS_TEST_255, 255}, std::pair{IDS_TEST_600, 600}}) {
        WString s(L"previous");
        EXPECT_TRUE(s.LoadString(c.first));
        EXPECT_EQ(std::wstring(s, s.GetLength()), Pattern(c.second));
    }
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
    EXPECT_EQ(boxes.shown[0].text, L"SafeLoadStr failed, resid: 9099");
}

} // namespace
