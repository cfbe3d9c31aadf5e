// The rename dialog run modally, driven from a timer of the test's thread as a user would drive it, and
// the names it suggests.
#include "mainscreen/NameEditDialog.h"
#include "resources/ResourceIds.h"
#include "support/WStringPrinter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::function<void(HWND)> step;
HWND seen = nullptr;

void CALLBACK Drive(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = GetActiveWindow();
    if (!dialog || !GetDlgItem(dialog, IDC_RENAME_EDIT)) return;
    KillTimer(nullptr, timer);
    seen = dialog;
    step(dialog);
}

// Runs the dialog; act gets it once it is up and must end it.
INT_PTR RunDriven(NameEditDialog& dialog, std::function<void(HWND)> act) {
    step = std::move(act);
    seen = nullptr;
    SetTimer(nullptr, 0, 20, Drive);
    return dialog.DoModal(nullptr);
}

std::wstring Text(HWND dialog, int id) {
    wchar_t text[600] = {};
    GetDlgItemTextW(dialog, id, text, 600);
    return text;
}

LRESULT List(HWND dialog, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageW(dialog, IDC_RENAME_LIST, message, wParam, lParam);
}

void Press(HWND dialog, int command) {
    SendMessageW(dialog, WM_COMMAND, command, 0);
}

class RenameDialog : public testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : {L"Пётр", L"Пётр Иванов", L"Иванов, Пётр", L"Пётр (Орвеникс)", L"Иванов"})
            dialog.Suggestions.Add(name);
    }
    NameEditDialog dialog;
};

} // namespace

TEST_F(RenameDialog, AnEmptyNameSelectsTheFirstSuggestionAndKeepsTheEditBoxEmpty) {
    std::vector<std::wstring> items;
    EXPECT_EQ(RunDriven(dialog,
                        [&](HWND d) {
                            for (LRESULT i = 0; i < List(d, LB_GETCOUNT); ++i) {
                                wchar_t item[64] = {};
                                List(d, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
                                items.push_back(item);
                            }
                            EXPECT_EQ(List(d, LB_GETCURSEL), 0);
                            EXPECT_EQ(Text(d, IDC_RENAME_EDIT), L"");
                            Press(d, IDOK);
                        }),
              NameEditDialog::Confirmed);
    EXPECT_EQ(items, (std::vector<std::wstring>{L"Пётр", L"Пётр Иванов", L"Иванов, Пётр", L"Пётр (Орвеникс)",
                                                L"Иванов"}));
    EXPECT_EQ(dialog.Name, L"") << "an empty name is returned empty";
}

TEST_F(RenameDialog, TheGivenNameIsShownSelectedAndPickingASuggestionReplacesIt) {
    dialog.Name = L"Иванов, П";
    EXPECT_EQ(
        RunDriven(dialog,
                  [&](HWND d) {
                      EXPECT_EQ(Text(d, IDC_RENAME_EDIT), L"Иванов, П");
                      DWORD start = 1, end = 0;
                      SendDlgItemMessageW(d, IDC_RENAME_EDIT, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                          reinterpret_cast<LPARAM>(&end));
                      EXPECT_EQ(start, 0u);
                      EXPECT_EQ(end, 9u) << "all of it selected";
                      EXPECT_EQ(List(d, LB_GETCURSEL), 2) << "the first suggestion that begins with the name";
                      EXPECT_EQ(Text(d, IDC_RENAME_EDIT), L"Иванов, П") << "selecting it changed nothing";
                      List(d, LB_SETCURSEL, 3);
                      SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_RENAME_LIST, LBN_SELCHANGE),
                                   reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_RENAME_LIST)));
                      EXPECT_EQ(Text(d, IDC_RENAME_EDIT), L"Пётр (Орвеникс)");
                      Press(d, IDOK);
                  }),
        NameEditDialog::Confirmed);
    EXPECT_EQ(dialog.Name, L"Пётр (Орвеникс)");
}

TEST_F(RenameDialog, CancelKeepsTheNameAndALongNameIsCut) {
    dialog.Name = L"Старое";
    EXPECT_EQ(RunDriven(dialog,
                        [&](HWND d) {
                            SetDlgItemTextW(d, IDC_RENAME_EDIT, L"Новое");
                            Press(d, IDCANCEL);
                        }),
              NameEditDialog::Cancelled);
    EXPECT_EQ(dialog.Name, L"Старое");

    EXPECT_EQ(RunDriven(dialog,
                        [&](HWND d) {
                            EXPECT_EQ(List(d, LB_GETCURSEL), LB_ERR) << "no suggestion begins with it";
                            SetDlgItemTextW(d, IDC_RENAME_EDIT, std::wstring(300, L'я').c_str());
                            Press(d, IDOK);
                        }),
              NameEditDialog::Confirmed);
    EXPECT_EQ(dialog.Name, std::wstring(259, L'я').c_str());
}

TEST_F(RenameDialog, TheDialogFillsTheScreenAboveItsSoftKeys) {
    NameEditDialog empty;
    RECT dialogRect = {}, barRect = {}, listRect = {};
    HWND bar = nullptr;
    EXPECT_EQ(RunDriven(empty,
                        [&](HWND d) {
                            EXPECT_EQ(List(d, LB_GETCOUNT), 0);
                            EXPECT_EQ(List(d, LB_GETCURSEL), LB_ERR);
                            bar = empty.MenuBar;
                            GetWindowRect(d, &dialogRect);
                            GetWindowRect(bar, &barRect);
                            GetWindowRect(GetDlgItem(d, IDC_RENAME_LIST), &listRect);
                            Press(d, IDOK);
                        }),
              NameEditDialog::Confirmed);
    ASSERT_TRUE(bar);
    EXPECT_EQ(barRect.top, dialogRect.bottom);
    EXPECT_EQ(dialogRect.left, 0);
    EXPECT_EQ(dialogRect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(listRect.left - dialogRect.left, dialogRect.right - listRect.right)
        << "margins alike on both sides";
    EXPECT_FALSE(IsWindow(bar)) << "the soft keys go with the dialog";
}

TEST(RenameSuggestions, EachNameNeedsTheNamesItIsBuiltFrom) {
    auto suggestions = [](const wchar_t* first, const wchar_t* last, const wchar_t* company) {
        const Array<WString> list = NameEditDialog::SuggestionsFor(first, last, company);
        std::vector<std::wstring> names;
        for (int i = 0; i < list.GetSize(); ++i) names.emplace_back(list[i]);
        return names;
    };
    EXPECT_EQ(suggestions(L"Пётр", L"", L"Орвеникс"), (std::vector<std::wstring>{L"Пётр", L"Орвеникс"}))
        << "the first name with the company needs the last name too";
    EXPECT_EQ(suggestions(L"", L"Иванов", L"Орвеникс"),
              (std::vector<std::wstring>{L"Иванов", L"Иванов (Орвеникс)", L"Орвеникс"}));
    EXPECT_EQ(suggestions(L"100%", L"%s", L""),
              (std::vector<std::wstring>{L"100%", L"100% %s", L"%s, 100%", L"%s"}))
        << "names are data, not formats";
    EXPECT_TRUE(suggestions(L"", L"", L"").empty());
}
