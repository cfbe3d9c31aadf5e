// The main window driven by its messages: the pen, the keys, the window commands and the two popup
// menus (answered by a script). After every step the registry must hold exactly the model's buttons.
#include "foundation/Settings.h"
#include "mainscreen/MainWindow.h"
#include "mainscreen/ScreenMenus.h"
#include "platform/MainWindowMessages.h"
#include "platform/ModalHost.h"
#include "resources/ResourceIds.h"
#include "support/Registry.h"
#include "support/ScriptedLaunches.h"
#include "ui/ResourceLibrary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

const wchar_t* SettingsPath = L"Software\\Orvanix\\PIM\\Settings";

std::optional<std::wstring> RegistryText(const wchar_t* stem, int n) {
    wchar_t name[32], text[256] = {};
    wsprintfW(name, L"%s%d", stem, n);
    DWORD bytes = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey, name, RRF_RT_REG_SZ, nullptr, text,
                     &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

std::optional<DWORD> RegistryNumber(const wchar_t* stem, int n) {
    wchar_t name[32];
    wsprintfW(name, L"%s%d", stem, n);
    return GetDword(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey, name);
}

// A 240 × 268 main window: three columns and three rows of 76 × 74 cells above a 46-pixel panel, nine
// cells a page. Menus and message boxes are answered by the test.
class MainWindowInput : public testing::Test {
protected:
    void SetUp() override {
        DeletePimBranch();
        SetDword(HKEY_CURRENT_USER, SettingsPath, L"BtnFeedback", 0);
        ASSERT_TRUE(main.Create(L"input", WS_POPUP | WS_VISIBLE, 0, 240, 268, nullptr));
        ASSERT_EQ(main.Panel.CreatePanel(main.Window), 1);
        main.Panel.Strip1Width = 6 * 40;
        main.Panel.Strip2Width = 4 * 40;
        main.Panel.Strip1Height = main.Panel.Strip2Height = 46;
        main.Panel.CutFrames(false);
        main.CellWidth = 76;
        main.CellHeight = 74;
        main.LayOut();
        ASSERT_EQ(main.CellsPerPage, 9);
        platform::SetPopupMenuScript([this](const platform::PopupMenuRecord& menu) {
            menus.push_back(menu);
            return answer;
        });
        platform::SetMessageBoxScript([this](const platform::ModalRecord& box) {
            boxes.push_back(box);
            return boxAnswer;
        });
    }
    void TearDown() override {
        platform::SetPopupMenuScript({});
        platform::SetMessageBoxScript({});
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    // A button in absolute cell index with number phone and, when given, the contact's numbers.
    void AddButton(int index, const wchar_t* phone, int btn = -1, std::vector<PhoneEntry> phones = {}) {
        SpeedDialButton button;
        button.Index = index;
        button.Btn = btn;
        button.Phone = phone;
        button.Display = phone;
        for (const PhoneEntry& entry : phones) button.Phones.Add(entry);
        main.Model.SetAtPosition(index, button);
        main.LayOut();
    }
    POINT CentreOf(int c) const {
        const RECT& r = main.Cells[c].Rect;
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Pen(UINT message, POINT at) { SendMessageW(main.Window, message, 0, MAKELPARAM(at.x, at.y)); }
    void Key(UINT key) {
        SendMessageW(main.Window, WM_KEYDOWN, key, 1);
        SendMessageW(main.Window, WM_KEYUP, key, 0xC0000001);
    }
    void HoldElapses() { SendMessageW(main.Window, WM_TIMER, MainWindow::HoldTimer, 0); }
    // True when a WM_TIMER is waiting in the window's queue (and takes it out).
    bool TimerQueued() {
        MSG message;
        return PeekMessageW(&message, main.Window, WM_TIMER, WM_TIMER, PM_REMOVE);
    }
    void ExpectRegistryHoldsTheModel() {
        const int count = main.Model.Buttons.GetSize();
        for (int n = 0; n < count; ++n) {
            const SpeedDialButton& button = main.Model.Buttons[n];
            EXPECT_EQ(RegistryNumber(L"Index", n), static_cast<DWORD>(button.Index)) << n;
            EXPECT_EQ(RegistryNumber(L"Btn", n), static_cast<DWORD>(button.Btn)) << n;
            EXPECT_EQ(RegistryText(L"Phone", n), std::wstring(button.Phone)) << n;
        }
        EXPECT_FALSE(RegistryNumber(L"Oid", count)) << "no button beyond the model's";
    }
    int CellOfPhone(const wchar_t* phone) {
        for (int i = 0; i < main.Model.Buttons.GetSize(); ++i)
            if (main.Model.Buttons[i].Phone == phone) return main.Model.Buttons[i].Index;
        return -1;
    }

    MainWindow main;
    std::vector<platform::PopupMenuRecord> menus;
    std::vector<platform::ModalRecord> boxes;
    UINT answer = 0;
    int boxAnswer = IDNO;
};

std::vector<std::wstring> Texts(const std::vector<platform::PopupMenuItem>& items) {
    std::vector<std::wstring> texts;
    for (const auto& item : items) texts.push_back(item.text);
    return texts;
}

TEST_F(MainWindowInput, AHoldSurvivesAWobbleOfTwoPixelsButNotThree) {
    AddButton(4, L"111");
    POINT at = CentreOf(4);
    Pen(WM_LBUTTONDOWN, at);
    EXPECT_EQ(main.PressedCell, 4);
    EXPECT_EQ(main.FocusCell, 4) << "the focus follows the pen";
    EXPECT_EQ(main.HoldTimerOn, 1);
    Pen(WM_MOUSEMOVE, {at.x + 2, at.y - 2});
    EXPECT_EQ(main.HoldTimerOn, 1);
    HoldElapses();
    ASSERT_EQ(menus.size(), 1u) << "the context menu opens";
    EXPECT_EQ(menus[0].flags, static_cast<UINT>(TPM_RETURNCMD));
    POINT screen = at;
    ClientToScreen(main.Window, &screen);
    EXPECT_EQ(menus[0].x, screen.x) << "at the press point";
    EXPECT_EQ(main.PressedCell, -1);
    Pen(WM_LBUTTONUP, at);
    EXPECT_EQ(menus.size(), 1u) << "the release after the menu does nothing";

    Pen(WM_LBUTTONDOWN, at);
    PostMessageW(main.Window, WM_TIMER, MainWindow::HoldTimer, 0); // already due
    Pen(WM_MOUSEMOVE, {at.x + 3, at.y});
    EXPECT_EQ(main.HoldTimerOn, 0);
    EXPECT_FALSE(TimerQueued()) << "a stopped hold never fires late";
    ReleaseCapture();
    EXPECT_EQ(menus.size(), 1u);
}

TEST_F(MainWindowInput, SlidingOffAButtonOntoItsNeighbourDoesNothing) {
    AddButton(0, L"111");
    AddButton(1, L"222");
    Pen(WM_LBUTTONDOWN, CentreOf(0));
    Pen(WM_MOUSEMOVE, CentreOf(1));
    EXPECT_EQ(main.Cells[0].Pressed, 0) << "the button looks released once the pen left it";
    EXPECT_EQ(main.Cells[1].Pressed, 0) << "the neighbour never becomes pressed";
    Pen(WM_MOUSEMOVE, CentreOf(0));
    EXPECT_EQ(main.Cells[0].Pressed, 1);
    Pen(WM_MOUSEMOVE, CentreOf(1));
    Pen(WM_LBUTTONUP, CentreOf(1));
    EXPECT_EQ(main.PressedCell, -1);
    EXPECT_TRUE(menus.empty());
    EXPECT_TRUE(IsWindowVisible(main.Window)) << "no call was placed";

    // On the gaps between cells and outside the window nothing happens, not even a focus change.
    const int focus = main.FocusCell;
    Pen(WM_LBUTTONDOWN, {main.Cells[0].Rect.right + 1, CentreOf(0).y});
    Pen(WM_LBUTTONDOWN, {-5, -5});
    EXPECT_EQ(main.FocusCell, focus);
    EXPECT_EQ(main.PressedCell, -1);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MainWindowInput, HoldingAnEmptyCellNeverOpensAMenu) {
    Pen(WM_LBUTTONDOWN, CentreOf(2));
    EXPECT_EQ(main.HoldTimerOn, 0);
    HoldElapses();
    EXPECT_TRUE(menus.empty());
    Pen(WM_LBUTTONUP, CentreOf(2));
}

TEST_F(MainWindowInput, ArrowsMoveTheFocusAndLeftAndRightWrapToTheNeighbouringPage) {
    AddButton(20, L"333"); // page 2 of three
    ASSERT_EQ(main.PageCount(), 3);
    main.SetFocusCell(2);
    Key(VK_RIGHT);
    EXPECT_EQ(main.Page, 1);
    EXPECT_EQ(main.FocusCell, 0) << "the first cell of the same row";
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(main.FocusCell, 6);
    Key(VK_DOWN);
    EXPECT_EQ(main.FocusCell, 6) << "down from the bottom row does nothing";
    Key(VK_LEFT);
    EXPECT_EQ(main.Page, 0);
    EXPECT_EQ(main.FocusCell, 8) << "the last cell of the same row";
    main.Page = 2;
    Key(VK_RIGHT);
    EXPECT_EQ(main.Page, 2) << "right on the last column of the last page does nothing";
    Key(VK_HOME);
    EXPECT_EQ(main.FocusCell, 0);
    Key(VK_END);
    EXPECT_EQ(main.FocusCell, 8);
    Key(VK_UP);
    EXPECT_EQ(main.FocusCell, 5);

    // Without a grid no key moves anything.
    main.CellHeight = 1000;
    main.LayOut();
    const int focus = main.FocusCell;
    for (UINT key : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END}) Key(key);
    EXPECT_EQ(main.FocusCell, focus);
}

TEST_F(MainWindowInput, HoldingTheActionKeyOpensTheMenuAtTheCellsCentreAndTheKeyUpThenDoesNothing) {
    AddButton(3, L"444");
    main.SetFocusCell(3);
    SendMessageW(main.Window, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(main.KeyPressPending, 1);
    EXPECT_EQ(main.Cells[3].Pressed, 1);
    HoldElapses();
    ASSERT_EQ(menus.size(), 1u);
    POINT centre = CentreOf(3);
    ClientToScreen(main.Window, &centre);
    EXPECT_EQ(menus[0].y, centre.y);
    SendMessageW(main.Window, WM_KEYUP, VK_RETURN, 0xC0000001);
    EXPECT_EQ(main.KeyPressPending, 0);
    EXPECT_TRUE(IsWindowVisible(main.Window)) << "no call";
}

TEST_F(MainWindowInput, TheContextMenuListsTheNumbersAndActsOnTheChoice) {
    const std::vector<PhoneEntry> three = {
        {L"+7 900 111", L"Мобильный", 0}, {L"+7 495 222", L"Рабочий", 3}, {L"+7 495 333", L"Домашний", 1}};
    AddButton(0, L"+7 900 111", 5, three);
    main.Model.Buttons.ElementAt(0).Type = L"Мобильный";
    main.Model.Save(0);
    AddButton(1, L"555", -1, {{L"555", L"Мобильный", 0}});
    main.PressX = CentreOf(1).x;
    main.PressY = CentreOf(1).y;
    main.ShowCellMenu(1);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(Texts(menus[0].items),
              (std::vector<std::wstring>{L"555", L"Отправить SMS", L"Позвонить Мобильный", L"",
                                         L"Переименовать", L"Кнопка Диалера", L"Очистить"}));
    EXPECT_TRUE(menus[0].items[0].state & MFS_GRAYED) << "the name is a greyed title";

    main.ShowCellMenu(0);
    const auto& items = menus[1].items;
    ASSERT_EQ(items.size(), 11u) << "three calls, and the phone submenu after a separator";
    EXPECT_EQ(items[7].text, L"Кнопка Диалера (5)");
    EXPECT_EQ(items[7].submenu[0].text, L"Удалить");
    EXPECT_TRUE(items[7].submenu[2 + 4].state & MFS_CHECKED) << "number 5 is checked";
    EXPECT_EQ(items[10].text, L"Телефон: Мобильный");
    ASSERT_EQ(items[10].submenu.size(), 3u);
    EXPECT_TRUE(items[10].submenu[0].state & MFS_CHECKED);
    EXPECT_EQ(items[10].submenu[1].text, L"+7 495 222 (Рабочий)");

    answer = cell_menu::ChooseNumberFirst + 1;
    main.ShowCellMenu(0);
    EXPECT_EQ(main.Model.Buttons[0].Phone, L"+7 495 222");
    EXPECT_EQ(main.Model.Buttons[0].Link, 3u);
    ExpectRegistryHoldsTheModel();

    answer = dial_number_menu::First + 5;
    main.ShowCellMenu(1);
    EXPECT_EQ(main.Model.Buttons[1].Btn, 5) << "dial number 5 moves to this button";
    EXPECT_EQ(main.Model.Buttons[0].Btn, -1) << "and is taken from the other";
    ExpectRegistryHoldsTheModel();
    answer = dial_number_menu::Delete;
    main.ShowCellMenu(1);
    EXPECT_EQ(main.Model.Buttons[1].Btn, -1);

    answer = cell_menu::Clear;
    main.ShowCellMenu(1);
    EXPECT_EQ(CellOfPhone(L"555"), -1);
    ExpectRegistryHoldsTheModel();

    answer = 0;
    main.ShowCellMenu(4);
    EXPECT_EQ(menus.size(), 6u) << "no menu for an empty cell";
}

TEST_F(MainWindowInput, TheMainMenuOpensAtThePanelsMenuButtonAndRunsThePageAndViewCommands) {
    AddButton(0, L"111");
    AddButton(10, L"222"); // page 1, cell 1
    main.SetFocusCell(4);
    main.ShowMainMenu();
    ASSERT_EQ(menus.size(), 1u);
    // Above the panel on a portrait screen, to its left on a landscape one, from the Menu button's corner.
    const bool landscape = GetSystemMetrics(SM_CXSCREEN) > GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(menus[0].flags,
              static_cast<UINT>(TPM_RETURNCMD | (landscape ? TPM_RIGHTALIGN : TPM_BOTTOMALIGN)));
    const RECT menuButton = main.Panel.ButtonRect(BottomPanel::Menu);
    POINT corner = {menuButton.left, menuButton.top};
    ClientToScreen(main.Panel.Window, &corner);
    EXPECT_EQ(menus[0].x, corner.x);
    EXPECT_EQ(menus[0].y, corner.y);
    EXPECT_EQ(menus[0].items.front().text, L"Добавить страницу") << "no button items on an empty cell";
    EXPECT_EQ(Texts(menus[0].items[4].submenu),
              (std::vector<std::wstring>{L"Большие кнопки", L"Показывать кнопку диалера",
                                         L"Показывать тип телефона"}));

    answer = main_menu::AddPage;
    main.ShowMainMenu();
    EXPECT_EQ(main.PageCount(), 3);
    EXPECT_EQ(main.Page, 2) << "the new empty page shows";
    EXPECT_EQ(main.FocusCell, 0);

    main.Page = 0;
    answer = main_menu::DeletePage;
    main.ShowMainMenu();
    EXPECT_EQ(CellOfPhone(L"111"), -1);
    EXPECT_EQ(CellOfPhone(L"222"), 1) << "the later pages move one page back";
    EXPECT_EQ(main.PageCount(), 2);
    ExpectRegistryHoldsTheModel();

    answer = main_menu::ShowNumbers;
    main.ShowMainMenu();
    EXPECT_EQ(main.ShowNumbers, 1);
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, SettingsPath, L"DvShowBtn"), 1u);
    answer = 0;
    main.ShowMainMenu();
    EXPECT_TRUE(menus.back().items[4].submenu[1].state & MFS_CHECKED);

    answer = main_menu::Exit;
    main.ShowMainMenu();
    MSG close;
    ASSERT_TRUE(PeekMessageW(&close, main.Window, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(close.wParam, MainWindow::ForcedClose);
}

TEST_F(MainWindowInput, MovingAcrossPagesAndDeletingTheOnlyPage) {
    AddButton(9, L"111"); // page 1, column 0
    main.Page = 1;
    main.SetFocusCell(0);
    main.Move(0, 3);
    EXPECT_EQ(main.Page, 0);
    EXPECT_EQ(CellOfPhone(L"111"), 2) << "the last column of the same row of the previous page";
    EXPECT_EQ(main.FocusCell, 2);
    main.Move(0, 3);
    EXPECT_EQ(CellOfPhone(L"111"), 2) << "an empty cell does not move";
    main.Move(2, 1);
    EXPECT_EQ(CellOfPhone(L"111"), 2) << "up from the top row does nothing";
    ExpectRegistryHoldsTheModel();

    main.LayOut();
    main.Page = 0;
    main.DeletePage();
    EXPECT_EQ(main.Model.Buttons.GetSize(), 0);
    EXPECT_EQ(main.PageCount(), 1) << "one empty page stays";
    ExpectRegistryHoldsTheModel();
}

TEST_F(MainWindowInput, ClearAllAsksFirstAndOnlyYesClears) {
    AddButton(0, L"111");
    main.Command(IDM_CLEAR_ALL, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Вы уверены, что хотите удалить все элементы ?");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    EXPECT_EQ(main.Model.Buttons.GetSize(), 1);
    boxAnswer = IDYES;
    main.Command(IDM_CLEAR_ALL, 0);
    EXPECT_EQ(main.Model.Buttons.GetSize(), 0);
    HKEY key;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey, 0, KEY_READ, &key),
              ERROR_SUCCESS);
}

TEST_F(MainWindowInput, CloseHidesWhileResidentAndTheMessagesFromOutsideAct) {
    main.Command(IDM_PANEL_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(main.Window)) << "\"ModPreload\" 1 keeps the program resident";
    MSG quit;
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    SendMessageW(main.Window, WM_KEYUP, MainWindow::EndKey, 0xC0000001);
    EXPECT_TRUE(PeekMessageW(&quit, main.Window, WM_COMMAND, WM_COMMAND, PM_REMOVE)) << "End posts command 1";
    EXPECT_EQ(LOWORD(quit.wParam), IDOK);
    SendMessageW(main.Window, WM_CLOSE, MainWindow::ForcedClose, 0);
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "a forced close ends it";

    AddButton(0, L"111");
    RegDeleteTreeW(HKEY_CURRENT_USER, SpeedDialModel::RegistryKey);
    SendMessageW(main.Window, ContactsChangedMessage, 0, 1);
    EXPECT_EQ(main.Model.Buttons.GetSize(), 1) << "2024 with another lParam is ignored";
    SendMessageW(main.Window, ContactsChangedMessage, 0, ContactsChanged);
    EXPECT_EQ(main.Model.Buttons.GetSize(), 0) << "the model follows the registry another program emptied";
}

TEST_F(MainWindowInput, RenameOffersTheContactsNamesAndSavesOnlyAChangedName) {
    AddButton(0, L"111");
    SpeedDialButton& stored = main.Model.Buttons.ElementAt(0);
    stored.First = L"Пётр";
    stored.Last = L"Иванов";
    stored.Company = L"Орвани";
    stored.Display = L"";
    main.Model.Save(0);
    std::vector<std::wstring> offered;
    std::wstring typed = L"Петя";
    int answerId = IDOK;
    platform::SetDialogScript([&](HWND dialog, DWORD templateId) {
        EXPECT_EQ(templateId, static_cast<DWORD>(IDD_RENAME));
        HWND list = GetDlgItem(dialog, IDC_RENAME_LIST);
        for (int i = 0, n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); i < n; ++i) {
            wchar_t text[128] = {};
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            offered.push_back(text);
        }
        SetDlgItemTextW(dialog, IDC_RENAME_EDIT, typed.c_str());
        PostMessageW(dialog, WM_COMMAND, answerId, 0);
    });

    answer = cell_menu::Rename;
    main.PressX = CentreOf(0).x;
    main.PressY = CentreOf(0).y;
    main.ShowCellMenu(0);
    EXPECT_EQ(offered, (std::vector<std::wstring>{L"Пётр", L"Пётр Иванов", L"Иванов, Пётр", L"Пётр (Орвани)",
                                                  L"Иванов", L"Иванов (Орвани)", L"Орвани"}));
    EXPECT_EQ(RegistryText(L"Display", 0), L"Петя");

    answerId = IDCANCEL;
    typed = L"Не сохранится";
    main.Command(IDM_RENAME_FOCUSED, 0);
    EXPECT_EQ(main.Model.Buttons[0].Display, L"Петя") << "a cancelled rename changes nothing";

    answerId = IDOK;
    typed = L"";
    answer = main_menu::Rename;
    main.FocusCell = 0;
    main.ShowMainMenu();
    EXPECT_EQ(RegistryText(L"Display", 0), L"") << "an empty name gives the derived name back";
    EXPECT_EQ(main.Rename(5), 0) << "an empty cell has nothing to rename";
    platform::SetDialogScript({});
    ExpectRegistryHoldsTheModel();
}

TEST_F(MainWindowInput, ATapOnAnEmptyCellPicksAContactAndTheLastPageFillingAddsOne) {
    std::vector<DWORD> opened;
    bool choose = false;
    platform::SetDialogScript([&](HWND dialog, DWORD templateId) {
        opened.push_back(templateId);
        if (choose) {
            PostMessageW(dialog, WM_COMMAND, IDOK, 0); // the first contact
            PostMessageW(dialog, WM_COMMAND, IDOK, 0); // its first number, when it has several
        }
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    const int cells = main.TotalCells;
    Pen(WM_LBUTTONDOWN, CentreOf(4));
    Pen(WM_LBUTTONUP, CentreOf(4));
    ASSERT_EQ(opened, std::vector<DWORD>{IDD_FULLSCREEN}) << "the picker opens over the main window";
    EXPECT_EQ(main.Model.Buttons.GetSize(), 0) << "a cancelled picker changes nothing";
    EXPECT_EQ(main.TotalCells, cells);

    choose = true;
    Pen(WM_LBUTTONDOWN, CentreOf(4));
    Pen(WM_LBUTTONUP, CentreOf(4));
    ASSERT_EQ(main.Model.Buttons.GetSize(), 1) << "the chosen contact fills the cell";
    EXPECT_EQ(main.Model.Buttons[0].Index, 4);
    EXPECT_NE(main.Model.Buttons[0].Oid, 0u);
    EXPECT_FALSE(main.Model.Buttons[0].Phone.IsEmpty());
    EXPECT_EQ(main.TotalCells, cells + main.CellsPerPage) << "the last page filled, so a new one follows";
    platform::SetDialogScript({});
    ExpectRegistryHoldsTheModel();
}

TEST_F(MainWindowInput, SendSmsRunsTheStockTextsOrOpensTheComposerAndTheScreenThenCloses) {
    AddButton(0, L"+7 900 111");
    std::vector<DWORD> opened;
    platform::SetDialogScript([&](HWND dialog, DWORD templateId) {
        opened.push_back(templateId);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ScriptedLaunches launches(TRUE);
    MSG posted;
    answer = cell_menu::SendSms;
    main.PressX = CentreOf(0).x;
    main.PressY = CentreOf(0).y;
    main.ShowCellMenu(0);
    EXPECT_EQ(opened, std::vector<DWORD>{IDD_FULLSCREEN}) << "the stock texts are offered first";
    EXPECT_TRUE(launches.launches.empty()) << "a cancelled list sends nothing";
    EXPECT_FALSE(PeekMessageW(&posted, main.Window, WM_COMMAND, WM_COMMAND, PM_REMOVE));

    SetDword(HKEY_CURRENT_USER, SettingsPath, L"SmsEnabled", 0);
    answer = main_menu::SendSms;
    main.FocusCell = 0;
    main.ShowMainMenu();
    EXPECT_EQ(opened.size(), 1u) << "without the list the composer opens at once";
    ASSERT_EQ(launches.launches.size(), 1u);
    EXPECT_NE(launches.launches[0].commandLine.find(L"+7 900 111"), std::wstring::npos);
    ASSERT_TRUE(PeekMessageW(&posted, main.Window, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(LOWORD(posted.wParam), IDOK) << "then the screen closes";
    platform::SetDialogScript({});
}

} // namespace
