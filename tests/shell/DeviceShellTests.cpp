// The device shell's status bar, as the program and the phone-shell stand-ins find it.
#include "platform/PhoneShell.h"
#include "support/Processes.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

TEST(DeviceShell, PutsOneStatusBarAlongTheTopOfTheScreen) {
    ASSERT_TRUE(TopLevelWindows(platform::TaskBarClass).empty());
    ChildProcess shell(BesideTestBinary(L"DeviceShell.exe"), L"");
    HWND bar = WaitForTopLevelWindow(platform::TaskBarClass, shell.Id(), 15000);
    ASSERT_TRUE(bar);
    RECT rect = {};
    GetWindowRect(bar, &rect);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, 26) << "26 pixels at 96 dpi";

    platform::SIPINFO sip = {};
    sip.cbSize = sizeof sip;
    ASSERT_TRUE(platform::SHSipInfo(platform::SPI_GETSIPINFO, 0, &sip, 0));
    EXPECT_EQ(sip.rcVisibleDesktop.top, 26) << "the visible desktop starts below the bar";

    ChildProcess second(BesideTestBinary(L"DeviceShell.exe"), L"");
    EXPECT_EQ(second.WaitForExit(15000), 0) << "a second shell leaves the first alone";
    EXPECT_EQ(TopLevelWindows(platform::TaskBarClass).size(), 1u);

    PostMessageW(bar, WM_CLOSE, 0, 0);
    EXPECT_EQ(shell.WaitForExit(15000), 0);
}

} // namespace
