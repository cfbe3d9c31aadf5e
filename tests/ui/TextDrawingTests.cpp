#include "ui/TextDrawing.h"
#include "foundation/ScopedHandles.h"
#include "support/WStringPrinter.h"
#include "ui/ScreenMetrics.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <string>

namespace {

// Every character 10 pixels wide.
std::vector<std::wstring> Break(const std::wstring& text, int width) {
    const std::vector<int> advances(text.size(), 10);
    std::vector<std::wstring> result;
    for (const TextLine& line :
         BreakLines(text.c_str(), static_cast<int>(text.size()), advances.data(), width)) {
        EXPECT_EQ(line.Width, line.Count * 10);
        result.push_back(text.substr(line.Start, line.Count));
    }
    return result;
}

using Lines = std::vector<std::wstring>;

// A 200 × 100 black canvas with a 16-pixel font, drawing in white.
struct Canvas {
    Canvas() {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 200, -100, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap =
            CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
        SelectObject(dc, bitmap);
        SelectObject(dc, font);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
    }
    ~Canvas() {
        DeleteDC(dc);
        DeleteObject(font);
        DeleteObject(bitmap);
    }
    SIZE Extent(const wchar_t* text) const {
        SIZE size;
        GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
        return size;
    }
    // First and last row with any ink, or {-1, -1}.
    std::pair<int, int> InkRows() const {
        int first = -1, last = -1;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 200; ++x) {
                if (pixels[y * 200 + x] & 0xFFFFFF) {
                    if (first < 0) first = y;
                    last = y;
                    break;
                }
            }
        }
        return {first, last};
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HBITMAP bitmap = nullptr;
    DWORD* pixels = nullptr;
};

} // namespace

TEST(BreakLines, BreaksAfterBlanksAndBetweenCharactersOnlyWhenAWordIsTooLong) {
    EXPECT_EQ(Break(L"Anna Maria Ivanova", 110), (Lines{L"Anna Maria", L"Ivanova"}));
    EXPECT_EQ(Break(L"Anna Maria Ivanova", 70), (Lines{L"Anna", L"Maria", L"Ivanova"}));
    EXPECT_EQ(Break(L"Konstantinopolsky", 60), (Lines{L"Konsta", L"ntinop", L"olsky"}));
    // The blank that overflows is dropped, and so is the one a line ends after.
    EXPECT_EQ(Break(L"abc def", 30), (Lines{L"abc", L"def"}));
    // A line keeps its first character even when that alone is too wide.
    EXPECT_EQ(Break(L"ab", 5), (Lines{L"a", L"b"}));
}

TEST(BreakLines, LineBreaksEndLinesAndAreNeverDrawn) {
    EXPECT_EQ(Break(L"a\r\nb", 100), (Lines{L"a", L"b"}));
    EXPECT_EQ(Break(L"a\n\rb", 100), (Lines{L"a", L"b"}));
    EXPECT_EQ(Break(L"a\n\nb", 100), (Lines{L"a", L"", L"b"}));
    EXPECT_EQ(Break(L"a\r\n", 100), (Lines{L"a", L""})); // a trailing break adds an empty line
}

TEST(BreakLines, RandomTextsLoseOnlyBreaksAndBlanks) {
    std::mt19937 random(7);
    const wchar_t alphabet[] = L"ab  \r\nxyz";
    for (int round = 0; round < 2000; ++round) {
        std::wstring text(random() % 40, L' ');
        for (wchar_t& c : text) c = alphabet[random() % (std::size(alphabet) - 1)];
        const int width = 10 + static_cast<int>(random() % 80);
        const std::vector<int> advances(text.size(), 10);
        std::wstring kept;
        for (const TextLine& line :
             BreakLines(text.c_str(), static_cast<int>(text.size()), advances.data(), width)) {
            ASSERT_TRUE(line.Count <= 1 || line.Width <= width) << round;
            kept += text.substr(line.Start, line.Count);
        }
        const auto letters = [](std::wstring s) {
            std::erase_if(s, [](wchar_t c) { return c == L' ' || c == L'\r' || c == L'\n'; });
            return s;
        };
        ASSERT_EQ(kept.find_first_of(L"\r\n"), std::wstring::npos) << round;
        ASSERT_EQ(letters(kept), letters(text)) << round;
    }
}

TEST(DrawWrappedText, CentresTheBlockAndCutsLinesThatPassTheBottom) {
    Canvas canvas;
    const int h = canvas.Extent(L"A").cy;
    RECT rect = {0, 0, 200, 100};
    EXPECT_EQ(DrawWrappedText(canvas.dc, L"one\ntwo", rect), 2 * h);
    auto [first, last] = canvas.InkRows();
    EXPECT_GE(first, (100 - 2 * h) / 2);
    EXPECT_LT(last, (100 + 2 * h) / 2);

    // Ten lines in a rectangle for two: the block starts at the top and only whole lines are drawn.
    Canvas tall;
    RECT two = {0, 20, 200, 20 + 2 * h + h / 2};
    EXPECT_EQ(DrawWrappedText(tall.dc, L"1\n2\n3\n4\n5\n6\n7\n8\n9\n0", two), 10 * h);
    std::tie(first, last) = tall.InkRows();
    EXPECT_GE(first, 20);
    EXPECT_LT(last, 20 + 2 * h);

    RECT empty = {0, 10, 200, 100};
    EXPECT_EQ(DrawWrappedText(canvas.dc, L"", empty), 0);
    EXPECT_EQ(empty.bottom, 10);
    RECT none = {0, 0, 0, 100};
    EXPECT_EQ(DrawWrappedText(canvas.dc, L"text", none), 0);
}

TEST(FitTextWithEllipsis, KeepsWhatFitsWithThreeFullStops) {
    Canvas screen;
    WString text = L"WWWWWW";
    EXPECT_EQ(FitTextWithEllipsis(text, screen.Extent(L"WWWWWW").cx, screen.dc), 0);
    EXPECT_EQ(text, L"WWWWWW");
    EXPECT_EQ(FitTextWithEllipsis(text, screen.Extent(L"WWW...").cx, screen.dc), 1);
    EXPECT_EQ(text, L"WWW...");
    text = L"WWWWWW";
    EXPECT_EQ(FitTextWithEllipsis(text, screen.Extent(L"...").cx, screen.dc), 1);
    EXPECT_EQ(text, L"W");
}

TEST(FitTextWithEllipsis, NeverPartsASurrogatePairOrALetterFromItsMarks) {
    Canvas screen;
    const std::wstring emoji = L"WW\xD83D\xDE00WWWW";
    WString text = emoji.c_str();
    FitTextWithEllipsis(text, screen.Extent(L"WW\xD83D").cx + screen.Extent(L"...").cx, screen.dc);
    EXPECT_EQ(text, L"WW...") << "the pair goes whole";
    text = L"We\x0301WWWW";
    FitTextWithEllipsis(text, screen.Extent(L"We").cx + screen.Extent(L"...").cx, screen.dc);
    EXPECT_EQ(text, L"We\x0301...") << "the e keeps its accent";
    text = L"\xD83D\xDE00WWWWWW";
    FitTextWithEllipsis(text, 1, screen.dc);
    EXPECT_EQ(text, L"\xD83D\xDE00") << "a first character of two units is kept whole";
}

TEST(CreatePointFont, SizesThePointsToTheScreenAndKeepsFaceAndWeight) {
    const ScopedFont font(CreatePointFont(L"Tahoma", 9, 700));
    LOGFONTW info = {};
    ASSERT_TRUE(GetObjectW(font.Get(), sizeof info, &info));
    const int dpi = ScreenMetrics.DpiY ? ScreenMetrics.DpiY : 96;
    EXPECT_EQ(info.lfHeight, -static_cast<int>(dpi * 9 / 72.0 + 0.5));
    EXPECT_EQ(info.lfWeight, 700);
    EXPECT_EQ(info.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_STREQ(info.lfFaceName, L"Tahoma");
}
