// Handle owners give their handle back on every way out of a scope, and only once.
#include "foundation/ScopedHandles.h"

#include <gtest/gtest.h>

namespace {

bool IsEvent(HANDLE handle) {
    return WaitForSingleObject(handle, 0) != WAIT_FAILED;
}

TEST(ScopedHandles, OwnersCloseOnceAndHandOwnershipOn) {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        ScopedHandle first(raw);
        ScopedHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.Get(), raw);
    }
    EXPECT_FALSE(IsEvent(raw)) << "closed when its last owner went";

    HANDLE kept = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        ScopedHandle owner(kept);
        EXPECT_EQ(owner.Release(), kept);
    }
    EXPECT_TRUE(IsEvent(kept)) << "a released handle stays open";
    CloseHandle(kept);

    ScopedFile missing(
        CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing) << "INVALID_HANDLE_VALUE is the failure of a file";
}

TEST(ScopedHandles, ASelectionIsUndoneAndGdiObjectsAreDeleted) {
    ScopedMemoryDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_BRUSH);
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    {
        ScopedBrush brush(raw);
        ScopedSelect selected(dc.Get(), brush.Get());
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), raw);
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), original);
    EXPECT_EQ(GetObjectType(raw), 0u) << "the brush is deleted after it was selected out";
}

} // namespace
