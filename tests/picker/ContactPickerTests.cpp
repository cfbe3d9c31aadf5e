// The picker dialog run modally over the search service, scripted from inside its own message loop:
// searching as keys are typed, highlighting, the number level, the results, and a service that is
// missing or answers garbage.
#include "contacts/ContactTestSupport.h"
#include "foundation/TestHelpers.h"
#include "picker/ContactPickerDialog.h"
#include "support/Processes.h"
#include "support/Registry.h"
#include "ui/ScreenMetrics.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace testing_support;

namespace {

constexpr wchar_t SettingsKey[] = L"Software\\Orvanix\\PIM\\Settings";
constexpr wchar_t AbcKey[] = L"Software\\Orvanix\\PIM\\ABC";

// Cards with one, two and no numbers, and names the keypad cannot spell or the screen can hardly show.
constexpr char Cards[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bob\r\nN:Adams;Bob;;;\r\nTEL;TYPE=HOME:555-0100\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:anna\r\nN:Petrova;Anna;;;\r\nTEL;TYPE=CELL:+7 900 111-22-33\r\n"
    "TEL;TYPE=WORK:777\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:dan\r\nN:Cole;Dan;;;\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:nobody\r\nNOTE:neither name nor number\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:zoe\r\nN:Zoe\xCC\x88 \xF0\x9F\x98\x80;;;;\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:li\r\nN:\xE6\x9D\x8E\xE5\xB0\x8F\xE9\xBE\x8D;;;;\r\n"
    "TEL:+86 10 1234 5678\r\nEND:VCARD\r\n";

// A name of about 500 characters whose last word lies far past any row's end.
const std::string LongCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:long\r\nN:Long;A" + std::string(490, 'a') +
                             " Zed;;;\r\nTEL:+1 555 0123\r\nEND:VCARD\r\n";

constexpr UINT_PTR ScriptTimer = 76;
constexpr UINT_PTR Watchdog = 77;

// A picker whose script runs inside its modal loop once it is shown; a script that leaves the dialog
// open is ended by a watchdog with -5.
class ScriptedPicker : public ContactPickerDialog {
public:
    std::function<void(ScriptedPicker&)> script;

    void Type(wchar_t key) { SendMessageW(Dialog, WM_KEYDOWN, key, 0); }
    void Command(int id) { SendMessageW(Dialog, WM_COMMAND, id, 0); }
    void TapRow(int row) {
        const int y = row * list.itemHeight - list.scrollPos + list.itemHeight / 2;
        SendMessageW(list.Window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, y));
        SendMessageW(list.Window, WM_LBUTTONUP, 0, MAKELPARAM(20, y));
    }
    // The row showing the contact called name, or -1.
    int RowOf(const wchar_t* name) {
        for (int row = 0; row < resultIds.GetSize(); ++row) {
            ServiceRecord record;
            if (GetContactRecord(*recordService, static_cast<DWORD>(resultIds[row]), record) &&
                record.Name == name)
                return row;
        }
        return -1;
    }
    int KeypadHeight() const {
        RECT rect = {};
        GetWindowRect(keypad.Window, &rect);
        return rect.bottom - rect.top;
    }

protected:
    bool OnInit() override {
        const bool handled = ContactPickerDialog::OnInit();
        // Timers come once the queue is empty: after the dialog manager has shown the dialog.
        SetTimer(Dialog, ScriptTimer, 10, nullptr);
        SetTimer(Dialog, Watchdog, 20000, nullptr);
        return handled;
    }
    void OnTimer(UINT_PTR id) override {
        KillTimer(Dialog, id);
        if (id == Watchdog) EndDialog(Dialog, -5);
        if (id == ScriptTimer && script) script(*this);
    }
};

// The colours of a row as the picker draws it into a 32-bit bitmap of w × h.
class RowPicture {
public:
    RowPicture(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_.Reset(
            CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        SelectObject(dc_.Get(), bitmap_.Get());
    }
    HDC Dc() const { return dc_.Get(); }
    // Columns in which colour appears.
    std::vector<int> ColumnsOf(COLORREF colour) const {
        std::vector<int> columns;
        const DWORD wanted = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
        for (int x = 0; x < width_; ++x) {
            for (int y = 0; y < height_; ++y) {
                if ((bits_[y * width_ + x] & 0xFFFFFF) != wanted) continue;
                columns.push_back(x);
                break;
            }
        }
        return columns;
    }

private:
    int width_, height_;
    DWORD* bits_ = nullptr;
    ScopedMemoryDC dc_{CreateCompatibleDC(nullptr)};
    ScopedBitmap bitmap_;
};

class ContactPicker : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new TempFolder;
        WriteBytes(*folder / L"cards.vcf", Cards + LongCard);
    }
    static void TearDownTestSuite() {
        DeletePimBranch();
        delete folder;
    }
    // The service reads its contacts once, when the first picker starts it.
    void SetUp() override {
        SetString(HKEY_CURRENT_USER, SettingsKey, L"ContactsPath", folder->Path().c_str());
        SetDword(HKEY_CURRENT_USER, AbcKey, L"Type", 3);
    }

    static TempFolder* folder;
    ScriptedPicker picker;
};
TempFolder* ContactPicker::folder = nullptr;

TEST_F(ContactPicker, KeysNarrowTheListHighlightTheMatchAndAOneNumberContactIsReturnedAtOnce) {
    picker.script = [](ScriptedPicker& p) {
        EXPECT_EQ(p.list.itemCount, 6) << "the empty query lists everyone with a name or a number";
        EXPECT_GT(p.KeypadHeight(), 0);
        p.list.Repaint(); // every odd name is drawn without harm
        p.Type('2');
        p.Type('3');
        EXPECT_EQ(p.query, L"23");
        ASSERT_GE(p.list.itemCount, 1);
        EXPECT_EQ(p.RowOf(L"Adams, Bob"), 0) << "a name match comes first";
        EXPECT_EQ(p.patterns.GetSize(), 1);

        // "Ad" of "Adams, Bob" lies on the highlight colour, nothing after it does; also selected.
        for (int selected = 0; selected < 2; ++selected) {
            RowPicture row(300, p.list.itemHeight);
            p.DrawItem(p.list.Window, row.Dc(), 0, {0, 0, 300, p.list.itemHeight}, selected);
            const std::vector<int> lit = row.ColumnsOf(p.highlightColour);
            ASSERT_FALSE(lit.empty());
            SIZE ad = {};
            HGDIOBJ old = SelectObject(row.Dc(), p.rowFont.Get());
            GetTextExtentPoint32W(row.Dc(), L"Ad", 2, &ad);
            SelectObject(row.Dc(), old);
            EXPECT_LE(lit.back() - lit.front(), ad.cx) << "only the matched letters";
        }
        p.TapRow(0);
    };
    ASSERT_EQ(picker.DoModal(nullptr), 1);
    EXPECT_NE(picker.contactId, 0u);
    EXPECT_EQ(picker.phoneNumber, L"555-0100");
    EXPECT_EQ(picker.phoneLabel, PhoneKindTable[picker.phoneKind].Label);
}

TEST_F(ContactPicker, SeveralNumbersGiveTheNumberLevelWhereKeysSearchNothingAndCancelStepsBack) {
    picker.script = [](ScriptedPicker& p) {
        p.Type('7');
        const int anna = p.RowOf(L"Petrova, Anna");
        ASSERT_GE(anna, 0);
        const int rows = p.list.itemCount;
        p.list.SelectRow(anna, 0);
        p.Command(IDOK);
        EXPECT_EQ(p.chosenIndex, anna);
        EXPECT_EQ(p.list.itemCount, 2) << "her numbers";
        EXPECT_EQ(p.KeypadHeight(), 0) << "the keypad is hidden";

        p.Type('5');
        EXPECT_EQ(p.keypad.digits, L"75") << "the keypad still takes keys";
        EXPECT_EQ(p.list.itemCount, 2) << "but nothing is searched";

        p.Command(IDCANCEL);
        EXPECT_EQ(p.chosenIndex, -1);
        EXPECT_EQ(p.list.itemCount, rows) << "the same results";
        EXPECT_EQ(p.list.selection, 0);
        EXPECT_EQ(p.list.scrollPos, 0);
        EXPECT_GT(p.KeypadHeight(), 0);
        EXPECT_EQ(p.query, L"7");
        p.Type('9');
        EXPECT_EQ(p.query, L"759") << "the next change searches with the whole string";
        p.Type(VK_BACK);
        p.Type(VK_BACK);
        EXPECT_EQ(p.query, L"7");

        p.list.SelectRow(p.RowOf(L"Petrova, Anna"), 0);
        p.Command(IDOK);
        p.list.SelectRow(1, 0);
        p.Command(IDOK);
    };
    ASSERT_EQ(picker.DoModal(nullptr), 1);
    EXPECT_EQ(picker.phoneNumber, L"777");
    EXPECT_EQ(picker.phoneLabel, PhoneKindTable[picker.phoneKind].Label);

    ScriptedPicker cancelled;
    cancelled.script = [](ScriptedPicker& p) { p.Command(IDCANCEL); };
    EXPECT_EQ(cancelled.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(cancelled.contactId, 0u) << "a cancelled picker chose nothing";
}

TEST_F(ContactPicker, AContactWithoutNumbersIsReturnedWithAnEmptyNumber) {
    picker.script = [](ScriptedPicker& p) {
        p.list.SelectRow(p.RowOf(L"Cole, Dan"), 0);
        SendMessageW(p.list.Window, WM_KEYDOWN, VK_RETURN, 0);
        SendMessageW(p.list.Window, WM_KEYUP, VK_RETURN, 0);
    };
    ASSERT_EQ(picker.DoModal(nullptr), 1);
    EXPECT_NE(picker.contactId, 0u);
    EXPECT_TRUE(picker.phoneNumber.IsEmpty());
}

TEST_F(ContactPicker, NamesTooLongOrInScriptsTheKeysLackAreFoundAndDrawnWithinTheirRows) {
    picker.script = [](ScriptedPicker& p) {
        for (wchar_t key : L"933") {
            if (key) p.Type(key);
        }
        const int row = p.RowOf((L"Long, A" + std::wstring(490, L'a') + L" Zed").c_str());
        ASSERT_GE(row, 0) << "\"Zed\" is a word of the name";
        constexpr int Width = 300;
        RowPicture picture(Width, p.list.itemHeight);
        p.DrawItem(p.list.Window, picture.Dc(), row, {0, 0, Width, p.list.itemHeight}, 0);
        EXPECT_TRUE(picture.ColumnsOf(p.highlightColour).empty()) << "the match lies in the part cut off";
        const std::vector<int> inked = picture.ColumnsOf(p.textColour);
        ASSERT_FALSE(inked.empty());
        const int dpi = ScreenMetrics.DpiX ? ScreenMetrics.DpiX : 96;
        EXPECT_LT(inked.back(), Width - ((dpi + 12) * 4) / 96) << "the ellipsis stays inside the text's box";

        while (!p.query.IsEmpty()) p.Type('1');
        for (wchar_t key : L"5678") {
            if (key) p.Type(key);
        }
        const int li = p.RowOf(L"\u674E\u5C0F\u9F8D");
        ASSERT_GE(li, 0) << "a name no key spells is found by its number";
        RowPicture liRow(Width, p.list.itemHeight);
        p.DrawItem(p.list.Window, liRow.Dc(), li, {0, 0, Width, p.list.itemHeight}, 0);
        EXPECT_TRUE(liRow.ColumnsOf(p.highlightColour).empty()) << "nothing of it matched the keys' letters";
        p.Command(IDCANCEL);
    };
    EXPECT_EQ(picker.DoModal(nullptr), IDCANCEL);
}

TEST_F(ContactPicker, AMissingOrBabblingServiceLeavesAListThatShowsWhatItCanAndLogsTheRest) {
    ServiceOperation missingSearch(1, {L"NoSuchService.dll", L"NSS"});
    ServiceOperation babblingSearch(1, {L"DialvaneTestService.dll", L"TST"});
    ServiceOperation babblingRecords(2, {L"DialvaneTestService.dll", L"TST"});
    const std::string logged = LoggedBy([&] {
        picker.searchService = &missingSearch;
        picker.recordService = &babblingRecords;
        picker.script = [&](ScriptedPicker& p) {
            EXPECT_EQ(p.list.itemCount, 0);
            p.Command(IDOK);
            EXPECT_TRUE(IsWindow(p.Dialog)) << "OK does nothing on an empty list";
            p.searchService = &babblingSearch;
            p.query = L"many";
            p.Search();
            EXPECT_EQ(p.list.itemCount, 2);
            EXPECT_EQ(p.patterns.GetSize(), 64) << "a thousand patterns would slow every row";
            for (int i = 0; i < p.list.itemCount; ++i) {
                RowPicture row(300, p.list.itemHeight);
                p.DrawItem(p.list.Window, row.Dc(), i, {0, 0, 300, p.list.itemHeight}, 0);
            }
            p.query = L"";
            for (wchar_t key : L"5797") {
                if (!key) break;
                p.Type(key);
                RowPicture row(300, p.list.itemHeight);
                for (int i = 0; i < p.list.itemCount; ++i)
                    p.DrawItem(p.list.Window, row.Dc(), i, {0, 0, 300, p.list.itemHeight}, 0);
            }
            p.Command(IDCANCEL);
        };
        EXPECT_EQ(picker.DoModal(nullptr), IDCANCEL);
    });
    EXPECT_NE(logged.find("keypad search"), std::string::npos) << logged;
    EXPECT_NE(logged.find("no record"), std::string::npos) << logged;
    EXPECT_NE(logged.find("1000 match patterns"), std::string::npos) << logged;
    EXPECT_NE(logged.find("contact 3 has no name"), std::string::npos) << logged;
}

} // namespace
