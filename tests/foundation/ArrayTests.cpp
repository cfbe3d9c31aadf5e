#include "foundation/Array.h"

#include "TestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TEST(Array, GrowsByFourThenByAnEighthOfItsSizeUpTo1024) {
    Array<int> a;
    std::vector<int> capacities;
    for (int i = 0; i < 6; ++i) {
        a.Add(i);
        capacities.push_back(a.GetCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{1, 5, 5, 5, 5, 9}));
    int largest = 0;
    for (int i = 6; i < 20000; ++i) {
        int before = a.GetCapacity();
        a.Add(i);
        if (a.GetCapacity() == before) continue;
        ASSERT_EQ(a.GetCapacity() - before, std::clamp(before / 8, 4, 1024)) << "growing from " << before;
        largest = std::max(largest, a.GetCapacity() - before);
    }
    EXPECT_EQ(largest, 1024);
}

TEST(Array, SetSizeShrinksInPlaceAndNewElementsStartZero) {
    Array<int> a;
    for (int i = 1; i <= 5; ++i) a.Add(i);
    a.SetSize(2);
    a.SetSize(5);
    EXPECT_EQ(a.GetCapacity(), 5);
    EXPECT_EQ(a.GetAt(4), 0);
}

TEST(Array, StringElementsKeepTheirReferencesThroughMovesAndCopies) {
    std::vector<WString> originals(100);
    for (int i = 0; i < 100; ++i) originals[i].Format(L"text %d", i);
    {
        Array<WString> a;
        for (const WString& s : originals) a.Add(s);
        Array<WString> copy(a);
        copy.SetSize(5);
        EXPECT_EQ(originals[7].RefCount(), 2);
        EXPECT_EQ(originals[4].RefCount(), 3);
    }
    for (const WString& s : originals) EXPECT_EQ(s.RefCount(), 1);
}

TEST(Array, OutOfRangeAccessIsShownAndTouchesNothing) {
    ScriptedBoxes boxes;
    Array<int> a;
    for (int i = 1; i <= 3; ++i) a.Add(i);
    EXPECT_EQ(a.GetAt(3), 0);
    a.SetAt(-2, 99);
    // The accessors by reference check the same way and never reach outside the array.
    EXPECT_EQ(a[5], 0);
    a.ElementAt(3) = 99;
    EXPECT_EQ(a.ElementAt(-1), 0) << "a write out of range went nowhere";
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a[2], 3);
    std::vector<std::wstring> texts;
    for (const auto& box : boxes.shown) texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Array::GetAt index (3) out of range (3)",
                                                L"Array::SetAt index (-2) out of range (3)",
                                                L"Array::GetAt index (5) out of range (3)",
                                                L"Array::SetAt index (3) out of range (3)",
                                                L"Array::SetAt index (-1) out of range (3)"}));
}

} // namespace
