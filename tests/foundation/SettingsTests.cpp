#include "foundation/Settings.h"

#include "TestHelpers.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Runs against the registry of the test prefix; every test starts without the PIM branch.
class Settings : public ::testing::Test {
protected:
    void SetUp() override { testing_support::DeletePimBranch(); }
    void TearDown() override { testing_support::DeletePimBranch(); }

    static void Store(const wchar_t* subkey, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
        const std::wstring path = std::wstring(L"Software\\Orvanix\\PIM\\") + subkey;
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name, type, data, bytes), ERROR_SUCCESS);
    }
    static void StoreText(const wchar_t* subkey, const wchar_t* name, const wchar_t* text,
                          DWORD type = REG_SZ) {
        Store(subkey, name, type, text, static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    }
};

TEST_F(Settings, WithoutAnyKeyEverythingReadsAsItsDefaultAndWritingCreatesTheKey) {
    using namespace settings;
    EXPECT_EQ(Read(DvBigBtn), 1);
    DWORD size = 99;
    EXPECT_EQ(ReadBinary(AbcKey, KeypadCustom, size), nullptr);
    EXPECT_EQ(size, 0u);

    EXPECT_EQ(WriteDword(L"DvBigBtn", 0), 1);
    EXPECT_EQ(Read(DvBigBtn), 0);
}

// Wrong types and unterminated texts are covered where the values are used (keypad, templates,
// clicks, buttons); these are the cases only the store itself sees.
TEST_F(Settings, TextEndsAtItsFirstZeroHasNoLengthLimitAndIsNeverExpanded) {
    Store(L"SmsText", L"3", REG_SZ, L"two\0parts", 10 * sizeof(wchar_t));
    EXPECT_EQ(ReadString(L"SmsText", L"3"), L"two");
    std::wstring longText(3000, L'ж');
    StoreText(L"SmsText", L"4", longText.c_str());
    EXPECT_EQ(ReadString(L"SmsText", L"4"), longText.c_str());
    StoreText(L"Settings", L"SmsApp", L"%windir%\\app.exe", REG_EXPAND_SZ);
    EXPECT_TRUE(ReadString(L"Settings", L"SmsApp").IsEmpty());
}

} // namespace
