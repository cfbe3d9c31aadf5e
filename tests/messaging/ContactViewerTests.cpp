// The contact viewer that "ProgramPath" names on the desktop, started the way the program starts it.
#include "contacts/ContactTestSupport.h"
#include "messaging/PlaceCall.h"
#include "support/Processes.h"
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <string>

using namespace testing_support;

namespace {

constexpr wchar_t ViewerClass[] = L"OrvanixContactView";
constexpr wchar_t SettingsPath[] = L"Software\\Orvanix\\PIM\\Settings";

std::wstring TitleOf(HWND window) {
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    return title;
}

class ContactViewer : public ::testing::Test {
protected:
    void SetUp() override {
        DeletePimBranch();
        ASSERT_TRUE(TopLevelWindows(ViewerClass).empty());
    }
    void TearDown() override {
        for (HWND window : TopLevelWindows(ViewerClass)) PostMessageW(window, WM_CLOSE, 0, 0);
        WaitUntil([] { return TopLevelWindows(ViewerClass).empty(); }, 10000);
        DeletePimBranch();
    }
};

TEST_F(ContactViewer, OpensTheContactOfTheObjectIdGivenInHex) {
    TempFolder folder;
    const std::wstring cards = folder / L"cards.vcf";
    WriteBytes(
        cards,
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:viewer-test-card\r\nN:\xD0\x9F\xD0\xB5\xD1\x82\xD1\x80"
        "\xD0\xBE\xD0\xB2\xD0\xB0;\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0;;;\r\nTEL;TYPE=CELL:+79161234567\r\n"
        "END:VCARD\r\n");
    SetString(HKEY_CURRENT_USER, SettingsPath, L"ContactsPath", cards.c_str());
    auto store = StoreAt(cards);
    auto snapshot = store->Snapshot();
    ASSERT_EQ(snapshot->ByOid.size(), 1u);
    wchar_t command[32];
    swprintf(command, 32, L"v %x", static_cast<unsigned>(snapshot->ByOid.begin()->Oid));

    SetString(HKEY_CURRENT_USER, SettingsPath, L"ProgramPath", BesideTestBinary(L"contactview.exe").c_str());
    OpenContactViewer(command);
    HWND viewer = WaitForTopLevelWindow(ViewerClass, 0, 15000);
    ASSERT_TRUE(viewer);
    EXPECT_EQ(TitleOf(viewer), L"Анна Петрова");
}

TEST_F(ContactViewer, AnUnknownContactSaysSo) {
    ChildProcess viewer(BesideTestBinary(L"contactview.exe"), L"v zz");
    HWND window = WaitForTopLevelWindow(ViewerClass, viewer.Id(), 15000);
    ASSERT_TRUE(window);
    EXPECT_EQ(TitleOf(window), L"Контакт не найден");
}

} // namespace
