// The stock-text dialog: the texts it lists, what taps, keys and the soft keys choose, where its list
// stands under the header, how it paints, the upward tiling of its skin images, and the send-SMS command
// that runs it and sends what was chosen.
#include "foundation/ScopedHandles.h"
#include "messaging/SmsTextDialog.h"
#include "messaging/UpwardTiling.h"
#include "platform/MessageStoreMapi.h"
#include "platform/ModalHost.h"
#include "support/MessageStore.h"
#include "support/Registry.h"
#include "support/ScriptedLaunches.h"
#include "support/WStringPrinter.h"
#include "ui/ScreenMetrics.h"
#include "ui/TextDrawing.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr wchar_t SmsTextPath[] = L"Software\\Orvanix\\PIM\\SmsText";
constexpr wchar_t SettingsPath[] = L"Software\\Orvanix\\PIM\\Settings";

std::function<void(SmsTextDialog&)> step;
SmsTextDialog* running = nullptr;

void CALLBACK Drive(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!running || !running->Dialog || !running->List.Window) return;
    KillTimer(nullptr, timer);
    step(*running);
}

// Runs the dialog; act gets it once it is up and must end it.
INT_PTR RunDriven(SmsTextDialog& dialog, std::function<void(SmsTextDialog&)> act) {
    step = std::move(act);
    running = &dialog;
    SetTimer(nullptr, 0, 20, Drive);
    const INT_PTR result = dialog.DoModal(nullptr);
    running = nullptr;
    return result;
}

// A tap on row of the dialog's list, as the pen gives it.
void Tap(SmsTextDialog& dialog, int row) {
    const RECT rect = dialog.List.RowRect(row);
    const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageW(dialog.List.Window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(dialog.List.Window, WM_LBUTTONUP, 0, point);
}

void Press(SmsTextDialog& dialog, int command) {
    SendMessageW(dialog.Dialog, WM_COMMAND, command, 0);
}

void Key(HWND window, UINT key) {
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001);
}

std::vector<std::wstring> Rows(const SmsTextDialog& dialog) {
    std::vector<std::wstring> rows;
    for (int i = 0; i < dialog.Texts.GetSize(); ++i) rows.emplace_back(dialog.Texts[i]);
    return rows;
}

// A bitmap of the size in one colour, or in two with the bottom rows in the second.
HBITMAP Solid(int width, int height, COLORREF colour, int bottomRows = 0, COLORREF bottom = 0) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all = {0, 0, width, height};
    SetDCBrushColor(memory, colour);
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    RECT low = {0, height - bottomRows, width, height};
    SetDCBrushColor(memory, bottom);
    FillRect(memory, &low, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// A memory canvas to draw into and read pixels from.
class Canvas {
public:
    Canvas(int width, int height) {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC Dc() const { return dc_; }
    // Whether some pixel of rect has the colour.
    bool Has(const RECT& rect, COLORREF colour) const {
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x)
                if (GetPixel(dc_, x, y) == colour) return true;
        return false;
    }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

std::vector<TileCopy> Tiles(int width, int height, const RECT& rect, int inset) {
    std::vector<TileCopy> tiles;
    ForEachUpwardTile(width, height, rect, inset, [&](const TileCopy& tile) { tiles.push_back(tile); });
    return tiles;
}

class StockTexts : public testing::Test {
protected:
    void SetUp() override {
        DeletePimBranch();
        ScreenMetrics.DpiX = ScreenMetrics.DpiY = 96;
        ScreenMetrics.HighDpi = 0;
    }
    void TearDown() override {
        DeletePimBranch();
        for (HBITMAP image : images) DeleteObject(image);
    }
    // Lends the dialog a header image height pixels tall and one-colour row images.
    void LendImages(SmsTextDialog& dialog, int height) {
        images = {Solid(16, height, RGB(200, 200, 200)), Solid(16, 10, RGB(255, 0, 0)),
                  Solid(16, 10, RGB(0, 255, 0)), Solid(16, 10, RGB(0, 0, 255))};
        dialog.HeaderImage = images[0];
        for (int i = 0; i < 3; ++i) dialog.RowImages[i] = images[1 + i];
    }
    std::vector<HBITMAP> images;
};

} // namespace

TEST_F(StockTexts, TheStoredTextsFollowTheNewMessageRowInTheirOrder) {
    SetString(HKEY_CURRENT_USER, SmsTextPath, L"1", L"Call me");
    SetString(HKEY_CURRENT_USER, SmsTextPath, L"2", L"");
    SetString(HKEY_CURRENT_USER, SmsTextPath, L"3", L"Late");
    SetString(HKEY_CURRENT_USER, SmsTextPath, L"20", L"OK");
    SetString(HKEY_CURRENT_USER, SmsTextPath, L"21", L"never read");
    SetString(HKEY_CURRENT_USER, SmsTextPath, L"01", L"not a name the dialog reads");
    SmsTextDialog dialog;
    std::vector<std::wstring> rows;
    EXPECT_EQ(RunDriven(dialog,
                        [&](SmsTextDialog& d) {
                            rows = Rows(d);
                            EXPECT_EQ(d.List.itemCount, 4);
                            EXPECT_EQ(d.List.selection, 0);
                            Press(d, IDCANCEL);
                        }),
              SmsTextDialog::Cancelled);
    EXPECT_EQ(rows, (std::vector<std::wstring>{L"< Новое SMS >", L"Call me", L"Late", L"OK"}));
    EXPECT_EQ(dialog.ChosenText, L"");
}

TEST_F(StockTexts, WithoutStockTextsOkChoosesANewMessage) {
    SmsTextDialog dialog;
    EXPECT_EQ(RunDriven(dialog,
                        [](SmsTextDialog& d) {
                            EXPECT_EQ(d.List.itemCount, 1);
                            Press(d, IDOK);
                        }),
              SmsTextDialog::Chose);
    EXPECT_EQ(dialog.ChosenText, L"");
}

TEST_F(StockTexts, ATapSelectsATextOkChoosesItWholeAndATapOnTheFirstRowClosesAtOnce) {
    const std::wstring longText =
        L"Перезвоню, как только освобожусь, а пока напиши, что случилось, подробно " +
        std::wstring(200, L'ж') + L" & Co";
    SetString(HKEY_CURRENT_USER, SmsTextPath, L"1", L"Call me");
    SetString(HKEY_CURRENT_USER, SmsTextPath, L"2", longText.c_str());
    SmsTextDialog dialog;
    EXPECT_EQ(RunDriven(dialog,
                        [](SmsTextDialog& d) {
                            Tap(d, 2);
                            EXPECT_TRUE(IsWindow(d.Dialog)) << "a tap on a text only selects it";
                            EXPECT_EQ(d.List.selection, 2);
                            Press(d, IDOK);
                        }),
              SmsTextDialog::Chose);
    EXPECT_EQ(dialog.ChosenText, longText.c_str()) << "the text, not its shortened form";

    SmsTextDialog again;
    EXPECT_EQ(RunDriven(again,
                        [](SmsTextDialog& d) {
                            Tap(d, 1);
                            Tap(d, 0);
                        }),
              SmsTextDialog::Chose);
    EXPECT_EQ(again.ChosenText, L"") << "the first row asks for a new message";
}

TEST_F(StockTexts, KeysMoveTheSelectionAndEscapeCancelsWithoutAChoice) {
    SetString(HKEY_CURRENT_USER, SmsTextPath, L"1", L"Call me");
    SetString(HKEY_CURRENT_USER, SmsTextPath, L"2", L"Late");
    SmsTextDialog dialog;
    EXPECT_EQ(RunDriven(dialog,
                        [](SmsTextDialog& d) {
                            EXPECT_EQ(GetFocus(), d.List.Window) << "the list has the keys";
                            Key(d.List.Window, VK_DOWN);
                            Key(d.List.Window, VK_DOWN);
                            Key(d.List.Window, VK_RETURN);
                            EXPECT_TRUE(IsWindow(d.Dialog)) << "the action key chooses nothing by itself";
                            EXPECT_EQ(d.List.selection, 2);
                            Key(d.List.Window, VK_ESCAPE);
                        }),
              SmsTextDialog::Cancelled);
    EXPECT_EQ(dialog.ChosenText, L"");

    SmsTextDialog chosen;
    EXPECT_EQ(RunDriven(chosen,
                        [](SmsTextDialog& d) {
                            Key(d.List.Window, VK_END);
                            Press(d, IDOK);
                        }),
              SmsTextDialog::Chose);
    EXPECT_EQ(chosen.ChosenText, L"Late");
}

TEST_F(StockTexts, TheListStandsUnderTheHeaderAndRowsArePaintedFromTheirImages) {
    SetString(HKEY_CURRENT_USER, SmsTextPath, L"1", L"Call me");
    SmsTextDialog dialog;
    LendImages(dialog, 30);
    dialog.RecipientNumber = L"+79161234567";
    RECT list = {}, client = {};
    EXPECT_EQ(RunDriven(dialog,
                        [&](SmsTextDialog& d) {
                            GetWindowRect(d.List.Window, &list);
                            MapWindowPoints(nullptr, d.Dialog, reinterpret_cast<POINT*>(&list), 2);
                            GetClientRect(d.Dialog, &client);
                            Press(d, IDCANCEL);
                        }),
              SmsTextDialog::Cancelled);
    EXPECT_EQ(dialog.HeaderHeight, 30);
    EXPECT_EQ(list.top, 30) << "the list starts below the header image";
    EXPECT_EQ(list.left, 0);
    EXPECT_EQ(list.right, client.right);
    EXPECT_EQ(list.bottom, client.bottom) << "and fills the rest of the dialog";
    // Rows two and a half capital letters of the row font high (Tahoma bold, 10 points at 96 dpi).
    ScopedFont rowFont(CreateFontW(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, CLEARTYPE_QUALITY, 0, L"Tahoma"));
    EXPECT_EQ(dialog.List.itemHeight, 5 * TextHeight(rowFont.Get()) / 2);

    // Rows into a bitmap: the selected and unselected backgrounds from the cache, the area below
    // the rows from its own image; a wider row rebuilds the cache.
    Canvas canvas(200, 90);
    HDC memory = canvas.Dc();
    dialog.DrawItem(nullptr, memory, 0, {0, 0, 100, 30}, 1);
    dialog.DrawItem(nullptr, memory, 1, {0, 30, 100, 60}, 0);
    dialog.DrawItem(nullptr, memory, -1, {0, 60, 100, 90}, 0);
    EXPECT_EQ(GetPixel(memory, 98, 28), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(memory, 98, 58), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(memory, 98, 88), RGB(0, 0, 255));
    EXPECT_TRUE(canvas.Has({6, 0, 100, 30}, RGB(255, 255, 255))) << "a selected row's text is white";
    EXPECT_TRUE(canvas.Has({6, 30, 100, 60}, RGB(0, 0, 0))) << "an unselected row's text is black";
    EXPECT_FALSE(canvas.Has({0, 30, 6, 60}, RGB(0, 0, 0))) << "the text keeps its margin";
    dialog.DrawItem(nullptr, memory, 1, {0, 0, 180, 30}, 1);
    EXPECT_EQ(GetPixel(memory, 178, 28), RGB(0, 255, 0));
}

TEST_F(StockTexts, TheHeaderShowsTheTitleAndTheNameOrTheNumberInGrey) {
    SmsTextDialog dialog;
    images = {Solid(16, 40, RGB(200, 200, 200), 4, RGB(255, 255, 0))};
    dialog.HeaderImage = images[0];
    dialog.HeaderHeight = 40;
    dialog.RecipientNumber = L"+79161234567";
    EXPECT_EQ(RunDriven(dialog, [](SmsTextDialog& d) { Press(d, IDCANCEL); }), SmsTextDialog::Cancelled);

    Canvas named(120, 60);
    dialog.RecipientName = L"Анна";
    dialog.PaintHeader(named.Dc(), {0, 0, 120, 60});
    EXPECT_EQ(GetPixel(named.Dc(), 0, 0), RGB(200, 200, 200)) << "the image across the header";
    EXPECT_EQ(GetPixel(named.Dc(), 119, 38), RGB(255, 255, 0)) << "its bottom rows at the header's bottom";
    EXPECT_TRUE(named.Has({0, 0, 120, 40}, RGB(0, 0, 0))) << "the title in black";
    EXPECT_TRUE(named.Has({0, 0, 120, 40}, RGB(0x5D, 0x5D, 0x5D))) << "the name in grey";
    EXPECT_FALSE(named.Has({0, 40, 120, 60}, RGB(200, 200, 200))) << "nothing below the header";

    // Without a name the number is shown, which is wider than the name.
    Canvas numbered(120, 60);
    dialog.RecipientName.Empty();
    dialog.PaintHeader(numbered.Dc(), {0, 0, 120, 60});
    auto greyWidth = [](const Canvas& canvas) {
        int left = 120, right = -1;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x)
                if (GetPixel(canvas.Dc(), x, y) == RGB(0x5D, 0x5D, 0x5D)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return right - left;
    };
    EXPECT_GT(greyWidth(numbered), greyWidth(named));
}

TEST(UpwardTiling, StripsGrowUpFromTheBottomAndAboveTheLowestLeaveOutTheInset) {
    // A 16 × 30 image over 40 × 100 at 96 dpi (inset 4): strips of 30, 26, 26 and the last 18 rows.
    const std::vector<TileCopy> tiles = Tiles(16, 30, {0, 0, 40, 100}, 4);
    ASSERT_EQ(tiles.size(), 12u);
    const int tops[] = {70, 44, 18, 0}, sourceYs[] = {0, 0, 0, 8};
    for (int strip = 0; strip < 4; ++strip)
        for (int column = 0; column < 3; ++column) {
            const TileCopy& tile = tiles[strip * 3 + column];
            EXPECT_EQ(tile.Target.top, tops[strip]) << strip;
            EXPECT_EQ(tile.SourceY, sourceYs[strip]) << strip;
            EXPECT_EQ(tile.SourceX, 0);
            EXPECT_EQ(tile.Target.left, 16 * column);
            EXPECT_EQ(tile.Target.right, column == 2 ? 40 : 16 * column + 16) << "the last tile is cut";
        }
    // A rectangle lower than the image shows the image's bottom rows.
    const std::vector<TileCopy> low = Tiles(16, 30, {0, 10, 16, 20}, 8);
    ASSERT_EQ(low.size(), 1u);
    EXPECT_EQ(low[0].SourceY, 20);
    EXPECT_EQ(low[0].Target.top, 10);
    // The inset is 4 pixels at 96 dpi and 8 at 192.
    EXPECT_EQ(UpwardTilingInset(96), 4);
    EXPECT_EQ(UpwardTilingInset(192), 8);
}

TEST(UpwardTiling, ImagesWithoutRoomAboveTheInsetGiveOneStripAndEmptyImagesOrRectanglesNone) {
    EXPECT_EQ(Tiles(16, 8, {0, 0, 16, 100}, 8).size(), 1u);
    EXPECT_EQ(Tiles(16, 3, {0, 0, 16, 100}, 8).size(), 1u);
    EXPECT_TRUE(Tiles(0, 30, {0, 0, 16, 100}, 4).empty());
    EXPECT_TRUE(Tiles(16, 0, {0, 0, 16, 100}, 4).empty());
    EXPECT_TRUE(Tiles(16, 30, {0, 0, 0, 100}, 4).empty());
    EXPECT_TRUE(Tiles(16, 30, {0, 50, 16, 40}, 4).empty());
}

TEST(UpwardTiling, RandomRectanglesAreCoveredExactlyOnceInsideTheirBounds) {
    std::mt19937 random(20261206);
    for (int round = 0; round < 300; ++round) {
        const int width = 1 + static_cast<int>(random() % 40), height = 1 + static_cast<int>(random() % 40);
        const int inset = static_cast<int>(random() % 12);
        const int left = static_cast<int>(random() % 30) - 10, top = static_cast<int>(random() % 30) - 10;
        const RECT rect = {left, top, left + static_cast<int>(random() % 90),
                           top + static_cast<int>(random() % 90)};
        const int rectWidth = std::max(0, static_cast<int>(rect.right - rect.left));
        const int rectHeight = std::max(0, static_cast<int>(rect.bottom - rect.top));
        std::vector<int> covered(rectWidth * rectHeight, 0);
        for (const TileCopy& tile : Tiles(width, height, rect, inset)) {
            const int strip = tile.Target.bottom - tile.Target.top;
            const bool lowest = tile.Target.bottom == rect.bottom;
            ASSERT_GE(tile.SourceY, 0);
            ASSERT_LE(tile.SourceY + strip, lowest ? height : height - inset)
                << "inside the (shortened) image";
            ASSERT_LE(tile.Target.right - tile.Target.left, width);
            for (int y = tile.Target.top; y < tile.Target.bottom; ++y)
                for (int x = tile.Target.left; x < tile.Target.right; ++x) {
                    ASSERT_TRUE(x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom);
                    ++covered[(y - rect.top) * rectWidth + (x - rect.left)];
                }
        }
        // Everything is covered once, unless the image has no room above its inset: then only the
        // lowest strip is.
        const int rows = height > inset ? rectHeight : std::min(rectHeight, height);
        for (int y = 0; y < rectHeight; ++y)
            for (int x = 0; x < rectWidth; ++x)
                ASSERT_EQ(covered[y * rectWidth + x], y >= rectHeight - rows ? 1 : 0)
                    << "image " << width << "x" << height << " inset " << inset << " at " << x << "," << y;
    }
}

namespace {

// The send-SMS command as the main screen runs it, over an owner window of the test's, with the
// dialog answered through the dialog seam and launches scripted.
class SmsCommand : public testing::Test {
protected:
    void SetUp() override {
        DeletePimBranch();
        owner = CreateWindowExW(0, L"STATIC", L"Orvanix Dialvane", WS_POPUP, 0, 0, 240, 320, nullptr, nullptr,
                                nullptr, nullptr);
        SetString(HKEY_CURRENT_USER, SmsTextPath, L"1", L"Call me");
        SetString(HKEY_CURRENT_USER, SmsTextPath, L"2", L"Перезвоню позже");
    }
    void TearDown() override {
        platform::SetDialogScript({});
        DestroyWindow(owner);
        DeletePimBranch();
    }
    // Answers the dialog by posting it the keys and commands given, in order.
    void Answer(std::vector<std::pair<UINT, WPARAM>> messages) {
        platform::SetDialogScript([this, messages](HWND dialog, DWORD templateId) {
            ++dialogs;
            EXPECT_EQ(templateId, 115u);
            HWND list = GetWindow(dialog, GW_CHILD); // the dialog's only child
            for (const auto& [message, wParam] : messages)
                PostMessageW(message == WM_COMMAND ? dialog : list, message, wParam,
                             message == WM_KEYUP ? 0xC0000001 : 1);
        });
    }
    // Whether the command told the owner it was done (WM_COMMAND 1 waiting in its queue).
    bool OwnerToldDone() {
        MSG message;
        return PeekMessageW(&message, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE) && message.wParam == IDOK;
    }
    std::vector<std::wstring> Launched() const {
        std::vector<std::wstring> started;
        for (const auto& launch : launches.launches)
            started.push_back(launch.application + L"|" + launch.commandLine);
        return started;
    }

    HWND owner = nullptr;
    HBITMAP rowImages[3] = {};
    int dialogs = 0;
    TestMessageStore store;
    ScriptedLaunches launches{TRUE};
};

} // namespace

TEST_F(SmsCommand, AChosenStockTextIsSentThroughTheStoreAndTheScreenIsToldTheCommandIsDone) {
    Answer({{WM_KEYDOWN, VK_END}, {WM_KEYUP, VK_END}, {WM_COMMAND, IDOK}});
    EXPECT_EQ(SmsTextDialog::Run(owner, L"+7 916 123-45-67", L"Анна", rowImages, nullptr),
              SmsTextDialog::Chose);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(OwnerToldDone());
    EXPECT_EQ(Launched(), (std::vector<std::wstring>{L"tmail.exe|-service"})) << "the transport, no composer";
    const std::vector<platform::StoredMessage> sent = store.Messages(L"Sent Items");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(TextOf(sent[0], PR_SUBJECT), L"Перезвоню позже");
    ASSERT_EQ(sent[0].Recipients.size(), 1u);
    EXPECT_EQ(sent[0].Recipients[0].Properties.back().Value.Text, L"+7 916 123-45-67")
        << "the number unchanged";
}

TEST_F(SmsCommand, TheNewMessageRowOpensTheComposerAndACancelDoesNothing) {
    Answer({{WM_COMMAND, IDOK}});
    EXPECT_EQ(SmsTextDialog::Run(owner, L"+7 916 123-45-67", L"Анна [работа]", rowImages, nullptr),
              SmsTextDialog::Chose);
    EXPECT_TRUE(OwnerToldDone());
    EXPECT_EQ(Launched(),
              (std::vector<std::wstring>{L"tmail.exe|-service \"SMS\" -To \"Анна работа<+79161234567>\""}));

    launches.launches.clear();
    Answer({{WM_KEYDOWN, VK_DOWN}, {WM_KEYUP, VK_DOWN}, {WM_COMMAND, IDCANCEL}});
    EXPECT_EQ(SmsTextDialog::Run(owner, L"+7916", L"Анна", rowImages, nullptr), SmsTextDialog::Cancelled);
    EXPECT_FALSE(OwnerToldDone()) << "the screen stays";
    EXPECT_TRUE(launches.launches.empty());
    EXPECT_TRUE(store.Files(L"Sent Items").empty());
    EXPECT_TRUE(store.Files(L"Outbox").empty());
}

TEST_F(SmsCommand, WithStockTextsSwitchedOffTheComposerOpensWithoutTheDialog) {
    SetDword(HKEY_CURRENT_USER, SettingsPath, L"SmsEnabled", 0);
    Answer({{WM_COMMAND, IDCANCEL}});
    EXPECT_EQ(SmsTextDialog::Run(owner, L"8 800 555-35-35", L"", rowImages, nullptr), SmsTextDialog::Chose);
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(OwnerToldDone());
    EXPECT_EQ(Launched(), (std::vector<std::wstring>{L"tmail.exe|-service \"SMS\" -To \"88005553535\""}));
}
